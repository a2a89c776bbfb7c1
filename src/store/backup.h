#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace store {

class Store;

// Verified copies of the open store, made when the day is closed, and the few file operations
// that put a file on disk for good.
namespace backup {

// How many backups a folder keeps of one store.
inline constexpr int kKept = 30;

// One folder's backup: the file made, or why none was made there.
struct Copy {
    QString folder;
    QString file;    // the backup's path, when made
    QString failure; // in words for the staff; empty when the backup was made
    bool made() const { return failure.isEmpty(); }
};

// Copies the open store into each folder (made when missing, its owner's alone) under one name
// for all, the store's base name and `date`: "Grocery 2026-12-11.mdb". A store backed up twice
// on one date keeps both: the second is "Grocery 2026-12-11 (2).mdb", and so on, the first number
// free in every folder. Each copy is written under a temporary name ("….partial"), must pass
// SQLite's integrity check and open as a store of this program, is flushed to the disk and only
// then gets its name; a folder then keeps the newest `kept` backups of this store and deletes the
// older ones, and the copies an earlier backup left half made. Files in the folder that are not this store's backups are never touched. Never
// throws: a folder that fails is told in its Copy, and the others are made all the same. The
// store must have no unit of work open.
std::vector<Copy> make(Store& store, const QDate& date, const QStringList& folders, int kept = kKept);

// The backups of the store at `storePath` that `folder` holds, oldest first (by the date in the
// name, then the number after it).
QStringList list(const QString& folder, const QString& storePath);

// Flushes a file's contents, or a folder's list of names, to the disk. False when that fails.
bool syncFile(const QString& path);
bool syncFolder(const QString& path);

// Copies a file to a new file, its owner's alone, flushed to the disk. An existing `to` is
// refused. On failure nothing is left at `to`, and `why` (when given) says what failed.
bool copyFile(const QString& from, const QString& to, QString* why = nullptr);

// Renames a file over another one at once (either the old file or the new one is there, never
// neither). False when that fails; `why` (when given) says what failed.
bool replaceFile(const QString& from, const QString& to, QString* why = nullptr);

} // namespace backup
} // namespace store
