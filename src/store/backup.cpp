#include "store/backup.h"

#include "store/error.h"
#include "store/store.h"

#include "platform/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace store::backup {
namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A backup's name: the store's base name, the date, and from the second backup of a date on,
// its number.
QString nameOf(const QFileInfo& store, const QDate& date, int number)
{
    QString name = store.completeBaseName() + u' ' + date.toString(Qt::ISODate);
    if (number > 1)
        name += QStringLiteral(" (%1)").arg(number);
    return name + u'.' + store.suffix();
}

// Matches the store's backups only: "Grocery 2026-12-11.mdb", "Grocery 2026-12-11 (2).mdb".
QRegularExpression backupPattern(const QFileInfo& store)
{
    return QRegularExpression(QStringLiteral("^%1 (\\d{4}-\\d{2}-\\d{2})(?: \\((\\d+)\\))?\\.%2$")
                                  .arg(QRegularExpression::escape(store.completeBaseName()), QRegularExpression::escape(store.suffix())));
}

// The first name for `date` that none of the folders holds yet.
QString freeName(const QFileInfo& store, const QDate& date, const QStringList& folders)
{
    for (int number = 1;; ++number) {
        const QString name = nameOf(store, date, number);
        if (std::none_of(folders.begin(), folders.end(), [&](const QString& folder) { return QFileInfo::exists(QDir(folder).filePath(name)); }))
            return name;
    }
}

// A connection to a file this module makes, closed when it goes out of scope.
struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { close(); }
    int close()
    {
        const int rc = db ? sqlite3_close(db) : SQLITE_OK;
        if (rc == SQLITE_OK)
            db = nullptr;
        return rc;
    }
    QString error() const { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString(); }
    // The first column of each row an SQL text answers; false when it fails.
    bool rows(const char* sql, QStringList& out) const
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE;
    }
};

// Copies the store into `partial` through SQLite's backup, as one file without a log, and checks
// the copy whole. Returns why it failed, or nothing.
QString copyInto(Store& store, const QString& partial)
{
    if (store.isReleased())
        return QStringLiteral("the store was put aside at that moment");
    if (store.unitDepth() > 0)
        return QStringLiteral("the store was in the middle of a change");
    if (!platform::makePrivateFile(partial))
        return QStringLiteral("no file can be written in the folder");

    Connection copy;
    if (sqlite3_open_v2(QFile::encodeName(partial).constData(), &copy.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return QStringLiteral("the copy cannot be opened (%1)").arg(copy.error());
    sqlite3_busy_timeout(copy.db, 2000);
    // The copy is flushed to disk once, whole, before it gets its name; a copy cut short is
    // thrown away. Its own writes need neither a journal nor a flush of their own.
    sqlite3_exec(copy.db, "PRAGMA synchronous = OFF; PRAGMA journal_mode = OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* job = sqlite3_backup_init(copy.db, "main", store.handle(), "main");
    if (!job)
        return QStringLiteral("the copy cannot be started (%1)").arg(copy.error());
    // All pages at once: the copy is the store as one moment left it.
    const int stepped = sqlite3_backup_step(job, -1);
    const int finished = sqlite3_backup_finish(job);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK)
        return QStringLiteral("the store could not be copied (%1)").arg(QString::fromUtf8(sqlite3_errstr(stepped != SQLITE_DONE ? stepped : finished)));

    // The store keeps a write-ahead log; its copy is one file, whole without one.
    QStringList mode;
    if (!copy.rows("PRAGMA journal_mode = DELETE", mode) || mode.value(0).compare(u"delete", Qt::CaseInsensitive) != 0)
        return QStringLiteral("the copy could not be made a single file (%1)").arg(copy.error());
    QStringList integrity;
    if (!copy.rows("PRAGMA integrity_check", integrity))
        return QStringLiteral("the copy could not be checked (%1)").arg(copy.error());
    if (integrity != QStringList{QStringLiteral("ok")})
        return QStringLiteral("the copy did not pass the integrity check (%1)").arg(integrity.value(0));
    if (copy.close() != SQLITE_OK)
        return QStringLiteral("the copy could not be closed (%1)").arg(copy.error());

    try {
        Store::check(partial);
    } catch (const Error& error) {
        return QStringLiteral("the copy does not open as a store: %1").arg(error.message());
    }
    return {};
}

// One folder's backup under `name`. Returns why it failed, or nothing.
QString backUpInto(Store& store, const QString& folder, const QString& name)
{
    if (!platform::makePrivateFolder(folder))
        return QStringLiteral("the folder cannot be made (a file of that name may be in its way)");
    const QString file = QDir(folder).filePath(name);
    const QString partial = file + QStringLiteral(".partial");
    // A copy an earlier close left half made is of no use.
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-journal"));

    QString failure = copyInto(store, partial);
    if (failure.isEmpty() && !syncFile(partial))
        failure = QStringLiteral("the copy could not be flushed to the disk");
    if (failure.isEmpty() && !QFile::rename(partial, file))
        failure = QStringLiteral("the copy could not be given its name %1").arg(name);
    if (!failure.isEmpty()) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        return failure;
    }
    if (!syncFolder(folder))
        return QStringLiteral("the folder could not be flushed to the disk, so the backup %1 may not survive a power cut").arg(name);
    return {};
}

// Deletes the oldest backups of the store beyond the newest `kept`, and what a program stopped
// in the middle of a backup left half made. The backup just made (`made`) is never deleted, and
// counts among those kept, whatever its date: a clock set back would otherwise date each new
// backup oldest of all and delete it at once.
void rotate(const QString& folder, const QString& storePath, const QString& made, int kept)
{
    QStringList backups = list(folder, storePath);
    backups.removeAll(made);
    for (qsizetype i = 0; i + kept - 1 < backups.size(); ++i)
        QFile::remove(QDir(folder).filePath(backups.at(i)));
    const QRegularExpression ours = backupPattern(QFileInfo(storePath));
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.partial"), QStringLiteral("*.partial-journal")}, QDir::Files | QDir::Hidden)) {
        if (ours.match(name.left(name.lastIndexOf(QStringLiteral(".partial")))).hasMatch())
            QFile::remove(QDir(folder).filePath(name));
    }
}

} // namespace

std::vector<Copy> make(Store& store, const QDate& date, const QStringList& folders, int kept)
{
    std::vector<Copy> copies;
    try {
        const QFileInfo storeFile(store.path());
        const QString name = freeName(storeFile, date, folders);
        for (const QString& folder : folders) {
            Copy copy{folder, QDir(folder).filePath(name), {}};
            copy.failure = backUpInto(store, folder, name);
            if (copy.made())
                rotate(folder, store.path(), name, kept);
            else
                copy.file.clear();
            copies.push_back(copy);
        }
    } catch (const std::exception& error) {
        // Out of memory or the like: the folders not yet done are told as failed.
        for (qsizetype i = qsizetype(copies.size()); i < folders.size(); ++i)
            copies.push_back(Copy{folders.at(i), {}, QString::fromUtf8(error.what())});
    }
    return copies;
}

QStringList list(const QString& folder, const QString& storePath)
{
    const QRegularExpression pattern = backupPattern(QFileInfo(storePath));
    struct Found {
        QDate date;
        int number;
        QString name;
    };
    std::vector<Found> found;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const QDate date = QDate::fromString(match.captured(1), Qt::ISODate);
        if (date.isValid())
            found.push_back({date, match.hasCaptured(2) ? match.captured(2).toInt() : 1, name});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.date != b.date ? a.date < b.date : a.number < b.number;
    });
    QStringList names;
    for (const Found& backup : found)
        names << backup.name;
    return names;
}

bool syncFile(const QString& path)
{
#ifdef Q_OS_WIN
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && _commit(file.handle()) == 0;
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
#endif
}

bool syncFolder(const QString& path)
{
#ifdef Q_OS_WIN
    // Windows writes a folder's names through with the file system's own journal.
    Q_UNUSED(path);
    return true;
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
#endif
}

bool copyFile(const QString& from, const QString& to, QString* why)
{
    const auto fail = [&](const QString& what) {
        QFile::remove(to);
        if (why)
            *why = what;
        return false;
    };
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read (%2)").arg(native(from), source.errorString()));
    if (!platform::makePrivateFile(to)) {
        if (why)
            *why = QStringLiteral("%1 cannot be made").arg(native(to));
        return false;
    }
    QFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1 cannot be written (%2)").arg(native(to), target.errorString()));
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty()) {
        if (target.write(block) != block.size())
            return fail(QStringLiteral("%1 could not be written (%2)").arg(native(to), target.errorString()));
    }
    if (source.error() != QFileDevice::NoError)
        return fail(QStringLiteral("%1 could not be read (%2)").arg(native(from), source.errorString()));
    if (!target.flush())
        return fail(QStringLiteral("%1 could not be written (%2)").arg(native(to), target.errorString()));
    target.close();
    if (!syncFile(to))
        return fail(QStringLiteral("%1 could not be flushed to the disk").arg(native(to)));
    return true;
}

bool replaceFile(const QString& from, const QString& to, QString* why)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()), error);
    if (error && why)
        *why = QStringLiteral("%1 could not be put in the place of %2 (%3)").arg(native(from), native(to), QString::fromStdString(error.message()));
    return !error;
}

} // namespace store::backup
