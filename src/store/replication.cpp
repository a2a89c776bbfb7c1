#include "store/replication.h"

#include "store/error.h"
#include "store/replication_tracking.h"
#include "store/schema.h"
#include "store/store.h"

#include "platform/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <system_error>
#include <tuple>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

// The bookkeeping of a replicable store, in tables of its own beside the program's:
//
// - Properties (Name, Value): the store's properties; "Replicable" = "T" marks it replicable.
// - "Replication Copy" (ReplicaId, Description, Generation, SetId): one row, this file's identity in
//   the set of copies, how many synchronisations brought changes into it, and the set it belongs
//   to: a store made replicable starts a set of its own, and every replica made from it carries
//   that set's id. Copies of different sets are never merged.
// - "Replication Rows" (TableName, RowKey, RowGuid, Edits, Changed): one row per row of every
//   table, tied to it by the table's own key; RowGuid names the row in every copy, Edits counts
//   its writes, Changed says it was written since the last synchronisation.
// - "Replication Tombstones" (RowGuid, TableName, Edits, Changed): one row per row deleted.
// - "Replication Conflicts": the losing side of every row written in both copies.
//
// Triggers on every table keep the rows and tombstones whatever writes the file. A row's key is
// this file's own: the same row may have another key in the other copy until the copy is
// replaced by the merged store, so rows are matched by RowGuid.
//
// A product is the price row and the stock row at the same position in their tables, and a sale
// writes only its stock row: the two product tables are merged product by product (see Merge).

namespace store {
namespace {

constexpr auto kProperties = u"Properties";
constexpr auto kCopy = u"Replication Copy";
constexpr auto kRows = u"Replication Rows";
constexpr auto kTombstones = u"Replication Tombstones";
constexpr auto kConflicts = u"Replication Conflicts";
constexpr auto kReplicable = u"Replicable";
constexpr auto kNewGuid = u"lower(hex(randomblob(16)))";
// The product catalogue: a product is the row of each at the same position.
constexpr auto kPrices = u"tblProductPrice";
constexpr auto kStock = u"tblProductQuantity";

QString quoted(QStringView identifier)
{
    QString out = identifier.toString();
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QString literal(QStringView text)
{
    QString out = text.toString();
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Throws the failure of a statement on `db` (`detail`: SQLite's words for it). A disk that failed
// is told in words a person can act on, naming the file of `db` it failed on.
[[noreturn]] void failOn(sqlite3* db, int rc, const QString& what, const QString& detail)
{
    const int primary = rc & 0xff;
    const ErrorKind kind = primary == SQLITE_CONSTRAINT ? ErrorKind::Constraint
        : (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) ? ErrorKind::NotAStore
                                                                 : ErrorKind::IO;
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    if (file && *file) {
        if (const QString disk = diskFailureText(QString::fromUtf8(file), rc, detail); !disk.isEmpty())
            throw Error(kind, disk, true);
    }
    throw Error(kind, QStringLiteral("%1: %2").arg(what, detail));
}

[[noreturn]] void failSql(sqlite3* db, int rc, const QString& what)
{
    failOn(db, rc, what, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)));
}

void exec(sqlite3* db, const QString& sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString detail = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(message);
        failOn(db, rc, sql, detail);
    }
}

// One prepared statement on a connection of the engine's own.
class Sql {
public:
    Sql(sqlite3* db, const QString& sql) : m_db(db)
    {
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            failSql(db, rc, sql);
    }
    ~Sql() { sqlite3_finalize(m_stmt); }
    Sql(const Sql&) = delete;
    Sql& operator=(const Sql&) = delete;

    Sql& bind(int index, std::int64_t value)
    {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    Sql& bind(int index, const QString& value)
    {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Sql& bindNull(int index)
    {
        sqlite3_bind_null(m_stmt, index);
        return *this;
    }
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        sqlite3_reset(m_stmt);
        failSql(m_db, rc, QString::fromUtf8(sqlite3_sql(m_stmt)));
    }
    void run()
    {
        while (step()) {
        }
        reset();
    }
    void reset()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    bool isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    QString text(int column) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_stmt, column));
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// A connection of the engine's own, closed when it goes out of scope.
class Connection {
public:
    Connection() = default;
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open(const QString& path, int flags)
    {
        close();
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const QString detail = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
            close();
            throw Error(ErrorKind::IO, QStringLiteral("The file %1 cannot be opened: %2").arg(native(path), detail));
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 2000);
    }
    // Closes the file; a close SQLite refuses (a statement left) is a failure.
    void closeOrFail(const QString& what)
    {
        if (!m_db)
            return;
        const int rc = sqlite3_close(m_db);
        if (rc != SQLITE_OK)
            failSql(m_db, rc, what);
        m_db = nullptr;
    }
    void close()
    {
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// A transaction on a connection of the engine's own, rolled back unless committed.
class Transaction {
public:
    Transaction(sqlite3* db, const char* begin = "BEGIN IMMEDIATE") : m_db(db) { exec(db, QString::fromLatin1(begin)); }
    ~Transaction()
    {
        if (!m_done && !sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit()
    {
        exec(m_db, QStringLiteral("COMMIT"));
        m_done = true;
    }

private:
    sqlite3* m_db;
    bool m_done = false;
};

bool tableExists(sqlite3* db, QStringView table, const QString& schemaName = QStringLiteral("main"))
{
    Sql find(db, QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type = 'table' AND name = ?").arg(quoted(schemaName)));
    find.bind(1, table.toString());
    return find.step();
}

std::optional<QString> readProperty(sqlite3* db, const QString& name)
{
    if (!tableExists(db, kProperties))
        return std::nullopt;
    Sql read(db, QStringLiteral("SELECT Value FROM %1 WHERE Name = ?").arg(quoted(kProperties)));
    read.bind(1, name);
    if (!read.step())
        return std::nullopt;
    return read.text(0);
}

void makePropertiesTable(sqlite3* db)
{
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Name TEXT PRIMARY KEY COLLATE NOCASE, Value TEXT)").arg(quoted(kProperties)));
}

bool marksReplicable(const QString& name, const QString& value)
{
    return name.compare(kReplicable, Qt::CaseInsensitive) == 0 && value == u"T";
}

QString triggerName(const TableDef& table, const char* event)
{
    return quoted(QStringLiteral("Replication %1 %2").arg(table.qName(), QLatin1String(event)));
}

QStringList fieldNames(const TableDef& table)
{
    QStringList names;
    for (const FieldDef& field : table.fields)
        names << quoted(field.name);
    return names;
}

// The row's fields as a JSON object, the way the conflict table keeps a losing row.
QString rowJsonSql(const TableDef& table, const QString& schemaName)
{
    QStringList pairs;
    for (const FieldDef& field : table.fields)
        pairs << literal(field.name) + QStringLiteral(", ") + quoted(field.name);
    return QStringLiteral("SELECT json_object(%1) FROM %2.%3 WHERE rowid = ?").arg(pairs.join(QStringLiteral(", ")), quoted(schemaName), quoted(table.name));
}

// Files --------------------------------------------------------------------------------------

[[noreturn]] void failFile(const QString& what)
{
    throw ReplicaDatabase::Failure(ReplicaDatabase::Failure::Kind::Other, what);
}

// Flushes a file (or, where the system allows, a folder) to the disk.
void flushToDisk(const QString& path, bool folder)
{
#ifdef Q_OS_WIN
    if (folder)
        return; // a rename is made durable by the file system itself
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || _commit(file.handle()) != 0)
        failFile(QStringLiteral("The file %1 cannot be written to the disk").arg(native(path)));
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | (folder ? O_DIRECTORY : 0) | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (fd >= 0)
            ::close(fd);
        failFile(QStringLiteral("The %1 %2 cannot be written to the disk").arg(folder ? QStringLiteral("folder") : QStringLiteral("file"), native(path)));
    }
    ::close(fd);
#endif
}

// A database file with the files SQLite keeps beside it.
void removeWithJournals(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// Moves `from` over `to` in one step, then makes the move durable.
void moveIntoPlace(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()), std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    if (error)
        failFile(QStringLiteral("The file %1 cannot be put in place: %2").arg(native(to), QString::fromStdString(error.message())));
    flushToDisk(QFileInfo(to).absolutePath(), true);
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

// Writes a complete copy of the database `source` (a consistent reading of it, whatever other
// connections write meanwhile) at `path`, owner-only, in rollback-journal mode, flushed to disk.
// `adjust` runs on the copy before it is closed. Nothing is left at `path` when it fails.
template <class Adjust>
void writeCopy(sqlite3* source, const QString& path, Adjust&& adjust)
{
    removeWithJournals(path);
    if (!platform::makePrivateFile(path))
        failFile(QStringLiteral("The file %1 cannot be made").arg(native(path)));
    try {
        Connection copy;
        copy.open(path, SQLITE_OPEN_READWRITE);
        sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source, "main");
        if (!backup)
            failSql(copy.get(), sqlite3_errcode(copy.get()), QStringLiteral("copy to %1").arg(path));
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE)
            failSql(copy.get(), stepped, QStringLiteral("copy to %1").arg(path));
        if (finished != SQLITE_OK)
            failSql(copy.get(), finished, QStringLiteral("copy to %1").arg(path));
        // A copy holds no write-ahead log of its own: nothing beside it has to move with it. It
        // is flushed to disk as a whole before it is put in place, so its own writes need not be.
        exec(copy.get(), QStringLiteral("PRAGMA journal_mode = DELETE"));
        exec(copy.get(), QStringLiteral("PRAGMA synchronous = OFF"));
        adjust(copy.get());
        copy.closeOrFail(QStringLiteral("close %1").arg(path));
        if (QFileInfo::exists(path + QStringLiteral("-journal")) || QFileInfo::exists(path + QStringLiteral("-wal")))
            failFile(QStringLiteral("The copy %1 was not closed cleanly").arg(native(path)));
        flushToDisk(path, false);
    } catch (...) {
        removeWithJournals(path);
        throw;
    }
}

// Takes the file for this connection alone, for as long as it stays open: fails when another
// connection holds it.
void takeExclusive(sqlite3* db, const QString& path)
{
    sqlite3_busy_timeout(db, 200);
    try {
        exec(db, QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        exec(db, QStringLiteral("BEGIN EXCLUSIVE"));
        exec(db, QStringLiteral("COMMIT"));
    } catch (const Error& e) {
        throw ReplicaDatabase::Failure(ReplicaDatabase::Failure::Kind::Other,
            QStringLiteral("The store %1 is in use by another program and cannot be opened for exclusive use: %2").arg(native(path), e.message()));
    }
    sqlite3_busy_timeout(db, 2000);
}

// The identity of one copy.
struct CopyIdentity {
    QString replicaId;
    QString description;
    std::int64_t generation = 0;
    QString setId; // empty in a copy made before copies carried their set
};

bool hasSetId(sqlite3* db, const QString& schemaName)
{
    Sql column(db, QStringLiteral("SELECT 1 FROM pragma_table_info(%1, %2) WHERE name = 'SetId'").arg(literal(kCopy), literal(schemaName)));
    return column.step();
}

CopyIdentity readIdentity(sqlite3* db, const QString& schemaName)
{
    const QString setId = hasSetId(db, schemaName) ? QStringLiteral("SetId") : QStringLiteral("''");
    Sql read(db, QStringLiteral("SELECT ReplicaId, Description, Generation, %1 FROM %2.%3").arg(setId, quoted(schemaName), quoted(kCopy)));
    if (!read.step())
        throw Error(ErrorKind::NotAStore, QStringLiteral("The copy has no replica id"));
    return {read.text(0), read.text(1), read.integer(2), read.isNull(3) ? QString() : read.text(3)};
}

// Starts a set of copies of its own: the store was made replicable (again).
void startNewSet(sqlite3* db)
{
    exec(db, QStringLiteral("UPDATE %1 SET SetId = %2").arg(quoted(kCopy), QString::fromUtf16(kNewGuid)));
}

void writeIdentity(sqlite3* db, const QString& replicaId, const QString& description)
{
    Sql write(db, QStringLiteral("UPDATE %1 SET ReplicaId = ?, Description = ?").arg(quoted(kCopy)));
    write.bind(1, replicaId).bind(2, description).run();
}

QString newGuid(sqlite3* db)
{
    Sql guid(db, QStringLiteral("SELECT ") + QString::fromUtf16(kNewGuid));
    guid.step();
    return guid.text(0);
}

// Merging --------------------------------------------------------------------------------------

// Merges the changes of the copy attached as "replica" into the store (schema "main"), inside
// the caller's transaction. Answers whether either side had anything the other lacks.
class Merge {
public:
    Merge(sqlite3* db) : m_db(db) {}

    bool run()
    {
        const CopyIdentity local = readIdentity(m_db, QStringLiteral("main"));
        const CopyIdentity remote = readIdentity(m_db, QStringLiteral("replica"));
        m_localId = local.replicaId;
        m_remoteId = remote.replicaId;

        const bool localChanged = any(QStringLiteral("main"));
        const bool remoteChanged = any(QStringLiteral("replica"));
        if (!localChanged && !remoteChanged && local.generation == remote.generation)
            return false;

        // Rows written in the copy, in each table's order, so that rows new to the store keep
        // the order in which they were added there. The products go their own way.
        const QString notProducts = QStringLiteral("TableName NOT IN (%1, %2)").arg(literal(kPrices), literal(kStock));
        {
            Sql rows(m_db, QStringLiteral("SELECT TableName, RowKey, RowGuid, Edits FROM replica.%1 WHERE Changed AND %2 ORDER BY TableName, RowKey")
                               .arg(quoted(kRows), notProducts));
            while (rows.step()) {
                if (const TableDef* table = schema::table(rows.text(0)))
                    mergeRow(*table, rows.integer(1), rows.text(2), rows.integer(3));
            }
        }
        {
            Sql tombstones(m_db, QStringLiteral("SELECT TableName, RowGuid, Edits FROM replica.%1 WHERE Changed AND %2").arg(quoted(kTombstones), notProducts));
            while (tombstones.step()) {
                if (const TableDef* table = schema::table(tombstones.text(0)))
                    mergeDeletion(*table, tombstones.text(1), tombstones.integer(2));
            }
        }
        mergeProducts();
        exec(m_db, QStringLiteral("UPDATE main.%1 SET Changed = 0 WHERE Changed").arg(quoted(kRows)));
        exec(m_db, QStringLiteral("UPDATE main.%1 SET Changed = 0 WHERE Changed").arg(quoted(kTombstones)));
        cached(QStringLiteral("UPDATE main.%1 SET Generation = ?").arg(quoted(kCopy))).bind(1, std::max(local.generation, remote.generation) + 1).run();
        return true;
    }

private:
    struct Tracked {
        QString table;
        std::int64_t key = 0;
        std::int64_t edits = 0;
        bool changed = false;
    };

    // One row of a product table as one copy has it: the row, or its tombstone.
    struct Side {
        bool live = false;
        std::int64_t key = 0;
        std::int64_t edits = 0;
        bool changed = false;
    };

    // One row of a product table in both copies.
    struct ProductRow {
        const TableDef* table = nullptr;
        bool price = false;
        QString guid;
        std::optional<Side> local;
        std::optional<Side> remote;
        int remoteRank = INT_MAX;
        int localRank = INT_MAX;
        int parent = -1; // the rows of one product are joined under one of them
    };

    // Every row of both product tables in both copies: the rows in key order (a row without
    // bookkeeping keeps its place, as -1), then the tombstones.
    struct Catalogue {
        std::vector<ProductRow> rows;
        QHash<QString, int> byGuid;
        std::vector<int> ranked[2][2]; // [remote][price]

        int at(const TableDef& table, bool price, const QString& guid)
        {
            const auto found = byGuid.constFind(guid);
            if (found != byGuid.cend())
                return *found;
            rows.push_back({&table, price, guid, std::nullopt, std::nullopt, INT_MAX, INT_MAX, int(rows.size())});
            byGuid.insert(guid, int(rows.size()) - 1);
            return int(rows.size()) - 1;
        }
        int root(int row)
        {
            while (rows[std::size_t(row)].parent != row) {
                rows[std::size_t(row)].parent = rows[std::size_t(rows[std::size_t(row)].parent)].parent;
                row = rows[std::size_t(row)].parent;
            }
            return row;
        }
        void join(int a, int b) { rows[std::size_t(root(a))].parent = root(b); }
    };

    static const TableDef& productTable(bool price) { return *schema::table(price ? kPrices : kStock); }

    void readProducts(Catalogue& catalogue, bool remote)
    {
        const QString schemaName = remote ? QStringLiteral("replica") : QStringLiteral("main");
        for (const bool price : {true, false}) {
            const TableDef& table = productTable(price);
            std::vector<int>& ranked = catalogue.ranked[remote][price];
            Sql rows(m_db, QStringLiteral("SELECT t.rowid, r.RowGuid, r.Edits, r.Changed FROM %1.%2 t LEFT JOIN %1.%3 r ON r.TableName = %4 AND r.RowKey = t.rowid "
                                          "ORDER BY t.rowid")
                               .arg(quoted(schemaName), quoted(table.name), quoted(kRows), literal(table.name)));
            while (rows.step()) {
                if (rows.isNull(1)) {
                    ranked.push_back(-1);
                    continue;
                }
                const int row = catalogue.at(table, price, rows.text(1));
                ProductRow& r = catalogue.rows[std::size_t(row)];
                (remote ? r.remote : r.local) = Side{true, rows.integer(0), rows.integer(2), rows.integer(3) != 0};
                (remote ? r.remoteRank : r.localRank) = int(ranked.size());
                ranked.push_back(row);
            }
            Sql tombstones(m_db, QStringLiteral("SELECT RowGuid, Edits, Changed FROM %1.%2 WHERE TableName = %3").arg(quoted(schemaName), quoted(kTombstones), literal(table.name)));
            while (tombstones.step()) {
                ProductRow& r = catalogue.rows[std::size_t(catalogue.at(table, price, tombstones.text(0)))];
                if (!(remote ? r.remote : r.local))
                    (remote ? r.remote : r.local) = Side{false, 0, tombstones.integer(1), tombstones.integer(2) != 0};
            }
        }
    }

    // The products of one copy: its n-th price row with its n-th stock row, by their guids.
    static QSet<QString> productsOf(const Catalogue& catalogue, bool remote)
    {
        QSet<QString> products;
        const std::vector<int>& prices = catalogue.ranked[remote][1];
        const std::vector<int>& stock = catalogue.ranked[remote][0];
        for (std::size_t i = 0; i < std::min(prices.size(), stock.size()); ++i) {
            if (prices[i] >= 0 && stock[i] >= 0)
                products.insert(catalogue.rows[std::size_t(prices[i])].guid + u'/' + catalogue.rows[std::size_t(stock[i])].guid);
        }
        return products;
    }

    // Merges the product tables product by product. A product is the price row and the stock row
    // at the same position in their tables, in either copy. A product changed in the copy is
    // merged row by row as long as neither copy deleted it or both did; when one copy deleted it
    // and the other changed it, the product is decided as a whole: the side with more edits (the
    // deletion's, against the highest of the kept rows') wins, a tie going to the store, and both
    // rows are kept or both deleted. Rows new to the store are appended a product at a time, in the
    // copy's order, so that both tables grow together.
    void mergeProducts()
    {
        const QString productTables = QStringLiteral("TableName IN (%1, %2)").arg(literal(kPrices), literal(kStock));
        {
            // Without a product deleted in the copy, or a row the copy wrote that the store
            // deleted, no product is deleted on one side and changed on the other: the rows are
            // merged one by one, the rows new to the store appended in the copy's order.
            Sql deleted(m_db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM replica.%2 WHERE Changed AND %3) "
                                             "OR EXISTS (SELECT 1 FROM replica.%1 r JOIN main.%2 t ON t.RowGuid = r.RowGuid WHERE r.Changed AND r.%3)")
                                  .arg(quoted(kRows), quoted(kTombstones), productTables));
            deleted.step();
            if (deleted.integer(0) == 0) {
                Sql rows(m_db, QStringLiteral("SELECT TableName, RowKey, RowGuid, Edits FROM replica.%1 WHERE Changed AND %2 ORDER BY TableName, RowKey")
                                   .arg(quoted(kRows), productTables));
                while (rows.step())
                    mergeRow(*schema::table(rows.text(0)), rows.integer(1), rows.text(2), rows.integer(3));
                return;
            }
        }
        Catalogue catalogue;
        readProducts(catalogue, false);
        readProducts(catalogue, true);
        const QSet<QString> localBefore = productsOf(catalogue, false);
        const QSet<QString> remoteBefore = productsOf(catalogue, true);
        // A copy whose tables were out of step already (another program wrote them) is merged as
        // well as it can be, unchecked.
        const bool localMatched = catalogue.ranked[0][1].size() == catalogue.ranked[0][0].size();
        const bool remoteMatched = catalogue.ranked[1][1].size() == catalogue.ranked[1][0].size();
        for (const bool remote : {false, true}) {
            const std::vector<int>& prices = catalogue.ranked[remote][1];
            const std::vector<int>& stock = catalogue.ranked[remote][0];
            for (std::size_t i = 0; i < std::min(prices.size(), stock.size()); ++i) {
                if (prices[i] >= 0 && stock[i] >= 0)
                    catalogue.join(prices[i], stock[i]);
            }
        }

        // The products, in the copy's order (then the store's), each with its price row first.
        std::map<int, std::vector<int>> byRoot;
        for (int row = 0; row < int(catalogue.rows.size()); ++row)
            byRoot[catalogue.root(row)].push_back(row);
        std::vector<std::vector<int>> products;
        for (auto& [root, rows] : byRoot) {
            std::sort(rows.begin(), rows.end(), [&](int a, int b) {
                const auto order = [&](int row) {
                    const ProductRow& r = catalogue.rows[std::size_t(row)];
                    return std::tuple(!r.price, r.remoteRank, r.localRank, row);
                };
                return order(a) < order(b);
            });
            products.push_back(std::move(rows));
        }
        const auto firstRank = [&](const std::vector<int>& rows) {
            int remote = INT_MAX;
            int local = INT_MAX;
            for (int row : rows) {
                remote = std::min(remote, catalogue.rows[std::size_t(row)].remoteRank);
                local = std::min(local, catalogue.rows[std::size_t(row)].localRank);
            }
            return std::pair(remote, local);
        };
        std::stable_sort(products.begin(), products.end(), [&](const auto& a, const auto& b) { return firstRank(a) < firstRank(b); });

        for (const std::vector<int>& rows : products)
            mergeProduct(catalogue, rows);

        // Whatever happened, the store's products are products of one copy or the other.
        catalogue = Catalogue();
        readProducts(catalogue, false);
        const bool matched = catalogue.ranked[0][1].size() == catalogue.ranked[0][0].size();
        bool paired = true;
        for (const QString& product : productsOf(catalogue, false))
            paired = paired && (localBefore.contains(product) || remoteBefore.contains(product));
        if (localMatched && remoteMatched && (!paired || !matched))
            throw ReplicaDatabase::Failure(ReplicaDatabase::Failure::Kind::Other,
                QStringLiteral("The products of the store and of the replica cannot be matched up; neither file was changed"));
    }

    void mergeProduct(Catalogue& catalogue, const std::vector<int>& rows)
    {
        bool remoteChanged = false;
        bool localChanged = false;
        bool localDeleted = false;
        bool remoteDeleted = false;
        for (int row : rows) {
            const ProductRow& r = catalogue.rows[std::size_t(row)];
            remoteChanged = remoteChanged || (r.remote && r.remote->changed);
            localChanged = localChanged || (r.local && r.local->changed);
            localDeleted = localDeleted || (r.local && !r.local->live);
            remoteDeleted = remoteDeleted || (r.remote && !r.remote->live);
        }
        if (!remoteChanged)
            return; // the store has it as it should be

        if (localDeleted == remoteDeleted) {
            for (int row : rows) {
                const ProductRow& r = catalogue.rows[std::size_t(row)];
                if (!r.remote || !r.remote->changed)
                    continue;
                if (r.remote->live)
                    mergeRow(*r.table, r.remote->key, r.guid, r.remote->edits);
                else
                    mergeDeletion(*r.table, r.guid, r.remote->edits);
            }
            return;
        }

        // Deleted on one side, kept on the other: the more edited side decides for both rows.
        const auto edits = [&](bool remote) {
            std::int64_t most = -1;
            for (int row : rows) {
                const std::optional<Side>& side = remote ? catalogue.rows[std::size_t(row)].remote : catalogue.rows[std::size_t(row)].local;
                if (side && side->live != (remote ? remoteDeleted : localDeleted))
                    most = std::max(most, side->edits);
            }
            return most;
        };
        const bool storeWins = edits(false) >= edits(true);
        const bool keep = storeWins ? remoteDeleted : localDeleted;
        const bool conflict = localChanged; // both sides wrote the product

        for (int row : rows) {
            const ProductRow& r = catalogue.rows[std::size_t(row)];
            if (!conflict)
                continue;
            const std::optional<Side>& loser = storeWins ? r.remote : r.local;
            const std::optional<Side>& winner = storeWins ? r.local : r.remote;
            if (!loser)
                continue;
            const QString loserSchema = storeWins ? QStringLiteral("replica") : QStringLiteral("main");
            const QString winnerSchema = storeWins ? QStringLiteral("main") : QStringLiteral("replica");
            keepLoser(*r.table, r.guid, storeWins ? m_remoteId : m_localId, loser->edits, winner ? winner->edits : 0,
                loser->live ? rowJson(*r.table, loserSchema, loser->key) : std::nullopt,
                winner && winner->live ? rowJson(*r.table, winnerSchema, winner->key) : std::nullopt);
        }

        if (!keep) {
            // Both rows go; a deletion that came from the copy is recorded as the store's own.
            for (int row : rows) {
                const ProductRow& r = catalogue.rows[std::size_t(row)];
                if (r.local && r.local->live) {
                    cached(QStringLiteral("DELETE FROM main.%1 WHERE rowid = ?").arg(quoted(r.table->name))).bind(1, r.local->key).run();
                    if (!storeWins && r.remote && !r.remote->live)
                        cached(QStringLiteral("UPDATE main.%1 SET Edits = ?, Changed = 0 WHERE RowGuid = ?").arg(quoted(kTombstones))).bind(1, r.remote->edits).bind(2, r.guid).run();
                } else if (!r.local && r.remote && !r.remote->live) {
                    mergeDeletion(*r.table, r.guid, r.remote->edits);
                }
            }
            return;
        }
        if (storeWins)
            return; // the store kept the product: the copy takes it back with the store's file

        // The copy's product comes back: each row the store deleted is put back under its old key
        // when that key is free in both tables at the same position, else the product is appended
        // to both tables together.
        std::vector<const ProductRow*> back;
        for (int row : rows) {
            const ProductRow& r = catalogue.rows[std::size_t(row)];
            if (!r.remote || !r.remote->live)
                continue;
            if (r.local && r.local->live)
                mergeRow(*r.table, r.remote->key, r.guid, r.remote->edits);
            else
                back.push_back(&r);
        }
        for (const ProductRow* r : back)
            cached(QStringLiteral("DELETE FROM main.%1 WHERE RowGuid = ?").arg(quoted(kTombstones))).bind(1, r->guid).run();
        bool inPlace = back.size() == 2 && back[0]->price != back[1]->price;
        std::int64_t position = -1;
        for (std::size_t i = 0; inPlace && i < back.size(); ++i) {
            Sql& taken = cached(QStringLiteral("SELECT EXISTS (SELECT 1 FROM main.%1 WHERE rowid = ?1), (SELECT count(*) FROM main.%1 WHERE rowid < ?1)")
                                    .arg(quoted(back[i]->table->name)));
            taken.bind(1, back[i]->remote->key);
            taken.step();
            inPlace = taken.integer(0) == 0 && (position < 0 || position == taken.integer(1));
            position = taken.integer(1);
            taken.reset();
        }
        for (const ProductRow* r : back)
            insertRow(*r->table, r->remote->key, r->guid, r->remote->edits, inPlace);
    }

    bool any(const QString& schemaName)
    {
        Sql rows(m_db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1.%2 WHERE Changed) OR EXISTS (SELECT 1 FROM %1.%3 WHERE Changed)")
                           .arg(quoted(schemaName), quoted(kRows), quoted(kTombstones)));
        rows.step();
        return rows.integer(0) != 0;
    }

    Sql& cached(const QString& sql)
    {
        std::unique_ptr<Sql>& slot = m_statements[sql];
        if (!slot)
            slot = std::make_unique<Sql>(m_db, sql);
        slot->reset();
        return *slot;
    }

    std::optional<Tracked> localRow(const QString& guid)
    {
        Sql& find = cached(QStringLiteral("SELECT TableName, RowKey, Edits, Changed FROM main.%1 WHERE RowGuid = ?").arg(quoted(kRows)));
        find.bind(1, guid);
        if (!find.step())
            return std::nullopt;
        Tracked found{find.text(0), find.integer(1), find.integer(2), find.integer(3) != 0};
        find.reset();
        return found;
    }

    std::optional<Tracked> localTombstone(const QString& guid)
    {
        Sql& find = cached(QStringLiteral("SELECT TableName, Edits, Changed FROM main.%1 WHERE RowGuid = ?").arg(quoted(kTombstones)));
        find.bind(1, guid);
        if (!find.step())
            return std::nullopt;
        Tracked found{find.text(0), 0, find.integer(1), find.integer(2) != 0};
        find.reset();
        return found;
    }

    std::optional<QString> rowJson(const TableDef& table, const QString& schemaName, std::int64_t key)
    {
        Sql& read = cached(rowJsonSql(table, schemaName));
        read.bind(1, key);
        if (!read.step())
            return std::nullopt;
        QString json = read.text(0);
        read.reset();
        return json;
    }

    // Keeps the losing side of a row written in both copies; `row` is null for a deletion.
    void keepLoser(const TableDef& table, const QString& guid, const QString& loserCopy, std::int64_t loserEdits, std::int64_t winnerEdits,
        const std::optional<QString>& row, const std::optional<QString>& winner)
    {
        // Both sides wrote the same thing: there is nothing to choose between.
        if (row == winner)
            return;
        Sql& keep = cached(QStringLiteral("INSERT INTO main.%1 (TableName, RowGuid, LoserCopy, LoserEdits, WinnerEdits, Deleted, Row, Synchronized) "
                                          "VALUES (?, ?, ?, ?, ?, ?, ?, strftime('%Y-%m-%dT%H:%M:%SZ', 'now'))")
                               .arg(quoted(kConflicts)));
        keep.bind(1, table.qName()).bind(2, guid).bind(3, loserCopy).bind(4, loserEdits).bind(5, winnerEdits).bind(6, row ? 0 : 1);
        if (row)
            keep.bind(7, *row);
        else
            keep.bindNull(7);
        keep.run();
    }

    void setTracking(const TableDef& table, std::int64_t key, const QString& guid, std::int64_t edits)
    {
        cached(QStringLiteral("UPDATE main.%1 SET RowGuid = ?, Edits = ?, Changed = 0 WHERE TableName = ? AND RowKey = ?").arg(quoted(kRows)))
            .bind(1, guid)
            .bind(2, edits)
            .bind(3, table.qName())
            .bind(4, key)
            .run();
    }

    // Appends the copy's row to the store's table, under the copy's row id; with `sameKey`, puts
    // it under the key it has in the copy instead.
    void insertRow(const TableDef& table, std::int64_t remoteKey, const QString& guid, std::int64_t edits, bool sameKey = false)
    {
        const QString fields = fieldNames(table).join(QStringLiteral(", "));
        if (sameKey)
            cached(QStringLiteral("INSERT INTO main.%1 (rowid, %2) SELECT rowid, %2 FROM replica.%1 WHERE rowid = ?").arg(quoted(table.name), fields)).bind(1, remoteKey).run();
        else
            cached(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM replica.%1 WHERE rowid = ?").arg(quoted(table.name), fields)).bind(1, remoteKey).run();
        setTracking(table, sqlite3_last_insert_rowid(m_db), guid, edits);
    }

    void mergeRow(const TableDef& table, std::int64_t remoteKey, const QString& guid, std::int64_t edits)
    {
        const std::optional<QString> remote = rowJson(table, QStringLiteral("replica"), remoteKey);
        if (!remote)
            return; // bookkeeping without its row: nothing to bring over
        if (const std::optional<Tracked> local = localRow(guid)) {
            if (local->table != table.qName())
                return;
            // The store's row matters only when it was written since the last synchronisation.
            const std::optional<QString> mine = local->changed ? rowJson(table, QStringLiteral("main"), local->key) : std::nullopt;
            if (edits > local->edits) {
                if (local->changed)
                    keepLoser(table, guid, m_localId, local->edits, edits, mine, remote);
                const QStringList fields = fieldNames(table);
                const QString list = fields.join(QStringLiteral(", "));
                cached(QStringLiteral("UPDATE main.%1 SET (%2) = (SELECT %2 FROM replica.%1 WHERE rowid = ?) WHERE rowid = ?").arg(quoted(table.name), list))
                    .bind(1, remoteKey)
                    .bind(2, local->key)
                    .run();
                cached(QStringLiteral("UPDATE main.%1 SET Edits = ?, Changed = 0 WHERE TableName = ? AND RowKey = ?").arg(quoted(kRows)))
                    .bind(1, edits)
                    .bind(2, table.qName())
                    .bind(3, local->key)
                    .run();
            } else if (local->changed) {
                // The store's row was written as often or more: it stays.
                keepLoser(table, guid, m_remoteId, edits, local->edits, remote, mine);
            }
            return;
        }
        if (const std::optional<Tracked> tombstone = localTombstone(guid)) {
            if (edits > tombstone->edits) {
                if (tombstone->changed)
                    keepLoser(table, guid, m_localId, tombstone->edits, edits, std::nullopt, remote);
                cached(QStringLiteral("DELETE FROM main.%1 WHERE RowGuid = ?").arg(quoted(kTombstones))).bind(1, guid).run();
                insertRow(table, remoteKey, guid, edits);
            } else if (tombstone->changed) {
                keepLoser(table, guid, m_remoteId, edits, tombstone->edits, remote, std::nullopt);
            }
            return;
        }
        insertRow(table, remoteKey, guid, edits);
    }

    void mergeDeletion(const TableDef& table, const QString& guid, std::int64_t edits)
    {
        if (const std::optional<Tracked> local = localRow(guid)) {
            if (local->table != table.qName())
                return;
            const std::optional<QString> mine = local->changed ? rowJson(table, QStringLiteral("main"), local->key) : std::nullopt;
            if (edits > local->edits) {
                if (local->changed)
                    keepLoser(table, guid, m_localId, local->edits, edits, mine, std::nullopt);
                cached(QStringLiteral("DELETE FROM main.%1 WHERE rowid = ?").arg(quoted(table.name))).bind(1, local->key).run();
                cached(QStringLiteral("UPDATE main.%1 SET Edits = ?, Changed = 0 WHERE RowGuid = ?").arg(quoted(kTombstones))).bind(1, edits).bind(2, guid).run();
            } else if (local->changed) {
                keepLoser(table, guid, m_remoteId, edits, local->edits, std::nullopt, mine);
            }
            return;
        }
        if (localTombstone(guid))
            return;
        cached(QStringLiteral("INSERT INTO main.%1 (RowGuid, TableName, Edits, Changed) VALUES (?, ?, ?, 0)").arg(quoted(kTombstones)))
            .bind(1, guid)
            .bind(2, table.qName())
            .bind(3, edits)
            .run();
    }

    sqlite3* m_db;
    QString m_localId;
    QString m_remoteId;
    std::map<QString, std::unique_ptr<Sql>> m_statements;
};

} // namespace

// Tracking -------------------------------------------------------------------------------------

namespace tracking {

bool isReplicable(sqlite3* db)
{
    return readProperty(db, QString::fromUtf16(kReplicable)) == QStringLiteral("T");
}

bool installed(sqlite3* db)
{
    for (const char16_t* table : {kCopy, kRows, kTombstones, kConflicts}) {
        if (!tableExists(db, table))
            return false;
    }
    QStringList names;
    for (const TableDef& table : schema::tables()) {
        for (const char* event : {"inserted", "updated", "deleted"})
            names << literal(QStringLiteral("Replication %1 %2").arg(table.qName(), QLatin1String(event)));
    }
    Sql count(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND name IN (%1)").arg(names.join(QStringLiteral(", "))));
    count.step();
    return count.integer(0) == names.size();
}

void install(sqlite3* db)
{
    const QString rows = quoted(kRows);
    const QString tombstones = quoted(kTombstones);
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (ReplicaId TEXT NOT NULL, Description TEXT NOT NULL, Generation INTEGER NOT NULL DEFAULT 0, "
                            "SetId TEXT NOT NULL DEFAULT '')")
                 .arg(quoted(kCopy)));
    // A copy made before copies carried their set keeps the empty set, which its replicas share.
    if (!hasSetId(db, QStringLiteral("main")))
        exec(db, QStringLiteral("ALTER TABLE %1 ADD COLUMN SetId TEXT NOT NULL DEFAULT ''").arg(quoted(kCopy)));
    exec(db, QStringLiteral("INSERT INTO %1 (ReplicaId, Description, SetId) SELECT %2, '', %2 WHERE NOT EXISTS (SELECT 1 FROM %1)")
                 .arg(quoted(kCopy), QString::fromUtf16(kNewGuid)));
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (TableName TEXT NOT NULL, RowKey INTEGER NOT NULL, RowGuid TEXT NOT NULL UNIQUE, "
                            "Edits INTEGER NOT NULL, Changed INTEGER NOT NULL, PRIMARY KEY (TableName, RowKey)) WITHOUT ROWID")
                 .arg(rows));
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (RowGuid TEXT PRIMARY KEY, TableName TEXT NOT NULL, Edits INTEGER NOT NULL, "
                            "Changed INTEGER NOT NULL) WITHOUT ROWID")
                 .arg(tombstones));
    exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (Changed) WHERE Changed").arg(quoted(u"Replication Rows changed"), rows));
    exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (Changed) WHERE Changed").arg(quoted(u"Replication Tombstones changed"), tombstones));
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (Id INTEGER PRIMARY KEY AUTOINCREMENT, TableName TEXT NOT NULL, RowGuid TEXT NOT NULL, "
                            "LoserCopy TEXT NOT NULL, LoserEdits INTEGER NOT NULL, WinnerEdits INTEGER NOT NULL, Deleted INTEGER NOT NULL, Row TEXT, "
                            "Synchronized TEXT NOT NULL)")
                 .arg(quoted(kConflicts)));

    const QString guid = QString::fromUtf16(kNewGuid);
    for (const TableDef& table : schema::tables()) {
        const QString name = quoted(table.name);
        const QString tableName = literal(table.name);
        for (const char* event : {"inserted", "updated", "deleted"})
            exec(db, QStringLiteral("DROP TRIGGER IF EXISTS ") + triggerName(table, event));
        // A new row is tracked as written once.
        exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN "
                                "INSERT OR REPLACE INTO %3 (TableName, RowKey, RowGuid, Edits, Changed) VALUES (%4, NEW.rowid, %5, 1, 1); END")
                     .arg(triggerName(table, "inserted"), name, rows, tableName, guid));
        // A written row counts one more edit (and follows its key, should another tool change it;
        // the key is left alone otherwise, as moving it rewrites the bookkeeping row).
        exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE ON %2 BEGIN "
                                "UPDATE %3 SET RowKey = NEW.rowid WHERE NEW.rowid <> OLD.rowid AND TableName = %4 AND RowKey = OLD.rowid; "
                                "UPDATE %3 SET Edits = Edits + 1, Changed = 1 WHERE TableName = %4 AND RowKey = NEW.rowid; "
                                "INSERT OR IGNORE INTO %3 (TableName, RowKey, RowGuid, Edits, Changed) VALUES (%4, NEW.rowid, %5, 1, 1); END")
                     .arg(triggerName(table, "updated"), name, rows, tableName, guid));
        // A deleted row leaves a tombstone under its name.
        exec(db, QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 BEGIN "
                                "INSERT OR REPLACE INTO %3 (RowGuid, TableName, Edits, Changed) "
                                "SELECT RowGuid, TableName, Edits + 1, 1 FROM %4 WHERE TableName = %5 AND RowKey = OLD.rowid; "
                                "DELETE FROM %4 WHERE TableName = %5 AND RowKey = OLD.rowid; END")
                     .arg(triggerName(table, "deleted"), name, tombstones, rows, tableName));

        // Bookkeeping brought in line with the rows: rows it lost track of, and rows gone.
        exec(db, QStringLiteral("INSERT OR REPLACE INTO %1 (RowGuid, TableName, Edits, Changed) SELECT RowGuid, TableName, Edits + 1, 1 FROM %2 r "
                                "WHERE TableName = %3 AND NOT EXISTS (SELECT 1 FROM %4 WHERE rowid = r.RowKey)")
                     .arg(tombstones, rows, tableName, name));
        exec(db, QStringLiteral("DELETE FROM %1 WHERE TableName = %2 AND RowKey NOT IN (SELECT rowid FROM %3)").arg(rows, tableName, name));
        exec(db, QStringLiteral("INSERT INTO %1 (TableName, RowKey, RowGuid, Edits, Changed) SELECT %2, rowid, %3, 1, 1 FROM %4 "
                                "WHERE rowid NOT IN (SELECT RowKey FROM %1 WHERE TableName = %2)")
                     .arg(rows, tableName, guid, name));
    }
}

} // namespace tracking

// ReplicaDatabase ----------------------------------------------------------------------------

ReplicaDatabase::Failure::Failure(Kind kind, const QString& message) : std::runtime_error(message.toStdString()), m_kind(kind) {}

ReplicaDatabase::ReplicaDatabase(QString name, sqlite3* db, Store* released) : m_name(std::move(name)), m_db(db), m_released(released) {}

std::unique_ptr<ReplicaDatabase> ReplicaDatabase::open(const QString& path, Use use, Store* program)
{
    Store* released = nullptr;
    if (use == Use::Exclusive && program && !program->isReleased() && sameFile(program->path(), path)) {
        program->release();
        released = program;
    }
    try {
        // The checks of the program's own open, and the same upgrade of an older store.
        std::unique_ptr<Store> opened = Store::openExisting(path, Store::Check::Now);
        sqlite3* db = opened->m_db;
        opened->m_db = nullptr;
        std::unique_ptr<ReplicaDatabase> database(new ReplicaDatabase(path, db, released));
        released = nullptr; // the database restores it from now on
        if (use == Use::Exclusive)
            takeExclusive(db, path);
        return database;
    } catch (...) {
        if (released)
            released->restore();
        throw;
    }
}

ReplicaDatabase::~ReplicaDatabase()
{
    try {
        close();
    } catch (...) {
        // The program's connection stays released: its next use says the store is put aside.
    }
}

void ReplicaDatabase::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
    if (Store* program = m_released) {
        m_released = nullptr;
        program->restore();
    }
}

namespace {

void requireOpen(sqlite3* db)
{
    if (!db)
        throw ReplicaDatabase::Failure(ReplicaDatabase::Failure::Kind::Other, QStringLiteral("The database is closed"));
}

} // namespace

void ReplicaDatabase::appendProperty(const QString& propertyName, const QString& value)
{
    requireOpen(m_db);
    Transaction transaction(m_db);
    makePropertiesTable(m_db);
    if (readProperty(m_db, propertyName))
        throw Failure(Failure::Kind::PropertyExists, QStringLiteral("The store %1 has a property %2 already").arg(native(m_name), propertyName));
    Sql add(m_db, QStringLiteral("INSERT INTO %1 (Name, Value) VALUES (?, ?)").arg(quoted(kProperties)));
    add.bind(1, propertyName).bind(2, value).run();
    if (marksReplicable(propertyName, value)) {
        tracking::install(m_db);
        startNewSet(m_db);
    }
    transaction.commit();
}

void ReplicaDatabase::setProperty(const QString& propertyName, const QString& value)
{
    requireOpen(m_db);
    Transaction transaction(m_db);
    const std::optional<QString> before = readProperty(m_db, propertyName);
    if (!before)
        throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 has no property %2").arg(native(m_name), propertyName));
    if (marksReplicable(propertyName, *before) && !marksReplicable(propertyName, value))
        throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 is replicable and stays so").arg(native(m_name)));
    Sql set(m_db, QStringLiteral("UPDATE %1 SET Value = ? WHERE Name = ?").arg(quoted(kProperties)));
    set.bind(1, value).bind(2, propertyName).run();
    if (marksReplicable(propertyName, value) && !marksReplicable(propertyName, *before)) {
        tracking::install(m_db);
        startNewSet(m_db);
    } else if (marksReplicable(propertyName, value) && !tracking::installed(m_db)) {
        tracking::install(m_db);
    }
    transaction.commit();
}

QString ReplicaDatabase::property(const QString& propertyName) const
{
    requireOpen(m_db);
    const std::optional<QString> value = readProperty(m_db, propertyName);
    if (!value)
        throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 has no property %2").arg(native(m_name), propertyName));
    return *value;
}

void ReplicaDatabase::makeReplica(const QString& path, const QString& description)
{
    requireOpen(m_db);
    if (!tracking::isReplicable(m_db) || !tracking::installed(m_db))
        throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 is not replicable").arg(native(m_name)));
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw Failure(Failure::Kind::Other, QStringLiteral("There is a file at %1 already").arg(native(path)));
    if (!target.absoluteDir().exists())
        throw Failure(Failure::Kind::Other, QStringLiteral("There is no folder %1").arg(native(target.absolutePath())));

    const QString building = path + QStringLiteral(".replica-new");
    writeCopy(m_db, building, [&](sqlite3* copy) {
        Transaction transaction(copy);
        writeIdentity(copy, newGuid(copy), description);
        // The copies are in step: nothing of either is news to the other.
        exec(copy, QStringLiteral("UPDATE %1 SET Changed = 0 WHERE Changed").arg(quoted(kRows)));
        exec(copy, QStringLiteral("UPDATE %1 SET Changed = 0 WHERE Changed").arg(quoted(kTombstones)));
        transaction.commit();
    });
    try {
        if (QFileInfo::exists(path))
            failFile(QStringLiteral("There is a file at %1 already").arg(native(path)));
        moveIntoPlace(building, path);
    } catch (...) {
        removeWithJournals(building);
        throw;
    }
    // The store is in step with its new replica too.
    Transaction transaction(m_db);
    exec(m_db, QStringLiteral("UPDATE %1 SET Changed = 0 WHERE Changed").arg(quoted(kRows)));
    exec(m_db, QStringLiteral("UPDATE %1 SET Changed = 0 WHERE Changed").arg(quoted(kTombstones)));
    transaction.commit();
}

void ReplicaDatabase::synchronize(const QString& path)
{
    requireOpen(m_db);
    if (!QFileInfo::exists(path))
        throw Failure(Failure::Kind::ReplicaNotFound, QStringLiteral("The replica %1 cannot be found").arg(native(path)));
    if (!tracking::isReplicable(m_db) || !tracking::installed(m_db))
        throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 is not replicable").arg(native(m_name)));
    if (sameFile(path, m_name))
        throw Failure(Failure::Kind::Other, QStringLiteral("The replica %1 is the store itself").arg(native(path)));
    // What an earlier synchronisation cut short left beside the replica goes first.
    const QString building = path + QStringLiteral(".sync-new");
    removeWithJournals(building);

    CopyIdentity identity;
    {
        // The replica is read in rollback-journal mode: it then has no log beside it that a file
        // moved over it would not match. Switching needs the file to itself, and recovers
        // whatever a crash left in its log. Only its changed rows are read, and the file is
        // replaced as a whole: a damaged page the merge reaches fails it, and the store keeps
        // nothing of it.
        Connection replica;
        replica.open(path, SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(replica.get(), 200);
        {
            Sql id(replica.get(), QStringLiteral("PRAGMA application_id"));
            if (!id.step() || id.integer(0) != schema::kApplicationId)
                throw Error(ErrorKind::NotAStore, QStringLiteral("The file %1 is not a Point of Sale store").arg(native(path)));
        }
        if (!tracking::isReplicable(replica.get()) || !tracking::installed(replica.get()))
            throw Failure(Failure::Kind::Other, QStringLiteral("The file %1 is not a replica of the store").arg(native(path)));
        // A copy of another set (the store was made replicable again since) has nothing in common
        // with the store but its looks: merging would double every row. Neither file is touched.
        if (readIdentity(replica.get(), QStringLiteral("main")).setId != readIdentity(m_db, QStringLiteral("main")).setId)
            throw Failure(Failure::Kind::Other, QStringLiteral("The file %1 is a replica of another store").arg(native(path)));
        try {
            exec(replica.get(), QStringLiteral("PRAGMA journal_mode = DELETE"));
        } catch (const Error& e) {
            // A disk that fails under the switch says so itself; anything else is another
            // program's hold on the replica.
            if (e.diskFailure())
                throw;
            throw Failure(Failure::Kind::Other, QStringLiteral("The replica %1 is in use by another program: %2").arg(native(path), e.message()));
        }
        identity = readIdentity(replica.get(), QStringLiteral("main"));
        replica.closeOrFail(QStringLiteral("close %1").arg(path));
    }

    bool merged = false;
    {
        Sql attach(m_db, QStringLiteral("ATTACH DATABASE ? AS replica"));
        attach.bind(1, path).run();
    }
    try {
        Transaction transaction(m_db);
        merged = Merge(m_db).run();
        transaction.commit();
    } catch (...) {
        sqlite3_exec(m_db, "DETACH DATABASE replica", nullptr, nullptr, nullptr);
        throw;
    }
    exec(m_db, QStringLiteral("DETACH DATABASE replica"));
    if (!merged)
        return;

    // The replica becomes an exact copy of the merged store, under its own id and description.
    writeCopy(m_db, building, [&](sqlite3* copy) {
        Transaction transaction(copy);
        writeIdentity(copy, identity.replicaId, identity.description);
        transaction.commit();
    });
    try {
        moveIntoPlace(building, path);
    } catch (...) {
        removeWithJournals(building);
        throw;
    }
}

// Replacing the store file ---------------------------------------------------------------------

void replaceStoreFile(const QString& source, const QString& target, Store* program)
{
    using Failure = ReplicaDatabase::Failure;
    if (!QFileInfo(source).isFile())
        throw Failure(Failure::Kind::Other, QStringLiteral("There is no store at %1").arg(native(source)));
    if (sameFile(source, target))
        throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 cannot be copied over itself").arg(native(target)));
    Store::check(source);

    Store* released = nullptr;
    if (program && !program->isReleased() && sameFile(program->path(), target)) {
        program->release();
        released = program;
    }
    const QString building = target + QStringLiteral(".copy-new");
    try {
        // The store is held for this connection alone while the copy is put in place, in
        // rollback-journal mode so that no log is left beside it that the copy would not match.
        Connection lock;
        if (QFileInfo::exists(target)) {
            lock.open(target, SQLITE_OPEN_READWRITE);
            sqlite3_busy_timeout(lock.get(), 200);
            try {
                exec(lock.get(), QStringLiteral("PRAGMA journal_mode = DELETE"));
                takeExclusive(lock.get(), target);
            } catch (const Error& e) {
                // A file that is no database is held by no database connection: it is replaced.
                if (e.kind() != ErrorKind::NotAStore)
                    throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 is in use by another program: %2").arg(native(target), e.message()));
                lock.close();
            }
            if (QFileInfo::exists(target + QStringLiteral("-wal")))
                throw Failure(Failure::Kind::Other, QStringLiteral("The store %1 keeps a log that cannot be closed").arg(native(target)));
        }

        Connection from;
        from.open(source, SQLITE_OPEN_READWRITE);
        writeCopy(from.get(), building, [](sqlite3*) {});
        from.closeOrFail(QStringLiteral("close %1").arg(source));
        moveIntoPlace(building, target);
        QFile::remove(target + QStringLiteral("-shm"));
    } catch (...) {
        removeWithJournals(building);
        if (released)
            released->restore();
        throw;
    }
    if (released)
        released->restore();
}

} // namespace store
