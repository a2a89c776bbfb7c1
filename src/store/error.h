#pragma once

#include <QString>

#include <stdexcept>

namespace store {

// Every failure of the store is thrown as an Error with one of these kinds; screen handlers
// catch it as their own error trap requires.
enum class ErrorKind {
    NoCurrentRow,   // a field read or written, edit, update or delete with no current row
    NoSuchField,    // a field name the table does not have
    Conversion,     // a value the field or the arithmetic cannot take (not a number, overflow, null)
    Constraint,     // the database refused the row (its CHECK rules)
    IO,             // the file could not be read or written
    NotAStore,      // the file at the store's path is not a store of this program
};

class Error : public std::runtime_error {
public:
    Error(ErrorKind kind, const QString& message, bool diskFailure = false);

    ErrorKind kind() const noexcept { return m_kind; }
    QString message() const { return QString::fromUtf8(what()); }
    // The disk let the store down (full, an I/O error, read-only, the file out of reach), as
    // opposed to a store that refused what was asked of it: what failed may succeed once the
    // disk is sound, and nothing of it was kept.
    bool diskFailure() const noexcept { return m_diskFailure; }

private:
    ErrorKind m_kind;
    bool m_diskFailure;
};

// What a person is told when the disk lets a file of the store down (`sqliteCode` a full disk, an
// I/O error, a file or folder that cannot be written or reached): which file, what failed and what to do,
// with SQLite's own words (`detail`) in brackets. Empty for any other result code.
QString diskFailureText(const QString& path, int sqliteCode, const QString& detail);

} // namespace store
