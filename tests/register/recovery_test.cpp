#include "register_test.h"

#include "register/sale_recovery.h"

#include "access/gates.h"
#include "support/typing.h"

using namespace registertest;
using cashregister::SaleRecovery;
using Outcome = cashregister::SaleRecovery::Outcome;

// ---------------------------------------------------------------------------------------------
// A sale left unfinished by a program that stopped, settled at the next start

namespace {

const QString kCashierRow = QStringLiteral("Maria Silva");

cashregister::SaleRecovery recover(RegisterFixture& t)
{
    return cashregister::recoverInterruptedSale(*t.store, t.platform.printer(), t.clock.current(), t.context.locale);
}

QString notePath(const RegisterFixture& t)
{
    return cashregister::recoveryNotePath(t.store->path());
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<no file>");
}

void writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

// The program stops with the till open: the window goes without its way back being taken, and
// the store keeps what was written.
void stopWithTheTillOpen(RegisterFixture& t)
{
    t.windows.unload(QString::fromLatin1(CashRegisterWindow::kName));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A sale of two Milk and one Bread rung up by Maria Silva, the tax at 6 % and 20.00 taken earlier
// in the day; `stage` says how far its completion went before the program stopped: "lines" (none
// of it), "tendering" (the figures in the first line, the amount box open) or "paid" (the tender
// and the money booked, as an earlier program of the store left them before emptying the sale).
void interruptedSale(RegisterFixture& t, const QString& stage)
{
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", kCashierRow}});
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    t.setField(QStringLiteral("tblDailySale"), u"DailySale", money(2000));
    CashRegisterWindow* w = saleOfMilkAndBread(t, [](CashRegisterWindow* opened) {
        opened->CashierTime_Timer();
        opened->CashierTime_Timer();
    });
    QCOMPARE(w->sale().cashierName, kCashierRow);
    if (stage != u"lines") {
        // 4.25 at 6 %: a tax of 0.255 and a total of 4.505.
        t.setField(QStringLiteral("tblReceipt"), u"Total", Value(Currency::fromUnits(45050)));
        t.setField(QStringLiteral("tblReceipt"), u"Subtotal", money(425));
        t.setField(QStringLiteral("tblReceipt"), u"Tax", Value(Currency::fromUnits(2550)));
        t.setField(QStringLiteral("tblReceipt"), u"Cashier", kCashierRow);
    }
    if (stage == u"paid") {
        t.setField(QStringLiteral("tblReceipt"), u"Change", Value(Currency::fromUnits(4950)));
        t.setField(QStringLiteral("tblReceipt"), u"AmountTendered", money(500));
        t.setField(QStringLiteral("tblDailySale"), u"DailySale", Value(Currency::fromUnits(245050)));
    }
    stopWithTheTillOpen(t);
}

// The next cashier signs in (the cash gate's row) and the till opens; the tick that picks the
// cashier up comes after whatever the till shows first.
CashRegisterWindow* nextCashierOpens(RegisterFixture& t, const QString& cashier)
{
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", cashier}});
    CashRegisterWindow* w = t.openActive();
    QCoreApplication::processEvents();
    w->CashierTime_Timer();
    w->CashierTime_Timer();
    return w;
}

// One Milk sold and paid with 2.00: the till works as on any day.
void sellOneMilk(RegisterFixture& t, CashRegisterWindow* w)
{
    t.ui.clearBoxes();
    const std::size_t printed = t.printer().printed.size();
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("1"));
    t.ui.answerInput(QStringLiteral("200"));
    pressEnd(w);
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.printer().printed.size(), printed + 1);
    const QString receipt = t.printer().printed.back().text;
    QVERIFY2(receipt.contains(QStringLiteral("Milk")) && !receipt.contains(QStringLiteral("Bread")), qPrintable(receipt));
}

bool ownerOnly(const QString& path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (QFileInfo(path).permissions() & others) == 0;
}

} // namespace

void TestRegister::recovery_unfinishedSale_data()
{
    QTest::addColumn<QString>("stage");
    QTest::addColumn<bool>("printerFails");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("noteSays");

    const QString opening = QStringLiteral("When the program started on 10-Dec-26 at 2:05:09 PM, it found a sale");
    QTest::newRow("paid: completed, receipt printed")
        << "paid" << false << int(Outcome::Completed)
        << QStringList{opening + " rung up by Maria Silva that was paid but not finished when the program stopped. Its money was already "
                                 "in the day's takings, so the sale has been completed:\n\n    ABC Milk 2\n    B12 Bread 1\n\n"
                                 "Total $4.51, amount tendered $5.00, change $0.50.\n\nIts receipt was printed."};
    QTest::newRow("paid: completed, receipt not printed")
        << "paid" << true << int(Outcome::Completed)
        << QStringList{"the sale has been completed:", "Its receipt was not printed. The printer is out of paper"};
    QTest::newRow("not paid: given back")
        << "lines" << false << int(Outcome::GivenBack)
        << QStringList{opening + " that was not paid when the program stopped. The sale has been cancelled and its lines put back into "
                                 "stock:\n\n    ABC Milk 2\n    B12 Bread 1"};
    QTest::newRow("not paid, amount box open: given back")
        << "tendering" << false << int(Outcome::GivenBack)
        << QStringList{opening + " rung up by Maria Silva that was not paid when the program stopped. The sale has been cancelled and "
                                 "its lines put back into stock:\n\n    ABC Milk 2\n    B12 Bread 1"};
}

// A paid sale is completed without its money booked again and its receipt comes out; a sale
// not paid gives its goods back. Either way the next cashier finds an empty till, is told once
// what was done, is picked up under their own name and sells as on any day.
void TestRegister::recovery_unfinishedSale()
{
    QFETCH(QString, stage);
    QFETCH(bool, printerFails);
    QFETCH(int, outcome);
    QFETCH(QStringList, noteSays);
    RegisterFixture t;
    interruptedSale(t, stage);
    const QString stockAfterLines = t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory")});
    const Value takings = t.field(QStringLiteral("tblDailySale"), u"DailySale");
    if (printerFails)
        t.printer().failure = QStringLiteral("The printer is out of paper.");

    const SaleRecovery recovered = recover(t);

    QCOMPARE(int(recovered.outcome), outcome);
    QCOMPARE(recovered.failure, QString());
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    // The day's takings hold each sale's money once.
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), takings);
    if (stage == u"paid") {
        QCOMPARE(t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory")}), stockAfterLines);
        QCOMPARE(t.printer().printed.size(), printerFails ? std::size_t(0) : std::size_t(1));
        // Completed as the till completes a sale: kept in the journal, with its number on the receipt.
        const std::optional<store::journal::Entry> kept = store::journal::last(*t.store);
        QVERIFY(kept);
        QCOMPARE(kept->number, 1);
        QCOMPARE(kept->cashier, QStringLiteral("Maria Silva"));
        QCOMPARE(kept->total, Currency::fromUnits(45050));
        QCOMPARE(int(kept->lines.size()), 2);
        if (!printerFails) {
            const QString receipt = t.printer().printed.front().text;
            for (const char* shown : {"Sale No. 1", "Milk", "Bread", "Maria Silva", "$4.51", "$5.00"})
                QVERIFY2(receipt.contains(QLatin1String(shown)), qPrintable(receipt));
        }
    } else {
        expectMilkAndBreadGivenBack(t);
        QVERIFY(t.printer().printed.empty());
        QVERIFY(!store::journal::last(*t.store));
    }
    for (const QString& said : noteSays)
        QVERIFY2(recovered.note.contains(said), qPrintable(recovered.note));
    QCOMPARE(readFile(notePath(t)), recovered.note);
    QVERIFY(ownerOnly(notePath(t)));
    QVERIFY(!QFileInfo::exists(notePath(t) + QStringLiteral(".new")));
    QVERIFY(t.ui.boxes().empty());

    t.printer().failure.reset();
    CashRegisterWindow* w = nextCashierOpens(t, QStringLiteral("Joe Brown"));
    QCOMPARE(t.ui.failures(), QString());
    t.expectBoxes({{recovered.note, QString(cashregister::kRecoveredTitle.toString()), ui::Icon::Information}});
    QVERIFY(!QFileInfo::exists(notePath(t)));
    QCOMPARE(w->sale().cashierName, QStringLiteral("Joe Brown"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    sellOneMilk(t, w);

    // Told once: the till opened again says nothing.
    QTest::keyClick(w->txtProductCode, Qt::Key_F2);
    t.ui.clearBoxes();
    nextCashierOpens(t, QStringLiteral("Joe Brown"));
    QVERIFY(t.ui.boxes().empty());
}

void TestRegister::recovery_cashierRowOnly_data()
{
    QTest::addColumn<QStringList>("cashierRows");
    QTest::newRow("one gate row") << QStringList{QStringLiteral("Ann Lee")};
    QTest::newRow("gate rows of two starts") << QStringList{QStringLiteral("Ann Lee"), QStringLiteral("the manager")};
}

// The program stopped between the cash gate's write and the till's pick-up: the gate's row alone
// is no sale. It goes, nothing else changes and nobody is told; the next cashier is picked up
// under their own name, not the one the stale row held, and the till sells as on any day.
void TestRegister::recovery_cashierRowOnly()
{
    QFETCH(QStringList, cashierRows);
    RegisterFixture t;
    t.catalogue();
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    for (const QString& cashier : cashierRows)
        t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", cashier}});
    const QString before = t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory"),
        QStringLiteral("tblDailySale")});

    const SaleRecovery recovered = recover(t);

    QCOMPARE(int(recovered.outcome), int(Outcome::CashierRowRemoved));
    QCOMPARE(recovered.note, QString());
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory"),
                 QStringLiteral("tblDailySale")}),
        before);
    QVERIFY(!QFileInfo::exists(notePath(t)));
    QVERIFY(t.printer().printed.empty());

    CashRegisterWindow* w = nextCashierOpens(t, QStringLiteral("Joe Brown"));
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(w->sale().cashierName, QStringLiteral("Joe Brown"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    sellOneMilk(t, w);
    QVERIFY(t.printer().printed.back().text.contains(QStringLiteral("Joe Brown")));

    // An empty till at the next start: nothing to do.
    stopWithTheTillOpen(t);
    QCOMPARE(int(recover(t).outcome), int(Outcome::Nothing));
}

void TestRegister::recovery_isOneUnitOfWork_data()
{
    QTest::addColumn<QString>("stage");
    QTest::addColumn<QString>("failingTable");
    QTest::addColumn<bool>("disk"); // the disk fails, rather than the store refusing the write
    QTest::addColumn<int>("outcome");
    QTest::newRow("paid, the sale's rows cannot be deleted") << "paid" << "tblReceipt" << true << int(Outcome::NotRecovered);
    QTest::newRow("not paid, the sale's rows cannot be deleted") << "lines" << "tblReceipt" << true << int(Outcome::NotRecovered);
    // A disk that fails leaves the sale as it was, for the next start, as the till keeps it open.
    QTest::newRow("not paid, the disk fails under the stock") << "lines" << "tblProductQuantity" << true << int(Outcome::NotRecovered);
    QTest::newRow("not paid, the disk fails under the day's count") << "lines" << "tblDailySale" << true << int(Outcome::NotRecovered);
    // Goods the store refuses to take back are named, and the sale is emptied all the same.
    QTest::newRow("not paid, the stock refused") << "lines" << "tblProductQuantity" << false << int(Outcome::GivenBack);
    QTest::newRow("not paid, the day's count refused") << "lines" << "tblDailySale" << false << int(Outcome::GivenBack);
    QTest::newRow("paid, the journal cannot take the sale") << "paid" << "SalesJournal" << true << int(Outcome::NotRecovered);
    QTest::newRow("paid, the note cannot be written") << "paid" << "<note>" << true << int(Outcome::NotRecovered);
    QTest::newRow("not paid, the note cannot be written") << "lines" << "<note>" << true << int(Outcome::NotRecovered);
}

// A write that fails part-way leaves nothing half done: either the store is as it was, the
// start-up says so and the next start settles the sale; or, as at the till, goods that cannot go
// back are named for the manager and the open sale is emptied all the same.
void TestRegister::recovery_isOneUnitOfWork()
{
    QFETCH(QString, stage);
    QFETCH(QString, failingTable);
    QFETCH(bool, disk);
    QFETCH(int, outcome);
    RegisterFixture t;
    interruptedSale(t, stage);
    const QStringList others{QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory"),
        QStringLiteral("tblDailySale")};
    const QString before = t.snapshotOf(others + QStringList{QStringLiteral("tblReceipt")});
    const QString failure = disk ? QStringLiteral("disk I/O error") : QStringLiteral("refused by the store");
    t.store->setWriteHook([&](const QString& table) {
        if (table == failingTable)
            throw store::Error(disk ? store::ErrorKind::IO : store::ErrorKind::Constraint, failure, disk);
    });
    // A folder where the note's next content would be written: no file can be made there.
    const QString blocked = notePath(t) + QStringLiteral(".new");
    if (failingTable == u"<note>")
        QVERIFY(QDir().mkdir(blocked));

    const SaleRecovery recovered = recover(t);
    t.store->setWriteHook(nullptr);
    const bool noteFailed = QFileInfo(blocked).isDir();
    QDir().rmdir(blocked);

    QCOMPARE(int(recovered.outcome), outcome);
    QVERIFY(t.printer().printed.empty());
    QVERIFY(!QFileInfo::exists(notePath(t) + QStringLiteral(".new")));
    if (recovered.outcome == Outcome::NotRecovered) {
        QCOMPARE(t.snapshotOf(others + QStringList{QStringLiteral("tblReceipt")}), before);
        QVERIFY(store::journal::sinceLastClose(*t.store, false).empty());
        QVERIFY(!QFileInfo::exists(notePath(t)));
        const QString why = noteFailed ? QStringLiteral("The note of the recovered sale") : failure;
        QVERIFY2(recovered.failure.contains(why) && recovered.failure.contains(QStringLiteral("next start")), qPrintable(recovered.failure));
        // Until then the till does not open on the sale: the cash gate lets the cashier in, the
        // till says why it cannot open, and nothing is written.
        access_control::registerWindows(t.windows);
        t.windows.show(QString::fromLatin1(access_control::CashGate::kName));
        auto* password = t.windows.find(QString::fromLatin1(access_control::CashGate::kName))->findChild<QLineEdit*>(QStringLiteral("txtPass"));
        QVERIFY(testing::typeOver(password, QStringLiteral("plinth")));
        QTest::keyClick(password, Qt::Key_Return);
        QCOMPARE(t.ui.boxes().size(), std::size_t(1));
        QCOMPARE(t.ui.boxes().front().title, cashregister::kNotRecoveredTitle.toString());
        QVERIFY2(t.ui.boxes().front().text.startsWith(QStringLiteral("The cash register cannot open")), qPrintable(t.ui.boxes().front().text));
        QVERIFY(!t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
        QCOMPARE(t.snapshotOf(others + QStringList{QStringLiteral("tblReceipt")}), before);
        t.windows.unload(QString::fromLatin1(access_control::CashGate::kName));
        t.ui.clearBoxes();

        // The next start, with the store mended, settles it.
        QCOMPARE(int(recover(t).outcome), stage == u"paid" ? int(Outcome::Completed) : int(Outcome::GivenBack));
        QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
        QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), Value(Currency::fromUnits(stage == u"paid" ? 245050 : 200000)));
    } else {
        QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
        QCOMPARE(t.snapshotOf(others), before.section(QStringLiteral("\ntblReceipt"), 0, 0));
        QVERIFY2(recovered.note.contains(QStringLiteral("could not be put back into stock (") + failure
                     + QStringLiteral("). Please restock them by hand:\n\n    ABC Milk 2\n    B12 Bread 1")),
            qPrintable(recovered.note));
        QCOMPARE(readFile(notePath(t)), recovered.note);
    }
}

void TestRegister::recovery_noteOfAnEarlierStart_data()
{
    QTest::addColumn<bool>("saleOpen");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("pending");
    QTest::addColumn<QString>("expectedStart"); // what the note starts with afterwards
    // The program stopped after writing the note's next content and before the store committed:
    // the sale is still open, and that content is dropped for the one written when it is settled.
    QTest::newRow("stopped before the commit") << true << QString() << QStringLiteral("Half-told sale.") << QStringLiteral("When the program");
    // ... after the commit: the content takes the note's place.
    QTest::newRow("stopped after the commit") << false << QString() << QStringLiteral("Settled sale.") << QStringLiteral("Settled sale.");
    // A note the till has not shown yet is kept, and the next sale settled is told after it.
    QTest::newRow("note not shown yet") << true << QStringLiteral("Earlier sale.") << QString() << QStringLiteral("Earlier sale.\n\nWhen the program");
}

void TestRegister::recovery_noteOfAnEarlierStart()
{
    QFETCH(bool, saleOpen);
    QFETCH(QString, note);
    QFETCH(QString, pending);
    QFETCH(QString, expectedStart);
    RegisterFixture t;
    if (saleOpen)
        interruptedSale(t, QStringLiteral("lines"));
    if (!note.isEmpty())
        writeFile(notePath(t), note);
    if (!pending.isEmpty())
        writeFile(notePath(t) + QStringLiteral(".new"), pending);

    recover(t);

    const QString written = readFile(notePath(t));
    QVERIFY2(written.startsWith(expectedStart), qPrintable(written));
    QVERIFY(!written.contains(QStringLiteral("Half-told")));
    QVERIFY(!QFileInfo::exists(notePath(t) + QStringLiteral(".new")));
    // All of it in one message when the till opens.
    if (!saleOpen)
        t.catalogue();
    nextCashierOpens(t, QStringLiteral("Joe Brown"));
    QCOMPARE(t.ui.texts(), QStringList{written});
}
