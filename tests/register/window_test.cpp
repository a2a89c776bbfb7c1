#include "register_test.h"

using namespace registertest;

// ---------------------------------------------------------------------------------------------
// The window and the sale state

void TestRegister::opening_zeroAmountsEmptyActionAndNewSaleDisabled()
{
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.open();
    QCOMPARE(w->windowTitle(), QStringLiteral("                                      *******WELCOME TO VANTORAL\u00ae  CASH REGISTER******   "));
    for (QLabel* label : {w->lblSubtotal, w->lblTax, w->lblTotal, w->lblAmount, w->lblChange})
        QCOMPARE(label->text(), QStringLiteral(" $0.00"));
    QCOMPARE(w->lblProductDescription->text(), QString());
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->sale().cashierName, QString());
    QCOMPARE(w->sale().itemCount, std::int16_t(0));
    QVERIFY(w->width() <= 800 && w->height() <= 600);
    QCOMPARE(w->minimumSize(), w->maximumSize());
    // The list boxes list every product, in the catalogue's order.
    QCOMPARE(w->dbcboProdCode->count(), 4);
    QCOMPARE(w->dbcboProdCode->itemText(3), QStringLiteral("P4"));
    QCOMPARE(w->dbcboProdName->itemText(1), QStringLiteral("Bread"));

    // The pick-up timer runs from load, every 100 ms.
    auto* again = static_cast<CashRegisterWindow*>(t.windows.find(QString::fromLatin1(CashRegisterWindow::kName)));
    QCOMPARE(again, w);
    t.windows.unload(QString::fromLatin1(CashRegisterWindow::kName));
    auto* fresh = static_cast<CashRegisterWindow*>(t.windows.show(QString::fromLatin1(CashRegisterWindow::kName)));
    QVERIFY(fresh->CashierTime->isActive());
    QCOMPARE(fresh->CashierTime->interval(), 100);
}

void TestRegister::controls_captionsAndNames_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("captionText");
    QTest::addColumn<QString>("control");
    QTest::newRow("code") << "lblProductCode" << "Code:" << "txtProductCode";
    QTest::newRow("name") << "lblProductName" << "Name:" << "txtProductName";
    QTest::newRow("quantity") << "lblQuantity" << "Quantity:" << "txtQuantity";
    QTest::newRow("subtotal") << "lbl" << "Subtotal" << "lblSubtotal";
    QTest::newRow("tax") << "lbtax" << "Tax:" << "lblTax";
    QTest::newRow("total") << "lblTotalCap" << "Total:" << "lblTotal";
    QTest::newRow("amount tendered") << "lblCash" << "Amt. Tend:" << "lblAmount";
    QTest::newRow("change") << "lblChangeCap" << "Change:" << "lblChange";
    QTest::newRow("reference code") << "Label1" << "Code:" << "dbcboProdCode";
    QTest::newRow("reference name") << "Label2" << "Name:" << "dbcboProdName";
    QTest::newRow("reference quantity") << "lblQuant" << "Quantity:" << "lblQty";
}

void TestRegister::controls_captionsAndNames()
{
    QFETCH(QString, caption);
    QFETCH(QString, captionText);
    QFETCH(QString, control);
    RegisterFixture t;
    CashRegisterWindow* w = t.open();
    auto* label = w->findChild<QLabel*>(caption);
    QVERIFY(label);
    QCOMPARE(label->text(), captionText);
    QWidget* named = w->findChild<QWidget*>(control);
    QVERIFY(named);
    QCOMPARE(label->buddy(), named);
    QVERIFY(!named->accessibleName().isEmpty());

    // The buttons and the panel, once for all rows.
    QCOMPARE(w->cmdNewSale->text(), QStringLiteral("New Sale"));
    QCOMPARE(w->cmdMostrar->text(), QStringLiteral("Show"));
    QCOMPARE(w->Command1->text(), QStringLiteral("Clear"));
    QCOMPARE(w->Referencia->title(), QStringLiteral(" REFERENCE- List of Codes and Names of Products in the Database"));
    for (QWidget* other : std::initializer_list<QWidget*>{w->cmdNewSale, w->cmdMostrar, w->Command1, w->Referencia, w->lblProductDescription})
        QVERIFY(!other->accessibleName().isEmpty());
}

void TestRegister::menus_captionsAndShortcuts_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("menuCaption");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("back") << "mnuFile" << "&Cash Register" << "mnuExit" << "&Back to Main System" << QKeySequence(Qt::Key_F2);
    QTest::newRow("total sold") << "mnuFile" << "&Cash Register" << "mnuAmtSold" << "See &Total Sold Today" << QKeySequence(Qt::CTRL | Qt::Key_T);
    QTest::newRow("help") << "mnuFile" << "&Cash Register" << "mnuHelp" << "&Help" << QKeySequence(Qt::Key_F1);
    QTest::newRow("cancel by code") << "mnuP" << "Product" << "mnuCode" << "Cancel a Product by &C\u00f3de" << QKeySequence(Qt::CTRL | Qt::Key_C);
    QTest::newRow("cancel by name") << "mnuP" << "Product" << "mnuName" << "Cancel a Product by &Name" << QKeySequence(Qt::CTRL | Qt::Key_N);
    QTest::newRow("last receipt again") << "mnuReceipts" << "&Receipts" << "mnuReprintLast" << "&Print the Last Receipt Again"
                                        << QKeySequence(Qt::CTRL | Qt::Key_P);
    QTest::newRow("today's receipts") << "mnuReceipts" << "&Receipts" << "mnuTodaysReceipts" << "Today's &Receipts..."
                                      << QKeySequence(Qt::CTRL | Qt::Key_R);
    QTest::newRow("open the drawer") << "mnuDrawer" << "&Drawer" << "mnuOpenDrawer" << "&Open the Cash Drawer (No Sale)"
                                     << QKeySequence(Qt::CTRL | Qt::Key_D);
}

void TestRegister::menus_captionsAndShortcuts()
{
    QFETCH(QString, menu);
    QFETCH(QString, menuCaption);
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    RegisterFixture t;
    CashRegisterWindow* w = t.open();
    auto* owner = w->findChild<QMenu*>(menu);
    QVERIFY(owner);
    QCOMPARE(owner->title(), menuCaption);
    QVERIFY(w->menuBar->actions().contains(owner->menuAction()));
    auto* action = w->findChild<QAction*>(item);
    QVERIFY(action);
    QVERIFY(owner->actions().contains(action));
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->shortcut(), shortcut);
}

void TestRegister::quantityBox_takesDigitsOnly()
{
    RegisterFixture t;
    CashRegisterWindow* w = t.open();
    QTest::keyClicks(w->txtQuantity, "a1b2.-3");
    QCOMPARE(w->txtQuantity->text(), QStringLiteral("123"));
}

void TestRegister::cashierPickUp_secondTickTakesTheGateRow_data()
{
    QTest::addColumn<Value>("cashier");      // the gate's row; a text "<none>": no row at all
    QTest::addColumn<QString>("pickedUp");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("the gate's row") << Value(QStringLiteral("Maria Silva")) << "Maria Silva" << 0;
    QTest::newRow("empty tblReceipt") << Value(QStringLiteral("<none>")) << "" << 0;
    QTest::newRow("a row without a name stays") << Value() << "" << 1;
    QTest::newRow("an empty name") << Value(QString()) << "" << 0;
}

void TestRegister::cashierPickUp_secondTickTakesTheGateRow()
{
    QFETCH(Value, cashier);
    QFETCH(QString, pickedUp);
    QFETCH(int, rowsLeft);
    RegisterFixture t;
    if (cashier != Value(QStringLiteral("<none>")))
        t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", cashier}});
    CashRegisterWindow* w = t.open();
    const int rowsAtOpen = t.rows(QStringLiteral("tblReceipt"));

    w->CashierTime_Timer();
    QCOMPARE(w->sale().cashierName, QString());
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), rowsAtOpen);

    w->CashierTime_Timer();
    QCOMPARE(w->sale().cashierName, pickedUp);
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), rowsLeft);

    // Later ticks change nothing, even with a row to take.
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Someone Else")}});
    w->DataReceipt->refresh();
    for (int tick = 0; tick < 5; ++tick)
        w->CashierTime_Timer();
    QCOMPARE(w->sale().cashierName, pickedUp);
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), rowsLeft + 1);
    QVERIFY(t.ui.boxes().empty());
}

void TestRegister::newSale_resetsTheScreenAndTouchesNoTable()
{
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.open();
    RegisterFixture::enter(w, QStringLiteral("ABC"), QStringLiteral("Milk"), QStringLiteral("2"));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $3.00"));
    // Only a completed sale enables New Sale: stand in for one.
    w->cmdNewSale->setEnabled(true);
    const QString before = t.snapshot();

    QTest::mouseClick(w->cmdNewSale, Qt::LeftButton);

    for (QLabel* label : {w->lblTax, w->lblChange, w->lblTotal, w->lblAmount})
        QCOMPARE(label->text(), QStringLiteral("  $0.00"));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $0.00"));
    QCOMPARE(w->lblProductDescription->text(), QString());
    for (QLineEdit* box : std::initializer_list<QLineEdit*>{w->txtQuantity, w->txtProductName, w->txtProductCode})
        QCOMPARE(box->text(), QString());
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->sale().subtotal, Currency());
    QCOMPARE(w->sale().itemCount, std::int16_t(2)); // left to completion
    QCOMPARE(t.snapshot(), before);
}

void TestRegister::anyKey_disablesNewSale_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("typed"); // what the key types, and the name box then holds
    QTest::newRow("a letter") << int(Qt::Key_M) << "m";
    QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock) << "";
    QTest::newRow("Num Lock") << int(Qt::Key_NumLock) << "";
    QTest::newRow("the menu key") << int(Qt::Key_Menu) << "";
    QTest::newRow("e acute") << int(Qt::Key_Eacute) << QStringLiteral("\u00e9");
    QTest::newRow("F1, which opens the help") << int(Qt::Key_F1) << "";
}

void TestRegister::anyKey_disablesNewSale()
{
    QFETCH(int, key);
    QFETCH(QString, typed);
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.openActive(); // menu shortcuts work in the active window
    w->cmdNewSale->setEnabled(true);
    QTest::sendKeyEvent(QTest::Click, w->txtProductName, Qt::Key(key), typed, Qt::NoModifier);
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->txtProductName->text(), typed); // the box still gets the key
}

void TestRegister::emptyCatalogue_enterDoesNothing()
{
    RegisterFixture t;
    CashRegisterWindow* w = t.open();
    w->cmdNewSale->setEnabled(true);
    const QString before = t.snapshot();
    RegisterFixture::enter(w, QStringLiteral("ABC"));
    QTest::keyClick(w->txtProductCode, Qt::Key_End);
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->txtQuantity->text(), QString()); // not even the quantity is filled in
    QVERIFY(!w->cmdNewSale->isEnabled());
}
