#include "startup/restore.h"

#include "startup/store_lock.h"
#include "store/backup.h"
#include "store/error.h"
#include "store/statement.h"
#include "store/store.h"
#include "store/unit_of_work.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdint>
#include <memory>

namespace startup {
namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

RestoreOutcome refused(const QString& why, const QString& storePath)
{
    return {false, QStringLiteral("%1 Nothing was restored: the store %2 is as it was.").arg(why, native(storePath))};
}

// The name the present store is kept under: the moment of the restore, then a number when a
// restore of the same minute kept one already.
QString keptName(const QString& storePath, const QDateTime& now)
{
    const QString stamped = storePath + QStringLiteral(".before-restore-") + now.toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    QString kept = stamped;
    for (int number = 2; QFileInfo::exists(kept) || QFileInfo::exists(kept + QStringLiteral("-wal")); ++number)
        kept = stamped + QStringLiteral("-%1").arg(number);
    return kept;
}

// The highest sale number the store at `path` has handed out; 0 when it has none or cannot say.
std::int64_t lastJournalNumber(const QString& path)
{
    sqlite3* db = nullptr;
    std::int64_t number = 0;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* read = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT seq FROM sqlite_sequence WHERE name = 'SalesJournal'", -1, &read, nullptr) == SQLITE_OK
            && sqlite3_step(read) == SQLITE_ROW)
            number = sqlite3_column_int64(read, 0);
        sqlite3_finalize(read);
    }
    sqlite3_close_v2(db);
    return number;
}

// Opens the restored store (bringing an older one up to date, with its journal) and has its
// journal number its next sale after `last`.
bool carrySaleNumbers(const QString& path, std::int64_t last, const QDate& today)
{
    try {
        const std::unique_ptr<store::Store> restored = store::Store::open(path, today);
        store::UnitOfWork unit(*restored);
        restored->beforeWrite(QStringLiteral("sqlite_sequence"));
        {
            store::Statement raise = restored->prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = 'SalesJournal'"));
            raise.bindInt(1, last);
            raise.step();
        }
        if (sqlite3_changes(restored->handle()) == 0) {
            store::Statement first = restored->prepare(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('SalesJournal', ?)"));
            first.bindInt(1, last);
            first.step();
        }
        unit.commit();
        return true;
    } catch (const store::Error&) {
        return false;
    }
}

} // namespace

RestoreOutcome restoreStore(const QString& storePath, const QString& file, const QDateTime& now)
{
    const QFileInfo source(file);
    if (!source.exists())
        return refused(QStringLiteral("The file %1 cannot be found.").arg(native(source.absoluteFilePath())), storePath);
    if (QFileInfo::exists(storePath) && source.canonicalFilePath() == QFileInfo(storePath).canonicalFilePath())
        return refused(QStringLiteral("The file %1 is the store itself.").arg(native(source.absoluteFilePath())), storePath);
    try {
        store::Store::check(source.absoluteFilePath());
    } catch (const store::Error& error) {
        return refused(error.message(), storePath);
    }

    const StoreLock lock(storePath);
    if (!lock.isHeld())
        return refused(QStringLiteral("The store %1 is in use by a Point of Sale program that is running. Close that program first, then "
                                      "restore again.")
                           .arg(native(storePath)),
            storePath);

    // The backup, copied beside the store and checked there.
    const QString incoming = storePath + QStringLiteral(".restoring");
    QFile::remove(incoming);
    QString why;
    if (!store::backup::copyFile(source.absoluteFilePath(), incoming, &why))
        return refused(QStringLiteral("The file could not be copied beside the store: %1.").arg(why), storePath);
    try {
        store::Store::check(incoming);
    } catch (const store::Error& error) {
        QFile::remove(incoming);
        return refused(QStringLiteral("The copy beside the store is not whole: %1").arg(error.message()), storePath);
    }

    const QString wal = storePath + QStringLiteral("-wal");
    const QString shm = storePath + QStringLiteral("-shm");
    QString kept;
    // Sale numbers already printed on receipts are not handed out again by the store restored.
    std::int64_t lastSaleNumber = 0;
    if (QFileInfo::exists(storePath)) {
        // Read before the check below, which then lets go of the log this read leaves.
        lastSaleNumber = lastJournalNumber(storePath);
        // A program that ended without closing the store left its last writes in the log: the
        // store takes them in first, when it can, so that the kept file is whole on its own.
        try {
            store::Store::check(storePath);
        } catch (const store::Error&) {
            // A damaged store is kept as it is, with its log.
        }
        kept = keptName(storePath, now);
        const bool keptWhole = store::backup::copyFile(storePath, kept, &why)
            && (!QFileInfo::exists(wal) || store::backup::copyFile(wal, kept + QStringLiteral("-wal"), &why));
        if (!keptWhole || !store::backup::syncFolder(QFileInfo(kept).absolutePath())) {
            QFile::remove(kept);
            QFile::remove(kept + QStringLiteral("-wal"));
            QFile::remove(incoming);
            return refused(QStringLiteral("The present store could not be kept beside it: %1.").arg(why.isEmpty() ? native(kept) : why), storePath);
        }
    } else if (QFileInfo::exists(wal)) {
        // A log left without its store (the store moved away by hand): kept aside as it is.
        kept = keptName(storePath, now);
        if (!store::backup::copyFile(wal, kept + QStringLiteral("-wal"), &why) || !store::backup::syncFolder(QFileInfo(kept).absolutePath())) {
            QFile::remove(kept + QStringLiteral("-wal"));
            QFile::remove(incoming);
            return refused(QStringLiteral("The log %1 left beside the store could not be kept: %2.").arg(native(wal), why), storePath);
        }
    }
    // The log belongs to the store that is kept now (or to none); read with the new store, it
    // would spoil it.
    for (const QString& log : {wal, shm}) {
        if (QFileInfo::exists(log) && !QFile::remove(log)) {
            QFile::remove(incoming);
            return refused(QStringLiteral("The log %1 of the present store cannot be removed. The store as it was is kept as %2 all the same.")
                               .arg(native(log), native(kept)),
                storePath);
        }
    }

    if (!store::backup::replaceFile(incoming, storePath, &why)) {
        QFile::remove(incoming);
        // The log is gone from beside the store by now: the store as it was is the kept copy.
        return {false,
            kept.isEmpty() ? QStringLiteral("%1. Nothing was restored.").arg(why)
                           : QStringLiteral("%1. Nothing was restored; the store as it was before, with its log, is kept as %2: restore that "
                                            "file to go back to it.")
                                 .arg(why, native(kept))};
    }
    store::backup::syncFolder(QFileInfo(storePath).absolutePath());
    if (lastSaleNumber > 0 && !carrySaleNumbers(storePath, lastSaleNumber, now.date()))
        return {true,
            QStringLiteral("The store %1 was restored from %2, but the next sale numbers could not be moved past %3: numbers printed "
                           "since the backup may be given again. The store as it was before is kept as %4.")
                .arg(native(storePath), native(source.absoluteFilePath()))
                .arg(lastSaleNumber)
                .arg(native(kept))};

    QString said = QStringLiteral("The store %1 was restored from %2.").arg(native(storePath), native(source.absoluteFilePath()));
    said += kept.isEmpty() ? QStringLiteral(" There was no store there before.")
                           : QStringLiteral(" The store as it was before is kept as %1.").arg(native(kept));
    return {true, said};
}

} // namespace startup
