#pragma once

#include "store/schema.h"

#include <QLocale>
#include <QString>

#include <QHash>

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <vector>

struct sqlite3;

namespace store {

class Statement;
class RecordSource;

// The open store file: one SQLite connection in WAL mode with full synchronous writes, so that
// a write that returned is on disk.
class Store {
public:
    // Opens the store at a host path. A missing file is created with the schema and the rows a
    // first use needs (one tblDailySale row dated `today` with zero totals, one tblTax row with
    // Tax 0); the file appears only once it is complete. A file that exists but is not a store,
    // or a store that is damaged, is refused with Error(NotAStore) naming the file, and is not
    // modified. A store that cannot keep a write-ahead log (so that a write that returned is on
    // disk and another program's reads never block it) is refused with Error(IO).
    //
    // With Check::BeforeFirstWrite, the check that every page of an existing store is sound
    // (SQLite's quick check, the longest part of opening) is not made at once: it is made before
    // the store's first write (a unit of work begun, a row written, the file let go), at once when
    // opening must write (the store brought up to date), or on a thread of its own from
    // checkInBackground() on. A store found damaged then refuses every write with
    // Error(NotAStore), naming the file, and is not modified. Reads before the check are the
    // file's as it is: a damaged page read fails as any read of it does.
    enum class Check { Now, BeforeFirstWrite };
    static std::unique_ptr<Store> open(const QString& path, const QDate& today, Check check = Check::Now);

    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const QString& path() const { return m_path; }

    // Runs the checks open() makes of an existing store (a database of this program, whole, of a
    // layout this program reads, with every table and field) without writing anything of its own
    // (SQLite may finish a write that was cut short). Throws Error(NotAStore) or Error(IO) as
    // open() does.
    static void check(const QString& path);

    // Lets go of the file, so that it can be copied over or opened for exclusive use: every
    // statement the store and its record sources hold is finalized and the connection is closed.
    // Refused with Error(IO) while a unit of work is open. Until restore(), every use of the store
    // fails with Error(IO). Releasing a released store does nothing.
    void release();
    // Opens the same file again, with the checks of open() (a missing file is not made again).
    // Every record source then reads its rows again at its next refresh, as after another
    // program's commit. When another file was put in the store's place meanwhile, the rows the
    // record sources hold belong to the file that is gone: each reads its rows again at once and
    // goes to its first row (a started edit is dropped), so that no window acts on a row of the
    // old file through a key that now names another row. Restoring a store that is not released
    // does nothing.
    void restore();
    bool isReleased() const { return m_db == nullptr; }

    // Starts the check that open() left for before the first write, on a thread of its own with
    // a connection of its own, when it is not made yet; the first write waits for it. Does
    // nothing when the store was checked.
    void checkInBackground();

    // The locale in which text set into numeric, currency and date fields is read.
    const QLocale& locale() const { return m_locale; }
    void setLocale(const QLocale& locale) { m_locale = locale; }

    // A hook run before every row written (insert, update or delete) with the table's name;
    // whatever it throws aborts that write. Tests make the store fail part-way with it.
    using WriteHook = std::function<void(const QString& table)>;
    void setWriteHook(WriteHook hook) { m_writeHook = std::move(hook); }

    // For the store's own classes.
    sqlite3* handle() const { return m_db; }
    // Called before every row written in `table`: records the table in the open unit of work,
    // moves its version on and runs the write hook. Throws when the open unit was already undone
    // (see rollbackUnit), so that nothing is written outside the unit it belongs to.
    void beforeWrite(const QString& table);

    // How far a table has changed: `table` grows with every row written to it through this
    // connection and with every rolled-back unit that wrote in it; `file` changes whenever
    // another connection commits. A record source whose row set was read at the same versions
    // has nothing to read again.
    struct Versions {
        std::uint64_t table = 0;
        std::int64_t file = 0;
        bool operator==(const Versions&) const = default;
    };
    Versions versions(const QString& table);
    // The `table` part of versions(), without asking the file.
    std::uint64_t tableVersion(const QString& table) const { return m_tableVersions.value(table); }
    Statement prepare(const QString& sql);
    void exec(const QString& sql);
    // Throws the failure of a statement. When a statement that writes (or commits) failed on the
    // disk, the log is settled first (below).
    [[noreturn]] void fail(int code, const QString& what, bool afterWrite = false) const;
    // After a write that the disk failed: a commit whose last sync failed may have left its pages
    // in the write-ahead log, whole, where SQLite would take them in when the store is next
    // opened, although the commit was reported failed and undone. A small write of nothing new
    // puts a commit of the store as it is in their place, so that they are never read. What that
    // write meets is not reported: the disk has failed already.
    void settleLog() const;

    // Units of work (see unit_of_work.h). The outermost unit is a transaction that takes the
    // store for writing at once (waiting for another program's write to end), inner ones are
    // savepoints. Rolling a unit back marks every table written in it as changed and reads the
    // row sets of the record sources that wrote in it again, whatever the rollback statement
    // answers. When SQLite has undone the whole transaction itself (a full disk, an I/O error),
    // every enclosing unit is undone with it: their record sources are read again at once, and
    // their writes and commits fail from then on.
    int unitDepth() const { return int(m_units.size()); }
    void beginUnit();
    void commitUnit();
    void rollbackUnit();

    // A record source tells the store it is about to write inside the open unit, so that a
    // rolled-back unit puts its row set back as the file is.
    void noteTouched(RecordSource* source);
    // A record source is known to the store from its opening to its end (forget), so that
    // release() can finalize the statements it keeps.
    void attach(RecordSource* source);
    void forget(RecordSource* source);

private:
    friend class ReplicaDatabase;
    Store(QString path, sqlite3* db);
    static std::unique_ptr<Store> openExisting(const QString& path, Check check);

    QString m_path;
    sqlite3* m_db = nullptr;
    QLocale m_locale;
    WriteHook m_writeHook;
    QHash<QString, std::uint64_t> m_tableVersions;
    std::unique_ptr<Statement> m_dataVersion;

    // An open unit of work: the tables written inside it (by any record source, live or not) and
    // the live record sources that wrote.
    struct Unit {
        std::vector<QString> tables;
        std::vector<RecordSource*> sources;
        bool undone = false; // undone with the whole transaction by SQLite
    };
    std::vector<Unit> m_units;
    std::vector<RecordSource*> m_sources;
    // Which file the connection was on when it was let go (see restore()).
    struct FileIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool known = false;
        bool operator==(const FileIdentity&) const = default;
    };
    static FileIdentity identityOf(const QString& path);
    FileIdentity m_released;
    mutable bool m_settling = false;
    // Whether the file has been found sound (see Check): checked, not yet, or being checked on
    // m_integrityCheck's thread, whose answer is "ok", "damaged", or empty when it could not check.
    enum class Integrity { Checked, Unchecked, Checking, Damaged };
    Integrity m_integrity = Integrity::Checked;
    std::future<QString> m_integrityCheck;
    void ensureIntact();
    bool unitUndone() const;
    [[noreturn]] void failUndone() const;
    void undo(Unit& unit);
};

} // namespace store
