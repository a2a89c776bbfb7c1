#include "register_test.h"

using namespace registertest;
using store::journal::Entry;

// ---------------------------------------------------------------------------------------------
// The cash drawer: opened by the printer at a completed sale, and without a sale from the menu

namespace {

const QString kCashier = QStringLiteral("Maria Silva");

// Signs the cashier in as the gate does and ticks the pick-up; the window is opened active.
CashRegisterWindow* openFor(RegisterFixture& t, const QString& cashier)
{
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", cashier}});
    CashRegisterWindow* w = t.openActive();
    w->CashierTime_Timer();
    w->CashierTime_Timer();
    return w;
}

void pressOpenDrawer(CashRegisterWindow* w)
{
    // The shortcut works with the focus in a text box too.
    w->txtProductCode->setFocus();
    QTest::keyClick(w->txtProductCode, Qt::Key_D, Qt::ControlModifier);
}

// An entry as one line of text: equal texts are equal entries.
QString describe(const Entry& entry)
{
    const auto amount = [](Currency c) { return Value(c).toText(); };
    return QStringList{QString::number(entry.number), entry.kind, entry.at.toString(Qt::ISODate), entry.businessDate.toString(Qt::ISODate),
        entry.cashier, amount(entry.subtotal), amount(entry.tax), amount(entry.total), amount(entry.amountTendered), amount(entry.change),
        QStringLiteral("%1 lines").arg(entry.lines.size())}
        .join(u' ');
}

QStringList journalOf(const RegisterFixture& t)
{
    QStringList entries;
    for (const Entry& entry : store::journal::sinceLastClose(*t.store, true))
        entries << describe(entry);
    return entries;
}

} // namespace

void TestRegister::drawer_noSaleOpensTheDrawerOnRecord_data()
{
    QTest::addColumn<QDate>("day"); // the date of the day's takings; invalid: none
    QTest::addColumn<QString>("drawerFailure");
    QTest::addColumn<QString>("kept");
    QTest::newRow("the day of the takings") << QDate(2026, 12, 9) << "" << "2 NoSale 2026-12-10T14:05:09 2026-12-09 Maria Silva 0 0 0 0 0 0 lines";
    QTest::newRow("takings without a date: the clock's") << QDate() << "" << "2 NoSale 2026-12-10T14:05:09 2026-12-10 Maria Silva 0 0 0 0 0 0 lines";
    QTest::newRow("the drawer does not open") << QDate(2026, 12, 9) << "The cash drawer could not be opened. The printer did not answer within 4 seconds."
                                              << "2 NoSale 2026-12-10T14:05:09 2026-12-09 Maria Silva 0 0 0 0 0 0 lines";
}

// The drawer opened without a sale is kept in the journal as a no-sale, with the cashier, the
// moment and the business day and no money, in one unit of work before the pulse is sent. A pulse
// that cannot be sent is told; the no-sale stays on record. The sale's money is not touched.
void TestRegister::drawer_noSaleOpensTheDrawerOnRecord()
{
    QFETCH(QDate, day);
    QFETCH(QString, drawerFailure);
    QFETCH(QString, kept);
    RegisterFixture t;
    t.catalogue();
    t.setField(QStringLiteral("tblDailySale"), u"tDate", day.isValid() ? Value(day) : Value());
    t.printer().drawer = true;
    CashRegisterWindow* w = openFor(t, kCashier);
    t.ui.answerInput(QStringLiteral("200"));
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("1"));
    pressEnd(w);
    QCOMPARE(t.printer().pulses, 1);
    t.ui.clearBoxes();
    const QString takings = t.snapshot();
    if (!drawerFailure.isEmpty())
        t.printer().drawerFailure = drawerFailure;
    QStringList onRecordAtThePulse;
    bool busyAtThePulse = false;
    t.printer().whileOpening = [&] {
        onRecordAtThePulse = journalOf(t);
        busyAtThePulse = t.ui.busy() && !w->isEnabled();
    };

    pressOpenDrawer(w);

    QCOMPARE(t.ui.failures(), QString());
    const QStringList journal = journalOf(t);
    QCOMPARE(journal.size(), 2);
    QCOMPARE(journal.back(), kept);
    QCOMPARE(onRecordAtThePulse, journal);
    QVERIFY(busyAtThePulse);
    QCOMPARE(t.snapshot(), takings);
    QCOMPARE(t.printer().printed.size(), std::size_t(1));
    QVERIFY(w->isEnabled());
    QVERIFY(!t.ui.busy());
    if (drawerFailure.isEmpty()) {
        QCOMPARE(t.printer().pulses, 2);
        t.expectBoxes({});
    } else {
        QCOMPARE(t.printer().pulses, 1);
        t.expectBoxes({{drawerFailure + QStringLiteral("\n\nThe opening is recorded in the journal as a no-sale."),
            QStringLiteral("Cash Drawer Not Opened"), ui::Icon::Warning}});
    }
    // A no-sale is no receipt: the last receipt printed again is the sale's.
    t.ui.clearBoxes();
    w->mnuReprintLast->trigger();
    QCOMPARE(t.printer().printed.size(), std::size_t(2));
    QVERIFY(t.printer().printed.back().text.contains(QStringLiteral("\nSale No. 1\n")));
}

// Without a drawer wired to the printer the command says so, and nothing is recorded or sent.
void TestRegister::drawer_notFitted_saysSoAndRecordsNothing()
{
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = openFor(t, kCashier);

    pressOpenDrawer(w);

    QCOMPARE(t.ui.failures(), QString());
    t.expectBoxes({{QStringLiteral("No cash drawer is wired to the receipt printer, so there is no drawer to open.\n\n"
                                   "The manager sets the printer up with point-of-sale --printer-setup."),
        QStringLiteral("No Cash Drawer"), ui::Icon::Information}});
    QVERIFY(journalOf(t).isEmpty());
    QCOMPARE(t.printer().pulses, 0);
}

void TestRegister::drawer_atCompletedSale_data()
{
    QTest::addColumn<bool>("fitted");
    QTest::addColumn<QString>("drawerFailure");
    QTest::addColumn<QString>("printFailure");
    QTest::addColumn<int>("pulses");
    QTest::addColumn<QStringList>("said"); // the boxes after the amount, as "title: text"
    const QString booked = QStringLiteral("\n\nThe sale is complete and its money is booked.");
    QTest::newRow("a drawer opens before the receipt") << true << "" << "" << 1 << QStringList();
    QTest::newRow("no drawer fitted") << false << "" << "" << 0 << QStringList();
    QTest::newRow("the drawer does not open")
        << true << "The cash drawer could not be opened. The printer \"/dev/usb/lp0\" did not answer." << "" << 0
        << QStringList{QStringLiteral("Cash Drawer Not Opened: The cash drawer could not be opened. The printer \"/dev/usb/lp0\" did not answer.") + booked};
    QTest::newRow("neither the drawer nor the receipt")
        << true << "The cash drawer could not be opened. The printer \"/dev/usb/lp0\" did not answer." << "The printer is out of paper." << 0
        << QStringList{QStringLiteral("Receipt Not Printed: The receipt was not printed. The printer is out of paper.") + booked
               + QStringLiteral("\n\nThe cash drawer could not be opened. The printer \"/dev/usb/lp0\" did not answer.")};
}

// At a completed sale the drawer wired to the printer opens before the receipt prints. A drawer
// that does not open is told with the receipt's own message and never undoes the sale: its money
// is booked, it is in the journal and its receipt can be printed again.
void TestRegister::drawer_atCompletedSale()
{
    QFETCH(bool, fitted);
    QFETCH(QString, drawerFailure);
    QFETCH(QString, printFailure);
    QFETCH(int, pulses);
    QFETCH(QStringList, said);
    RegisterFixture t;
    t.catalogue();
    t.printer().drawer = fitted;
    if (!drawerFailure.isEmpty())
        t.printer().drawerFailure = drawerFailure;
    if (!printFailure.isEmpty())
        t.printer().failure = printFailure;
    CashRegisterWindow* w = openFor(t, kCashier);
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("2"));
    t.ui.clearBoxes();
    t.ui.answerInput(QStringLiteral("300"));

    pressEnd(w);

    QCOMPARE(t.ui.failures(), QString());
    QStringList shown;
    for (std::size_t i = 1; i < t.ui.boxes().size(); ++i)
        shown << t.ui.boxes()[i].shownTitle + QStringLiteral(": ") + t.ui.boxes()[i].text;
    QCOMPARE(shown, said);
    QCOMPARE(t.printer().pulses, pulses);
    if (printFailure.isEmpty()) {
        QCOMPARE(t.printer().printed.size(), std::size_t(1));
        QCOMPARE(t.printer().printed[0].pulsesBefore, pulses);
    } else {
        QVERIFY(t.printer().printed.empty());
    }
    QCOMPARE(journalOf(t), QStringList{QStringLiteral("1 Sale 2026-12-10T14:05:09 2026-12-10 Maria Silva 3 0 3 3 0 1 lines")});
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(300));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QVERIFY(w->cmdNewSale->isEnabled());
    QVERIFY(w->isEnabled());
    QVERIFY(!t.ui.busy());
}

void TestRegister::drawer_staysShutWithoutPayment_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Esc at the amount") << "esc";
    QTest::newRow("back to the main menu with the sale open") << "back";
    QTest::newRow("the last receipt printed again") << "reprint";
}

// Only a sale paid for opens the drawer: not one abandoned, nor a receipt printed again.
void TestRegister::drawer_staysShutWithoutPayment()
{
    QFETCH(QString, how);
    RegisterFixture t;
    t.catalogue();
    t.printer().drawer = true;
    CashRegisterWindow* w = openFor(t, kCashier);
    if (how == u"reprint") {
        RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("1"));
        t.ui.answerInput(QStringLiteral("150"));
        pressEnd(w);
        QCOMPARE(t.printer().pulses, 1);
        t.printer().pulses = 0;
    }
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("1"));

    if (how == u"esc") {
        t.ui.answerInput(QString());
        pressEnd(w);
    } else if (how == u"back") {
        w->mnuExit->trigger();
    } else {
        w->mnuReprintLast->trigger();
        QCOMPARE(t.printer().printed.size(), std::size_t(2));
    }

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.printer().pulses, 0);
}
