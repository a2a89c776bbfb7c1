// The cash register's tests: one fixture, one test class, its tests split by behaviour as the
// window is.
#pragma once

#include "app/window_manager.h"
#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/receipt.h"
#include "register/windows.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/journal.h"
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


namespace registertest {


inline Value whole(int n)
{
    return Value(std::int16_t(n));
}

inline Value money(std::int64_t cents)
{
    return Value(Currency::fromCents(cents));
}

// A box as a test expects it: text, shown title and icon.
struct Box {
    QString text;
    QString title;
    ui::Icon icon = ui::Icon::None;
};

inline const Box kQuantityError{QStringLiteral(" There was an error.  Please check the quantity."), QStringLiteral(" CHECK QUANTITY")};
inline const Box kNotFound{QStringLiteral(" Product was not found.  Use the reference system if you are having problems."),
    QStringLiteral(" This Product is not in the Database")};

// The tables a sale line writes, with the catalogue.
inline const QStringList kSaleTables{QStringLiteral("tblProductPrice"), QStringLiteral("tblProductQuantity"), QStringLiteral("tblReceipt"),
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


// A sale of two Milk (3.00) and one Bread (1.25), opened on a fresh window; `afterOpen` runs
// before the first line.
inline CashRegisterWindow* saleOfMilkAndBread(RegisterFixture& t, const std::function<void(CashRegisterWindow*)>& afterOpen = {})
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
inline void expectMilkAndBreadGivenBack(const RegisterFixture& t)
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

inline void pressCancel(CashRegisterWindow* w, const QString& by)
{
    // The shortcut works with the focus in a text box, which would take Ctrl+C for copying.
    w->txtProductCode->setFocus();
    QTest::keyClick(w->txtProductCode, by == QStringLiteral("code") ? Qt::Key_C : Qt::Key_N, Qt::ControlModifier);
}


inline void pressEnd(CashRegisterWindow* w)
{
    QTest::keyClick(w->txtProductCode, Qt::Key_End);
}

} // namespace registertest

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
    void anyKey_disablesNewSale_data();
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
    void complete_moneyNotBooked_saleStaysOpen_data();
    void complete_moneyNotBooked_saleStaysOpen();
    void complete_storesLayoutUnusable_printsOurs_data();
    void complete_storesLayoutUnusable_printsOurs();
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

    // An abandoned sale's goods going back.
    void abandon_eachLineGoesBackWhereItCameFrom_data();
    void abandon_eachLineGoesBackWhereItCameFrom();
    void abandon_linesNotGivenBackAreNamed_data();
    void abandon_linesNotGivenBackAreNamed();
    void abandon_saleThatCannotBeEmptiedStaysOpen_data();
    void abandon_saleThatCannotBeEmptiedStaysOpen();

    // A sale left unfinished by a program that stopped, settled at the next start.
    void recovery_unfinishedSale_data();
    void recovery_unfinishedSale();
    void recovery_cashierRowOnly_data();
    void recovery_cashierRowOnly();
    void recovery_isOneUnitOfWork_data();
    void recovery_isOneUnitOfWork();
    void recovery_noteOfAnEarlierStart_data();
    void recovery_noteOfAnEarlierStart();

    // The sales journal, the sale's number and receipts printed again.
    void journal_completedSaleIsKept_data();
    void journal_completedSaleIsKept();
    void journal_saleNotCompletedIsNotKept_data();
    void journal_saleNotCompletedIsNotKept();
    void journal_numbersGrowAcrossDaysAndRestarts();
    void reprint_copyOfTheSameReceipt_data();
    void reprint_copyOfTheSameReceipt();
    void reprint_nothingToPrint();
    void todaysReceipts_drivenByKeyboard();

    // The cash drawer.
    void drawer_noSaleOpensTheDrawerOnRecord_data();
    void drawer_noSaleOpensTheDrawerOnRecord();
    void drawer_notFitted_saysSoAndRecordsNothing();
    void drawer_atCompletedSale_data();
    void drawer_atCompletedSale();
    void drawer_staysShutWithoutPayment_data();
    void drawer_staysShutWithoutPayment();

    // The value labels as a screen reader reads them.
    void valueLabels_readAsCaptionThenTheShownText_data();
    void valueLabels_readAsCaptionThenTheShownText();
};
