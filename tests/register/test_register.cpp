#include "app/window_manager.h"
#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/receipt.h"
#include "register/windows.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/record_source.h"
#include "support/test_context.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using cashregister::CashRegisterWindow;
using store::Currency;
using store::RecordSource;
using store::Value;
using testing::ShownBox;
using testing::TestContext;

namespace {

Value whole(int n)
{
    return Value(std::int16_t(n));
}

Value money(std::int64_t cents)
{
    return Value(Currency::fromCents(cents));
}

// A box as a test expects it: text, shown title and icon.
struct Box {
    QString text;
    QString title;
    ui::Icon icon = ui::Icon::None;
};

const Box kQuantityError{QStringLiteral(" There was an error.  Please check the quantity."), QStringLiteral(" CHECK QUANTITY")};
const Box kNotFound{QStringLiteral(" Product was not found.  Use the reference system if you are having problems."),
    QStringLiteral(" This Product is not in the Database")};

// The tables a sale line writes, with the catalogue.
const QStringList kSaleTables{QStringLiteral("tblProductPrice"), QStringLiteral("tblProductQuantity"), QStringLiteral("tblReceipt"),
    QStringLiteral("tblDailySale"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory")};

// A store with a small catalogue, the cash register window and what a test reads back.
struct RegisterFixture : TestContext {
    RegisterFixture()
    {
        cashregister::registerWindows(windows);
        startup::registerWindows(windows);
    }

    void addRow(const QString& table, const QList<std::pair<const char16_t*, Value>>& fields)
    {
        RecordSource source(*store, QStringLiteral("setup"), table);
        source.addNew();
        for (const auto& [name, value] : fields)
            source.setField(name, value);
        source.update();
    }

    void addPrice(const QString& code, const QString& name, std::int64_t cents, const QString& category)
    {
        addRow(QStringLiteral("tblProductPrice"),
            {{u"Code", code}, {u"ProductName", name}, {u"ProductPrice", money(cents)}, {u"VPrice", money(cents / 2)}, {u"ProdCathegory", category}});
    }

    void addStock(const QString& code, int onHand, int sold = 0)
    {
        addRow(QStringLiteral("tblProductQuantity"), {{u"Code", code}, {u"QuantityBought", whole(onHand)}, {u"QuantityOnHand", whole(onHand)},
                                                         {u"QuantitySold", whole(sold)}});
    }

    // Milk at 1.50 (10 in stock), Bread at 1.25 (5), Soap at 2.00 in a category the tallies do not
    // know (3), and a price row with no stock row after them.
    void catalogue()
    {
        addPrice(QStringLiteral("ABC"), QStringLiteral("Milk"), 150, QStringLiteral("Dairy"));
        addStock(QStringLiteral("ABC"), 10);
        addPrice(QStringLiteral("B12"), QStringLiteral("Bread"), 125, QStringLiteral("bakery"));
        addStock(QStringLiteral("B12"), 5);
        addPrice(QStringLiteral("X9"), QStringLiteral("Soap"), 200, QStringLiteral("Toys"));
        addStock(QStringLiteral("X9"), 3);
        addPrice(QStringLiteral("P4"), QStringLiteral("Ghost"), 999, QStringLiteral("Meat"));
    }

    void tallies(int days)
    {
        addRow(QStringLiteral("tblCathegory"), {{u"NumberOfDays", whole(days)}, {u"Meat", whole(4)}, {u"Dairy", whole(6)}, {u"Cleaning", whole(2)}});
    }

    void setField(const QString& table, QStringView name, const Value& value, int row = 0)
    {
        RecordSource source(*store, QStringLiteral("setup"), table);
        for (int i = 0; i < row; ++i)
            source.moveNext();
        source.edit();
        source.setField(name, value);
        source.update();
    }

    void emptyTable(const QString& table)
    {
        RecordSource source(*store, QStringLiteral("setup"), table);
        while (!source.atEnd()) {
            source.remove();
            source.moveNext();
        }
    }

    CashRegisterWindow* open()
    {
        auto* window = static_cast<CashRegisterWindow*>(windows.show(QString::fromLatin1(CashRegisterWindow::kName)));
        // The tests tick the cashier pick-up themselves.
        window->CashierTime->stop();
        return window;
    }

    CashRegisterWindow* openActive()
    {
        CashRegisterWindow* window = open();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the cash register window did not become active");
        return window;
    }

    // Types the code, the name and the quantity as the cashier does and presses Enter in the
    // code box.
    static void enter(CashRegisterWindow* window, const QString& code, const QString& name = {}, const QString& quantity = {})
    {
        for (auto [box, text] : {std::pair<QLineEdit*, QString>{window->txtProductCode, code}, {window->txtProductName, name}}) {
            box->clear();
            QTest::keyClicks(box, text);
        }
        window->txtQuantity->clear();
        if (ui::DigitsOnlyEdit::isDigits(quantity))
            QTest::keyClicks(window->txtQuantity, quantity);
        else
            window->txtQuantity->setText(quantity); // text the keyboard could not have typed
        QTest::keyClick(window->txtProductCode, Qt::Key_Return);
    }

    Value field(const QString& table, const char16_t* name, int row = 0) const
    {
        RecordSource source(*store, QStringLiteral("check"), table);
        for (int i = 0; i < row && !source.atEnd(); ++i)
            source.moveNext();
        return source.atEnd() ? Value(QStringLiteral("<no row>")) : source.field(name);
    }

    int rows(const QString& table) const { return RecordSource(*store, QStringLiteral("check"), table).recordCount(); }

    // Every row of the tables a sale writes, as text: equal snapshots are equal tables.
    QString snapshot() const { return snapshotOf(kSaleTables); }

    QString snapshotOf(const QStringList& tables) const
    {
        QStringList lines;
        for (const QString& table : tables) {
            RecordSource source(*store, QStringLiteral("check"), table);
            lines << table;
            for (; !source.atEnd(); source.moveNext()) {
                QStringList cells;
                for (int f = 0; f < int(source.table().fields.size()); ++f)
                    cells << (source.field(f).isNull() ? QStringLiteral("<null>") : source.field(f).display());
                lines << cells.join(u'|');
            }
        }
        return lines.join(u'\n');
    }

    void expectBoxes(const QList<Box>& expected) const
    {
        QCOMPARE(int(ui.boxes().size()), int(expected.size()));
        for (int i = 0; i < expected.size(); ++i) {
            const ShownBox& shown = ui.boxes()[std::size_t(i)];
            QCOMPARE(shown.text, expected[i].text);
            QCOMPARE(shown.shownTitle, expected[i].title);
            QCOMPARE(shown.icon, expected[i].icon);
            QCOMPARE(shown.buttons, ui::Buttons::Ok);
        }
    }
};

} // namespace

class TestRegister : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    // The window and the sale state.
    void opening_zeroAmountsEmptyActionAndNewSaleDisabled();
    void controls_captionsAndNames_data();
    void controls_captionsAndNames();
    void menus_captionsAndShortcuts_data();
    void menus_captionsAndShortcuts();
    void quantityBox_takesDigitsOnly();
    void cashierPickUp_secondTickTakesTheGateRow_data();
    void cashierPickUp_secondTickTakesTheGateRow();
    void newSale_resetsTheScreenAndTouchesNoTable();
    void anyKey_disablesNewSale();
    void emptyCatalogue_enterDoesNothing();

    // Item entry.
    void itemEntry_data();
    void itemEntry();
    void itemEntry_enterAndScannerKeys_data();
    void itemEntry_enterAndScannerKeys();
    void itemEntry_enterTwiceRecordsTwice();
    void itemEntry_thirtyDayClearing_data();
    void itemEntry_thirtyDayClearing();
    void itemEntry_firstLineMakesTheMissingRows();
    void itemEntry_lineIsOneUnitOfWork_data();
    void itemEntry_lineIsOneUnitOfWork();

    // Cancelling.
    void cancel_data();
    void cancel();
    void cancel_emptySale_data();
    void cancel_emptySale();
    void cancel_missingSoldLine_data();
    void cancel_missingSoldLine();
    void cancel_stockRowWithAnOldCode_data();
    void cancel_stockRowWithAnOldCode();
    void cancel_twoLinesOfOneProduct();
    void cancel_isOneUnitOfWork_data();
    void cancel_isOneUnitOfWork();

    // Completing a sale and its receipt.
    void complete_emptySale_data();
    void complete_emptySale();
    void complete_tendering_data();
    void complete_tendering();
    void complete_saleOfThreeUnits();
    void complete_afterTheFirstLineIsTakenBack();
    void complete_abandoned_data();
    void complete_abandoned();
    void complete_receiptNotPrinted_data();
    void complete_receiptNotPrinted();
    void receipt_layout_data();
    void receipt_layout();

    // The reference panel, the day's takings, help and the way back.
    void show_data();
    void show();
    void clear_emptiesThePanel();
    void totalSoldToday_data();
    void totalSoldToday();
    void help_opensTheContents();
    void backToMainSystem_data();
    void backToMainSystem();
    void backToMainSystem_linesWithNothingToGiveBack_data();
    void backToMainSystem_linesWithNothingToGiveBack();
};

void TestRegister::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

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

void TestRegister::anyKey_disablesNewSale()
{
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.open();
    w->cmdNewSale->setEnabled(true);
    QTest::keyClick(w->txtProductName, Qt::Key_M);
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->txtProductName->text(), QStringLiteral("m")); // the box still gets the key
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
    QTest::newRow("quantity past 32767") << "ABC" << "" << "40000" << kQuantityError.text << kQuantityError.title << none << -1 << 0 << "40000";
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
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
    });
    const QString before = t.snapshot();
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    t.store->setWriteHook(nullptr);

    t.expectBoxes({kQuantityError});
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

// ---------------------------------------------------------------------------------------------
// Cancelling

namespace {

// A sale of two Milk (3.00) and one Bread (1.25), opened on a fresh window; `afterOpen` runs
// before the first line.
CashRegisterWindow* saleOfMilkAndBread(RegisterFixture& t, const std::function<void(CashRegisterWindow*)>& afterOpen = {})
{
    t.catalogue();
    CashRegisterWindow* w = t.openActive();
    if (afterOpen)
        afterOpen(w);
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("1"));
    t.ui.clearBoxes();
    return w;
}

// After the sale of Milk and Bread is abandoned: tblReceipt is empty, the goods are back in stock
// and out of today's lines and unit count; what sold and the tallies keep the units, as a line
// taken back leaves them.
void expectMilkAndBreadGivenBack(const RegisterFixture& t)
{
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 1), whole(5));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantitySold"), whole(2));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantitySold", 1), whole(1));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 0);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(0));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Dairy"), whole(2));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Bakery"), whole(1));
}

void pressCancel(CashRegisterWindow* w, const QString& by)
{
    // The shortcut works with the focus in a text box, which would take Ctrl+C for copying.
    w->txtProductCode->setFocus();
    QTest::keyClick(w->txtProductCode, by == QStringLiteral("code") ? Qt::Key_C : Qt::Key_N, Qt::ControlModifier);
}

} // namespace

void TestRegister::cancel_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("boxTitle"); // the not-found box; empty: none
    QTest::newRow("by code") << "code" << "ABC" << true << "";
    QTest::newRow("by code, lower case") << "code" << "abc" << true << "";
    QTest::newRow("by name, any case") << "name" << "mIlK" << true << "";
    QTest::newRow("by code, the default blank") << "code" << " " << false << "No product found with this code ";
    QTest::newRow("by name, the default blank") << "name" << " " << false << "No product found ";
    QTest::newRow("by code, a name") << "code" << "Milk" << false << "No product found with this code ";
    QTest::newRow("by name, a code") << "name" << "ABC" << false << "No product found ";
    QTest::newRow("by code, answer cleared") << "code" << "" << false << "";
    QTest::newRow("by name, box cancelled") << "name" << "" << false << "";
}

void TestRegister::cancel()
{
    QFETCH(QString, by);
    QFETCH(QString, answer);
    QFETCH(bool, cancelled);
    QFETCH(QString, boxTitle);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    const QString before = t.snapshot();
    t.ui.answerInput(answer);

    pressCancel(w, by);

    QVERIFY(!t.ui.boxes().empty());
    const ShownBox& question = t.ui.boxes()[0];
    QCOMPARE(question.kind, ShownBox::Kind::Input);
    QCOMPARE(question.defaultText, QStringLiteral(" "));
    if (by == QStringLiteral("code")) {
        QCOMPARE(question.text, QStringLiteral("Please Enter Code of Product to be Canceled:"));
        QCOMPARE(question.title, QStringLiteral(" Enter Product Code"));
    } else {
        QCOMPARE(question.text, QStringLiteral("Please enter name of product to be candceled:"));
        QCOMPARE(question.title, QStringLiteral(" Enter Product Name"));
    }
    QCOMPARE(t.ui.failures(), QString());

    if (!cancelled) {
        QCOMPARE(int(t.ui.boxes().size()), boxTitle.isEmpty() ? 1 : 2);
        if (!boxTitle.isEmpty()) {
            QCOMPARE(t.ui.boxes()[1].text, QStringLiteral("No product to be canceled"));
            QCOMPARE(t.ui.boxes()[1].title, boxTitle);
            QCOMPARE(t.ui.boxes()[1].icon, ui::Icon::None);
        }
        QCOMPARE(t.snapshot(), before);
        QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
        QCOMPARE(w->sale().itemCount, std::int16_t(3));
        return;
    }
    QCOMPARE(int(t.ui.boxes().size()), 1);
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code"), Value(QStringLiteral("B12")));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantitySold"), whole(2)); // kept
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(1));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 1);
    QCOMPARE(t.field(QStringLiteral("daillySale"), u"Codigo"), Value(QStringLiteral("B12")));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Dairy"), whole(2)); // kept
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("$1.25"));
    QCOMPARE(w->sale().subtotal, Currency::fromCents(125));
    QCOMPARE(w->sale().itemCount, std::int16_t(1));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("-  ABC Milk 2 X $3.00"));
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.00"));
}

void TestRegister::cancel_emptySale_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("title");
    QTest::newRow("by code") << "code" << "No product found with this code ";
    QTest::newRow("by name") << "name" << "Not product found with this name ";
}

void TestRegister::cancel_emptySale()
{
    QFETCH(QString, by);
    QFETCH(QString, title);
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.openActive();
    t.ui.answerInput(QStringLiteral("ABC"));
    pressCancel(w, by);
    QCOMPARE(t.ui.texts(), (QStringList{t.ui.boxes()[0].text, QStringLiteral("No product to be canceled")}));
    QCOMPARE(t.ui.boxes()[1].title, title);
    QCOMPARE(t.ui.boxes()[1].icon, ui::Icon::None);
}

void TestRegister::cancel_missingSoldLine_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("itemCountAfter");
    QTest::newRow("by code: the count goes down all the same") << "code" << "abc" << -2;
    QTest::newRow("by name: the count stays") << "name" << "milk" << 0;
}

// A line whose sold line is not there (its quantity differs): the stock comes back and the line
// goes, the day's count and the sold lines stay.
void TestRegister::cancel_missingSoldLine()
{
    QFETCH(QString, by);
    QFETCH(QString, answer);
    QFETCH(int, itemCountAfter);
    RegisterFixture t;
    t.catalogue();
    t.addRow(QStringLiteral("tblReceipt"), {{u"Code", QStringLiteral("ABC")}, {u"ProdName", QStringLiteral("Milk")}, {u"pQty", whole(2)}, {u"ProdPrice", money(300)}});
    t.addRow(QStringLiteral("daillySale"), {{u"Codigo", QStringLiteral("ABC")}, {u"Nome_Produto", QStringLiteral("Milk")}, {u"Quantidade", whole(1)}, {u"Preco", money(150)}});
    t.setField(QStringLiteral("tblDailySale"), u"totalItems", whole(7));
    CashRegisterWindow* w = t.openActive();
    t.ui.answerInput(answer);
    pressCancel(w, by);

    QCOMPARE(t.ui.boxes().size(), std::size_t(1));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(12));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(7));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 1);
    QCOMPARE(w->sale().itemCount, std::int16_t(itemCountAfter));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("-$3.00"));
}

void TestRegister::cancel_stockRowWithAnOldCode_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("answer");
    QTest::newRow("by code") << "code" << "abc";
    QTest::newRow("by name") << "name" << "Milk";
}

// The product's code was changed after it was added: its stock row keeps the old code, the
// cancel finds no stock row and leaves the line in the sale, without a word.
void TestRegister::cancel_stockRowWithAnOldCode()
{
    QFETCH(QString, by);
    QFETCH(QString, answer);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    t.setField(QStringLiteral("tblProductQuantity"), u"Code", QStringLiteral("OLD"));
    w->DataPQty->refresh();
    const QString before = t.snapshot();
    t.ui.answerInput(answer);
    pressCancel(w, by);
    QCOMPARE(t.ui.boxes().size(), std::size_t(1));
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
}

void TestRegister::cancel_twoLinesOfOneProduct()
{
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("1"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 3);

    t.ui.answerInput(QStringLiteral("ABC"));
    pressCancel(w, QStringLiteral("code"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 2);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code", 1), Value(QStringLiteral("ABC")));
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"pQty", 1), whole(1));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("-  ABC Milk 2 X $3.00"));

    t.ui.answerInput(QStringLiteral("milk"));
    pressCancel(w, QStringLiteral("name"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code"), Value(QStringLiteral("B12")));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(1));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 1);
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("$1.25"));
    QCOMPARE(w->sale().itemCount, std::int16_t(1));
    QCOMPARE(t.ui.failures(), QString());
}

void TestRegister::cancel_isOneUnitOfWork_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<int>("failAt"); // 0: none fails
    QTest::addColumn<bool>("fullStock");
    QTest::newRow("by code, fails on the day's count") << "code" << 1 << false;
    QTest::newRow("by code, fails on the sold line") << "code" << 2 << false;
    QTest::newRow("by code, fails on the stock") << "code" << 3 << false;
    QTest::newRow("by name, fails on the stock") << "name" << 3 << false;
    QTest::newRow("by code, fails on the receipt line") << "code" << 4 << false;
    QTest::newRow("by name, stock would pass 32767") << "name" << 0 << true;
}

void TestRegister::cancel_isOneUnitOfWork()
{
    QFETCH(QString, by);
    QFETCH(int, failAt);
    QFETCH(bool, fullStock);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    if (fullStock)
        t.setField(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", whole(32767));
    const QString before = t.snapshot();
    QStringList written;
    t.store->setWriteHook([&](const QString& name) {
        written << name;
        if (written.size() == failAt)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
    });
    t.ui.answerInput(by == QStringLiteral("code") ? QStringLiteral("ABC") : QStringLiteral("Milk"));
    pressCancel(w, by);
    t.store->setWriteHook(nullptr);

    QCOMPARE(t.ui.boxes().size(), std::size_t(1)); // the question; the failure says nothing
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
    QCOMPARE(w->sale().itemCount, std::int16_t(3));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("  B12 Bread 1 X $1.25"));

    // With the store writing again, the cancel goes through from what is stored.
    if (fullStock)
        t.setField(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", whole(8));
    written.clear();
    t.store->setWriteHook([&](const QString& name) { written << name; });
    t.ui.answerInput(QStringLiteral("abc"));
    pressCancel(w, QStringLiteral("code"));
    t.store->setWriteHook(nullptr);
    QCOMPARE(written, (QStringList{QStringLiteral("tblDailySale"), QStringLiteral("daillySale"), QStringLiteral("tblProductQuantity"),
                          QStringLiteral("tblReceipt")}));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(1));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("$1.25"));
}

// ---------------------------------------------------------------------------------------------
// Completing a sale

namespace {

const Box kNoSale{QStringLiteral("No sale to resume.  Sale list is empty."), QStringLiteral("No Sale to Resume"), ui::Icon::Warning};
const Box kPayInFull{QStringLiteral("Client must pay full total. Press ESC if you want to cancel this sale."),
    QStringLiteral(" Total Must be Paid in Full."), ui::Icon::Warning};

// A sale of one Tea at 10.00, at a tax rate of 6 %, on a store that holds nothing else.
CashRegisterWindow* saleOfTen(RegisterFixture& t)
{
    t.addPrice(QStringLiteral("T10"), QStringLiteral("Tea"), 1000, QStringLiteral("Beverage"));
    t.addStock(QStringLiteral("T10"), 20);
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    CashRegisterWindow* w = t.openActive();
    RegisterFixture::enter(w, QStringLiteral("T10"), {}, QStringLiteral("1"));
    t.ui.clearBoxes();
    return w;
}

// The amount boxes shown, checked, and the messages between them, as texts.
QStringList amountBoxesAndMessages(const RegisterFixture& t)
{
    QStringList seen;
    for (const ShownBox& box : t.ui.boxes()) {
        if (box.kind == ShownBox::Kind::Input) {
            if (box.text != u"Please enter amount tendered:" || box.title != u" Amount Tendered:" || box.defaultText != u"0")
                return {QStringLiteral("unexpected input box: ") + box.text + u'|' + box.title + u'|' + box.defaultText};
            seen << QStringLiteral("<amount>");
        } else {
            seen << box.text;
        }
    }
    return seen;
}

void pressEnd(CashRegisterWindow* w)
{
    QTest::keyClick(w->txtProductCode, Qt::Key_End);
}

} // namespace

void TestRegister::complete_emptySale_data()
{
    QTest::addColumn<bool>("cancelEveryLine");
    QTest::newRow("nothing entered") << false;
    QTest::newRow("every line taken back") << true;
}

void TestRegister::complete_emptySale()
{
    QFETCH(bool, cancelEveryLine);
    RegisterFixture t;
    CashRegisterWindow* w = nullptr;
    if (cancelEveryLine) {
        w = saleOfMilkAndBread(t);
        for (const char* code : {"ABC", "B12"}) {
            t.ui.answerInput(QString::fromLatin1(code));
            pressCancel(w, QStringLiteral("code"));
        }
    } else {
        t.catalogue();
        w = t.openActive();
    }
    QCOMPARE(w->sale().subtotal, Currency());
    t.ui.clearBoxes();
    const QString before = t.snapshot();
    const QString subtotalShown = w->lblSubtotal->text();

    pressEnd(w);

    t.expectBoxes({kNoSale});
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->lblSubtotal->text(), subtotalShown);
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.00"));
    QVERIFY(!w->cmdNewSale->isEnabled());
    QVERIFY(t.printer().printed.empty());
}

void TestRegister::complete_tendering_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("tendered");
    QTest::addColumn<QString>("change");
    QTest::newRow("exactly the total, in cents") << QStringList{"1060"} << " $10.60" << " $0.00";
    QTest::newRow("a cent short, then enough") << QStringList{"1059", "1060"} << " $10.60" << " $0.00";
    QTest::newRow("10.60 is 0.106: too little") << QStringList{"10.60", "1060"} << " $10.60" << " $0.00";
    QTest::newRow("short twice, then a twenty") << QStringList{"0", "-2000", "2000"} << " $20.00" << " $9.40";
    QTest::newRow("blanks around the amount") << QStringList{" 1100 "} << " $11.00" << " $0.40";
}

// 10.00 at a rate of 0.06: a tax of 0.60 and a total of 10.60, paid in full before anything is
// booked.
void TestRegister::complete_tendering()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, tendered);
    QFETCH(QString, change);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfTen(t);
    for (const QString& answer : answers)
        t.ui.answerInput(answer);

    pressEnd(w);

    QStringList expected;
    for (int i = 0; i < answers.size(); ++i) {
        if (i > 0)
            expected << kPayInFull.text;
        expected << QStringLiteral("<amount>");
    }
    QCOMPARE(amountBoxesAndMessages(t), expected);
    for (const ShownBox& box : t.ui.boxes()) {
        if (box.kind == ShownBox::Kind::Message) {
            QCOMPARE(box.title, kPayInFull.title);
            QCOMPARE(box.icon, kPayInFull.icon);
        }
    }
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $10.00"));
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.60"));
    QCOMPARE(w->lblTotal->text(), QStringLiteral(" $10.60"));
    QCOMPARE(w->lblAmount->text(), tendered);
    QCOMPARE(w->lblChange->text(), change);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(1060));
    QCOMPARE(t.printer().printed.size(), std::size_t(1));
    QVERIFY(t.printer().printed[0].text.contains(QStringLiteral("$10.60")));
}

// A completed sale of three units, checked write by write.
void TestRegister::complete_saleOfThreeUnits()
{
    RegisterFixture t;
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Maria Silva")}});
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    t.setField(QStringLiteral("tblDailySale"), u"DailySale", money(2000));
    CashRegisterWindow* w = saleOfMilkAndBread(t, [](CashRegisterWindow* opened) {
        opened->CashierTime_Timer();
        opened->CashierTime_Timer();
    });
    QCOMPARE(w->sale().cashierName, QStringLiteral("Maria Silva"));
    const QString stockBefore = t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory")});
    const int itemsBefore = t.field(QStringLiteral("tblDailySale"), u"totalItems").toWhole();

    // What is written, in order, and what the receipt finds in tblReceipt when it prints.
    QStringList written;
    t.store->setWriteHook([&](const QString& table) { written << table; });
    QString atPrinting;
    t.printer().whilePrinting = [&] {
        written << QStringLiteral("<print>");
        atPrinting = t.snapshotOf({QStringLiteral("tblReceipt")});
    };
    t.ui.answerInput(QStringLiteral("500"));
    pressEnd(w);
    t.store->setWriteHook(nullptr);

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(amountBoxesAndMessages(t), QStringList{QStringLiteral("<amount>")});
    QCOMPARE(written, (QStringList{"tblReceipt", "tblReceipt", "tblDailySale", "<print>", "tblReceipt", "tblReceipt"}));
    // 4.25 at 6 %: a tax of 0.255, kept to four decimals; shown rounded.
    QCOMPARE(atPrinting, QStringLiteral("tblReceipt\n"
                                        "ABC|Milk|2|3|Maria Silva|4.25|0.255|4.505|5|0.495\n"
                                        "B12|Bread|1|1.25|<null>|0|0|0|0|0"));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), Value(Currency::fromUnits(245050)));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    // Completion writes nothing to the stock, today's lines or the tallies.
    QCOMPARE(t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory")}), stockBefore);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems").toWhole(), itemsBefore);

    // The labels keep the finished sale; the sale state is back to nothing.
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.26"));
    QCOMPARE(w->lblTotal->text(), QStringLiteral(" $4.51"));
    QCOMPARE(w->lblAmount->text(), QStringLiteral(" $5.00"));
    QCOMPARE(w->lblChange->text(), QStringLiteral(" $0.50"));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 3 items sold"));
    for (Currency amount : {w->sale().subtotal, w->sale().tax, w->sale().total, w->sale().amountTendered, w->sale().change})
        QCOMPARE(amount, Currency());
    QCOMPARE(w->sale().itemCount, std::int16_t(0));
    QVERIFY(w->cmdNewSale->isEnabled());
    QVERIFY(!t.ui.busy());

    // The receipt: every line and every figure of the sale, the cashier, the date and the time.
    QCOMPARE(t.printer().printed.size(), std::size_t(1));
    QCOMPARE(t.printer().printed[0].name, QStringLiteral("Receipt 2026-12-10 14-05-09"));
    const QStringList receipt = t.printer().printed[0].text.split(u'\n');
    for (const QString& expected : {QStringLiteral("Cashier: Maria Silva"), QStringLiteral("10-Dec-26 2:05:09 PM"), QStringLiteral("ABC"),
             QStringLiteral("Milk"), QStringLiteral("2"), QStringLiteral("$3.00"), QStringLiteral("B12"), QStringLiteral("Bread"),
             QStringLiteral("1"), QStringLiteral("$1.25"), QStringLiteral("Subtotal"), QStringLiteral("$4.25"), QStringLiteral("Tax"),
             QStringLiteral("$0.26"), QStringLiteral("Total"), QStringLiteral("$4.51"), QStringLiteral("Amount tendered"),
             QStringLiteral("$5.00"), QStringLiteral("Change"), QStringLiteral("$0.50")})
        QVERIFY2(receipt.contains(expected), qPrintable(expected + QStringLiteral(" is not on the receipt:\n") + receipt.join(u'\n')));
    QVERIFY(receipt.indexOf(QStringLiteral("Milk")) < receipt.indexOf(QStringLiteral("Bread")));

    // The next key takes New Sale away; the next line starts a new sale from zero.
    t.ui.clearBoxes();
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("1"));
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $1.25"));
    QCOMPARE(w->lblTotal->text(), QStringLiteral(" $0.00"));
}

// Lines taken back before End are neither on the receipt nor in the money; the sale's figures go
// into the first line that is left.
void TestRegister::complete_afterTheFirstLineIsTakenBack()
{
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    t.ui.answerInput(QStringLiteral("ABC"));
    pressCancel(w, QStringLiteral("code"));
    QString atPrinting;
    t.printer().whilePrinting = [&] { atPrinting = t.snapshotOf({QStringLiteral("tblReceipt")}); };
    t.ui.clearBoxes();
    t.ui.answerInput(QStringLiteral("125"));

    pressEnd(w);

    QCOMPARE(amountBoxesAndMessages(t), QStringList{QStringLiteral("<amount>")});
    QCOMPARE(atPrinting, QStringLiteral("tblReceipt\nB12|Bread|1|1.25||1.25|0|1.25|1.25|0"));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(125));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 1 items sold"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
}

void TestRegister::complete_abandoned_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("failure"); // "": none; "money": the day's takings cannot be written once; "tax": no tax row
    QTest::newRow("Esc at the amount") << QStringList{""} << "";
    QTest::newRow("text that is not a number") << QStringList{"twenty"} << "";
    QTest::newRow("too little, then Esc") << QStringList{"1", ""} << "";
    QTest::newRow("the day's takings cannot be written") << QStringList{"500"} << "money";
    QTest::newRow("no tax rate") << QStringList{} << "tax";
    QTest::newRow("a tax rate without a value") << QStringList{} << "null tax";
}

// A sale that ends before its money is booked gives its goods back: the stock, today's lines and
// the day's unit count are as they were before the sale; what sold and the tallies keep.
void TestRegister::complete_abandoned()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, failure);
    RegisterFixture t;
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    t.setField(QStringLiteral("tblDailySale"), u"DailySale", money(2000));
    if (failure == u"tax")
        t.emptyTable(QStringLiteral("tblTax"));
    else if (failure == u"null tax")
        t.setField(QStringLiteral("tblTax"), u"Tax", Value());
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(8));

    for (const QString& answer : answers)
        t.ui.answerInput(answer);
    bool failedOnce = false;
    if (failure == u"money") {
        t.store->setWriteHook([&](const QString& table) {
            if (table == u"tblDailySale" && !failedOnce) {
                failedOnce = true;
                throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
            }
        });
    }
    pressEnd(w);
    t.store->setWriteHook(nullptr);

    QCOMPARE(t.ui.failures(), QString());
    for (const ShownBox& box : t.ui.boxes()) {
        if (box.kind == ShownBox::Kind::Message)
            QCOMPARE(box.text, kPayInFull.text);
    }
    expectMilkAndBreadGivenBack(t);
    QVERIFY(!QTest::currentTestFailed());
    // No money, no receipt, no New Sale; the labels keep their last values.
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(2000));
    QVERIFY(t.printer().printed.empty());
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
    QCOMPARE(w->sale().subtotal, Currency());
    QCOMPARE(w->sale().itemCount, std::int16_t(0));
    if (!failure.isEmpty() && failure != u"money")
        return;

    // The till goes on: the next sale takes the whole stock given back and is completed.
    t.ui.clearBoxes();
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("10"));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(0));
    t.ui.answerInput(QStringLiteral("1600"));
    pressEnd(w);
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 10 items sold"));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(2000 + 1590));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
}

void TestRegister::complete_receiptNotPrinted_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("the printer fails")
        << "printer" << "The receipt was not printed. The printer \"Till\" could not print the document. A copy was saved as \"/r.pdf\".";
    QTest::newRow("the store holds no receipt")
        << "no layout" << "The receipt was not printed. The store holds no layout for the receipt (rptReceipt).";
    QTest::newRow("the receipt names what the sale does not have")
        << "bad layout" << "The receipt was not printed. The receipt's layout names {{Discount}}, which is not a field of the sale.";
}

// A receipt that cannot be printed is reported; the sale stays completed and its money booked.
void TestRegister::complete_receiptNotPrinted()
{
    QFETCH(QString, failure);
    QFETCH(QString, reason);
    RegisterFixture t;
    if (failure == u"printer") {
        t.printer().failure = QStringLiteral("The printer \"Till\" could not print the document. A copy was saved as \"/r.pdf\".");
    } else if (failure == u"no layout") {
        t.emptyTable(QStringLiteral("Reports"));
    } else {
        t.setField(QStringLiteral("Reports"), u"Layout", QStringLiteral("<p>{{Total}} {{Discount}}</p>"));
    }
    CashRegisterWindow* w = saleOfTen(t);
    t.ui.answerInput(QStringLiteral("1060"));

    pressEnd(w);

    QCOMPARE(amountBoxesAndMessages(t), (QStringList{QStringLiteral("<amount>"), reason + QStringLiteral("\n\nThe sale is complete and its money is booked.")}));
    QCOMPARE(t.ui.boxes().back().title, QStringLiteral("Receipt Not Printed"));
    QCOMPARE(t.ui.boxes().back().icon, ui::Icon::Warning);
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(1060));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(19));
    QVERIFY(w->cmdNewSale->isEnabled());
    QCOMPARE(w->lblChange->text(), QStringLiteral(" $0.00"));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 1 items sold"));
    QVERIFY(!t.ui.busy());
}

void TestRegister::receipt_layout_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("filled"); // or the error
    const QString lines = QStringLiteral("{{#lines}}[{{code}} {{ProdName}} {{PQTY}} {{ProdPrice}}]{{/lines}}");
    QTest::newRow("every line, the first row's figures, date and time")
        << QStringLiteral("{{Cashier}}|") + lines + QStringLiteral("|{{ Total }}|{{Date}} {{Time}}")
        << "Ana &lt;b&gt;&amp;|[ABC Milk 2 $3.00][S&amp;P Salt &amp; &lt;i&gt;Pepper&lt;/i&gt; 1 $1,234.50]|$1,237.50|10-Dec-26 2:05:09 PM";
    QTest::newRow("a field without a value is nothing") << "<{{AmountTendered}}><{{#lines}}{{Change}}.{{/lines}}>" << "<><$0.00..>";
    QTest::newRow("a lines' part may stand twice") << "{{#lines}}{{pQty}}{{/lines}}-{{#LINES}}{{Code}}{{/LINES}}" << "21-ABCS&amp;P";
    QTest::newRow("no fields at all") << "<p>Thank you</p>" << "<p>Thank you</p>";
    QTest::newRow("a field the sale does not have") << "{{Discount}}" << "error: The receipt's layout names {{Discount}}, which is not a field of the sale.";
    QTest::newRow("an unclosed field") << "{{Total" << "error: The receipt's layout has a \"{{\" that is never closed by \"}}\".";
    QTest::newRow("lines never closed") << "{{#lines}}{{Code}}" << "error: The receipt's layout has a {{#lines}} that is never closed by {{/lines}}.";
    QTest::newRow("lines closed before opened") << "{{/lines}}" << "error: The receipt's layout has a {{/lines}} without its {{#lines}}.";
    QTest::newRow("lines within lines") << "{{#lines}}{{#lines}}{{/lines}}{{/lines}}" << "error: The receipt's layout has a {{#lines}} inside another.";
}

// The receipt's layout is filled from the rows tblReceipt holds; what the store holds is shown as
// text, never read as markup.
void TestRegister::receipt_layout()
{
    QFETCH(QString, layout);
    QFETCH(QString, filled);
    RegisterFixture t;
    t.addRow(QStringLiteral("tblReceipt"), {{u"Code", QStringLiteral("ABC")}, {u"ProdName", QStringLiteral("Milk")}, {u"pQty", whole(2)},
                                               {u"ProdPrice", money(300)}, {u"Cashier", QStringLiteral("Ana <b>&")},
                                               {u"Total", money(123750)}, {u"AmountTendered", Value()}});
    t.addRow(QStringLiteral("tblReceipt"), {{u"Code", QStringLiteral("S&P")}, {u"ProdName", QStringLiteral("Salt & <i>Pepper</i>")},
                                               {u"pQty", whole(1)}, {u"ProdPrice", money(123450)}, {u"Change", Value()}});
    const QDateTime printedAt(t.clock.today(), t.clock.now());
    QString result;
    try {
        result = cashregister::fillReceiptLayout(*t.store, layout, printedAt, t.context.locale);
    } catch (const cashregister::ReceiptLayoutError& e) {
        result = QStringLiteral("error: ") + e.message();
    }
    QCOMPARE(result, filled);
}

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

// Lines whose goods cannot be found, and the cashier's row when the way back is taken before it
// is picked up, go without giving anything back; a store that cannot give the goods back still
// has its open sale emptied.
void TestRegister::backToMainSystem_linesWithNothingToGiveBack_data()
{
    QTest::addColumn<bool>("storeFails");
    QTest::newRow("a product without its stock row, the cashier's row") << false;
    QTest::newRow("the stock cannot be written") << true;
}

void TestRegister::backToMainSystem_linesWithNothingToGiveBack()
{
    QFETCH(bool, storeFails);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    // The Milk's stock row carries an older code; the gate's row of a later sign-in waits.
    t.setField(QStringLiteral("tblProductQuantity"), u"Code", QStringLiteral("OLD"));
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Maria Silva")}});
    if (storeFails) {
        t.store->setWriteHook([](const QString& table) {
            if (table == u"tblProductQuantity")
                throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
        });
    }

    QTest::keyClick(w->txtProductName, Qt::Key_F2);
    t.store->setWriteHook(nullptr);

    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(8));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", 1), whole(storeFails ? 4 : 5));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), storeFails ? 2 : 1);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(storeFails ? 3 : 2));
    QVERIFY(!t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
    QVERIFY(t.ui.boxes().empty());
}

QTEST_MAIN(TestRegister)
#include "test_register.moc"
