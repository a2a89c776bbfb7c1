#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

struct sqlite3_stmt;

namespace store {

class Store;

// A prepared statement, finalized when it goes out of scope. Failures throw Error(IO) or
// Error(Constraint) through the store.
class Statement {
public:
    Statement(const Store& store, sqlite3_stmt* stmt) : m_store(&store), m_stmt(stmt) {}
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    void bindNull(int index);
    void bindInt(int index, std::int64_t value);
    void bindDouble(int index, double value);
    void bindText(int index, const QString& value);

    // Advances to the next row: true when there is one, false when done.
    bool step();
    void reset();

    int columnCount() const;
    int columnType(int column) const; // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_NULL
    std::int64_t columnInt(int column) const;
    double columnDouble(int column) const;
    QString columnText(int column) const;
    // The UTF-8 bytes of a text column, valid until the next step.
    const char* columnUtf8(int column, int* size) const;
    QString columnName(int column) const;
    QString columnDeclType(int column) const;
    QString columnOriginTable(int column) const;
    QString columnOriginName(int column) const;

    sqlite3_stmt* handle() const { return m_stmt; }

private:
    const Store* m_store;
    sqlite3_stmt* m_stmt;
};

} // namespace store
