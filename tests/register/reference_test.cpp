#include "register_test.h"

using namespace registertest;

// ---------------------------------------------------------------------------------------------
// The reference panel, the day's takings, help and the way back

void TestRegister::show_data()
{
    QTest::addColumn<bool>("products");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("boxText"); // empty: none
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("codeAfter");
    QTest::addColumn<QString>("nameAfter");
    QTest::addColumn<QString>("quantityAfter");
    QTest::addColumn<bool>("focusOnCode");

    const QString select = QStringLiteral("Select name OR code of product to be shown.");
    const QString selectTitle = QStringLiteral("Enter the Name OR Code Of product");
    QTest::newRow("both empty") << true << "" << "" << select << selectTitle << "" << "" << "" << false;
    QTest::newRow("both filled") << true << "ABC" << "Milk" << select << selectTitle << "ABC" << "Milk" << "" << false;
    QTest::newRow("abc finds ABC") << true << "abc" << "" << "" << "" << "abc" << "Milk" << "10" << true;
    QTest::newRow("by name") << true << "" << "bread" << "" << "" << "B12" << "bread" << "5" << true;
    QTest::newRow("the last row") << true << "x9" << "" << "" << "" << "x9" << "Soap" << "3" << true;
    QTest::newRow("a code in no row") << true << "ZZZ" << "" << "Product not found." << "Product Not Found" << "ZZZ" << "" << "" << false;
    QTest::newRow("a name in no row") << true << "" << "Cheese" << "Product not found." << "Product Not Found" << "" << "Cheese" << "" << false;
    QTest::newRow("no products") << false << "ABC" << "" << "" << "" << "ABC" << "" << "" << false;
}

void TestRegister::show()
{
    QFETCH(bool, products);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(QString, codeAfter);
    QFETCH(QString, nameAfter);
    QFETCH(QString, quantityAfter);
    QFETCH(bool, focusOnCode);
    RegisterFixture t;
    if (products) {
        // Without the price row that has no stock row: Show walks both tables in step.
        t.addPrice(QStringLiteral("ABC"), QStringLiteral("Milk"), 150, QStringLiteral("Dairy"));
        t.addStock(QStringLiteral("ABC"), 10);
        t.addPrice(QStringLiteral("B12"), QStringLiteral("Bread"), 125, QStringLiteral("bakery"));
        t.addStock(QStringLiteral("B12"), 5);
        t.addPrice(QStringLiteral("X9"), QStringLiteral("Soap"), 200, QStringLiteral("Toys"));
        t.addStock(QStringLiteral("X9"), 3);
    }
    CashRegisterWindow* w = t.openActive();
    QTest::keyClicks(w->dbcboProdCode, code);
    QTest::keyClicks(w->dbcboProdName, name);
    w->txtProductName->setFocus();
    const QString before = t.snapshot();

    QTest::mouseClick(w->cmdMostrar, Qt::LeftButton);

    if (boxText.isEmpty())
        t.expectBoxes({});
    else
        t.expectBoxes({{boxText, boxTitle}});
    QCOMPARE(w->dbcboProdCode->text(), codeAfter);
    QCOMPARE(w->dbcboProdName->text(), nameAfter);
    QCOMPARE(w->lblQty->text(), quantityAfter);
    QCOMPARE(w->dbcboProdCode->hasFocus(), focusOnCode);
    QCOMPARE(t.snapshot(), before);
}

void TestRegister::clear_emptiesThePanel()
{
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.openActive();
    QTest::keyClicks(w->dbcboProdCode, "abc");
    QTest::mouseClick(w->cmdMostrar, Qt::LeftButton);
    QCOMPARE(w->lblQty->text(), QStringLiteral("10"));
    w->txtProductName->setFocus();
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    QCOMPARE(w->dbcboProdCode->text(), QString());
    QCOMPARE(w->dbcboProdName->text(), QString());
    QCOMPARE(w->lblQty->text(), QString());
    QVERIFY(w->dbcboProdCode->hasFocus());
}

void TestRegister::totalSoldToday_data()
{
    QTest::addColumn<bool>("dayRow");
    QTest::addColumn<Value>("takings");
    QTest::addColumn<QString>("text"); // empty: no box
    QTest::addColumn<QString>("title");
    const QString zero = QStringLiteral(" Total sold today is: $0.00");
    const QString zeroTitle = QStringLiteral("   TOTAL SOLD TODAY ");
    QTest::newRow("no sale yet") << true << money(0) << zero << zeroTitle;
    QTest::newRow("25.00 taken") << true << money(2500) << " Total sale for the day is: $25.00" << "   Amount Sold Today ";
    QTest::newRow("a part of a cent rounds") << true << Value(Currency::fromUnits(1234567)) << " Total sale for the day is: $123.46" << "   Amount Sold Today ";
    QTest::newRow("negative") << true << money(-100) << zero << zeroTitle;
    QTest::newRow("without a value") << true << Value() << zero << zeroTitle;
    QTest::newRow("no day's row") << false << Value() << "" << "";
}

void TestRegister::totalSoldToday()
{
    QFETCH(bool, dayRow);
    QFETCH(Value, takings);
    QFETCH(QString, text);
    QFETCH(QString, title);
    RegisterFixture t;
    t.catalogue();
    if (dayRow)
        t.setField(QStringLiteral("tblDailySale"), u"DailySale", takings);
    else
        t.emptyTable(QStringLiteral("tblDailySale"));
    CashRegisterWindow* w = t.openActive();
    w->txtProductCode->setFocus();
    QTest::keyClick(w->txtProductCode, Qt::Key_T, Qt::ControlModifier);
    if (text.isEmpty())
        t.expectBoxes({});
    else
        t.expectBoxes({{text, title}});
}

void TestRegister::help_opensTheContents()
{
    RegisterFixture t;
    QTemporaryDir programFolder;
    t.app.path = programFolder.path();
    QFile chm(QDir(programFolder.path()).filePath(QStringLiteral("Sistema.chm")));
    QVERIFY(chm.open(QIODevice::WriteOnly));
    chm.write("ITSF");
    chm.close();
    CashRegisterWindow* w = t.openActive();
    QTest::keyClick(w->txtProductCode, Qt::Key_F1);
    QTest::keyClick(w->txtProductCode, Qt::Key_F1);
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(t.helpViewer().shown.size(), std::size_t(2));
    QCOMPARE(t.helpViewer().shown[1].path, chm.fileName());
    QVERIFY(t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
}

void TestRegister::backToMainSystem_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("F2") << false;
    QTest::newRow("the close button") << true;
}

void TestRegister::backToMainSystem()
{
    QFETCH(bool, closeButton);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    if (closeButton)
        w->close();
    else
        QTest::keyClick(w->txtProductName, Qt::Key_F2);

    // The sale is abandoned: each line goes back as if taken back by its code.
    expectMilkAndBreadGivenBack(t);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(!t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
    QWidget* menu = t.windows.find(QStringLiteral("frmMain"));
    QVERIFY(menu && menu->isVisible());
    QVERIFY(t.ui.boxes().empty());

    // The next opening starts afresh.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CashRegisterWindow* again = t.open();
    QCOMPARE(again->lblSubtotal->text(), QStringLiteral(" $0.00"));
    QCOMPARE(again->sale().itemCount, std::int16_t(0));
}
