#include "register_test.h"

using namespace registertest;

// ---------------------------------------------------------------------------------------------
// An abandoned sale's goods going back

namespace {

const QString kNotGivenBackTitle = QStringLiteral("Stock Not Given Back");
const QString kNotGivenBackText = QStringLiteral("The sale was cancelled, but these lines could not be put back into stock. "
                                                 "Please restock them by hand:\n\n");

void deleteRow(RegisterFixture& t, const QString& table, int row)
{
    RecordSource source(*t.store, QStringLiteral("setup"), table);
    source.moveTo(row);
    source.remove();
}

} // namespace

// Each line goes back to the stock row paired with the price row it was rung up from, whatever
// code the stock row carries and however close another product's code is.
void TestRegister::abandon_eachLineGoesBackWhereItCameFrom_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("F2") << "F2";
    QTest::newRow("Esc at the amount box") << "Esc";
}

void TestRegister::abandon_eachLineGoesBackWhereItCameFrom()
{
    QFETCH(QString, how);
    RegisterFixture t;
    t.catalogue();
    // Cream's code differs from Milk's in letter case only; Bread's stock row keeps the code the
    // product had before it was renamed B12.
    t.addPrice(QStringLiteral("abc"), QStringLiteral("Cream"), 300, QStringLiteral("Dairy"));
    t.addStock(QStringLiteral("abc"), 7);
    // Butter was given Milk's very code when it was updated.
    t.addPrice(QStringLiteral("ABC"), QStringLiteral("Butter"), 250, QStringLiteral("Dairy"));
    t.addStock(QStringLiteral("BUT"), 6);
    t.setField(QStringLiteral("tblProductQuantity"), u"Code", QStringLiteral("B-OLD"), 1);
    deleteRow(t, QStringLiteral("tblProductPrice"), 3); // the price row without a stock row
    CashRegisterWindow* w = t.openActive();
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    RegisterFixture::enter(w, {}, QStringLiteral("Cream"), QStringLiteral("3"));
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("1"));
    RegisterFixture::enter(w, {}, QStringLiteral("Butter"), QStringLiteral("4"));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 3), whole(4));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 4), whole(2));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 4);
    t.ui.clearBoxes();

    if (how == u"F2") {
        QTest::keyClick(w->txtProductName, Qt::Key_F2);
    } else {
        t.ui.answerInput(QString()); // Esc
        pressEnd(w);
    }

    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 0), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 1), whole(5));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 3), whole(7));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 4), whole(6));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 0);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(0));
    // What sold keeps the units, as a line taken back leaves it.
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantitySold", 3), whole(3));
    QCOMPARE(t.ui.boxes().size(), std::size_t(how == u"F2" ? 0 : 1)); // the amount box
}

// A line that cannot go back is named to the cashier in one message, and the open sale is
// emptied all the same, so that it never reaches the next customer's receipt. The cashier's row
// of a later sign-in has no goods and is never named.
void TestRegister::abandon_linesNotGivenBackAreNamed_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("named");
    QTest::addColumn<int>("milkOnHand");
    QTest::addColumn<int>("breadOnHand");
    QTest::addColumn<int>("soldLines");
    QTest::addColumn<int>("totalItems");
    QTest::newRow("a product deleted during the sale") << "deleted" << "B12 Bread 1" << 10 << -1 << 1 << 1;
    QTest::newRow("a product rung up without a code") << "no code" << " Soap 1" << 10 << 5 << 1 << 1;
    QTest::newRow("a stock count that would pass 32767") << "full" << "ABC Milk 2" << 32767 << 5 << 1 << 2;
    QTest::newRow("the stock refused by the store") << "store" << "ABC Milk 2\nB12 Bread 1" << 8 << 4 << 2 << 3;
}

void TestRegister::abandon_linesNotGivenBackAreNamed()
{
    QFETCH(QString, trouble);
    QFETCH(QString, named);
    QFETCH(int, milkOnHand);
    QFETCH(int, breadOnHand);
    QFETCH(int, soldLines);
    QFETCH(int, totalItems);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Maria Silva")}});
    if (trouble == u"deleted") {
        deleteRow(t, QStringLiteral("tblProductPrice"), 1);
        deleteRow(t, QStringLiteral("tblProductQuantity"), 1);
    } else if (trouble == u"no code") {
        t.setField(QStringLiteral("tblProductPrice"), u"Code", Value(), 2);
        RegisterFixture::enter(w, {}, QStringLiteral("Soap"), QStringLiteral("1"));
        t.ui.clearBoxes();
    } else if (trouble == u"full") {
        t.setField(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", whole(32767));
    } else {
        // A disk that fails keeps the sale open instead (test_failing_store).
        t.store->setWriteHook([](const QString& table) {
            if (table == u"tblProductQuantity")
                throw store::Error(store::ErrorKind::Constraint, QStringLiteral("refused"));
        });
    }

    QTest::keyClick(w->txtProductName, Qt::Key_F2);
    t.store->setWriteHook(nullptr);

    t.expectBoxes({{kNotGivenBackText + named, kNotGivenBackTitle, ui::Icon::Warning}});
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 0), whole(milkOnHand));
    if (breadOnHand >= 0)
        QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 1), whole(breadOnHand));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), soldLines);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(totalItems));
    QVERIFY(!t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
}

// Goods the store refuses to take back and an open sale that cannot be emptied either: nothing is
// written, the sale stays open on the till as it is in the store, and the cashier is told.
void TestRegister::abandon_saleThatCannotBeEmptiedStaysOpen_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("F2") << "F2";
    QTest::newRow("Esc at the amount box") << "Esc";
}

void TestRegister::abandon_saleThatCannotBeEmptiedStaysOpen()
{
    QFETCH(QString, how);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    const QString before = t.snapshotOf(kSaleTables);
    t.store->setWriteHook([](const QString& table) {
        if (table == u"tblProductQuantity" || table == u"tblReceipt")
            throw store::Error(store::ErrorKind::Constraint, QStringLiteral("refused"));
    });

    if (how == u"F2") {
        QTest::keyClick(w->txtProductName, Qt::Key_F2);
    } else {
        t.ui.answerInput(QString()); // Esc
        pressEnd(w);
    }
    t.store->setWriteHook(nullptr);

    QVERIFY(!t.ui.boxes().empty());
    const ShownBox said = t.ui.boxes().back();
    QCOMPARE(said.icon, ui::Icon::Warning);
    QCOMPARE(said.title, QStringLiteral("Sale Not Cancelled"));
    QCOMPARE(said.text, QStringLiteral("The sale could not be cancelled, so its lines stay on the till as they were. refused\n\nThe sale is still "
                                   "open: once the store can be written again, cancel it again (Esc at the amount box, or Back to Main "
                                   "System)."));
    QCOMPARE(t.snapshotOf(kSaleTables), before);
    QVERIFY(t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
    QVERIFY2(w->lblSubtotal->text().contains(QStringLiteral("$4.25")), qPrintable(w->lblSubtotal->text()));

    // Cancelled again once the store takes it, the goods go back.
    QTest::keyClick(w->txtProductName, Qt::Key_F2);
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QVERIFY(!t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
}
