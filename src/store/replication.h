#pragma once

#include <QString>

#include <memory>
#include <stdexcept>

struct sqlite3;

namespace store {

class Store;

// A store file kept in step with a copy on a second disk.
//
// A store becomes replicable when the property "Replicable" is set to "T" in its table of
// properties. From then on every row of every table is tracked by triggers, whatever writes it: a
// row id unique across every copy, how many times the row was edited, whether it changed since the
// last synchronisation, and a tombstone for each row deleted. A replica is a complete copy of the
// store with a replica id of its own and the replica set id of the store, which the store got
// when it was made replicable. Synchronising two copies merges the changes of both since
// their last synchronisation into the store in one transaction (a row changed on both sides goes
// to the more edited one, a tie to the store, and the losing row is kept in the table of
// conflicts), then replaces the replica by an exact copy of the merged store, written beside it
// and renamed into place. A product, the price row and the stock row at the same position in
// their tables, is merged as a whole when one side deleted it and the other changed it (a sale
// writes the stock row alone): both rows are kept or both go, so that every price row keeps its
// own stock row. Whenever the program is stopped, both files stay usable, and a
// synchronisation run again converges.
//
// The operations speak in host paths; mapping drive paths onto them is the caller's business.
class ReplicaDatabase {
public:
    // Why a replication operation failed, beside the store's own errors (store::Error).
    class Failure : public std::runtime_error {
    public:
        enum class Kind {
            PropertyExists,   // a property of that name is in the store already
            ReplicaNotFound,  // there is no file at the other copy's path
            Other,            // anything else: the message says what
        };
        Failure(Kind kind, const QString& message);
        Kind kind() const noexcept { return m_kind; }
        QString message() const { return QString::fromUtf8(what()); }

    private:
        Kind m_kind;
    };

    enum class Use { Exclusive, Shared };

    // Opens the store file at `path`. With Use::Exclusive no other connection may hold the file:
    // the program's own connection (`program`, when it is on the same file; may be null) is
    // released first, and the open fails when another program holds the file. The program's
    // connection is restored when this database is closed or destroyed, whatever happened
    // meanwhile; its record sources then read their rows again. The file gets the checks and the
    // upgrade of Store::open: a file that is not a store fails with store::Error.
    static std::unique_ptr<ReplicaDatabase> open(const QString& path, Use use, Store* program);

    // Closes the file (see open()). Safe to call twice.
    ~ReplicaDatabase();
    void close();

    ReplicaDatabase(const ReplicaDatabase&) = delete;
    ReplicaDatabase& operator=(const ReplicaDatabase&) = delete;

    // The path as it was opened.
    const QString& name() const { return m_name; }

    // Adds a text property. Throws Failure(PropertyExists) when the store has a property of that
    // name already. Adding "Replicable" with "T" makes the store replicable.
    void appendProperty(const QString& propertyName, const QString& value);
    // Sets an existing property (Failure(Other) when there is none). Setting "Replicable" to "T"
    // makes the store replicable.
    void setProperty(const QString& propertyName, const QString& value);
    // The property's value; Failure(Other) when there is none.
    QString property(const QString& propertyName) const;

    // Writes a replica of the store at `path` with its own replica id and the description given.
    // Creates no folder; refuses a path where a file exists already. The store must be
    // replicable. Nothing is left at `path` when it fails.
    void makeReplica(const QString& path, const QString& description);

    // Exchanges the changes of the store and the replica at `path` both ways (see above).
    // Failure(ReplicaNotFound) when there is no file at `path`; store::Error(NotAStore) when the
    // file is not a store, Failure(Other) when it is no replica, a replica of another set (the
    // store was made replicable again after it was made), or another connection holds it; neither
    // file is then written. When neither side changed since the last synchronisation, neither file
    // is written.
    void synchronize(const QString& path);

private:
    ReplicaDatabase(QString name, sqlite3* db, Store* released);

    QString m_name;
    sqlite3* m_db = nullptr;
    Store* m_released = nullptr;
};

// Copies the file `source` over the store file `target`: only while no connection holds the
// store (the program's own, `program`, may be null, is released first and restored after), through
// a copy written beside the target, flushed to disk and renamed into place, so that a failed copy
// leaves the store as it was. A source that is not a store of this program is refused before
// anything is touched.
void replaceStoreFile(const QString& source, const QString& target, Store* program);

} // namespace store
