// MAKE DB REPLICABLE: the Mercavia copy put in place of the store and marked replicable.
#include "replication_test.h"

using namespace replicationtest;

namespace {

const Product kStoreMilk{QStringLiteral("S1"), QStringLiteral("Store Milk"), 150, QStringLiteral("Dairy"), 10};
const Product kCopyBread{QStringLiteral("MC1"), QStringLiteral("Copy Bread"), 125, QStringLiteral("Bakery"), 5};
const Product kCopyTea{QStringLiteral("MC2"), QStringLiteral("Copy Tea"), 199, QStringLiteral("Beverage"), 8};

// The day's item count kept in a store file, set apart so that a record source shows which file
// it reads.
void setItemsToday(const QString& path, int items)
{
    std::unique_ptr<store::Store> file = store::Store::open(path, QDate(2026, 12, 10));
    RecordSource day(*file, QStringLiteral("setup"), QStringLiteral("tblDailySale"));
    day.edit();
    day.setField(u"totalItems", Value(std::int16_t(items)));
    day.update();
}

} // namespace

// The store becomes the Mercavia copy, marked replicable; the message names the store file as
// the operation opened it and the mark it now carries. The program's windows read the new file.
void TestReplication::makeReplicable_putsTheCopyInPlaceMarked()
{
    ReplicationFixture t;
    ReplicationFixture::addProduct(*t.store, kStoreMilk);
    t.makeMercaviaCopy({kCopyBread, kCopyTea});
    setItemsToday(t.mercaviaCopy(), 42);
    BackupWindow* w = t.open();
    auto* menu = static_cast<startup::MainWindow*>(t.windows.find(QStringLiteral("frmMain")));
    QVERIFY(menu);

    t.makeReplicable(w);

    t.program.expectBoxes({kMadeReplicable}, true);
    QCOMPARE(t.program.rowsOf(kPrices), (QStringList{"MC1|Copy Bread|1.25|0.62|Bakery", "MC2|Copy Tea|1.99|0.99|Beverage"}));
    QCOMPARE(t.program.rowsOf(kStock), (QStringList{"MC1|5|5|0", "MC2|8|8|0"}));
    QCOMPARE(t.replicableMark(t.storeFile()), QStringLiteral("T"));
    // The copy itself is left as it was.
    QCOMPARE(t.replicableMark(t.mercaviaCopy()), QStringLiteral("<none>"));
    // The main menu, open all along, reads the copy's day.
    menu->totalSale->refresh();
    menu->totalSale->moveFirst();
    QCOMPARE(menu->totalSale->field(u"totalItems").display(), QStringLiteral("42"));
    t.expectStoreInUse(w, QStringLiteral("K1"));
}

// A copy marked replicable before is put in place all the same, and nothing is said.
void TestReplication::makeReplicable_copyMarkedAlready_endsWithoutAWord()
{
    ReplicationFixture t;
    ReplicationFixture::addProduct(*t.store, kStoreMilk);
    t.makeMercaviaCopy({kCopyBread}, true);
    BackupWindow* w = t.open();

    t.makeReplicable(w);

    t.program.expectBoxes({}, true);
    QCOMPARE(t.program.rowsOf(kPrices), QStringList{"MC1|Copy Bread|1.25|0.62|Bakery"});
    QCOMPARE(t.replicableMark(t.storeFile()), QStringLiteral("T"));
    t.expectStoreInUse(w, QStringLiteral("K1"));

    // Run again over a store made replicable: the same, silently.
    t.makeReplicable(w);
    t.program.expectBoxes({}, true);
    QCOMPARE(t.program.rowsOf(kPrices), QStringList{"MC1|Copy Bread|1.25|0.62|Bakery"});
    t.expectStoreInUse(w, QStringLiteral("K2"));
}

void TestReplication::makeReplicable_copyUnusable_leavesTheStore_data()
{
    QTest::addColumn<QByteArray>("copy"); // what the Mercavia file holds; empty: there is none
    QTest::newRow("no copy") << QByteArray();
    QTest::newRow("not a store") << QByteArray("Grocery list: milk, bread\n");
}

// Without a copy to put in place the store stays as it was, unmarked, and the error says so.
void TestReplication::makeReplicable_copyUnusable_leavesTheStore()
{
    QFETCH(QByteArray, copy);
    ReplicationFixture t;
    ReplicationFixture::addProduct(*t.store, kStoreMilk);
    if (!copy.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(t.mercaviaCopy()).path()));
        QFile file(t.mercaviaCopy());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(copy);
    }
    BackupWindow* w = t.open();
    const QString before = t.program.snapshot();

    t.makeReplicable(w);

    t.program.expectBoxes({kNotReplicable}, true);
    QCOMPARE(t.program.snapshot(), before);
    QCOMPARE(t.replicableMark(t.storeFile()), QStringLiteral("<none>"));
    QCOMPARE(ReplicationFixture::bytesOf(t.mercaviaCopy()), copy.isEmpty() ? QByteArray("<no file>") : copy);
    t.expectStoreInUse(w, QStringLiteral("K1"));
}

// A product window left open across the operation reads the copy, not the file that is gone: a
// product of the old store typed into it is not found, and no product of the copy that happens to
// sit where it sat is deleted in its place.
void TestReplication::makeReplicable_windowLeftOpenReadsTheCopy()
{
    ReplicationFixture t;
    ReplicationFixture::addProduct(*t.store, kStoreMilk);
    ReplicationFixture::addProduct(*t.store, {QStringLiteral("S2"), QStringLiteral("Store Eggs"), 300, QStringLiteral("Dairy"), 6});
    t.makeMercaviaCopy({kCopyBread, kCopyTea});
    auto* product = t.program.open<catalogue::ProductSupplierWindow>(QStringLiteral("frmUpdate"));
    BackupWindow* w = t.open();

    t.makeReplicable(w);
    t.program.expectBoxes({kMadeReplicable}, true);
    click(w->cmdExit);
    t.ui.clearBoxes();

    product = t.program.open<catalogue::ProductSupplierWindow>(QStringLiteral("frmUpdate"));
    QStringList codes;
    for (int i = 0; i < product->dbcboProdCode->count(); ++i)
        codes << product->dbcboProdCode->itemText(i);
    QCOMPARE(codes, (QStringList{"MC1", "MC2"}));

    type(product->dbcboProdCode, QStringLiteral("S2"));
    type(product->dbcboProdName, QStringLiteral("Store Eggs"));
    t.ui.setFailOnUnexpected(false);
    t.ui.answerMessage(ui::Button::Yes);
    click(product->cmdDelProd);

    QCOMPARE(t.program.rowsOf(kPrices), (QStringList{"MC1|Copy Bread|1.25|0.62|Bakery", "MC2|Copy Tea|1.99|0.99|Beverage"}));
    QCOMPARE(t.program.rowsOf(kStock), (QStringList{"MC1|5|5|0", "MC2|8|8|0"}));
}
