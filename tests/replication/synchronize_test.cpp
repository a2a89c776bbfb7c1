// SYNCHRONIZE DATABASE: the changes of the store and the replica exchanged both ways.
#include "replication_test.h"

#include "store/query_source.h"

using namespace replicationtest;

namespace {

const QList<Product> kCatalogue{{QStringLiteral("ABC"), QStringLiteral("Milk"), 150, QStringLiteral("Dairy"), 10},
    {QStringLiteral("B12"), QStringLiteral("Bread"), 125, QStringLiteral("Bakery"), 5},
    {QStringLiteral("M2"), QStringLiteral("Milk2"), 180, QStringLiteral("Dairy"), 4},
    {QStringLiteral("T1"), QStringLiteral("Tea"), 199, QStringLiteral("Beverage"), 8}};

// The losing rows kept: table, code, and the name or quantity bought.
QStringList conflicts(store::Store& file)
{
    store::QuerySource kept(file, QStringLiteral("conflicts"),
        QStringLiteral("SELECT TableName, json_extract(Row, '$.Code'), coalesce(json_extract(Row, '$.ProductName'), "
                       "json_extract(Row, '$.QuantityBought')) FROM \"Replication Conflicts\" ORDER BY TableName"));
    QStringList rows;
    for (kept.moveFirst(); !kept.atEnd(); kept.moveNext()) {
        QStringList cells;
        for (int f = 0; f < kept.fieldNames().size(); ++f)
            cells << kept.field(kept.fieldNames().at(f)).display();
        rows << cells.join(u'|');
    }
    return rows;
}

const QStringList kTables{kPrices, kStock, kEmployees, QStringLiteral("tblDailySale"), QStringLiteral("tblTax")};

// The product codes of the price rows and of the stock rows, in the tables' order: a product is
// the two rows at the same position.
QStringList codesOf(const Program& program, const QString& table)
{
    QStringList codes;
    for (const QString& row : program.rowsOf(table))
        codes << row.section(u'|', 0, 0);
    return codes;
}

// The catalogue on both sides: made replicable with a replica, the window left.
void replicate(ReplicationFixture& t)
{
    t.makeMercaviaCopy(kCatalogue);
    BackupWindow* w = t.open();
    t.makeReplicable(w);
    t.program.expectBoxes({kMadeReplicable}, true);
    t.spawn(w);
    t.program.expectBoxes({}, true);
    click(w->cmdExit);
}

} // namespace

// Before a replica is made there is nothing to synchronise with: the operation says so, and the
// pointer is normal again.
void TestReplication::synchronize_noReplica()
{
    ReplicationFixture t;
    t.makeMercaviaCopy(kCatalogue);
    BackupWindow* w = t.open();
    t.makeReplicable(w);
    t.program.expectBoxes({kMadeReplicable}, true);
    const QString before = t.program.snapshot();

    click(w->cmdSynch);

    t.program.expectBoxes({kNotSynchronized});
    QVERIFY(!t.ui.busy());
    QVERIFY(!QFileInfo::exists(t.replica()));
    QCOMPARE(t.program.snapshot(), before);
    t.expectStoreInUse(w, QStringLiteral("K1"));
}

// The store and the replica are each changed through the program's own windows, the replica as
// a second till would change it; synchronising leaves the two files holding the same data, and
// each sells what the other added.
void TestReplication::synchronize_exchangesTheChangesOfBothSides()
{
    ReplicationFixture t;
    t.makeMercaviaCopy(kCatalogue);
    BackupWindow* w = t.open();
    t.makeReplicable(w);
    t.program.expectBoxes({kMadeReplicable}, true);
    t.spawn(w);
    t.program.expectBoxes({}, true);
    QVERIFY(QFileInfo(t.replica()).isFile());
    click(w->cmdExit);

    // On the store: a product added, one renamed and restocked, one deleted, and Milk renamed.
    t.program.addProduct({QStringLiteral("P1"), QStringLiteral("Pears"), 90, QStringLiteral("Fruits"), 6});
    t.program.renameProduct(QStringLiteral("B12"), QStringLiteral("Rye Bread"), 3);
    t.program.deleteProduct(QStringLiteral("M2"), QStringLiteral("Milk2"));
    t.program.renameProduct(QStringLiteral("ABC"), QStringLiteral("Milk 1L"), 1);
    t.program.expectBoxes({});
    // On the replica: a product added, another renamed and restocked, Milk renamed otherwise, and
    // a cashier taken on.
    {
        ReplicaSide side(t.replica(), t.root.path(), t.app);
        side.program.addProduct({QStringLiteral("R1"), QStringLiteral("Rice"), 210, QStringLiteral("Grain"), 9});
        side.program.renameProduct(QStringLiteral("T1"), QStringLiteral("Green Tea"), 2);
        side.program.renameProduct(QStringLiteral("ABC"), QStringLiteral("Whole Milk"), 4);
        side.program.addEmployee(QStringLiteral("444"), QStringLiteral("Kim"), QStringLiteral("Joy"));
        side.program.expectBoxes({});
        QCOMPARE(side.program.rowsOf(kEmployees).size(), 1);
    }

    w = t.open();
    click(w->cmdSynch);

    t.program.expectBoxes({kSynchronized});
    QVERIFY(!t.ui.busy());
    const QStringList prices = t.program.rowsOf(kPrices);
    QVERIFY2(prices.contains(QStringLiteral("P1|Pears|0.9|0.45|Fruits")), qPrintable(prices.join(u'\n')));
    QVERIFY2(prices.contains(QStringLiteral("R1|Rice|2.1|1.05|Grain")), qPrintable(prices.join(u'\n')));
    QVERIFY2(prices.contains(QStringLiteral("B12|Rye Bread|1.25|0.62|Bakery")), qPrintable(prices.join(u'\n')));
    QVERIFY2(prices.contains(QStringLiteral("T1|Green Tea|1.99|0.99|Beverage")), qPrintable(prices.join(u'\n')));
    QVERIFY2(prices.filter(QStringLiteral("M2|")).isEmpty(), qPrintable(prices.join(u'\n')));
    QCOMPARE(t.program.stockOf(QStringLiteral("B12")), QStringLiteral("3|8|0"));
    QCOMPARE(t.program.stockOf(QStringLiteral("T1")), QStringLiteral("2|10|0"));
    QCOMPARE(t.program.stockOf(QStringLiteral("M2")), QStringLiteral("<none>"));
    QCOMPARE(t.program.rowsOf(kEmployees).size(), 1);
    QVERIFY(t.program.rowsOf(kEmployees).front().startsWith(u"444|Kim|Joy|"));
    // Milk, renamed and restocked once on each side: the store's change is kept, the replica's
    // is kept as the conflict.
    QVERIFY2(prices.contains(QStringLiteral("ABC|Milk 1L|1.5|0.75|Dairy")), qPrintable(prices.join(u'\n')));
    QCOMPARE(t.program.stockOf(QStringLiteral("ABC")), QStringLiteral("1|11|0"));
    QCOMPARE(conflicts(*t.store), (QStringList{"tblProductPrice|ABC|Whole Milk", "tblProductQuantity|ABC|4"}));

    const QString merged = t.program.snapshot(kTables);
    {
        ReplicaSide side(t.replica(), t.root.path(), t.app);
        QCOMPARE(side.program.snapshot(kTables), merged);
        QCOMPARE(conflicts(*side.store), conflicts(*t.store));

        // The replica's till sells what the store added.
        side.program.sell(QStringLiteral("P1"), 2);
        QCOMPARE(side.program.stockOf(QStringLiteral("P1")), QStringLiteral("6|4|2"));
    }
    // The store's till sells what the replica added.
    t.program.sell(QStringLiteral("R1"), 3);
    QCOMPARE(t.program.stockOf(QStringLiteral("R1")), QStringLiteral("9|6|3"));
    t.expectStoreInUse(w, QStringLiteral("K1"));

    // Synchronised again, the two sales meet.
    click(w->cmdSynch);
    t.program.expectBoxes({kSynchronized});
    QCOMPARE(t.program.stockOf(QStringLiteral("P1")), QStringLiteral("6|4|2"));
    ReplicaSide side(t.replica(), t.root.path(), t.app);
    QCOMPARE(side.program.snapshot(kTables), t.program.snapshot(kTables));
}

// A product deleted through the product window on one side and sold through the cash register on
// the other is kept or deleted as a whole: the side with more edits wins (a deletion counts one
// more than the rows it deleted), a tie going to the store. Every product keeps its own stock row:
// a sale of a later product takes stock from its own row.
void TestReplication::synchronize_productDeletedOnOneSideSoldOnTheOther_data()
{
    QTest::addColumn<bool>("storeDeletes"); // else the replica deletes Bread
    QTest::addColumn<int>("sales");         // sales of one Bread on the other side
    QTest::addColumn<bool>("kept");

    QTest::newRow("deleted in the replica, sold in the store: the store's") << false << 1 << true;
    QTest::newRow("deleted in the store, sold twice in the replica") << true << 2 << true;
    QTest::newRow("deleted in the store, sold in the replica: the store's") << true << 1 << false;
}

void TestReplication::synchronize_productDeletedOnOneSideSoldOnTheOther()
{
    QFETCH(bool, storeDeletes);
    QFETCH(int, sales);
    QFETCH(bool, kept);

    ReplicationFixture t;
    replicate(t);
    {
        ReplicaSide side(t.replica(), t.root.path(), t.app);
        const Program& deleting = storeDeletes ? t.program : side.program;
        const Program& selling = storeDeletes ? side.program : t.program;
        deleting.deleteProduct(QStringLiteral("B12"), QStringLiteral("Bread"));
        for (int i = 0; i < sales; ++i)
            selling.sell(QStringLiteral("B12"), 1);
    }

    BackupWindow* w = t.open();
    click(w->cmdSynch);

    t.program.expectBoxes({kSynchronized});
    const QStringList expected = kept ? QStringList{"ABC", "B12", "M2", "T1"} : QStringList{"ABC", "M2", "T1"};
    QCOMPARE(codesOf(t.program, kPrices), expected);
    QCOMPARE(codesOf(t.program, kStock), expected);
    QCOMPARE(t.program.stockOf(QStringLiteral("B12")), kept ? QStringLiteral("5|%1|%2").arg(5 - sales).arg(sales) : QStringLiteral("<none>"));
    {
        ReplicaSide side(t.replica(), t.root.path(), t.app);
        QCOMPARE(side.program.snapshot(kTables), t.program.snapshot(kTables));
    }

    t.program.sell(QStringLiteral("T1"), 2);
    QCOMPARE(t.program.stockOf(QStringLiteral("T1")), QStringLiteral("8|6|2"));
    QCOMPARE(t.program.stockOf(QStringLiteral("M2")), QStringLiteral("4|4|0"));
    t.expectStoreInUse(w, QStringLiteral("K1"));
}

// A product added and one deleted on each side: afterwards every price row stands beside its own
// stock row on both sides, and each till sells from the right row.
void TestReplication::synchronize_productsAddedAndDeletedOnEachSide_stayPaired()
{
    ReplicationFixture t;
    replicate(t);
    t.program.addProduct({QStringLiteral("P1"), QStringLiteral("Pears"), 90, QStringLiteral("Fruits"), 6});
    t.program.deleteProduct(QStringLiteral("M2"), QStringLiteral("Milk2"));
    t.program.sell(QStringLiteral("B12"), 1);
    {
        ReplicaSide side(t.replica(), t.root.path(), t.app);
        side.program.addProduct({QStringLiteral("R1"), QStringLiteral("Rice"), 210, QStringLiteral("Grain"), 9});
        side.program.deleteProduct(QStringLiteral("B12"), QStringLiteral("Bread"));
        side.program.expectBoxes({});
    }

    BackupWindow* w = t.open();
    click(w->cmdSynch);

    t.program.expectBoxes({kSynchronized});
    // Bread, deleted in the replica and sold as often in the store, stays.
    const QStringList expected{"ABC", "B12", "T1", "P1", "R1"};
    QCOMPARE(codesOf(t.program, kPrices), expected);
    QCOMPARE(codesOf(t.program, kStock), expected);
    t.program.sell(QStringLiteral("R1"), 3);
    QCOMPARE(t.program.stockOf(QStringLiteral("R1")), QStringLiteral("9|6|3"));
    QCOMPARE(t.program.stockOf(QStringLiteral("P1")), QStringLiteral("6|6|0"));
    {
        ReplicaSide side(t.replica(), t.root.path(), t.app);
        QCOMPARE(codesOf(side.program, kPrices), expected);
        QCOMPARE(codesOf(side.program, kStock), expected);
        side.program.sell(QStringLiteral("P1"), 2);
        QCOMPARE(side.program.stockOf(QStringLiteral("P1")), QStringLiteral("6|4|2"));
        QCOMPARE(side.program.stockOf(QStringLiteral("R1")), QStringLiteral("9|9|0"));
    }
}

// MAKE DB REPLICABLE run again after the replica was made puts a new store in place, one the
// replica is no copy of: synchronising refuses it without a word and leaves both files alone.
void TestReplication::synchronize_replicaOfAStoreMadeReplicableAgain_isRefused()
{
    ReplicationFixture t;
    replicate(t);
    {
        ReplicaSide side(t.replica(), t.root.path(), t.app);
        side.program.sell(QStringLiteral("B12"), 1);
    }
    BackupWindow* w = t.open();
    t.makeReplicable(w);
    t.program.expectBoxes({kMadeReplicable}, true);
    const QByteArray store = ReplicationFixture::bytesOf(t.storeFile());
    const QByteArray replica = ReplicationFixture::bytesOf(t.replica());
    const QString before = t.program.snapshot(kTables);

    click(w->cmdSynch);

    // Nothing is merged, and the person is told why.
    QCOMPARE(t.ui.boxes().size(), std::size_t(1));
    QCOMPARE(t.ui.boxes().front().title, QStringLiteral(" Syncronization System"));
    QCOMPARE(t.ui.boxes().front().icon, ui::Icon::Warning);
    QVERIFY2(t.ui.boxes().front().text.startsWith(QStringLiteral("The synchronisation could not be made. "))
            && t.ui.boxes().front().text.endsWith(QStringLiteral("is a replica of another store")),
        qPrintable(t.ui.boxes().front().text));
    t.ui.clearBoxes();
    QVERIFY(!t.ui.busy());
    QVERIFY(ReplicationFixture::bytesOf(t.storeFile()) == store);
    QVERIFY(ReplicationFixture::bytesOf(t.replica()) == replica);
    QCOMPARE(t.program.snapshot(kTables), before);
    QCOMPARE(codesOf(t.program, kPrices), (QStringList{"ABC", "B12", "M2", "T1"}));
    t.expectStoreInUse(w, QStringLiteral("K1"));
}
