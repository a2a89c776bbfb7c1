#include "register_test.h"

using namespace registertest;

// ---------------------------------------------------------------------------------------------
// Item entry

void TestRegister::itemEntry_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("boxText");   // empty: no box
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<int>("boxIcon");
    QTest::addColumn<int>("product");       // catalogue row recorded; -1: nothing recorded
    QTest::addColumn<int>("units");
    QTest::addColumn<QString>("quantityAfter");

    const int none = int(ui::Icon::None);
    const QString notEnough = QStringLiteral(" There is not enough product in the database, please check the # of items you are selling. "
                                             "The # of items on hand is: 10. Enter Quanity Less or Equal to Quantity on Hand");
    QTest::newRow("both boxes empty") << "" << "" << "2"
        << "You must enter the name OR the code of the product before trying to add it to the sale list. "
        << "Code OR Name of Product Must be Entered First" << int(ui::Icon::Warning) << -1 << 0 << "2";
    QTest::newRow("abc finds ABC") << "abc" << "" << "2" << "" << "" << none << 0 << 2 << "2";
    QTest::newRow("by name, any case") << "" << "bREAD" << "3" << "" << "" << none << 1 << 3 << "3";
    QTest::newRow("a leading blank is not found") << " ABC" << "" << "2" << kNotFound.text << kNotFound.title << none << -1 << 0 << "2";
    QTest::newRow("a trailing blank is not found") << "" << "Milk " << "2" << kNotFound.text << kNotFound.title << none << -1 << 0 << "2";
    QTest::newRow("empty quantity becomes 1") << "ABC" << "" << "" << "" << "" << none << 0 << 1 << "1";
    QTest::newRow("quantity 0 records nothing") << "ABC" << "" << "0" << "" << "" << none << -1 << 0 << "0";
    QTest::newRow("quantity equal to the stock") << "ABC" << "" << "10" << "" << "" << none << 0 << 10 << "10";
    QTest::newRow("one more than the stock") << "ABC" << "" << "11" << notEnough << "Point of Sale" << none << -1 << 0 << "11";
    QTest::newRow("code of one, name of another: first row wins") << "B12" << "Milk" << "1" << "" << "" << none << 0 << 1 << "1";
    QTest::newRow("code of one, name of another, other order") << "X9" << "Bread" << "1" << "" << "" << none << 1 << 1 << "1";
    QTest::newRow("price row without a stock row") << "P4" << "" << "1" << kNotFound.text << kNotFound.title << none << -1 << 0 << "1";
    QTest::newRow("unknown category is recorded") << "X9" << "" << "3" << "" << "" << none << 2 << 3 << "3";
    QTest::newRow("3 at 1.25 store 3.75") << "B12" << "" << "3" << "" << "" << none << 1 << 3 << "3";
    QTest::newRow("quantity that is not a number") << "ABC" << "" << "1x" << kQuantityError.text << kQuantityError.title << none << -1 << 0 << "1x";
    // A quantity is compared as the number it is, however large.
    QTest::newRow("quantity past 32767") << "ABC" << "" << "40000" << notEnough << "Point of Sale" << none << -1 << 0 << "40000";
    QTest::newRow("quantity past any number") << "ABC" << "" << QString(400, u'9') << kQuantityError.text << kQuantityError.title << none
                                              << -1 << 0 << QString(400, u'9');
}

// One Enter, checked against every table it may write and every label it may change.
void TestRegister::itemEntry()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, quantity);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(int, boxIcon);
    QFETCH(int, product);
    QFETCH(int, units);
    QFETCH(QString, quantityAfter);

    struct Expected {
        QString code, name;
        std::int64_t cents;
        int onHand;
        const char16_t* tally;
    };
    const Expected catalogue[] = {{"ABC", "Milk", 150, 10, u"Dairy"}, {"B12", "Bread", 125, 5, u"Bakery"}, {"X9", "Soap", 200, 3, nullptr}};

    RegisterFixture t;
    t.catalogue();
    t.tallies(3);
    CashRegisterWindow* w = t.open();
    const QString before = t.snapshot();

    RegisterFixture::enter(w, code, name, quantity);

    if (boxText.isEmpty())
        t.expectBoxes({});
    else
        t.expectBoxes({{boxText, boxTitle, ui::Icon(boxIcon)}});
    QCOMPARE(w->txtQuantity->text(), quantityAfter);
    QCOMPARE(w->txtProductCode->text(), code);
    QCOMPARE(w->txtProductName->text(), name);

    if (product < 0) {
        QCOMPARE(t.snapshot(), before);
        QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $0.00"));
        QCOMPARE(w->lblProductDescription->text(), QString());
        QCOMPARE(w->sale().itemCount, std::int16_t(0));
        return;
    }
    const Expected& p = catalogue[product];
    const std::int64_t lineCents = p.cents * units;
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code"), Value(p.code));
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"ProdName"), Value(p.name));
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"pQty"), whole(units));
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"ProdPrice"), money(lineCents));
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Cashier"), Value());

    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", product), whole(p.onHand - units));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantitySold", product), whole(units));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(units));

    QCOMPARE(t.rows(QStringLiteral("daillySale")), 1);
    QCOMPARE(t.field(QStringLiteral("daillySale"), u"Codigo"), Value(p.code));
    QCOMPARE(t.field(QStringLiteral("daillySale"), u"Nome_Produto"), Value(p.name));
    QCOMPARE(t.field(QStringLiteral("daillySale"), u"Quantidade"), whole(units));
    QCOMPARE(t.field(QStringLiteral("daillySale"), u"Preco"), money(lineCents));

    // The category's column counts units; the other columns stay as they were.
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Dairy"), whole(p.tally == QStringView(u"Dairy") ? 6 + units : 6));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Bakery"), whole(p.tally == QStringView(u"Bakery") ? units : 0));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Meat"), whole(4));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"NumberOfDays"), whole(3));

    const QString unitPrice = QStringLiteral("$%1.%2").arg(p.cents / 100).arg(p.cents % 100, 2, 10, QLatin1Char('0'));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("  %1 %2 %3 X %4").arg(p.code, p.name, quantityAfter, unitPrice));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $%1.%2").arg(lineCents / 100).arg(lineCents % 100, 2, 10, QLatin1Char('0')));
    QCOMPARE(w->sale().subtotal, Currency::fromCents(lineCents));
    QCOMPARE(w->sale().itemCount, std::int16_t(units));
    for (QLabel* label : {w->lblTax, w->lblTotal, w->lblAmount, w->lblChange})
        QCOMPARE(label->text(), QStringLiteral(" $0.00"));
}

void TestRegister::itemEntry_enterAndScannerKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("focus");
    QTest::newRow("Return in the code box") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << "txtProductCode";
    QTest::newRow("keypad Enter in the code box") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "txtProductCode";
    QTest::newRow("Return in the quantity box") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << "txtQuantity";
    QTest::newRow("Return on the Show button") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << "cmdMostrar";
}

// A scanner types the code and Enter into the code box; the product is rung up like a typed one,
// whichever control has the focus when Enter comes.
void TestRegister::itemEntry_enterAndScannerKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, focus);
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.open();
    QTest::keyClicks(w->txtProductCode, "B12");
    QTest::keyClick(w->findChild<QWidget*>(focus), Qt::Key(key), modifiers);
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code"), Value(QStringLiteral("B12")));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 1), whole(4));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $1.25"));
    QCOMPARE(w->txtQuantity->text(), QStringLiteral("1"));
}

void TestRegister::itemEntry_enterTwiceRecordsTwice()
{
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.open();
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    QTest::keyClick(w->txtProductCode, Qt::Key_Return);
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 2);
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 2);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(6));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantitySold"), whole(4));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(4));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $6.00"));
    QCOMPARE(w->sale().itemCount, std::int16_t(4));
}

void TestRegister::itemEntry_thirtyDayClearing_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("29 days: kept") << 29 << "ABC" << "2" << false;
    QTest::newRow("30 days: cleared, the new tally too") << 30 << "ABC" << "2" << true;
    QTest::newRow("31 days: cleared") << 31 << "X9" << "1" << true;
    QTest::newRow("30 days, quantity 0: cleared") << 30 << "ABC" << "0" << true;
    QTest::newRow("30 days, not enough stock: cleared") << 30 << "ABC" << "99" << true;
    QTest::newRow("30 days, product not found: kept") << 30 << "NOPE" << "1" << false;
}

void TestRegister::itemEntry_thirtyDayClearing()
{
    QFETCH(int, days);
    QFETCH(QString, code);
    QFETCH(QString, quantity);
    QFETCH(bool, cleared);
    RegisterFixture t;
    t.catalogue();
    t.tallies(days);
    CashRegisterWindow* w = t.open();
    RegisterFixture::enter(w, code, {}, quantity);
    const bool dairyLine = code == QStringLiteral("ABC") && quantity == QStringLiteral("2");
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"NumberOfDays"), whole(cleared ? 0 : days));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Meat"), whole(cleared ? 0 : 4));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Cleaning"), whole(cleared ? 0 : 2));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Dairy"), whole(cleared ? 0 : (dairyLine ? 8 : 6)));
    QCOMPARE(t.rows(QStringLiteral("tblCathegory")), 1);
}

void TestRegister::itemEntry_firstLineMakesTheMissingRows()
{
    RegisterFixture t;
    t.catalogue();
    t.emptyTable(QStringLiteral("tblDailySale"));
    CashRegisterWindow* w = t.open();

    // No tally row yet: a quantity of 0 finds nothing to clear and says nothing.
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("0"));
    QVERIFY(t.ui.boxes().empty());

    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    QCOMPARE(t.rows(QStringLiteral("tblDailySale")), 1);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(2));
    QCOMPARE(t.rows(QStringLiteral("tblCathegory")), 1);
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Dairy"), whole(2));

    // The next lines add to the rows just made.
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("3"));
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("1"));
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(t.rows(QStringLiteral("tblDailySale")), 1);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(6));
    QCOMPARE(t.rows(QStringLiteral("tblCathegory")), 1);
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Dairy"), whole(3));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Bakery"), whole(3));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $8.25"));
}

void TestRegister::itemEntry_lineIsOneUnitOfWork_data()
{
    QTest::addColumn<int>("failAt");       // the write that fails; 0: none fails
    QTest::addColumn<QString>("table");    // a field set to 32767 before the line
    QTest::addColumn<QString>("counter");
    QTest::newRow("fails on the receipt line") << 1 << "" << "";
    QTest::newRow("fails on the stock") << 2 << "" << "";
    QTest::newRow("fails on the day's count") << 3 << "" << "";
    QTest::newRow("fails on the day's sold line") << 4 << "" << "";
    QTest::newRow("fails on the category tally") << 5 << "" << "";
    QTest::newRow("sold count would pass 32767") << 0 << "tblProductQuantity" << "QuantitySold";
    QTest::newRow("day's count would pass 32767") << 0 << "tblDailySale" << "totalItems";
    QTest::newRow("tally would pass 32767") << 0 << "tblCathegory" << "Dairy";
}

// The five writes of a line are kept together or not at all, and the screen follows the store.
void TestRegister::itemEntry_lineIsOneUnitOfWork()
{
    QFETCH(int, failAt);
    QFETCH(QString, table);
    QFETCH(QString, counter);
    RegisterFixture t;
    t.catalogue();
    t.tallies(3);
    CashRegisterWindow* w = t.open();
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("1"));
    if (!table.isEmpty())
        t.setField(table, counter, whole(32767));

    QStringList written;
    t.store->setWriteHook([&](const QString& name) {
        written << name;
        if (written.size() == failAt)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"), true);
    });
    const QString before = t.snapshot();
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    t.store->setWriteHook(nullptr);

    // The quantity's message, and beside it what the disk did when it failed.
    if (failAt == 0) {
        t.expectBoxes({kQuantityError});
    } else {
        t.expectBoxes({kQuantityError,
            {QStringLiteral("The store could not be written while the item was entered. The sale on the screen is what the store holds: "
                            "enter the item again if it is not on it.\n\ndisk full"),
                QStringLiteral("Store Not Written"), ui::Icon::Warning}});
    }
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $1.25"));
    QCOMPARE(w->sale().subtotal, Currency::fromCents(125));
    QCOMPARE(w->sale().itemCount, std::int16_t(1));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("  B12 Bread 1 X $1.25"));

    // Once the store takes writes again, the same Enter records the line from what is stored.
    if (!table.isEmpty())
        t.setField(table, counter, whole(0));
    written.clear();
    t.store->setWriteHook([&](const QString& name) { written << name; });
    t.ui.clearBoxes();
    QTest::keyClick(w->txtProductCode, Qt::Key_Return);
    t.store->setWriteHook(nullptr);
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(written, (QStringList{QStringLiteral("tblReceipt"), QStringLiteral("tblProductQuantity"), QStringLiteral("tblDailySale"),
                          QStringLiteral("daillySale"), QStringLiteral("tblCathegory")}));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 2);
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 2);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(8));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
    QCOMPARE(w->sale().itemCount, std::int16_t(3));
}
