#include "store/store.h"

#include "store/convert.h"
#include "store/error.h"
#include "store/journal.h"
#include "store/record_source.h"
#include "store/replication_tracking.h"
#include "store/statement.h"

#include "platform/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

#include <cstring>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

#include <algorithm>
#include <exception>

namespace store {
namespace {

QString quoted(const QString& identifier)
{
    QString out = identifier;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

// The column definition of one field: its declared type, its default and the CHECK rule that
// keeps every path (ours or another SQLite tool's) from writing what the program cannot read.
QString columnSql(const FieldDef& field)
{
    const QString name = quoted(QString::fromUtf16(field.name));
    const QString isNullOr = name + QStringLiteral(" IS NULL OR ");
    switch (field.type) {
    case Type::Text:
        return name + QStringLiteral(" TEXT CHECK (") + isNullOr + QStringLiteral("typeof(") + name + QStringLiteral(") = 'text')");
    case Type::Whole:
        return name + QStringLiteral(" SMALLINT DEFAULT 0 CHECK (") + isNullOr + QStringLiteral("(typeof(") + name
            + QStringLiteral(") = 'integer' AND ") + name + QStringLiteral(" BETWEEN -32768 AND 32767))");
    case Type::Number:
        return name + QStringLiteral(" DOUBLE DEFAULT 0 CHECK (") + isNullOr + QStringLiteral("typeof(") + name + QStringLiteral(") = 'real')");
    case Type::Currency:
        return name + QStringLiteral(" CURRENCY DEFAULT 0 CHECK (") + isNullOr + QStringLiteral("typeof(") + name + QStringLiteral(") = 'integer')");
    case Type::Date:
        return name + QStringLiteral(" DATE CHECK (") + isNullOr + QStringLiteral("(typeof(") + name + QStringLiteral(") = 'text' AND date(")
            + name + QStringLiteral(") IS ") + name + QStringLiteral("))");
    case Type::Boolean:
        return name + QStringLiteral(" BOOLEAN DEFAULT 0 CHECK (") + isNullOr + name + QStringLiteral(" IN (0, 1))");
    }
    return name;
}

[[noreturn]] void notAStore(const QString& path, const QString& why)
{
    throw Error(ErrorKind::NotAStore,
        QStringLiteral("The file %1 is not a Point of Sale store (%2). It was left as it is.").arg(QDir::toNativeSeparators(path), why));
}

template <class T>
void addOnce(std::vector<T>& items, const T& item)
{
    if (std::find(items.begin(), items.end(), item) == items.end())
        items.push_back(item);
}

std::uint32_t bigEndian32(const QByteArray& bytes, int at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

// Reads the SQLite file header without opening the file as a database, so that a file that is
// not ours is never touched by the database engine.
void checkHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::IO, QStringLiteral("The store %1 cannot be read: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray header = file.read(100);
    const qint64 size = file.size();
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        notAStore(path, QStringLiteral("it is not a database file"));
    if (std::int32_t(bigEndian32(header, 68)) != schema::kApplicationId)
        notAStore(path, QStringLiteral("it is another program's database"));
    const auto* raw = reinterpret_cast<const unsigned char*>(header.constData());
    std::uint32_t pageSize = (std::uint32_t(raw[16]) << 8) | raw[17];
    if (pageSize == 1)
        pageSize = 65536;
    const std::uint32_t pageCount = bigEndian32(header, 28);
    const bool pageCountValid = bigEndian32(header, 24) == bigEndian32(header, 92);
    if (pageSize < 512 || (pageCountValid && qint64(pageSize) * pageCount > size))
        notAStore(path, QStringLiteral("the file is damaged or cut short"));
}

// The table as the store makes it under `name`: the row key, then every field.
QString createTableSql(const TableDef& table, const QString& name)
{
    QStringList columns{quoted(schema::kRowKey.toString()) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT")};
    for (const FieldDef& field : table.fields)
        columns << columnSql(field);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(name), columns.join(QStringLiteral(", ")));
}

QString fieldList(const TableDef& table)
{
    QStringList names;
    for (const FieldDef& field : table.fields)
        names << quoted(QString::fromUtf16(field.name));
    return names.join(QStringLiteral(", "));
}

// Gives every row of the tables a store of layout `version` already has a key of its own, in the
// order of their hidden row ids, which is the order they were added: each table is made again
// with its key and its rows copied over in that order.
void addRowKeys(Store& store, int version)
{
    for (const TableDef& table : schema::tables()) {
        if (table.since > version)
            continue;
        const QString name = table.qName();
        const QString keyed = name + QStringLiteral(" with keys");
        const QString fields = fieldList(table);
        store.exec(createTableSql(table, keyed));
        store.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3 ORDER BY rowid").arg(quoted(keyed), fields, quoted(name)));
        store.exec(QStringLiteral("DROP TABLE %1").arg(quoted(name)));
        store.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(keyed), quoted(name)));
    }
}

void addReport(Store& store, QStringView name, const QString& layout)
{
    Statement report = store.prepare(QStringLiteral("INSERT INTO %1 (\"Name\", \"Layout\") VALUES (?, ?)").arg(quoted(schema::kReportsTable.toString())));
    report.bindText(1, name.toString());
    report.bindText(2, layout);
    report.step();
}

// Makes the tables that came after `version` of the store's layout, with the rows they start
// with: the layouts of the receipt and of the day's report in the table of reports.
void addTables(Store& store, int version)
{
    for (const TableDef& table : schema::tables()) {
        if (table.since <= version)
            continue;
        store.exec(createTableSql(table, table.qName()));
        if (table.qName() == schema::kReportsTable)
            addReport(store, schema::kReceiptReport, schema::defaultReceiptLayout());
    }
    // The sales journal, with the layout of the day's report that is made from it.
    if (version < journal::kSince) {
        journal::install(store);
        addReport(store, schema::kDayReport, schema::defaultDayReportLayout());
    }
}

// The layout that gave every row a key of its own.
constexpr int kRowKeysSince = 3;

// Refuses a store that lacks a table, a field or a row key that its layout `version` should have.
void checkTables(Store& store, int version)
{
    for (const TableDef& table : schema::tables()) {
        if (table.since > version)
            continue;
        Statement info = store.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table.qName())));
        QSet<QString> columns;
        bool keyed = false;
        while (info.step()) {
            const QString column = info.columnText(1);
            columns.insert(column.toLower());
            // Only an INTEGER PRIMARY KEY is the row's id itself, kept as it is by VACUUM.
            if (column.compare(schema::kRowKey, Qt::CaseInsensitive) == 0 && info.columnInt(5) == 1
                && info.columnText(2).compare(u"INTEGER", Qt::CaseInsensitive) == 0)
                keyed = true;
        }
        if (columns.isEmpty())
            notAStore(store.path(), QStringLiteral("it has no table %1").arg(table.qName()));
        for (const FieldDef& field : table.fields) {
            if (!columns.contains(QString::fromUtf16(field.name).toLower()))
                notAStore(store.path(), QStringLiteral("its table %1 has no field %2").arg(table.qName(), QString::fromUtf16(field.name)));
        }
        if (version >= kRowKeysSince && !keyed)
            notAStore(store.path(), QStringLiteral("its table %1 has no row key %2").arg(table.qName(), schema::kRowKey.toString()));
    }
    if (version >= journal::kSince && !journal::installed(store))
        notAStore(store.path(), QStringLiteral("it has no sales journal"));
}

// Has SQLite read every page of the file before anything is written: a damaged store is
// refused as it is, not found out later in the middle of a sale.
bool isIntact(Store& store)
{
    try {
        Statement check = store.prepare(QStringLiteral("PRAGMA quick_check(1)"));
        return check.step() && check.columnText(0) == u"ok";
    } catch (const Error&) {
        return false; // a page too damaged even to be checked
    }
}

const QString kDamaged = QStringLiteral("the file is damaged or cut short");

void checkIntact(Store& store)
{
    if (!isIntact(store))
        notAStore(store.path(), kDamaged);
}

// The store's file checked on a connection of its own, which only reads: "ok" when sound,
// "damaged" when SQLite finds it damaged, and nothing when the check could not be made (the file
// busy, out of memory): the first write then checks on the store's own connection.
QString checkOnItsOwn(const QString& path)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    QString answer;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(raw, 2000);
        sqlite3_stmt* check = nullptr;
        int step = sqlite3_prepare_v2(raw, "PRAGMA quick_check(1)", -1, &check, nullptr);
        if (step == SQLITE_OK)
            step = sqlite3_step(check);
        if (step == SQLITE_ROW) {
            const auto* said = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
            answer = said && std::strcmp(said, "ok") == 0 ? QStringLiteral("ok") : QStringLiteral("damaged");
        } else if ((step & 0xff) == SQLITE_CORRUPT || (step & 0xff) == SQLITE_NOTADB) {
            answer = QStringLiteral("damaged");
        }
        sqlite3_finalize(check);
    }
    sqlite3_close_v2(raw);
    return answer;
}

// Puts the store in write-ahead mode. SQLite keeps the journal mode it had when it cannot switch
// (a file system without shared memory, for one), and says so only by the mode it answers.
bool inWriteAheadMode(Store& store)
{
    Statement mode = store.prepare(QStringLiteral("PRAGMA journal_mode"));
    return mode.step() && mode.columnText(0).compare(u"wal", Qt::CaseInsensitive) == 0;
}

void useWriteAheadLog(Store& store)
{
    QString mode;
    {
        Statement journal = store.prepare(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (journal.step())
            mode = journal.columnText(0);
    }
    if (mode.compare(u"wal", Qt::CaseInsensitive) != 0)
        throw Error(ErrorKind::IO,
            QStringLiteral("The store %1 cannot keep its write-ahead log here (its journal mode stays \"%2\"). The program does not run "
                           "without it: move the store to a local disk.")
                .arg(QDir::toNativeSeparators(store.path()), mode));
}

} // namespace

Store::Store(QString path, sqlite3* db) : m_path(std::move(path)), m_db(db), m_locale(convert::staffLocale()) {}

Store::~Store()
{
    if (m_integrityCheck.valid())
        m_integrityCheck.wait();
    sqlite3_close_v2(m_db);
}

void Store::checkInBackground()
{
    if (m_integrity != Integrity::Unchecked)
        return;
    m_integrityCheck = std::async(std::launch::async, checkOnItsOwn, m_path);
    m_integrity = Integrity::Checking;
}

void Store::ensureIntact()
{
    switch (m_integrity) {
    case Integrity::Checked:
        return;
    case Integrity::Unchecked:
        m_integrity = isIntact(*this) ? Integrity::Checked : Integrity::Damaged;
        break;
    case Integrity::Checking: {
        const QString answer = m_integrityCheck.get();
        if (answer.isEmpty()) // not made: made here
            m_integrity = isIntact(*this) ? Integrity::Checked : Integrity::Damaged;
        else
            m_integrity = answer == u"ok" ? Integrity::Checked : Integrity::Damaged;
        break;
    }
    case Integrity::Damaged:
        break;
    }
    if (m_integrity == Integrity::Damaged)
        notAStore(m_path, kDamaged);
}

std::unique_ptr<Store> Store::open(const QString& path, const QDate& today, Check check)
{
    if (!QFileInfo::exists(path)) {
        // Build the new store beside its final place and move it there once complete, so that an
        // interrupted first start never leaves half a store behind.
        const QFileInfo info(path);
        // The store holds the staff's passwords: a new one, with its journal files, is its owner's
        // alone.
        if (!platform::makePrivateFolder(info.absolutePath()))
            throw Error(ErrorKind::IO, QStringLiteral("The folder %1 cannot be made").arg(QDir::toNativeSeparators(info.absolutePath())));
        const QString building = path + QStringLiteral(".new");
        QFile::remove(building);
        if (!platform::makePrivateFile(building))
            throw Error(ErrorKind::IO, QStringLiteral("The store %1 cannot be made").arg(QDir::toNativeSeparators(path)));
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(building.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        std::unique_ptr<Store> fresh(new Store(building, raw));
        if (rc != SQLITE_OK)
            fresh->fail(rc, QStringLiteral("create %1").arg(building));
        fresh->exec(QStringLiteral("PRAGMA application_id = %1").arg(schema::kApplicationId));
        fresh->exec(QStringLiteral("PRAGMA user_version = %1").arg(schema::kSchemaVersion));
        fresh->exec(QStringLiteral("BEGIN"));
        addTables(*fresh, 0);
        Statement day = fresh->prepare(QStringLiteral("INSERT INTO \"tblDailySale\" (\"tDate\", \"DailySale\", \"totalItems\") VALUES (?, 0, 0)"));
        day.bindText(1, today.toString(Qt::ISODate));
        day.step();
        fresh->exec(QStringLiteral("INSERT INTO \"tblTax\" (\"Tax\") VALUES (0.0)"));
        fresh->exec(QStringLiteral("COMMIT"));
        fresh.reset();
        if (!QFile::rename(building, path))
            throw Error(ErrorKind::IO, QStringLiteral("The store %1 cannot be put in place").arg(QDir::toNativeSeparators(path)));
    }

    return openExisting(path, check);
}

std::unique_ptr<Store> Store::openExisting(const QString& path, Check check)
{
    if (!QFileInfo(path).isFile())
        notAStore(path, QStringLiteral("it is not a file"));
    checkHeader(path);

    sqlite3* raw = nullptr;
    // The connection is used from the user-interface thread alone: SQLite need not lock it
    // around every call.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<Store> store(new Store(path, raw));
    if (rc != SQLITE_OK)
        store->fail(rc, QStringLiteral("open %1").arg(path));
    sqlite3_busy_timeout(raw, 2000);
    sqlite3_extended_result_codes(raw, 1);

    // The whole file must be sound, and every table and field the program reads must be there,
    // before anything is written.
    if (check == Check::Now)
        checkIntact(*store);
    else
        store->m_integrity = Integrity::Unchecked;
    int version = 0;
    {
        Statement read = store->prepare(QStringLiteral("PRAGMA user_version"));
        if (read.step())
            version = int(read.columnInt(0));
        if (version > schema::kSchemaVersion)
            notAStore(path, QStringLiteral("it was made by a newer version of the program"));
        // A store without a version holds the first layout.
        version = std::max(version, 1);
    }
    checkTables(*store, version);

    // Opening writes when the store is not in write-ahead mode yet, or not up to date.
    if (version < schema::kSchemaVersion || !inWriteAheadMode(*store) || (tracking::isReplicable(raw) && !tracking::installed(raw)))
        store->ensureIntact();
    useWriteAheadLog(*store);
    store->exec(QStringLiteral("PRAGMA synchronous = FULL"));

    // A store made by an earlier version is brought up to date in one transaction: its rows get
    // their keys, then the tables added since are made.
    if (version < schema::kSchemaVersion) {
        try {
            store->exec(QStringLiteral("BEGIN IMMEDIATE"));
            if (version < kRowKeysSince)
                addRowKeys(*store, version);
            addTables(*store, version);
            store->exec(QStringLiteral("PRAGMA user_version = %1").arg(schema::kSchemaVersion));
            store->exec(QStringLiteral("COMMIT"));
        } catch (const Error& e) {
            // Closing the connection undoes what was begun.
            throw Error(e.kind(),
                QStringLiteral("The store %1 could not be brought up to date and was left as it was: %2").arg(QDir::toNativeSeparators(path), e.message()));
        }
        checkTables(*store, schema::kSchemaVersion);
    }

    // A store kept in step with a copy tracks every row it holds: tables brought in by a newer
    // layout are tracked from now on, and tracking lost to a table made again is put back.
    if (tracking::isReplicable(raw) && !tracking::installed(raw)) {
        try {
            store->exec(QStringLiteral("BEGIN IMMEDIATE"));
            tracking::install(raw);
            store->exec(QStringLiteral("COMMIT"));
        } catch (const Error& e) {
            throw Error(e.kind(),
                QStringLiteral("The store %1 could not track its rows again and was left as it was: %2").arg(QDir::toNativeSeparators(path), e.message()));
        }
    }
    return store;
}

void Store::check(const QString& path)
{
    if (!QFileInfo(path).isFile())
        notAStore(path, QStringLiteral("it is not a file"));
    checkHeader(path);
    sqlite3* raw = nullptr;
    // Read and write, so that SQLite may finish a write that was cut short (a store in write-ahead
    // mode, or with a journal left by a crash) before it reads; nothing of ours is written.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    Store store(path, raw);
    if (rc != SQLITE_OK)
        store.fail(rc, QStringLiteral("open %1").arg(path));
    sqlite3_busy_timeout(raw, 2000);
    checkIntact(store);
    int version = 0;
    {
        Statement read = store.prepare(QStringLiteral("PRAGMA user_version"));
        if (read.step())
            version = int(read.columnInt(0));
    }
    if (version > schema::kSchemaVersion)
        notAStore(path, QStringLiteral("it was made by a newer version of the program"));
    checkTables(store, std::max(version, 1));
}

void Store::release()
{
    if (!m_db)
        return;
    ensureIntact();
    if (!m_units.empty())
        throw Error(ErrorKind::IO, QStringLiteral("The store %1 cannot be let go while a unit of work is open").arg(QDir::toNativeSeparators(m_path)));
    for (RecordSource* source : m_sources)
        source->dropStatements();
    m_dataVersion.reset();
    // Plain close: it refuses while any statement is left, so the connection is never left half
    // closed.
    const int rc = sqlite3_close(m_db);
    if (rc != SQLITE_OK)
        fail(rc, QStringLiteral("let go of %1").arg(m_path));
    m_db = nullptr;
    m_released = identityOf(m_path);
}

Store::FileIdentity Store::identityOf(const QString& path)
{
    FileIdentity identity;
#ifndef Q_OS_WIN
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        identity.device = std::uint64_t(status.st_dev);
        identity.inode = std::uint64_t(status.st_ino);
        identity.known = true;
    }
#else
    Q_UNUSED(path);
#endif
    return identity;
}

void Store::restore()
{
    if (m_db)
        return;
    if (!QFileInfo::exists(m_path))
        throw Error(ErrorKind::IO, QStringLiteral("The store %1 is gone").arg(QDir::toNativeSeparators(m_path)));
    std::unique_ptr<Store> reopened = openExisting(m_path, Check::Now);
    m_db = reopened->m_db;
    reopened->m_db = nullptr;
    // The file may hold other rows now: every record source reads its table again at its next
    // refresh.
    for (const TableDef& table : schema::tables())
        ++m_tableVersions[table.qName()];
    // Another file in the store's place (or no way to tell): the keys the record sources hold
    // are the old file's, so each reads its rows again now.
    const FileIdentity now = identityOf(m_path);
    if (m_released.known && now.known && now == m_released)
        return;
    std::exception_ptr first;
    for (RecordSource* source : std::vector<RecordSource*>(m_sources)) {
        try {
            source->refresh();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void Store::fail(int code, const QString& what, bool afterWrite) const
{
    const QString detail = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code));
    const int primary = code & 0xff;
    const ErrorKind kind = primary == SQLITE_CONSTRAINT ? ErrorKind::Constraint
        : (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) ? ErrorKind::NotAStore
                                                                 : ErrorKind::IO;
    // A disk that failed is told in words a person can act on; the statement is of no use to them.
    if (const QString disk = diskFailureText(m_path, code, detail); !disk.isEmpty()) {
        if (afterWrite && (primary == SQLITE_FULL || primary == SQLITE_IOERR))
            settleLog();
        throw Error(kind, disk, true);
    }
    throw Error(kind, QStringLiteral("%1: %2").arg(what, detail));
}

void Store::settleLog() const
{
    // Only with no transaction left open (SQLite has undone the failed one whole), and only in
    // write-ahead mode: a rollback journal left by a failed commit is rolled back at the next
    // opening, as it should be.
    if (m_settling || !m_db || !sqlite3_get_autocommit(m_db))
        return;
    m_settling = true;
    const auto single = [this](const char* sql) {
        QString answer;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            answer = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return answer;
    };
    const QString version = single("PRAGMA user_version");
    if (single("PRAGMA journal_mode").compare(u"wal", Qt::CaseInsensitive) == 0 && !version.isEmpty()) {
        // The version is written as it is: the file's first page, unchanged, is the commit.
        const QByteArray settle = QStringLiteral("BEGIN IMMEDIATE; PRAGMA user_version = %1; COMMIT;").arg(version.toInt()).toUtf8();
        if (sqlite3_exec(m_db, settle.constData(), nullptr, nullptr, nullptr) != SQLITE_OK && !sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    m_settling = false;
}

Statement Store::prepare(const QString& sql)
{
    if (!m_db)
        throw Error(ErrorKind::IO, QStringLiteral("The store %1 is put aside while it is copied or synchronised").arg(QDir::toNativeSeparators(m_path)));
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, sql);
    return Statement(*this, stmt);
}

void Store::exec(const QString& sql)
{
    Statement statement = prepare(sql);
    while (statement.step()) {
    }
}

Store::Versions Store::versions(const QString& table)
{
    if (!m_dataVersion)
        m_dataVersion = std::make_unique<Statement>(prepare(QStringLiteral("PRAGMA data_version")));
    m_dataVersion->reset();
    const std::int64_t file = m_dataVersion->step() ? m_dataVersion->columnInt(0) : 0;
    m_dataVersion->reset();
    return {m_tableVersions.value(table), file};
}

bool Store::unitUndone() const
{
    return !m_units.empty() && (m_units.back().undone || sqlite3_get_autocommit(m_db));
}

void Store::failUndone() const
{
    // Only a failing disk makes SQLite undo a whole unit of its own accord.
    throw Error(ErrorKind::IO, QStringLiteral("The store undid these writes after a failure: none of them was kept"), true);
}

void Store::beforeWrite(const QString& table)
{
    ensureIntact();
    if (unitUndone())
        failUndone();
    if (!m_units.empty())
        addOnce(m_units.back().tables, table);
    ++m_tableVersions[table];
    if (m_writeHook)
        m_writeHook(table);
}

void Store::beginUnit()
{
    ensureIntact();
    if (unitUndone())
        failUndone();
    // The outermost unit takes the store for writing at once, waiting (up to the busy timeout)
    // for another program's write to end: a unit that only asked when it first wrote would find
    // its reads outdated by then and fail at once.
    if (m_units.empty())
        exec(QStringLiteral("BEGIN IMMEDIATE"));
    else
        exec(QStringLiteral("SAVEPOINT unit%1").arg(m_units.size()));
    m_units.emplace_back();
}

void Store::commitUnit()
{
    if (unitUndone())
        failUndone();
    if (m_units.size() == 1)
        exec(QStringLiteral("COMMIT"));
    else
        exec(QStringLiteral("RELEASE unit%1").arg(m_units.size() - 1));
    Unit done = std::move(m_units.back());
    m_units.pop_back();
    // What an inner unit wrote is undone with the unit around it.
    if (!m_units.empty()) {
        for (const QString& table : done.tables)
            addOnce(m_units.back().tables, table);
        for (RecordSource* source : done.sources)
            addOnce(m_units.back().sources, source);
    }
}

void Store::rollbackUnit()
{
    Unit unit = std::move(m_units.back());
    m_units.pop_back();
    std::exception_ptr failure;
    if (!unit.undone && !sqlite3_get_autocommit(m_db)) {
        try {
            if (m_units.empty()) {
                exec(QStringLiteral("ROLLBACK"));
            } else {
                const QString name = QStringLiteral("unit%1").arg(m_units.size());
                exec(QStringLiteral("ROLLBACK TO ") + name);
                exec(QStringLiteral("RELEASE ") + name);
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    // No transaction left: SQLite undid it whole, every enclosing unit with it (and a rollback
    // statement that found nothing to undo did not fail).
    if (sqlite3_get_autocommit(m_db)) {
        failure = nullptr;
        for (Unit& outer : m_units) {
            unit.tables.insert(unit.tables.end(), outer.tables.begin(), outer.tables.end());
            unit.sources.insert(unit.sources.end(), outer.sources.begin(), outer.sources.end());
            outer.tables.clear();
            outer.sources.clear();
            outer.undone = true;
        }
    }
    undo(unit);
    if (failure)
        std::rethrow_exception(failure);
}

// Marks the unit's tables changed, so that every record source reads them again at its next
// refresh, and reads the row sets of the sources that wrote again now.
void Store::undo(Unit& unit)
{
    for (const QString& table : unit.tables)
        ++m_tableVersions[table];
    std::vector<RecordSource*> sources;
    for (RecordSource* source : unit.sources)
        addOnce(sources, source);
    std::exception_ptr failure;
    for (RecordSource* source : sources) {
        try {
            source->reloadAfterRollback();
            noteTouched(source);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void Store::noteTouched(RecordSource* source)
{
    // A source read again inside an enclosing unit is read again when that one is undone too.
    if (!m_units.empty() && !m_units.back().undone)
        addOnce(m_units.back().sources, source);
}

void Store::attach(RecordSource* source)
{
    m_sources.push_back(source);
}

void Store::forget(RecordSource* source)
{
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
    for (Unit& unit : m_units)
        unit.sources.erase(std::remove(unit.sources.begin(), unit.sources.end(), source), unit.sources.end());
}

} // namespace store
