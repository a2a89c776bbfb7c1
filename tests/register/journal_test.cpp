#include "register_test.h"

#include "register/todays_receipts_window.h"
#include "ui/value_label.h"

#include <QTreeWidget>

#include <set>

using namespace registertest;
using cashregister::TodaysReceiptsWindow;
using store::journal::Entry;

// ---------------------------------------------------------------------------------------------
// The sales journal, the sale's number on the receipt and receipts printed again

namespace {

// An entry as one line of text: equal texts are equal entries.
QString describe(const std::optional<Entry>& entry)
{
    if (!entry)
        return QStringLiteral("<none>");
    const auto amount = [](Currency c) { return Value(c).toText(); };
    QStringList parts{QString::number(entry->number), entry->kind, entry->at.toString(Qt::ISODate), entry->businessDate.toString(Qt::ISODate),
        entry->cashier, amount(entry->subtotal), amount(entry->tax), amount(entry->total), amount(entry->amountTendered), amount(entry->change)};
    for (const store::journal::Line& line : entry->lines)
        parts << QStringLiteral("| %1 %2 %3 %4 %5").arg(line.code, line.name, line.category).arg(line.quantity).arg(amount(line.lineTotal));
    return parts.join(u' ');
}

// Signs the cashier in as the gate does and ticks the pick-up; the window is opened active.
CashRegisterWindow* openFor(RegisterFixture& t, const QString& cashier)
{
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", cashier}});
    CashRegisterWindow* w = t.openActive();
    w->CashierTime_Timer();
    w->CashierTime_Timer();
    return w;
}

// Rings up `quantity` Milk and pays `cents`.
void sellMilk(RegisterFixture& t, CashRegisterWindow* w, int quantity, const QString& cents)
{
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QString::number(quantity));
    t.ui.answerInput(cents);
    pressEnd(w);
}

void pressShortcut(CashRegisterWindow* w, Qt::Key key)
{
    w->txtProductCode->setFocus();
    QTest::keyClick(w->txtProductCode, key, Qt::ControlModifier);
}

TodaysReceiptsWindow* receiptsWindow(const RegisterFixture& t)
{
    return static_cast<TodaysReceiptsWindow*>(t.windows.find(QString::fromLatin1(TodaysReceiptsWindow::kName)));
}

// The rows of the receipts window, each as "number|time|cashier|total".
QStringList listed(const TodaysReceiptsWindow* window)
{
    QStringList rows;
    for (int i = 0; i < window->lstReceipts->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = window->lstReceipts->topLevelItem(i);
        rows << QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join(u'|');
    }
    return rows;
}

} // namespace

void TestRegister::journal_completedSaleIsKept_data()
{
    QTest::addColumn<QDate>("day");      // the date of the day's takings; invalid: none
    QTest::addColumn<bool>("renamed");   // Bread's code changed in the catalogue before End
    QTest::addColumn<QString>("kept");
    const QString figures = QStringLiteral("Maria Silva 4.25 0.255 4.505 5 0.495 | ABC Milk Dairy 2 3 | B12 Bread ");
    QTest::newRow("the day of the takings") << QDate(2026, 12, 9) << false
                                            << QStringLiteral("1 Sale 2026-12-10T14:05:09 2026-12-09 ") + figures + QStringLiteral("bakery 1 1.25");
    QTest::newRow("takings without a date: the clock's") << QDate() << false
                                                          << QStringLiteral("1 Sale 2026-12-10T14:05:09 2026-12-10 ") + figures + QStringLiteral("bakery 1 1.25");
    QTest::newRow("a product no longer in the catalogue has no category")
        << QDate(2026, 12, 10) << true << QStringLiteral("1 Sale 2026-12-10T14:05:09 2026-12-10 ") + figures + QStringLiteral(" 1 1.25");
}

// A completed sale is in the journal with every line, the category of its product, the sale's
// figures, the moment it was completed and the day whose takings hold its money.
void TestRegister::journal_completedSaleIsKept()
{
    QFETCH(QDate, day);
    QFETCH(bool, renamed);
    QFETCH(QString, kept);
    RegisterFixture t;
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    t.setField(QStringLiteral("tblDailySale"), u"tDate", day.isValid() ? Value(day) : Value());
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Maria Silva")}});
    CashRegisterWindow* w = saleOfMilkAndBread(t, [](CashRegisterWindow* opened) {
        opened->CashierTime_Timer();
        opened->CashierTime_Timer();
    });
    if (renamed)
        t.setField(QStringLiteral("tblProductPrice"), u"Code", QStringLiteral("B13"), 1);
    t.ui.answerInput(QStringLiteral("500"));

    pressEnd(w);

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(describe(store::journal::last(*t.store)), kept);
    QCOMPARE(describe(store::journal::entry(*t.store, 1)), kept);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), Value(Currency::fromUnits(45050)));
}

void TestRegister::journal_saleNotCompletedIsNotKept_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("kept"); // the journal's entries, described
    QTest::newRow("Esc at the amount") << "esc" << "";
    QTest::newRow("back to the main menu with the sale open") << "back" << "";
    QTest::newRow("a line taken back before End")
        << "cancel" << "1 Sale 2026-12-10T14:05:09 2026-12-10  1.25 0 1.25 2 0.75 | B12 Bread bakery 1 1.25";
}

// Only what is paid is kept: an abandoned sale leaves no entry, a line taken back is not among
// the sale's lines.
void TestRegister::journal_saleNotCompletedIsNotKept()
{
    QFETCH(QString, how);
    QFETCH(QString, kept);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    if (how == u"esc") {
        t.ui.answerInput(QString());
        pressEnd(w);
    } else if (how == u"back") {
        w->mnuExit->trigger();
    } else {
        t.ui.answerInput(QStringLiteral("ABC"));
        pressCancel(w, QStringLiteral("code"));
        t.ui.answerInput(QStringLiteral("200"));
        pressEnd(w);
    }

    QCOMPARE(t.ui.failures(), QString());
    QStringList entries;
    for (const Entry& entry : store::journal::ofDay(*t.store, t.clock.today(), true))
        entries << describe(entry);
    QCOMPARE(entries.join(u'\n'), kept);
}

// A sale's number is never given again: it grows from one day to the next and across a restart
// of the program, and each receipt shows its own.
void TestRegister::journal_numbersGrowAcrossDaysAndRestarts()
{
    RegisterFixture t;
    t.catalogue();
    t.setField(QStringLiteral("tblDailySale"), u"tDate", Value(QDate(2026, 12, 10)));
    CashRegisterWindow* w = openFor(t, QStringLiteral("Maria Silva"));
    sellMilk(t, w, 1, QStringLiteral("150"));
    sellMilk(t, w, 1, QStringLiteral("150"));
    t.windows.unload(QString::fromLatin1(CashRegisterWindow::kName));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The next day, after the program has started again on the same store.
    t.setField(QStringLiteral("tblDailySale"), u"tDate", Value(QDate(2026, 12, 11)));
    t.clock.setToday(QDate(2026, 12, 11));
    t.clock.setNow(QTime(9, 0, 0));
    const std::unique_ptr<store::Store> reopened = store::Store::open(t.store->path(), t.clock.today());
    {
        app::WindowManager windows;
        app::Context context{*reopened, t.ui, t.platform, windows, t.clock, t.app, t.context.locale};
        windows.setContext(context);
        cashregister::registerWindows(windows);
        auto* next = static_cast<CashRegisterWindow*>(windows.show(QString::fromLatin1(CashRegisterWindow::kName)));
        next->CashierTime->stop();
        QVERIFY(QTest::qWaitForWindowActive(next));
        sellMilk(t, next, 2, QStringLiteral("300"));
        windows.unload(QString::fromLatin1(CashRegisterWindow::kName));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QCOMPARE(t.ui.failures(), QString());
    const auto numbers = [&](QDate day) {
        QList<std::int64_t> out;
        for (const Entry& entry : store::journal::ofDay(*reopened, day, false))
            out << entry.number;
        return out;
    };
    QCOMPARE(numbers(QDate(2026, 12, 10)), (QList<std::int64_t>{1, 2}));
    QCOMPARE(numbers(QDate(2026, 12, 11)), (QList<std::int64_t>{3}));
    QCOMPARE(t.printer().printed.size(), std::size_t(3));
    for (std::size_t i = 0; i < 3; ++i) {
        const QString number = QStringLiteral("Sale No. %1").arg(i + 1);
        QVERIFY2(t.printer().printed[i].text.split(u'\n').contains(number), qPrintable(t.printer().printed[i].text));
    }
}

void TestRegister::reprint_copyOfTheSameReceipt_data()
{
    QTest::addColumn<QString>("how");    // "last": the menu's last receipt; "list": today's receipts
    QTest::addColumn<QString>("layout"); // the store's own layout; empty: the first one
    QTest::addColumn<bool>("printerFails");
    QTest::newRow("the last receipt") << "last" << "" << false;
    QTest::newRow("an earlier one from today's receipts") << "list" << "" << false;
    QTest::newRow("a layout without the number") << "last" << "<p>{{#lines}}{{ProdName}} {{/lines}}{{Total}}</p>" << false;
    QTest::newRow("the printer fails") << "last" << "" << true;
    QTest::newRow("the printer fails, from today's receipts") << "list" << "" << true;
}

// A receipt printed again is the sale's receipt as it was first printed, with its number and
// lines, under a mark that it is a copy. A printer that fails is told as at the sale, and the sale
// stays as it was.
void TestRegister::reprint_copyOfTheSameReceipt()
{
    QFETCH(QString, how);
    QFETCH(QString, layout);
    QFETCH(bool, printerFails);
    RegisterFixture t;
    t.catalogue();
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    if (!layout.isEmpty())
        t.setField(QStringLiteral("Reports"), u"Layout", layout);
    CashRegisterWindow* w = openFor(t, QStringLiteral("Maria Silva"));
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("1"));
    t.ui.answerInput(QStringLiteral("500"));
    pressEnd(w);
    t.clock.setNow(QTime(14, 30, 0));
    sellMilk(t, w, 1, QStringLiteral("200"));
    QCOMPARE(t.printer().printed.size(), std::size_t(2));
    if (layout.isEmpty()) {
        QVERIFY(t.printer().printed[0].text.contains(QStringLiteral("\nSale No. 1\n")));
    } else {
        QCOMPARE(t.printer().printed[0].text, QStringLiteral("Sale No. 1\nMilk Bread $4.51"));
        QCOMPARE(t.printer().printed[1].text, QStringLiteral("Sale No. 2\nMilk $1.59"));
    }
    const QString takings = t.snapshotOf({QStringLiteral("tblDailySale")});
    t.ui.clearBoxes();
    t.clock.setNow(QTime(15, 0, 0));
    if (printerFails)
        t.printer().failure = QStringLiteral("The printer is out of paper.");

    std::size_t again = 1; // the sale printed again, by its place among the receipts
    if (how == u"last") {
        pressShortcut(w, Qt::Key_P);
    } else {
        pressShortcut(w, Qt::Key_R);
        TodaysReceiptsWindow* list = receiptsWindow(t);
        QVERIFY(list);
        QTest::keyClick(list->lstReceipts, Qt::Key_Up);
        QTest::keyClick(list->lstReceipts, Qt::Key_Return);
        again = 0;
    }

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.snapshotOf({QStringLiteral("tblDailySale")}), takings);
    QCOMPARE(int(store::journal::ofDay(*t.store, t.clock.today(), false).size()), 2);
    QVERIFY(!t.ui.busy());
    if (printerFails) {
        t.expectBoxes({{QStringLiteral("The receipt was not printed. The printer is out of paper.\n\nThe sale is complete and its money is booked."),
            QStringLiteral("Receipt Not Printed"), ui::Icon::Warning}});
        QCOMPARE(t.printer().printed.size(), std::size_t(2));
        return;
    }
    t.expectBoxes({});
    QCOMPARE(t.printer().printed.size(), std::size_t(3));
    const auto& copy = t.printer().printed[2];
    QCOMPARE(copy.name, QStringLiteral("Receipt %1 copy 2026-12-10 15-00-00").arg(again + 1));
    QCOMPARE(copy.text, QStringLiteral("*** COPY ***\nReprint of 10-Dec-26 3:00:00 PM\n") + t.printer().printed[again].text);
}

// With nothing sold yet there is nothing to print again: the last receipt is told so, and
// today's receipts show an empty day from which nothing prints.
void TestRegister::reprint_nothingToPrint()
{
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.openActive();

    pressShortcut(w, Qt::Key_P);
    t.expectBoxes({{QStringLiteral("No sale has been completed yet, so there is no receipt to print again."), QStringLiteral("No Receipt to Print"),
        ui::Icon::Information}});

    pressShortcut(w, Qt::Key_R);
    TodaysReceiptsWindow* list = receiptsWindow(t);
    QVERIFY(list);
    QCOMPARE(list->lstReceipts->topLevelItemCount(), 0);
    QCOMPARE(list->lblCount->text(), QStringLiteral("No sale has been completed on this day yet."));
    QVERIFY(!list->cmdPrint->isEnabled());
    QTest::keyClick(list->lstReceipts, Qt::Key_Return);
    QVERIFY(t.printer().printed.empty());
    QTest::keyClick(list->lstReceipts, Qt::Key_Escape);
    QVERIFY(!receiptsWindow(t));
    QCOMPARE(t.ui.failures(), QString());
}

// Today's receipts are the business day's sales, the latest chosen; the cashier moves with the
// arrows, prints with Enter and goes back to the till with Esc, without the mouse.
void TestRegister::todaysReceipts_drivenByKeyboard()
{
    RegisterFixture t;
    t.catalogue();
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    t.setField(QStringLiteral("tblDailySale"), u"tDate", Value(QDate(2026, 12, 9)));
    CashRegisterWindow* w = openFor(t, QStringLiteral("Maria Silva"));
    sellMilk(t, w, 1, QStringLiteral("200")); // yesterday's, not closed: not today's
    t.setField(QStringLiteral("tblDailySale"), u"tDate", Value(QDate(2026, 12, 10)));
    t.clock.setNow(QTime(15, 0, 0));
    sellMilk(t, w, 1, QStringLiteral("200"));
    t.clock.setNow(QTime(16, 30, 0));
    sellMilk(t, w, 2, QStringLiteral("400"));
    QCOMPARE(t.printer().printed.size(), std::size_t(3));
    t.ui.clearBoxes();

    pressShortcut(w, Qt::Key_R);
    TodaysReceiptsWindow* list = receiptsWindow(t);
    QVERIFY(list);
    QVERIFY(QTest::qWaitForWindowActive(list));
    QCOMPARE(QApplication::focusWidget(), list->lstReceipts);
    QCOMPARE(list->windowTitle(), QStringLiteral("Today's Receipts"));
    QVERIFY(list->width() <= 800 && list->height() <= 600);
    QCOMPARE(list->lblDay->text(), QStringLiteral("10-Dec-26"));
    QCOMPARE(list->lblDay->accessibleName(), QStringLiteral("Business day:"));
    QCOMPARE(list->lblDay->accessibleDescription(), QStringLiteral("10-Dec-26"));
    QCOMPARE(list->lstReceipts->accessibleName(), QStringLiteral("Receipts:"));
    QCOMPARE(list->cmdPrint->accessibleName(), QStringLiteral("Print Again"));
    QCOMPARE(list->lblCount->text(), QStringLiteral("2 receipts"));
    QCOMPARE(listed(list), (QStringList{"2|3:00:00 PM|Maria Silva|$1.59", "3|4:30:00 PM|Maria Silva|$3.18"}));
    QCOMPARE(list->chosenSale(), 3);

    QTest::keyClick(list->lstReceipts, Qt::Key_Up);
    QCOMPARE(list->chosenSale(), 2);
    QTest::keyClick(list->lstReceipts, Qt::Key_Return);
    QCOMPARE(t.printer().printed.size(), std::size_t(4));
    QCOMPARE(t.printer().printed[3].name, QStringLiteral("Receipt 2 copy 2026-12-10 16-30-00"));
    QVERIFY(t.printer().printed[3].text.startsWith(QStringLiteral("*** COPY ***")));
    // The cashier goes on in the list, and can print the next one too.
    QCOMPARE(QApplication::focusWidget(), list->lstReceipts);
    QTest::keyClick(list->lstReceipts, Qt::Key_Down);
    QTest::keyClick(list->lstReceipts, Qt::Key_Return);
    QCOMPARE(t.printer().printed.size(), std::size_t(5));
    QVERIFY(t.printer().printed[4].text.contains(QStringLiteral("\nSale No. 3\n")));

    QTest::keyClick(list->lstReceipts, Qt::Key_Escape);
    QVERIFY(!receiptsWindow(t));
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(t.ui.failures(), QString());
    t.expectBoxes({});

    // No two commands of the till share a shortcut, nor two of its menus an access key.
    std::set<QString> shortcuts;
    for (const QAction* action : w->findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty())
            QVERIFY2(shortcuts.insert(action->shortcut().toString()).second, qPrintable(action->shortcut().toString()));
    }
    std::set<QChar> keys;
    for (const QMenu* menu : w->menuBar->findChildren<QMenu*>()) {
        const qsizetype amp = menu->title().indexOf(u'&');
        if (amp >= 0)
            QVERIFY2(keys.insert(menu->title().at(amp + 1).toUpper()).second, qPrintable(menu->title()));
        // Nor two items of one menu.
        std::set<QChar> itemKeys;
        for (const QAction* item : menu->actions()) {
            const qsizetype itemAmp = item->text().indexOf(u'&');
            if (itemAmp >= 0)
                QVERIFY2(itemKeys.insert(item->text().at(itemAmp + 1).toUpper()).second, qPrintable(item->text()));
        }
    }
}
