#include "store/error.h"

#include <QDir>

#include <sqlite3.h>

namespace store {

Error::Error(ErrorKind kind, const QString& message, bool diskFailure)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_diskFailure(diskFailure)
{
}

QString diskFailureText(const QString& path, int sqliteCode, const QString& detail)
{
    const QString file = QDir::toNativeSeparators(path);
    const QString said = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    switch (sqliteCode & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("The store %1 could not be written: the disk is full%2. Free some space on the disk, then try again.")
            .arg(file, said);
    case SQLITE_IOERR:
        if (sqliteCode == SQLITE_IOERR_READ || sqliteCode == SQLITE_IOERR_SHORT_READ)
            return QStringLiteral("The store %1 could not be read: the disk reported an error%2. Check the disk, then try again.").arg(file, said);
        return QStringLiteral("The store %1 could not be written: the disk reported an error%2. Check the disk and free some space "
                              "on it, then try again.")
            .arg(file, said);
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return QStringLiteral("The store %1 could not be written: the file or its folder is read-only%2. Make them writable again, "
                              "then try again.")
            .arg(file, said);
    case SQLITE_CANTOPEN:
        return QStringLiteral("The store %1 could not be reached: the file or one beside it could not be opened%2. Check that the disk "
                              "is there and its folder can be written, then try again.")
            .arg(file, said);
    default:
        return {};
    }
}

} // namespace store
