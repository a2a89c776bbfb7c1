#pragma once

#include <QDateTime>
#include <QString>

namespace startup {

// What a restore did, or why it did nothing.
struct RestoreOutcome {
    bool restored = false;
    QString said; // in words for the staff: what was done, or why nothing was and what to do
};

// Puts the store in `file` (a backup, say) in the place of the store at `storePath`:
// - `file` must be a store of this program, whole (Store::check), and not the store itself;
// - no program may be running on the store: the store's lock is taken for the whole restore;
// - the present store is kept beside it, as "Grocery.mdb.before-restore-2026-12-11-1530" (the
//   moment `now`), with its write-ahead log when it has one left;
// - `file` is copied beside the store under a temporary name, checked again, flushed to the disk
//   and renamed over the store; the present store's log is removed only once it is kept, and
//   before the new store takes its place, so that it is never read with the new one.
// When refused or failed, the store is as it was.
RestoreOutcome restoreStore(const QString& storePath, const QString& file, const QDateTime& now);

} // namespace startup
