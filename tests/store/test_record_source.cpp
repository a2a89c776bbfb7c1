#include "store_fixture.h"

#include "store/error.h"
#include "store/query_source.h"
#include "store/record_source.h"
#include "store/unit_of_work.h"

#include <QTest>

#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

using store::Currency;
using store::ErrorKind;
using store::RecordSource;
using store::Value;

Q_DECLARE_METATYPE(store::ErrorKind)

namespace {

void addProduct(RecordSource& prices, const QString& code, qint64 priceUnits = 10000)
{
    prices.addNew();
    prices.setField(u"Code", code);
    prices.setField(u"ProductName", QStringLiteral("Product ") + code);
    prices.setField(u"ProductPrice", Currency::fromUnits(priceUnits));
    prices.update();
}

QStringList codes(RecordSource& source)
{
    QStringList out;
    for (source.moveFirst(); !source.atEnd(); source.moveNext())
        out << source.field(u"Code").toText();
    return out;
}

// Another program's connection to the store file, writing with plain SQLite calls.
struct OtherProgram {
    sqlite3* db = nullptr;
    explicit OtherProgram(const QString& path) { sqlite3_open(path.toUtf8().constData(), &db); }
    ~OtherProgram() { sqlite3_close(db); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

QString fieldOfRow(RecordSource& source, int row, QStringView field)
{
    return source.valueAt(row, source.fieldIndex(field)).toText();
}

} // namespace

class TestRecordSource : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyTable_isAtEndAtOnce();
    void rowAddedElsewhere_isSeenOnlyAfterRefresh();
    void deleteThenMoveNext_landsOnTheFollowingRow();
    void removeAll_removesTheRowsHeldAndNoOther_data();
    void removeAll_removesTheRowsHeldAndNoOther();
    void addNewAndUpdate_keepsTheCursorWhereItWas_data();
    void addNewAndUpdate_keepsTheCursorWhereItWas();
    void addNew_readsDefaultsSoSumsStartAtZero();
    void noCurrentRow_data();
    void noCurrentRow();
    void unknownField_isNoSuchField();
    void setField_convertsOrRefuses_data();
    void setField_convertsOrRefuses();
    void edit_startsFromTheStoredRowAndUpdateWritesOnlySetFields();
    void unitOfWork_commitKeepsEveryWrite();
    void unitOfWork_failurePartWayLeavesEveryTableAsItWas();
    void unitOfWork_nestedRollbackKeepsTheOuterWrites();
    void unitOfWork_outerRollbackAfterAnInnerCommitReadsTheInnerSourcesAgain();
    void unitOfWork_undoneBySQLiteItselfIsReadAgain_data();
    void unitOfWork_undoneBySQLiteItselfIsReadAgain();
    void unitOfWork_rollbackReachesTablesOfASourceGoneMeanwhile();
    void unitOfWork_waitsForAnotherProgramsWriteAndReadsAfterIt();
    void rowGoneElsewhere_editAndDeleteFailWithNoCurrentRow_data();
    void rowGoneElsewhere_editAndDeleteFailWithNoCurrentRow();
    void querySource_readsRowsWithTheirTypes();
    void querySource_refusesAStatementThatWrites();
    void refresh_seesWritesOfAnotherConnection();
    void refresh_seesACommitMadeByAnotherProgramWhileWeWrote();
    void findUpperCase_answersAsTheScanWould_data();
    void findUpperCase_answersAsTheScanWould();
    void findUpperCase_afterRefreshFindsAnotherProgramsChange_data();
    void findUpperCase_afterRefreshFindsAnotherProgramsChange();
    void findUpperCase_followsTheRowThatEditReadFromTheStore();
};

void TestRecordSource::emptyTable_isAtEndAtOnce()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("DatatblPPrice"), QStringLiteral("tblProductPrice"));
    prices.refresh();
    QVERIFY(prices.atEnd());
    QCOMPARE(prices.recordCount(), 0);
    QCOMPARE(prices.objectName(), QStringLiteral("DatatblPPrice"));
}

void TestRecordSource::rowAddedElsewhere_isSeenOnlyAfterRefresh()
{
    StoreFixture f;
    RecordSource writer(*f.store, QStringLiteral("a"), QStringLiteral("tblProductPrice"));
    RecordSource reader(*f.store, QStringLiteral("b"), QStringLiteral("tblProductPrice"));
    addProduct(writer, QStringLiteral("A1"));
    QCOMPARE(writer.recordCount(), 1);
    QCOMPARE(reader.recordCount(), 0);
    QVERIFY(reader.atEnd());
    reader.refresh();
    QCOMPARE(reader.recordCount(), 1);
    QCOMPARE(reader.field(u"Code"), Value(QStringLiteral("A1")));
}

void TestRecordSource::deleteThenMoveNext_landsOnTheFollowingRow()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("p"), QStringLiteral("tblProductPrice"));
    for (const char* code : {"A1", "B2", "C3"})
        addProduct(prices, QString::fromLatin1(code));
    prices.refresh();
    prices.moveNext(); // on B2
    prices.remove();
    QCOMPARE(prices.recordCount(), 2);
    QCOMPARE(kindOf([&] { prices.field(u"Code"); }), ErrorKind::NoCurrentRow);
    QVERIFY(!prices.atEnd());
    prices.moveNext();
    QCOMPARE(prices.field(u"Code"), Value(QStringLiteral("C3")));

    // Deleting the last row: the next move reaches the end.
    prices.remove();
    prices.moveNext();
    QVERIFY(prices.atEnd());

    RecordSource check(*f.store, QStringLiteral("c"), QStringLiteral("tblProductPrice"));
    QCOMPARE(codes(check), QStringList{QStringLiteral("A1")});
}

void TestRecordSource::removeAll_removesTheRowsHeldAndNoOther_data()
{
    QTest::addColumn<QString>("meanwhile"); // what another source does after the read
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<bool>("fails");

    QTest::newRow("nothing") << QString() << QStringList{} << false;
    QTest::newRow("a row added after the read stays") << QStringLiteral("add D4") << QStringList{QStringLiteral("D4")} << false;
    QTest::newRow("a row added, then one of ours") << QStringLiteral("add D4, own E5") << QStringList{QStringLiteral("D4")} << false;
    // As removing row after row does: the row found gone fails, and the unit of work undoes it all.
    QTest::newRow("a held row deleted meanwhile") << QStringLiteral("delete B2")
                                                  << QStringList{QStringLiteral("A1"), QStringLiteral("C3")} << true;
    // Held: A1 and D4 (keys 1 and 4). Another program puts rows of keys 2 and 3 in their place:
    // as many rows up to key 4, their keys adding up to as much, but not the rows held.
    QTest::newRow("held rows replaced by others of other keys")
        << QStringLiteral("swap keys") << QStringList{QStringLiteral("X2"), QStringLiteral("X3")} << true;
}

void TestRecordSource::removeAll_removesTheRowsHeldAndNoOther()
{
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, left);
    QFETCH(bool, fails);

    StoreFixture f;
    RecordSource lines(*f.store, QStringLiteral("l"), QStringLiteral("tblProductPrice"));
    RecordSource other(*f.store, QStringLiteral("o"), QStringLiteral("tblProductPrice"));
    for (const char* code : {"A1", "B2", "C3"})
        addProduct(lines, QString::fromLatin1(code));
    other.refresh();
    if (meanwhile.startsWith(u"add"))
        addProduct(other, QStringLiteral("D4"));
    if (meanwhile.endsWith(u"own E5"))
        addProduct(lines, QStringLiteral("E5"));
    if (meanwhile == u"delete B2") {
        other.moveNext();
        other.remove();
    }
    if (meanwhile == u"swap keys") {
        addProduct(lines, QStringLiteral("D4"));
        lines.moveFirst();
        lines.moveNext();
        lines.remove(); // B2, key 2
        lines.moveNext();
        lines.remove(); // C3, key 3
        OtherProgram program(f.store->path());
        QCOMPARE(program.exec("DELETE FROM tblProductPrice; "
                              "INSERT INTO tblProductPrice (RowKey, Code, ProductName, ProductPrice) VALUES (2, 'X2', 'X', 1), (3, 'X3', 'X', 1)"),
            SQLITE_OK);
    }
    const auto removeAll = [&] {
        store::UnitOfWork unit(*f.store);
        lines.removeAll();
        unit.commit();
    };
    if (fails) {
        QCOMPARE(kindOf(removeAll), ErrorKind::NoCurrentRow);
    } else {
        removeAll();
        QVERIFY(lines.atEnd());
        QCOMPARE(lines.recordCount(), 0);
    }
    RecordSource check(*f.store, QStringLiteral("c"), QStringLiteral("tblProductPrice"));
    QCOMPARE(codes(check), left);
}

void TestRecordSource::addNewAndUpdate_keepsTheCursorWhereItWas_data()
{
    QTest::addColumn<int>("rowsBefore");
    QTest::addColumn<int>("movesBefore"); // moves after refresh; past the rows means at end
    QTest::newRow("empty table: stays at end") << 0 << 0;
    QTest::newRow("on the first row") << 2 << 0;
    QTest::newRow("on the last row") << 2 << 1;
    QTest::newRow("at end after the last row") << 2 << 2;
}

void TestRecordSource::addNewAndUpdate_keepsTheCursorWhereItWas()
{
    QFETCH(int, rowsBefore);
    QFETCH(int, movesBefore);
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("p"), QStringLiteral("tblProductPrice"));
    for (int i = 0; i < rowsBefore; ++i)
        addProduct(prices, QStringLiteral("R%1").arg(i));
    prices.refresh();
    for (int i = 0; i < movesBefore; ++i)
        prices.moveNext();
    const bool wasAtEnd = prices.atEnd();

    addProduct(prices, QStringLiteral("NEW"));
    QCOMPARE(prices.recordCount(), rowsBefore + 1);
    QCOMPARE(prices.atEnd(), wasAtEnd);
    if (!wasAtEnd)
        QCOMPARE(prices.field(u"Code"), Value(QStringLiteral("R%1").arg(movesBefore)));
    // The new row is the last one.
    QCOMPARE(codes(prices).constLast(), QStringLiteral("NEW"));
}

void TestRecordSource::addNew_readsDefaultsSoSumsStartAtZero()
{
    StoreFixture f;
    RecordSource tallies(*f.store, QStringLiteral("dataCategory"), QStringLiteral("tblCathegory"));
    tallies.addNew();
    QCOMPARE(tallies.field(u"Meat"), Value(std::int16_t(0)));
    QVERIFY(tallies.field(u"NumberOfDays").toWhole() == 0);
    tallies.setField(u"Meat", tallies.field(u"Meat").toWhole() + 3);
    QCOMPARE(tallies.field(u"Meat"), Value(std::int16_t(3)));
    tallies.update();
    tallies.refresh();
    QCOMPARE(tallies.field(u"Meat"), Value(std::int16_t(3)));

    // While editing, a field reads the row being written.
    tallies.edit();
    tallies.setField(u"Meat", 5);
    QCOMPARE(tallies.field(u"Meat"), Value(std::int16_t(5)));
    tallies.cancelUpdate();
    QCOMPARE(tallies.field(u"Meat"), Value(std::int16_t(3)));
}

void TestRecordSource::noCurrentRow_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("operation");
    for (const char* state : {"empty", "at end", "on a deleted row"}) {
        for (const char* operation : {"field", "edit", "delete", "set field without edit", "update without edit"})
            QTest::addRow("%s: %s", state, operation) << QString::fromLatin1(state) << QString::fromLatin1(operation);
    }
}

void TestRecordSource::noCurrentRow()
{
    QFETCH(QString, state);
    QFETCH(QString, operation);
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("p"), QStringLiteral("tblProductPrice"));
    if (state != u"empty") {
        addProduct(prices, QStringLiteral("A1"));
        prices.refresh();
        if (state == u"at end")
            prices.moveNext();
        else
            prices.remove();
    }
    const std::map<QString, std::function<void()>> operations{
        {QStringLiteral("field"), [&] { prices.field(u"Code"); }},
        {QStringLiteral("edit"), [&] { prices.edit(); }},
        {QStringLiteral("delete"), [&] { prices.remove(); }},
        {QStringLiteral("set field without edit"), [&] { prices.setField(u"Code", QStringLiteral("X")); }},
        {QStringLiteral("update without edit"), [&] { prices.update(); }},
    };
    QCOMPARE(kindOf(operations.at(operation)), ErrorKind::NoCurrentRow);
}

void TestRecordSource::unknownField_isNoSuchField()
{
    StoreFixture f;
    RecordSource day(*f.store, QStringLiteral("totalSale"), QStringLiteral("tblDailySale"));
    QCOMPARE(kindOf([&] { day.field(u"DailySales"); }), ErrorKind::NoSuchField);
    day.edit();
    QCOMPARE(kindOf([&] { day.setField(u"Nope", 1); }), ErrorKind::NoSuchField);
}

void TestRecordSource::setField_convertsOrRefuses_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<Value>("given");
    QTest::addColumn<Value>("stored"); // null with refused = the store refuses it
    QTest::addColumn<bool>("refused");

    const QString stock = QStringLiteral("tblProductQuantity");
    const QString prices = QStringLiteral("tblProductPrice");
    QTest::newRow("quantity text") << stock << "QuantityOnHand" << Value(QStringLiteral("12")) << Value(std::int16_t(12)) << false;
    QTest::newRow("40000 into a whole number") << stock << "QuantityOnHand" << Value(QStringLiteral("40000")) << Value() << true;
    QTest::newRow("40000 as a number") << stock << "QuantitySold" << Value(40000) << Value() << true;
    QTest::newRow("letters into a whole number") << stock << "QuantityBought" << Value(QStringLiteral("abc")) << Value() << true;
    QTest::newRow("empty text into a whole number") << stock << "QuantityBought" << Value(QString()) << Value() << true;
    QTest::newRow("null into a whole number") << stock << "QuantityBought" << Value() << Value() << false;
    QTest::newRow("currency text") << prices << "ProductPrice" << Value(QStringLiteral("$1.99")) << Value(Currency::fromUnits(19900)) << false;
    QTest::newRow("letters into currency") << prices << "VPrice" << Value(QStringLiteral("cheap")) << Value() << true;
    QTest::newRow("whole number into text") << prices << "Code" << Value(12) << Value(QStringLiteral("12")) << false;
    QTest::newRow("number into currency") << prices << "ProductPrice" << Value(1.25) << Value(Currency::fromUnits(12500)) << false;
    QTest::newRow("not a date") << "tblDailySale" << "tDate" << Value(QStringLiteral("someday")) << Value() << true;
    QTest::newRow("rate text") << "tblTax" << "Tax" << Value(QStringLiteral("0.06")) << Value(0.06) << false;
}

void TestRecordSource::setField_convertsOrRefuses()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(Value, given);
    QFETCH(Value, stored);
    QFETCH(bool, refused);
    StoreFixture f;
    RecordSource source(*f.store, QStringLiteral("s"), table);
    source.addNew();
    source.update();
    source.refresh();
    for (int i = 1; i < source.recordCount(); ++i)
        source.moveNext(); // the row just added
    const Value before = source.field(field);

    source.edit();
    if (refused) {
        QCOMPARE(kindOf([&] { source.setField(field, given); }), ErrorKind::Conversion);
        source.update();
        RecordSource check(*f.store, QStringLiteral("c"), table);
        for (int i = 1; i < check.recordCount(); ++i)
            check.moveNext();
        QCOMPARE(check.field(field), before);
        return;
    }
    source.setField(field, given);
    source.update();
    RecordSource check(*f.store, QStringLiteral("c"), table);
    for (int i = 1; i < check.recordCount(); ++i)
        check.moveNext();
    QCOMPARE(check.field(field), stored);
}

void TestRecordSource::edit_startsFromTheStoredRowAndUpdateWritesOnlySetFields()
{
    StoreFixture f;
    RecordSource mine(*f.store, QStringLiteral("DataPQty"), QStringLiteral("tblProductQuantity"));
    RecordSource other(*f.store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"));
    mine.addNew();
    mine.setField(u"QuantityOnHand", 10);
    mine.setField(u"QuantitySold", 0);
    mine.update();
    mine.refresh();
    other.refresh();

    other.edit();
    other.setField(u"QuantitySold", 4);
    other.update();

    // `mine` still shows its row set, but an edit starts from the stored row.
    QCOMPARE(mine.field(u"QuantitySold"), Value(std::int16_t(0)));
    mine.edit();
    QCOMPARE(mine.field(u"QuantitySold"), Value(std::int16_t(4)));
    mine.setField(u"QuantityOnHand", 7);
    mine.update();

    RecordSource check(*f.store, QStringLiteral("c"), QStringLiteral("tblProductQuantity"));
    QCOMPARE(check.field(u"QuantityOnHand"), Value(std::int16_t(7)));
    QCOMPARE(check.field(u"QuantitySold"), Value(std::int16_t(4)));
}

void TestRecordSource::unitOfWork_commitKeepsEveryWrite()
{
    StoreFixture f;
    RecordSource receipt(*f.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"));
    RecordSource day(*f.store, QStringLiteral("DatatblDailySale"), QStringLiteral("tblDailySale"));
    {
        store::UnitOfWork unit(*f.store);
        receipt.addNew();
        receipt.setField(u"Code", QStringLiteral("A1"));
        receipt.update();
        day.edit();
        day.setField(u"totalItems", 2);
        day.update();
        unit.commit();
    }
    RecordSource checkReceipt(*f.store, QStringLiteral("c1"), QStringLiteral("tblReceipt"));
    RecordSource checkDay(*f.store, QStringLiteral("c2"), QStringLiteral("tblDailySale"));
    QCOMPARE(checkReceipt.recordCount(), 1);
    QCOMPARE(checkDay.field(u"totalItems"), Value(std::int16_t(2)));
}

void TestRecordSource::unitOfWork_failurePartWayLeavesEveryTableAsItWas()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("DatatblPPrice"), QStringLiteral("tblProductPrice"));
    RecordSource stock(*f.store, QStringLiteral("DataPQty"), QStringLiteral("tblProductQuantity"));
    addProduct(prices, QStringLiteral("A1"));
    stock.addNew();
    stock.setField(u"QuantityOnHand", 10);
    stock.update();
    stock.refresh();
    RecordSource receipt(*f.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"));
    RecordSource day(*f.store, QStringLiteral("DatatblDailySale"), QStringLiteral("tblDailySale"));
    RecordSource lines(*f.store, QStringLiteral("daillySale"), QStringLiteral("daillySale"));

    int writes = 0;
    f.store->setWriteHook([&](const QString&) {
        if (++writes == 3)
            throw store::Error(ErrorKind::IO, QStringLiteral("disk full"));
    });
    try {
        store::UnitOfWork unit(*f.store);
        receipt.addNew();
        receipt.setField(u"Code", QStringLiteral("A1"));
        receipt.update();
        stock.edit();
        stock.setField(u"QuantityOnHand", 8);
        stock.update();
        day.edit();
        day.setField(u"totalItems", 2);
        day.update(); // the third write fails
        lines.addNew();
        lines.update();
        unit.commit();
        QFAIL("the third write did not fail");
    } catch (const store::Error& e) {
        QCOMPARE(e.message(), QStringLiteral("disk full"));
    }
    f.store->setWriteHook({});

    // The file holds none of the writes ...
    RecordSource checkReceipt(*f.store, QStringLiteral("c1"), QStringLiteral("tblReceipt"));
    RecordSource checkStock(*f.store, QStringLiteral("c2"), QStringLiteral("tblProductQuantity"));
    RecordSource checkDay(*f.store, QStringLiteral("c3"), QStringLiteral("tblDailySale"));
    RecordSource checkLines(*f.store, QStringLiteral("c4"), QStringLiteral("daillySale"));
    QCOMPARE(checkReceipt.recordCount(), 0);
    QCOMPARE(checkStock.field(u"QuantityOnHand"), Value(std::int16_t(10)));
    QCOMPARE(checkDay.field(u"totalItems"), Value(std::int16_t(0)));
    QCOMPARE(checkLines.recordCount(), 0);
    // ... and the record sources that wrote show the file as it is, cursors in place.
    QCOMPARE(receipt.recordCount(), 0);
    QCOMPARE(stock.field(u"QuantityOnHand"), Value(std::int16_t(10)));
    QCOMPARE(day.field(u"totalItems"), Value(std::int16_t(0)));
}

void TestRecordSource::unitOfWork_nestedRollbackKeepsTheOuterWrites()
{
    StoreFixture f;
    RecordSource receipt(*f.store, QStringLiteral("r"), QStringLiteral("tblReceipt"));
    {
        store::UnitOfWork outer(*f.store);
        receipt.addNew();
        receipt.setField(u"Code", QStringLiteral("kept"));
        receipt.update();
        {
            store::UnitOfWork inner(*f.store);
            receipt.addNew();
            receipt.setField(u"Code", QStringLiteral("dropped"));
            receipt.update();
        }
        outer.commit();
    }
    RecordSource check(*f.store, QStringLiteral("c"), QStringLiteral("tblReceipt"));
    QCOMPARE(codes(check), QStringList{QStringLiteral("kept")});
    QCOMPARE(codes(receipt), QStringList{QStringLiteral("kept")});
}

// The inner unit's record sources are read again when the unit around it is undone, though the
// inner unit itself was committed.
void TestRecordSource::unitOfWork_outerRollbackAfterAnInnerCommitReadsTheInnerSourcesAgain()
{
    StoreFixture f;
    RecordSource receipt(*f.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"));
    RecordSource day(*f.store, QStringLiteral("DatatblDailySale"), QStringLiteral("tblDailySale"));
    {
        store::UnitOfWork outer(*f.store);
        day.edit();
        day.setField(u"totalItems", 5);
        day.update();
        {
            store::UnitOfWork inner(*f.store);
            receipt.addNew();
            receipt.setField(u"Code", QStringLiteral("A1"));
            receipt.update();
            inner.commit();
        }
        QCOMPARE(receipt.recordCount(), 1);
    }
    QCOMPARE(receipt.recordCount(), 0);
    QCOMPARE(day.field(u"totalItems"), Value(std::int16_t(0)));
    QCOMPARE(RecordSource(*f.store, QStringLiteral("c"), QStringLiteral("tblReceipt")).recordCount(), 0);
}

// A full disk (here: no page more than the file has) makes SQLite undo the whole transaction
// itself. The record sources that wrote, in the failed unit and in every unit around it, show
// the file as it is; the units around it can no longer commit; the store goes on afterwards.
void TestRecordSource::unitOfWork_undoneBySQLiteItselfIsReadAgain_data()
{
    QTest::addColumn<bool>("nested");
    QTest::newRow("the outermost unit") << false;
    QTest::newRow("a unit inside another") << true;
}

void TestRecordSource::unitOfWork_undoneBySQLiteItselfIsReadAgain()
{
    QFETCH(bool, nested);
    StoreFixture f;
    RecordSource receipt(*f.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"));
    RecordSource day(*f.store, QStringLiteral("DatatblDailySale"), QStringLiteral("tblDailySale"));
    RecordSource lines(*f.store, QStringLiteral("daillySale"), QStringLiteral("daillySale"));
    f.store->exec(QStringLiteral("PRAGMA max_page_count = 1")); // as many pages as the file has now

    const auto addReceiptLine = [&] {
        receipt.addNew();
        receipt.setField(u"Code", QStringLiteral("A1"));
        receipt.update();
    };
    // Nested: the receipt line is written by the unit around the one that fails.
    std::optional<store::UnitOfWork> outer;
    if (nested) {
        outer.emplace(*f.store);
        addReceiptLine();
    }
    try {
        store::UnitOfWork line(*f.store);
        if (!nested)
            addReceiptLine();
        day.edit();
        day.setField(u"totalItems", 2);
        day.update();
        lines.addNew();
        lines.setField(u"Nome_Produto", QString(20000, u'x')); // needs pages the file cannot grow
        lines.update();
        line.commit();
        QFAIL("the store took a row it had no room for");
    } catch (const store::Error& e) {
        QCOMPARE(e.kind(), ErrorKind::IO);
    }
    f.store->exec(QStringLiteral("PRAGMA max_page_count = 1000000"));
    if (outer) {
        QCOMPARE(kindOf([&] { outer->commit(); }), ErrorKind::IO);
        QCOMPARE(kindOf([&] { receipt.addNew(); receipt.update(); }), ErrorKind::IO);
        outer.reset();
    }

    for (const bool refreshed : {false, true}) {
        if (refreshed) {
            for (RecordSource* source : {&receipt, &day, &lines})
                source->refresh();
        }
        QCOMPARE(receipt.recordCount(), 0);
        QCOMPARE(day.field(u"totalItems"), Value(std::int16_t(0)));
        QCOMPARE(lines.recordCount(), 0);
    }
    QCOMPARE(RecordSource(*f.store, QStringLiteral("c"), QStringLiteral("tblReceipt")).recordCount(), 0);

    {
        store::UnitOfWork next(*f.store);
        receipt.addNew();
        receipt.setField(u"Code", QStringLiteral("B2"));
        receipt.update();
        next.commit();
    }
    RecordSource check(*f.store, QStringLiteral("c"), QStringLiteral("tblReceipt"));
    QCOMPARE(codes(check), QStringList{QStringLiteral("B2")});
}

// A source that wrote inside the unit and is gone before the unit is undone: the table it wrote
// is still read again by every other source.
void TestRecordSource::unitOfWork_rollbackReachesTablesOfASourceGoneMeanwhile()
{
    StoreFixture f;
    RecordSource reader(*f.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"));
    {
        store::UnitOfWork unit(*f.store);
        {
            RecordSource writer(*f.store, QStringLiteral("datReceipt"), QStringLiteral("tblReceipt"));
            writer.addNew();
            writer.setField(u"Code", QStringLiteral("A1"));
            writer.update();
        }
        reader.refresh();
        QCOMPARE(reader.recordCount(), 1);
    }
    reader.refresh();
    QCOMPARE(reader.recordCount(), 0);
}

// A unit takes the store for writing when it starts: it waits for another program's write to
// end, then reads and writes after it instead of failing on a row read before it.
void TestRecordSource::unitOfWork_waitsForAnotherProgramsWriteAndReadsAfterIt()
{
    StoreFixture f;
    RecordSource stock(*f.store, QStringLiteral("DataPQty"), QStringLiteral("tblProductQuantity"));
    stock.addNew();
    stock.setField(u"QuantityOnHand", 10);
    stock.update();
    stock.refresh();

    OtherProgram other(f.path);
    QCOMPARE(other.exec("BEGIN IMMEDIATE; UPDATE tblProductQuantity SET QuantitySold = 3"), SQLITE_OK);
    std::thread finish([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other.exec("COMMIT");
    });
    try {
        store::UnitOfWork unit(*f.store);
        stock.edit();
        stock.setField(u"QuantityOnHand", stock.field(u"QuantityOnHand").toWhole() - 2);
        stock.update();
        unit.commit();
    } catch (const store::Error& e) {
        finish.join();
        QFAIL(qPrintable(e.message()));
    }
    finish.join();

    RecordSource check(*f.store, QStringLiteral("c"), QStringLiteral("tblProductQuantity"));
    QCOMPARE(check.field(u"QuantityOnHand"), Value(std::int16_t(8)));
    QCOMPARE(check.field(u"QuantitySold"), Value(std::int16_t(3)));
}

// A source stands on the last row while another deletes it (and maybe adds a row after it): its
// edit or delete fails with no current row and never reaches another row.
void TestRecordSource::rowGoneElsewhere_editAndDeleteFailWithNoCurrentRow_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("rowAddedAfter");
    for (const char* operation : {"edit", "delete"}) {
        QTest::addRow("%s of a deleted row", operation) << QString::fromLatin1(operation) << false;
        QTest::addRow("%s of a deleted row, a row added since", operation) << QString::fromLatin1(operation) << true;
    }
}

void TestRecordSource::rowGoneElsewhere_editAndDeleteFailWithNoCurrentRow()
{
    QFETCH(QString, operation);
    QFETCH(bool, rowAddedAfter);
    StoreFixture f;
    RecordSource stale(*f.store, QStringLiteral("Cancelitem"), QStringLiteral("tblReceipt"));
    RecordSource other(*f.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"));
    for (const char* code : {"A1", "B2", "C3"}) {
        other.addNew();
        other.setField(u"Code", QString::fromLatin1(code));
        other.setField(u"pQty", 1);
        other.update();
    }
    stale.refresh();
    stale.moveNext();
    stale.moveNext(); // on C3
    other.refresh();
    other.moveNext();
    other.moveNext();
    other.remove();
    if (rowAddedAfter) {
        other.addNew();
        other.setField(u"Code", QStringLiteral("NEW"));
        other.setField(u"pQty", 5);
        other.update();
    }

    if (operation == u"edit") {
        QCOMPARE(kindOf([&] { stale.edit(); }), ErrorKind::NoCurrentRow);
        QCOMPARE(kindOf([&] { stale.setField(u"pQty", 9); stale.update(); }), ErrorKind::NoCurrentRow);
    } else {
        QCOMPARE(kindOf([&] { stale.remove(); }), ErrorKind::NoCurrentRow);
    }

    RecordSource check(*f.store, QStringLiteral("c"), QStringLiteral("tblReceipt"));
    const QStringList expected = rowAddedAfter ? QStringList{QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("NEW")}
                                               : QStringList{QStringLiteral("A1"), QStringLiteral("B2")};
    QCOMPARE(codes(check), expected);
    if (rowAddedAfter)
        QCOMPARE(fieldOfRow(check, 2, u"pQty"), QStringLiteral("5"));
}

void TestRecordSource::querySource_readsRowsWithTheirTypes()
{
    StoreFixture f;
    RecordSource lines(*f.store, QStringLiteral("daillySale"), QStringLiteral("daillySale"));
    for (int i = 1; i <= 2; ++i) {
        lines.addNew();
        lines.setField(u"Codigo", QStringLiteral("C%1").arg(i));
        lines.setField(u"Quantidade", i);
        lines.setField(u"Preco", Currency::fromUnits(12345000 * i));
        lines.update();
    }
    store::QuerySource grid(*f.store, QStringLiteral("Adodc1"), QStringLiteral("daillySale"));
    QCOMPARE(grid.recordCount(), 2);
    QCOMPARE(grid.fieldNames(), (QStringList{QStringLiteral("Codigo"), QStringLiteral("Nome_Produto"), QStringLiteral("Quantidade"), QStringLiteral("Preco")}));
    QCOMPARE(grid.field(u"preco"), Value(Currency::fromUnits(12345000)));
    grid.moveNext();
    grid.moveNext();
    QVERIFY(grid.atEnd());
    QCOMPARE(kindOf([&] { grid.field(u"Preco"); }), ErrorKind::NoCurrentRow);

    store::QuerySource chart(*f.store, QStringLiteral("chart"), QStringLiteral("SELECT Codigo, Quantidade * 2 AS Twice FROM daillySale ORDER BY Codigo DESC"));
    QCOMPARE(chart.field(u"Codigo"), Value(QStringLiteral("C2")));
    QCOMPARE(chart.field(u"Twice").toWhole(), std::int16_t(4));
    lines.addNew();
    lines.update();
    chart.refresh();
    QCOMPARE(chart.recordCount(), 3);
}

// A query source only reads: a text that would write is refused and writes nothing.
void TestRecordSource::querySource_refusesAStatementThatWrites()
{
    StoreFixture f;
    RecordSource receipt(*f.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"));
    receipt.addNew();
    receipt.setField(u"Code", QStringLiteral("A1"));
    receipt.update();
    QCOMPARE(kindOf([&] {
        store::QuerySource chart(*f.store, QStringLiteral("chart"), QStringLiteral("WITH gone AS (SELECT 1) DELETE FROM tblReceipt"));
    }),
        ErrorKind::IO);
    QCOMPARE(RecordSource(*f.store, QStringLiteral("c"), QStringLiteral("tblReceipt")).recordCount(), 1);
}

void TestRecordSource::refresh_seesWritesOfAnotherConnection()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("p"), QStringLiteral("tblProductPrice"));
    addProduct(prices, QStringLiteral("A1"));
    prices.refresh();
    QCOMPARE(prices.recordCount(), 1);

    // Another program (or a second connection) changes the table behind the store's back.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(f.path.toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "INSERT INTO tblProductPrice (Code) VALUES ('B2'); UPDATE tblProductPrice SET ProductName = 'Renamed' WHERE Code = 'A1'",
                 nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);

    prices.refresh();
    QCOMPARE(codes(prices), (QStringList{QStringLiteral("A1"), QStringLiteral("B2")}));
    prices.moveFirst();
    QCOMPARE(prices.field(u"ProductName"), Value(QStringLiteral("Renamed")));
    QCOMPARE(prices.findUpperCase(prices.fieldIndex(u"Code"), QStringLiteral("B2")), 1);

    // A refresh after nothing changed keeps the same rows.
    prices.refresh();
    QCOMPARE(codes(prices), (QStringList{QStringLiteral("A1"), QStringLiteral("B2")}));
}

// Another program commits while the source writes a row of its own: the next refresh reads
// the other program's row too, though the source was current before its write.
void TestRecordSource::refresh_seesACommitMadeByAnotherProgramWhileWeWrote()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
    addProduct(prices, QStringLiteral("A1"));
    prices.refresh();

    OtherProgram other(f.path);
    bool written = false;
    f.store->setWriteHook([&](const QString&) {
        if (!std::exchange(written, true))
            QCOMPARE(other.exec("INSERT INTO tblProductPrice (Code) VALUES ('OTHER')"), SQLITE_OK);
    });
    addProduct(prices, QStringLiteral("MINE"));
    f.store->setWriteHook({});

    prices.refresh();
    QCOMPARE(codes(prices), (QStringList{QStringLiteral("A1"), QStringLiteral("OTHER"), QStringLiteral("MINE")}));
}

void TestRecordSource::findUpperCase_answersAsTheScanWould_data()
{
    QTest::addColumn<QString>("upper");
    QTest::addColumn<int>("row");
    QTest::newRow("first of two equal codes") << "ABC" << 1;
    QTest::newRow("lower case stored") << "MILK" << 0;
    QTest::newRow("a blank makes another text") << " ABC" << -1;
    QTest::newRow("not there") << "ZZZ" << -1;
    QTest::newRow("empty text matches an empty field, never a null one") << "" << 3;
    QTest::newRow("letters beyond ASCII upper-cased") << QStringLiteral("PÃO ÉCLAIR") << 5;
}

void TestRecordSource::findUpperCase_answersAsTheScanWould()
{
    QFETCH(QString, upper);
    QFETCH(int, row);
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("p"), QStringLiteral("tblProductPrice"));
    for (const char* code : {"milk", "abc", "ABC"})
        addProduct(prices, QString::fromLatin1(code));
    prices.addNew();
    prices.setField(u"Code", QString(""));
    prices.update();
    prices.addNew(); // a null code
    prices.update();
    addProduct(prices, QStringLiteral("pão éclair"));
    prices.refresh();
    const int code = prices.fieldIndex(u"Code");
    QCOMPARE(prices.findUpperCase(code, upper), row);

    // The lookup follows the row set: after a delete the next equal row is the first.
    if (row == 1) {
        prices.moveNext();
        prices.remove();
        QCOMPARE(prices.findUpperCase(code, upper), 1);
        prices.moveNext();
        QCOMPARE(prices.field(code), Value(QStringLiteral("ABC")));
    }
}

// The lookup was built before another program changed the table; after the refresh it finds
// products where the scan finds them.
void TestRecordSource::findUpperCase_afterRefreshFindsAnotherProgramsChange_data()
{
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<int>("row");
    QTest::newRow("a new product") << QByteArray("INSERT INTO tblProductPrice (Code) VALUES ('D4')") << "D4" << 3;
    QTest::newRow("a renamed product") << QByteArray("UPDATE tblProductPrice SET Code = 'X9' WHERE Code = 'B2'") << "X9" << 1;
    QTest::newRow("the old name of a renamed product") << QByteArray("UPDATE tblProductPrice SET Code = 'X9' WHERE Code = 'B2'") << "B2" << -1;
    QTest::newRow("a product moved up by a delete") << QByteArray("DELETE FROM tblProductPrice WHERE Code = 'A1'") << "C3" << 1;
}

void TestRecordSource::findUpperCase_afterRefreshFindsAnotherProgramsChange()
{
    QFETCH(QByteArray, sql);
    QFETCH(QString, upper);
    QFETCH(int, row);
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("DatatblPPrice"), QStringLiteral("tblProductPrice"));
    for (const char* code : {"A1", "B2", "C3"})
        addProduct(prices, QString::fromLatin1(code));
    prices.refresh();
    const int code = prices.fieldIndex(u"Code");
    QCOMPARE(prices.findUpperCase(code, QStringLiteral("C3")), 2);

    OtherProgram other(f.path);
    QCOMPARE(other.exec(sql.constData()), SQLITE_OK);
    prices.refresh();
    QCOMPARE(prices.findUpperCase(code, upper), row);
    if (row >= 0)
        QCOMPARE(fieldOfRow(prices, row, u"Code"), upper);
}

// edit() brings the row set's row in line with the store: the lookup answers for the row as it
// now reads.
void TestRecordSource::findUpperCase_followsTheRowThatEditReadFromTheStore()
{
    StoreFixture f;
    RecordSource prices(*f.store, QStringLiteral("DatatblPPrice"), QStringLiteral("tblProductPrice"));
    RecordSource other(*f.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
    for (const char* code : {"A1", "B2"})
        addProduct(prices, QString::fromLatin1(code));
    prices.refresh();
    const int code = prices.fieldIndex(u"Code");
    QCOMPARE(prices.findUpperCase(code, QStringLiteral("B2")), 1);

    other.refresh();
    other.moveNext();
    other.edit();
    other.setField(u"Code", QStringLiteral("NEWCODE"));
    other.update();

    prices.moveTo(1);
    prices.edit();
    prices.cancelUpdate();
    QCOMPARE(prices.field(code), Value(QStringLiteral("NEWCODE")));
    QCOMPARE(prices.findUpperCase(code, QStringLiteral("NEWCODE")), 1);
    QCOMPARE(prices.findUpperCase(code, QStringLiteral("B2")), -1);
}

QTEST_GUILESS_MAIN(TestRecordSource)
#include "test_record_source.moc"
