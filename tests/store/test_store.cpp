#include "store_fixture.h"

#include "store/error.h"
#include "store/journal.h"
#include "store/query_source.h"
#include "store/record_source.h"
#include "store/schema.h"
#include "store/unit_of_work.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

#include <functional>
#include <optional>

using store::Currency;
using store::ErrorKind;
using store::RecordSource;
using store::Value;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Runs SQL on a database file with SQLite itself, as another program would.
void runSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

int execSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

QVariant queryOne(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QVariant result;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_INTEGER: result = qlonglong(sqlite3_column_int64(stmt, 0)); break;
        case SQLITE_FLOAT: result = sqlite3_column_double(stmt, 0); break;
        case SQLITE_TEXT: result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))); break;
        default: break;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

QStringList column(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QStringList out;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

QStringList codes(RecordSource& source)
{
    QStringList out;
    for (source.moveFirst(); !source.atEnd(); source.moveNext())
        out << source.field(u"Code").toText();
    return out;
}

// A store of an earlier layout, made with plain SQL as that version of the program made it:
// the tables of that layout with their fields and no key of their own. Its products were added
// A1, B2, C3, D4 and B2 was deleted, so the hidden row ids have a gap.
void makeStoreWithoutRowKeys(const QString& path, int version)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString sql = QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2;").arg(store::schema::kApplicationId).arg(version);
    for (const store::TableDef& table : store::schema::tables()) {
        if (table.since > version)
            continue;
        QStringList columns;
        for (const store::FieldDef& field : table.fields) {
            static const char* const kDeclared[] = {"TEXT", "SMALLINT", "DOUBLE", "CURRENCY", "DATE", "BOOLEAN"};
            columns << QStringLiteral("\"%1\" %2").arg(QString::fromUtf16(field.name), QString::fromLatin1(kDeclared[int(field.type)]));
        }
        sql += QStringLiteral("CREATE TABLE \"%1\" (%2);").arg(table.qName(), columns.join(QStringLiteral(", ")));
    }
    sql += QStringLiteral(
        "INSERT INTO tblProductPrice (Code, ProductName, ProductPrice) VALUES ('A1', 'Milk', 15000), ('B2', 'Bread', 20000), ('C3', 'Eggs', 31000), ('D4', 'Rice', 9000);"
        "INSERT INTO tblProductQuantity (Code, QuantityOnHand) VALUES ('A1', 10), ('B2', 20), ('C3', 30), ('D4', 40);"
        "DELETE FROM tblProductPrice WHERE Code = 'B2'; DELETE FROM tblProductQuantity WHERE Code = 'B2';"
        "INSERT INTO tblDailySale (tDate, DailySale, totalItems) VALUES ('2026-12-09', 106000, 7);"
        "INSERT INTO tblTax (Tax) VALUES (0.06);");
    if (version >= 2)
        sql += QStringLiteral("INSERT INTO Reports (Name, Layout) VALUES ('rptReceipt', '<p>{{Total}}</p>');");
    runSql(path, sql.toUtf8().constData());
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstUse_createsEveryTableAndTheFirstRows();
    void reopen_keepsWhatWasWritten();
    void newStore_isItsOwnersAlone();
    void existingStore_keepsItsMode();
    void earlierStore_getsTheReceiptLayoutAndKeepsItsRows();
    void storeBeforeTheJournal_getsItAndTheDayReport();
    void journal_keepsSalesWholeAndNumbersOnlyGrow();
    void journal_entryOfAFailedUnitIsNotKept();
    void storeWithoutRowKeys_getsThemInTheOrderOfItsRows_data();
    void storeWithoutRowKeys_getsThemInTheOrderOfItsRows();
    void storeWithoutRowKeys_thatCannotBeBroughtOverIsLeftAtItsLayout();
    void vacuumByAnotherTool_leavesEveryRecordSourceOnItsRows();
    void withoutWriteAheadLog_theStoreIsRefused();
    void valuesOnDisk_arePlainForOtherTools();
    void databaseRules_refuseWhatTheProgramCannotRead_data();
    void databaseRules_refuseWhatTheProgramCannotRead();
    void notAStore_isRefusedAndLeftUnchanged_data();
    void notAStore_isRefusedAndLeftUnchanged();
    void checkBeforeFirstWrite_refusesADamagedStoreBeforeItWrites_data();
    void checkBeforeFirstWrite_refusesADamagedStoreBeforeItWrites();
    void newSingleRow_readsZeroInEveryNumericField_data();
    void newSingleRow_readsZeroInEveryNumericField();
    void fieldNames_ignoreLetterCase();
    void products_pairUpAfterOneInTheMiddleIsDeleted();
};

void TestStore::firstUse_createsEveryTableAndTheFirstRows()
{
    StoreFixture f;
    QVERIFY(QFile::exists(f.path));
    QVERIFY(!QFile::exists(f.path + QStringLiteral(".new")));

    for (const store::TableDef& table : store::schema::tables()) {
        RecordSource source(*f.store, QStringLiteral("probe"), table.qName());
        // The table of reports holds the receipt's layout and the day report's.
        const int expected = (table.qName() == u"tblDailySale" || table.qName() == u"tblTax") ? 1 : table.qName() == u"Reports" ? 2 : 0;
        QVERIFY2(source.recordCount() == expected, qPrintable(table.qName()));
    }
    RecordSource day(*f.store, QStringLiteral("totalSale"), QStringLiteral("tblDailySale"));
    QCOMPARE(day.field(u"tDate").toDate(), f.today);
    QCOMPARE(day.field(u"DailySale"), Value(Currency()));
    QCOMPARE(day.field(u"totalItems"), Value(std::int16_t(0)));
    RecordSource tax(*f.store, QStringLiteral("DataTax"), QStringLiteral("tblTax"));
    QCOMPARE(tax.field(u"Tax"), Value(0.0));
    RecordSource reports(*f.store, QStringLiteral("reports"), QStringLiteral("Reports"));
    QCOMPARE(reports.field(u"Name"), Value(QStringLiteral("rptReceipt")));
    QCOMPARE(reports.field(u"Layout"), Value(store::schema::defaultReceiptLayout()));
    QCOMPARE(queryOne(f.path, "PRAGMA user_version"), QVariant(qlonglong(store::schema::kSchemaVersion)));
}

// A store made before the store carried its receipt gets the table of reports, with the receipt's
// layout, and keeps everything it held.
void TestStore::earlierStore_getsTheReceiptLayoutAndKeepsItsRows()
{
    StoreFixture f;
    {
        RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
        prices.addNew();
        prices.setField(u"Code", QStringLiteral("A12"));
        prices.update();
    }
    f.store.reset();
    runSql(f.path, "DROP TABLE Reports; DROP TABLE SalesJournalLines; DROP TABLE SalesJournal; DROP TABLE DayCloses; PRAGMA user_version = 1;");

    f.store = store::Store::open(f.path, f.today);
    QCOMPARE(queryOne(f.path, "PRAGMA user_version"), QVariant(qlonglong(store::schema::kSchemaVersion)));
    {
        RecordSource reports(*f.store, QStringLiteral("reports"), QStringLiteral("Reports"));
        QCOMPARE(reports.recordCount(), 2);
        QCOMPARE(reports.field(u"Name"), Value(QStringLiteral("rptReceipt")));
        QCOMPARE(reports.field(u"Layout"), Value(store::schema::defaultReceiptLayout()));
        RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
        QCOMPARE(prices.field(u"Code"), Value(QStringLiteral("A12")));
    }

    // Opening it again changes nothing more.
    f.store.reset();
    f.store = store::Store::open(f.path, f.today);
    QCOMPARE(RecordSource(*f.store, QStringLiteral("reports"), QStringLiteral("Reports")).recordCount(), 2);
}

namespace {

store::journal::Entry saleOf(const QString& cashier, const QDate& day, std::int64_t tenThousandths, std::vector<store::journal::Line> lines)
{
    store::journal::Entry entry;
    entry.at = QDateTime(day, QTime(9, 30, 15));
    entry.businessDate = day;
    entry.cashier = cashier;
    entry.subtotal = Currency::fromUnits(tenThousandths);
    entry.tax = Currency::fromUnits(tenThousandths / 10);
    entry.total = Currency::fromUnits(tenThousandths + tenThousandths / 10);
    entry.amountTendered = Currency::fromUnits(200000);
    entry.change = Currency::fromUnits(200000 - entry.total.units());
    entry.lines = std::move(lines);
    return entry;
}

} // namespace

// A store of the layout before the journal (made as that version of the program left it) gets the
// journal's tables and the day report's layout when it is opened, and keeps what it held,
// including a receipt layout of its own.
void TestStore::storeBeforeTheJournal_getsItAndTheDayReport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Grocery.mdb"));
    makeStoreWithoutRowKeys(path, 2);
    store::Store::open(path, QDate(2026, 12, 10)).reset();
    // Now at the layout before the journal's: as a store that version made, with rows of its own.
    runSql(path, "DROP TABLE SalesJournalLines; DROP TABLE SalesJournal; DROP TABLE DayCloses; DELETE FROM Reports WHERE Name = 'rptDayReport'; "
                 "PRAGMA user_version = 3;");

    auto opened = store::Store::open(path, QDate(2026, 12, 10));
    QCOMPARE(queryOne(path, "PRAGMA user_version"), QVariant(qlonglong(store::schema::kSchemaVersion)));
    QCOMPARE(column(path, "SELECT Name || ':' || (Layout = '<p>{{Total}}</p>') FROM Reports ORDER BY RowKey"),
        (QStringList{"rptReceipt:1", "rptDayReport:0"}));
    QCOMPARE(column(path, "SELECT Layout FROM Reports WHERE Name = 'rptDayReport'"), QStringList{store::schema::defaultDayReportLayout()});
    QCOMPARE(column(path, "SELECT Code FROM tblProductPrice ORDER BY RowKey"), (QStringList{"A1", "C3", "D4"}));
    QVERIFY(store::journal::ofDay(*opened, QDate(2026, 12, 10), true).empty());
    {
        store::UnitOfWork unit(*opened);
        QCOMPARE(store::journal::record(*opened, saleOf(QStringLiteral("Ann"), QDate(2026, 12, 10), 15000, {})), std::int64_t(1));
        unit.commit();
    }

    // Opened again, it is left as it is; a store whose journal is gone is refused, untouched.
    opened.reset();
    opened = store::Store::open(path, QDate(2026, 12, 10));
    QCOMPARE(column(path, "SELECT count(*) FROM Reports"), QStringList{"2"});
    opened.reset();
    runSql(path, "DROP TABLE SalesJournalLines;");
    QCOMPARE(kindOf([&] { store::Store::open(path, QDate(2026, 12, 10)); }), ErrorKind::NotAStore);
}

// A sale goes in whole, lines in the order they were rung up, and is read back as written; sale
// numbers only grow, across days and restarts, and are never handed out again.
void TestStore::journal_keepsSalesWholeAndNumbersOnlyGrow()
{
    namespace journal = store::journal;
    StoreFixture f;
    const QDate monday(2026, 12, 7);
    const QDate tuesday(2026, 12, 8);
    const journal::Entry first = saleOf(QStringLiteral("Ann Lee"), monday, 45000,
        {{QStringLiteral("ABC"), QStringLiteral("Milk"), QStringLiteral("Dairy"), 2, Currency::fromUnits(30000)},
            {QStringLiteral("B12"), QStringLiteral("Bread é"), QString(), 1, Currency::fromUnits(15000)}});
    std::int64_t numbers[3] = {};
    {
        store::UnitOfWork unit(*f.store);
        numbers[0] = journal::record(*f.store, first);
        numbers[1] = journal::record(*f.store, saleOf(QStringLiteral("Joe"), monday, 10000, {}));
        unit.commit();
    }
    f.store.reset();
    f.store = store::Store::open(f.path, f.today);
    // The last sale is gone (by another tool): its number is not handed out again.
    runSql(f.path, "DELETE FROM SalesJournal WHERE SaleNumber = 2;");
    {
        store::UnitOfWork unit(*f.store);
        numbers[2] = journal::record(*f.store, saleOf(QStringLiteral("Ann Lee"), tuesday, 20000, {}));
        unit.commit();
    }
    QCOMPARE(numbers[0], std::int64_t(1));
    QCOMPARE(numbers[1], std::int64_t(2));
    QCOMPARE(numbers[2], std::int64_t(3));

    journal::Entry expected = first;
    expected.number = 1;
    QCOMPARE(journal::entry(*f.store, 1), std::optional(expected));
    QCOMPARE(expected.units(), 3);
    QCOMPARE(journal::ofDay(*f.store, monday, true), std::vector<journal::Entry>{expected});
    QCOMPARE(journal::last(*f.store)->number, std::int64_t(3));
    QVERIFY(!journal::entry(*f.store, 2));
    QVERIFY(!journal::last(*f.store, journal::kNoSale));
    // Amounts on disk as counts of ten-thousandths, times as ISO text.
    QCOMPARE(column(f.path, "SELECT SoldAt || ' ' || BusinessDate || ' ' || Total FROM SalesJournal WHERE SaleNumber = 1"),
        QStringList{"2026-12-07T09:30:15 2026-12-07 49500"});
    QCOMPARE(column(f.path, "SELECT LineNumber || ' ' || Code || ' ' || LineTotal FROM SalesJournalLines ORDER BY LineNumber"),
        (QStringList{"1 ABC 30000", "2 B12 15000"}));

    // A close takes in every sale so far: the sales after it are the next day's.
    QCOMPARE(journal::sinceLastClose(*f.store, false).size(), std::size_t(2));
    QVERIFY(!journal::lastClose(*f.store));
    journal::Close closed;
    {
        store::UnitOfWork unit(*f.store);
        closed = journal::recordClose(*f.store, QDateTime(tuesday, QTime(21, 5, 7, 500)), tuesday);
        unit.commit();
    }
    QCOMPARE(closed, (journal::Close{1, QDateTime(tuesday, QTime(21, 5, 7)), tuesday, 3}));
    QCOMPARE(journal::lastClose(*f.store), std::optional(closed));
    QVERIFY(journal::sinceLastClose(*f.store, true).empty());
    {
        store::UnitOfWork unit(*f.store);
        journal::record(*f.store, saleOf(QStringLiteral("Joe"), tuesday.addDays(1), 10000, {{QStringLiteral("ABC"), QStringLiteral("Milk"), {}, 1, Currency::fromUnits(10000)}}));
        unit.commit();
    }
    const std::vector<journal::Entry> open = journal::sinceLastClose(*f.store, true);
    QCOMPARE(open.size(), std::size_t(1));
    QCOMPARE(open.front().number, std::int64_t(4));
    QCOMPARE(open.front().lines.size(), std::size_t(1));
}

// The journal's rows belong to the caller's unit of work: a unit that fails keeps none of them.
void TestStore::journal_entryOfAFailedUnitIsNotKept()
{
    namespace journal = store::journal;
    StoreFixture f;
    const QDate day(2026, 12, 7);
    f.store->setWriteHook([](const QString& table) {
        if (table == journal::kLinesTable)
            throw store::Error(ErrorKind::IO, QStringLiteral("disk full"), true);
    });
    QCOMPARE(kindOf([&] {
        store::UnitOfWork unit(*f.store);
        journal::record(*f.store, saleOf(QStringLiteral("Ann"), day, 15000, {{QStringLiteral("ABC"), QStringLiteral("Milk"), {}, 1, Currency::fromUnits(15000)}}));
        unit.commit();
    }),
        ErrorKind::IO);
    f.store->setWriteHook(nullptr);
    QVERIFY(journal::ofDay(*f.store, day, true).empty());
    QCOMPARE(column(f.path, "SELECT count(*) FROM SalesJournalLines"), QStringList{"0"});
}

// A store made before rows had keys of their own is brought over in one step: every row gets its
// key in the order the rows were added, record sources and query sources still show exactly the
// fields, a deleted row's key is never handed out again, and the database rules hold.
void TestStore::storeWithoutRowKeys_getsThemInTheOrderOfItsRows_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("the first layout") << 1;
    QTest::newRow("the layout with the receipt's") << 2;
}

void TestStore::storeWithoutRowKeys_getsThemInTheOrderOfItsRows()
{
    QFETCH(int, version);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Grocery.mdb"));
    makeStoreWithoutRowKeys(path, version);

    auto opened = store::Store::open(path, QDate(2026, 12, 10));
    QCOMPARE(queryOne(path, "PRAGMA user_version"), QVariant(qlonglong(store::schema::kSchemaVersion)));
    QCOMPARE(column(path, "SELECT Code FROM tblProductPrice ORDER BY RowKey"), (QStringList{"A1", "C3", "D4"}));
    QCOMPARE(column(path, "SELECT RowKey FROM tblProductQuantity ORDER BY RowKey"), (QStringList{"1", "2", "3"}));
    {
        RecordSource prices(*opened, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
        RecordSource stock(*opened, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"));
        QCOMPARE(codes(prices), (QStringList{"A1", "C3", "D4"}));
        QCOMPARE(codes(stock), (QStringList{"A1", "C3", "D4"}));
        prices.moveFirst();
        QCOMPARE(prices.field(u"ProductPrice"), Value(Currency::fromUnits(15000)));
        RecordSource day(*opened, QStringLiteral("totalSale"), QStringLiteral("tblDailySale"));
        QCOMPARE(day.field(u"totalItems"), Value(std::int16_t(7)));
        RecordSource reports(*opened, QStringLiteral("reports"), QStringLiteral("Reports"));
        QCOMPARE(reports.recordCount(), 2);
        QCOMPARE(reports.field(u"Layout").toText(), version >= 2 ? QStringLiteral("<p>{{Total}}</p>") : store::schema::defaultReceiptLayout());
        store::QuerySource grid(*opened, QStringLiteral("Adodc1"), QStringLiteral("tblProductPrice"));
        QCOMPARE(grid.fieldNames(), (QStringList{"Code", "ProductName", "ProductPrice", "VPrice", "ProdCathegory"}));

        // The last product's key is not handed out again.
        for (int i = 0; i < 2; ++i)
            prices.moveNext();
        prices.remove();
        prices.addNew();
        prices.setField(u"Code", QStringLiteral("E5"));
        prices.update();
        QCOMPARE(column(path, "SELECT RowKey FROM tblProductPrice ORDER BY RowKey"), (QStringList{"1", "2", "4"}));
        QCOMPARE(execSql(path, "INSERT INTO tblProductQuantity (QuantityOnHand) VALUES (40000)"), SQLITE_CONSTRAINT);
    }

    // Opened again, it is left as it is.
    opened.reset();
    opened = store::Store::open(path, QDate(2026, 12, 10));
    QCOMPARE(column(path, "SELECT RowKey FROM tblProductPrice ORDER BY RowKey"), (QStringList{"1", "2", "4"}));
}

// The step is one transaction: a store with a row the program cannot read (a stock past 16 bits,
// written by another tool) is refused and keeps its layout and its rows.
void TestStore::storeWithoutRowKeys_thatCannotBeBroughtOverIsLeftAtItsLayout()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Grocery.mdb"));
    makeStoreWithoutRowKeys(path, 2);
    runSql(path, "INSERT INTO tblProductQuantity (Code, QuantityOnHand) VALUES ('E5', 40000);");

    QCOMPARE(kindOf([&] { store::Store::open(path, QDate(2026, 12, 10)); }), ErrorKind::Constraint);
    QCOMPARE(queryOne(path, "PRAGMA user_version"), QVariant(qlonglong(2)));
    QCOMPARE(column(path, "SELECT Code FROM tblProductPrice"), (QStringList{"A1", "C3", "D4"}));
    QCOMPARE(column(path, "SELECT name FROM pragma_table_info('tblProductPrice') WHERE name = 'RowKey'"), QStringList());
}

// Another SQLite tool rebuilds the file with VACUUM, which numbers the hidden row ids afresh: the
// record sources, not refreshed, still edit and delete the rows they stand on.
void TestStore::vacuumByAnotherTool_leavesEveryRecordSourceOnItsRows()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
    RecordSource stock(*f.store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"));
    for (const char* code : {"A1", "B2", "C3", "D4"}) {
        prices.addNew();
        prices.setField(u"Code", QString::fromLatin1(code));
        prices.setField(u"ProductName", QStringLiteral("Product ") + QString::fromLatin1(code));
        prices.update();
        stock.addNew();
        stock.setField(u"Code", QString::fromLatin1(code));
        stock.update();
    }
    prices.refresh();
    stock.refresh();
    prices.moveNext();
    stock.moveNext();
    prices.remove(); // B2 goes
    stock.remove();

    runSql(f.path, "VACUUM;");

    prices.moveNext(); // on C3
    prices.edit();
    QCOMPARE(prices.field(u"Code"), Value(QStringLiteral("C3")));
    prices.setField(u"ProductName", QStringLiteral("Changed"));
    prices.update();
    stock.moveNext(); // on C3
    stock.remove();

    RecordSource checkPrices(*f.store, QStringLiteral("c1"), QStringLiteral("tblProductPrice"));
    RecordSource checkStock(*f.store, QStringLiteral("c2"), QStringLiteral("tblProductQuantity"));
    QCOMPARE(codes(checkPrices), (QStringList{"A1", "C3", "D4"}));
    QCOMPARE(checkPrices.valueAt(1, checkPrices.fieldIndex(u"ProductName")), Value(QStringLiteral("Changed")));
    QCOMPARE(checkPrices.valueAt(2, checkPrices.fieldIndex(u"ProductName")), Value(QStringLiteral("Product D4")));
    QCOMPARE(codes(checkStock), (QStringList{"A1", "D4"}));
}

// Where SQLite cannot keep a write-ahead log it keeps the old journal mode without a word (here:
// a file system reached through dot-file locks, without shared memory). The program refuses to
// run on it, saying why.
void TestStore::withoutWriteAheadLog_theStoreIsRefused()
{
    sqlite3_vfs* usual = sqlite3_vfs_find(nullptr);
    sqlite3_vfs* dotFiles = sqlite3_vfs_find("unix-dotfile");
    if (!dotFiles)
        QSKIP("this SQLite has no file system without shared memory");
    sqlite3_vfs_register(dotFiles, 1);
    const auto restore = qScopeGuard([usual] { sqlite3_vfs_register(usual, 1); });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Grocery.mdb"));
    QString message;
    try {
        store::Store::open(path, QDate(2026, 12, 10));
    } catch (const store::Error& e) {
        QCOMPARE(e.kind(), ErrorKind::IO);
        message = e.message();
    }
    QVERIFY2(message.contains(u"write-ahead log") && message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
}

void TestStore::reopen_keepsWhatWasWritten()
{
    StoreFixture f;
    {
        RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
        prices.addNew();
        prices.setField(u"Code", QStringLiteral("A12"));
        prices.setField(u"ProductPrice", Currency::fromUnits(15000));
        prices.update();
    }
    f.store.reset();
    f.store = store::Store::open(f.path, f.today.addDays(1));
    RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
    QCOMPARE(prices.recordCount(), 1);
    QCOMPARE(prices.field(u"Code"), Value(QStringLiteral("A12")));
    QCOMPARE(prices.field(u"ProductPrice"), Value(Currency::fromUnits(15000)));
    RecordSource day(*f.store, QStringLiteral("totalSale"), QStringLiteral("tblDailySale"));
    QCOMPARE(day.recordCount(), 1);
    QCOMPARE(day.field(u"tDate").toDate(), f.today); // an existing store keeps its date
}

namespace {

int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

// The store holds the staff's passwords: a new store, its journal files and the folders made for
// it are its owner's alone, whatever the user's umask lets others have.
void TestStore::newStore_isItsOwnersAlone()
{
    const mode_t before = ::umask(022);
    StoreFixture f;
    {
        RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
        prices.addNew();
        prices.setField(u"Code", QStringLiteral("A12"));
        prices.update();
    }
    ::umask(before);
    QVERIFY(QFile::exists(f.path + QStringLiteral("-wal")));
    QCOMPARE(modeOf(f.path), 0600);
    QCOMPARE(modeOf(f.path + QStringLiteral("-wal")), 0600);
    QCOMPARE(modeOf(f.path + QStringLiteral("-shm")), 0600);
    QCOMPARE(modeOf(QFileInfo(f.path).absolutePath()), 0700);
}

void TestStore::existingStore_keepsItsMode()
{
    StoreFixture f;
    f.store.reset();
    QVERIFY(QFile::setPermissions(f.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup));
    f.store = store::Store::open(f.path, f.today);
    QCOMPARE(modeOf(f.path), 0660);
}

void TestStore::valuesOnDisk_arePlainForOtherTools()
{
    StoreFixture f;
    RecordSource lines(*f.store, QStringLiteral("daillySale"), QStringLiteral("daillySale"));
    lines.addNew();
    lines.setField(u"Codigo", QStringLiteral("A12"));
    lines.setField(u"Quantidade", 3);
    lines.setField(u"Preco", Currency::fromUnits(106000));
    lines.update();
    QCOMPARE(queryOne(f.path, "SELECT Preco FROM daillySale"), QVariant(qlonglong(106000)));
    QCOMPARE(queryOne(f.path, "SELECT Quantidade FROM daillySale"), QVariant(qlonglong(3)));
    QCOMPARE(queryOne(f.path, "SELECT tDate FROM tblDailySale"), QVariant(QStringLiteral("2026-12-10")));
    QCOMPARE(queryOne(f.path, "SELECT typeof(Tax) FROM tblTax"), QVariant(QStringLiteral("real")));
    QCOMPARE(queryOne(f.path, "PRAGMA journal_mode"), QVariant(QStringLiteral("wal")));
}

void TestStore::databaseRules_refuseWhatTheProgramCannotRead_data()
{
    QTest::addColumn<QByteArray>("sql");
    QTest::newRow("whole number past 16 bits") << QByteArray("INSERT INTO tblProductQuantity (QuantityOnHand) VALUES (40000)");
    QTest::newRow("text in a whole-number field") << QByteArray("INSERT INTO tblProductQuantity (QuantityOnHand) VALUES ('many')");
    QTest::newRow("fraction in a currency field") << QByteArray("INSERT INTO tblReceipt (ProdPrice) VALUES (1.5)");
    QTest::newRow("a date that is no date") << QByteArray("UPDATE tblDailySale SET tDate = '2026-13-45'");
    QTest::newRow("bytes in a text field") << QByteArray("INSERT INTO tblProductPrice (Code) VALUES (X'00FF')");
}

void TestStore::databaseRules_refuseWhatTheProgramCannotRead()
{
    QFETCH(QByteArray, sql);
    StoreFixture f;
    f.store.reset();
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(f.path.toUtf8().constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_CONSTRAINT);
}

void TestStore::notAStore_isRefusedAndLeftUnchanged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("text file") << "text";
    QTest::newRow("another program's database") << "foreign";
    QTest::newRow("store cut short") << "truncated";
    QTest::newRow("store without a table") << "missing table";
    QTest::newRow("earlier store without a table") << "earlier missing table";
    QTest::newRow("store without its reports") << "missing reports";
    QTest::newRow("store with a garbage page") << "garbage page";
    QTest::newRow("store with a garbage page, in write-ahead mode") << "garbage page in wal";
    QTest::newRow("store whose table lost its row key") << "missing row key";
}

namespace {

// A store of 200 products, closed.
void storeWithProducts(const QString& path)
{
    auto made = store::Store::open(path, QDate(2026, 12, 10));
    RecordSource prices(*made, QStringLiteral("p"), QStringLiteral("tblProductPrice"));
    store::UnitOfWork unit(*made);
    for (int i = 0; i < 200; ++i) {
        prices.addNew();
        prices.setField(u"Code", QStringLiteral("CODE%1").arg(i));
        prices.setField(u"ProductName", QStringLiteral("A product with a long enough name %1").arg(i));
        prices.update();
    }
    unit.commit();
}

// One page in the middle of the products, overwritten: the header is whole.
void overwriteAPage(const QString& path)
{
    const QByteArray whole = readAll(path);
    const int pageSize = queryOne(path, "PRAGMA page_size").toInt();
    QByteArray damaged = whole;
    const int page = int(whole.size() / pageSize) - 2;
    for (int i = 0; i < pageSize; ++i)
        damaged[page * pageSize + i] = char((i * 7919) % 251);
    writeFile(path, damaged);
}

} // namespace

void TestStore::notAStore_isRefusedAndLeftUnchanged()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Grocery.mdb"));
    if (kind == u"garbage") {
        QByteArray bytes;
        for (int i = 0; i < 8192; ++i)
            bytes.append(char((i * 7919) % 251));
        writeFile(path, bytes);
    } else if (kind == u"empty") {
        writeFile(path, QByteArray());
    } else if (kind == u"text") {
        writeFile(path, "Code,Name,Price\r\nA12,Milk,1.50\r\n");
    } else if (kind == u"foreign") {
        runSql(path, "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('hello');");
    } else {
        storeWithProducts(path);
        if (kind != u"garbage page in wal")
            runSql(path, "PRAGMA journal_mode = DELETE;");
        if (kind.startsWith(u"garbage page")) {
            overwriteAPage(path);
        } else if (kind == u"missing row key") {
            runSql(path, "CREATE TABLE copy AS SELECT Code, ProductName, ProductPrice, VPrice, ProdCathegory FROM tblProductPrice;"
                         "DROP TABLE tblProductPrice; ALTER TABLE copy RENAME TO tblProductPrice;");
        } else if (kind == u"truncated") {
            const QByteArray whole = readAll(path);
            writeFile(path, whole.left(whole.size() / 2));
        } else if (kind == u"missing table") {
            runSql(path, "DROP TABLE tblCathegory;");
        } else if (kind == u"earlier missing table") {
            // Refused before it is brought up to date: nothing is added to it.
            runSql(path, "DROP TABLE Reports; DROP TABLE tblCathegory; DROP TABLE SalesJournalLines; DROP TABLE SalesJournal; "
                         "DROP TABLE DayCloses; PRAGMA user_version = 1;");
        } else {
            runSql(path, "DROP TABLE Reports;");
        }
    }
    const QByteArray before = readAll(path);
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);

    try {
        store::Store::open(path, QDate(2026, 12, 10));
        QFAIL("the file was opened as a store");
    } catch (const store::Error& e) {
        QCOMPARE(e.kind(), ErrorKind::NotAStore);
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), filesBefore);
}

void TestStore::checkBeforeFirstWrite_refusesADamagedStoreBeforeItWrites_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<bool>("inBackground"); // the check started on its own thread first
    QTest::addColumn<QString>("write");
    for (const bool damaged : {false, true}) {
        for (const bool inBackground : {false, true}) {
            for (const char* write : {"unit", "row"}) {
                QTest::addRow("%s, %s, %s", damaged ? "damaged" : "sound", inBackground ? "checked in the background" : "checked at the write",
                    write)
                    << damaged << inBackground << QString::fromLatin1(write);
            }
        }
    }
}

// Opened with the check left for later, a store is still refused before anything is written to
// it when it is damaged, and written as ever when it is sound.
void TestStore::checkBeforeFirstWrite_refusesADamagedStoreBeforeItWrites()
{
    QFETCH(bool, damaged);
    QFETCH(bool, inBackground);
    QFETCH(QString, write);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Grocery.mdb"));
    storeWithProducts(path);
    if (damaged)
        overwriteAPage(path);
    const QByteArray before = readAll(path);

    auto opened = store::Store::open(path, QDate(2026, 12, 10), store::Store::Check::BeforeFirstWrite);
    if (inBackground)
        opened->checkInBackground();
    // Reads before the check are the file's own.
    QCOMPARE(RecordSource(*opened, QStringLiteral("t"), QStringLiteral("tblTax")).recordCount(), 1);
    const auto writeOnce = [&] {
        RecordSource tax(*opened, QStringLiteral("t"), QStringLiteral("tblTax"));
        std::optional<store::UnitOfWork> unit;
        if (write == u"unit")
            unit.emplace(*opened);
        tax.edit();
        tax.setField(u"Tax", 0.07);
        tax.update();
        if (unit)
            unit->commit();
    };
    if (damaged) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                writeOnce();
                QFAIL("a damaged store was written");
            } catch (const store::Error& e) {
                QCOMPARE(e.kind(), ErrorKind::NotAStore);
                QVERIFY2(e.message().contains(path) && e.message().contains(QStringLiteral("damaged")), qPrintable(e.message()));
            }
        }
        opened.reset();
        QCOMPARE(readAll(path), before);
    } else {
        writeOnce();
        opened.reset();
        QCOMPARE(queryOne(path, "SELECT Tax FROM tblTax"), QVariant(0.07));
    }
}

void TestStore::newSingleRow_readsZeroInEveryNumericField_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("tblCathegory") << "tblCathegory";
    QTest::newRow("tblDailySale") << "tblDailySale";
    QTest::newRow("YearSales") << "YearSales";
}

void TestStore::newSingleRow_readsZeroInEveryNumericField()
{
    QFETCH(QString, table);
    StoreFixture f;
    RecordSource source(*f.store, QStringLiteral("s"), table);
    const int before = source.recordCount();
    source.addNew();
    source.update();
    source.refresh();
    QCOMPARE(source.recordCount(), before + 1);
    for (int i = 0; i < before; ++i)
        source.moveNext();
    for (std::size_t c = 0; c < source.table().fields.size(); ++c) {
        const store::FieldDef& field = source.table().fields[c];
        const Value value = source.field(int(c));
        if (field.type == store::Type::Date)
            QVERIFY(value.isNull());
        else
            QVERIFY2(value.toCurrency().isZero(), qPrintable(QString::fromUtf16(field.name)));
    }
}

void TestStore::fieldNames_ignoreLetterCase()
{
    StoreFixture f;
    RecordSource staff(*f.store, QStringLiteral("datPass"), QStringLiteral("Employees"));
    staff.addNew();
    staff.setField(u"Ss#", QStringLiteral("123456789"));
    staff.setField(u"cargo", QStringLiteral("Cashier"));
    staff.update();
    staff.refresh();
    QCOMPARE(staff.field(u"SS#"), Value(QStringLiteral("123456789")));
    QCOMPARE(staff.field(u"Cargo"), Value(QStringLiteral("Cashier")));
    QCOMPARE(staff.fieldIndex(u"ss#"), staff.fieldIndex(u"SS#"));
}

void TestStore::products_pairUpAfterOneInTheMiddleIsDeleted()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
    RecordSource stock(*f.store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"));
    const QStringList codes{QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3"), QStringLiteral("D4")};
    for (const QString& code : codes) {
        prices.addNew();
        prices.setField(u"Code", code);
        prices.update();
        stock.addNew();
        stock.setField(u"Code", code);
        stock.update();
    }
    // Delete the second product: the row at the same position in each table.
    prices.refresh();
    stock.refresh();
    prices.moveNext();
    stock.moveNext();
    prices.remove();
    stock.remove();

    prices.refresh();
    stock.refresh();
    QStringList seen;
    while (!prices.atEnd() && !stock.atEnd()) {
        QCOMPARE(stock.field(u"Code"), prices.field(u"Code"));
        seen << prices.field(u"Code").toText();
        prices.moveNext();
        stock.moveNext();
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("A1"), QStringLiteral("C3"), QStringLiteral("D4")}));
}

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
