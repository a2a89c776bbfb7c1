// A till killed at any instant of a day's selling, then started again: the sale it was killed in
// is settled, the store holds every sale whole, and the till sells from it.
//
// A child process drives the real cash register over a store of its own: cashiers signing in,
// lines entered, sales completed, abandoned at the amount box, lines taken back, the way back to
// the main menu. The parent kills it with SIGKILL after a random delay, reopens the store (with
// its checks of every page), settles the open sale as the start-up does and checks:
// - tblReceipt is empty;
// - each product's units out of stock equal its units on today's sold lines, and the day's unit
//   count is their sum: no line half written, none given back twice;
// - the day's takings equal the money of today's sold lines (the tax rate is 0): no money booked
//   without its sale, no sale kept without its money;
// - the till opens on the store under the next cashier's name and completes a sale.
// The trials come from one seed, printed so that a failure can be replayed:
// POS_RECOVERY_CRASH_SEED sets it, POS_RECOVERY_CRASH_TRIALS the number of trials (12 unless told).
#include "app/window_manager.h"
#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/sale_recovery.h"
#include "register/windows.h"
#include "startup/windows.h"
#include "store/convert.h"
#include "store/record_source.h"
#include "support/test_context.h"
#include "ui/digits_only_edit.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <map>

using cashregister::CashRegisterWindow;
using store::Currency;
using store::RecordSource;
using store::Value;

namespace {

constexpr const char* kChildVariable = "POS_RECOVERY_CRASH_CHILD";
constexpr int kStock = 20000;

struct Product {
    const char* code;
    const char* name;
    std::int64_t cents;
};
constexpr Product kProducts[] = {{"ABC", "Milk", 150}, {"B12", "Bread", 125}, {"X9", "Soap", 200}, {"E7", "Eggs", 99}};

void addRow(store::Store& store, const QString& table, const QList<std::pair<const char16_t*, Value>>& fields)
{
    RecordSource source(store, QStringLiteral("setup"), table);
    source.addNew();
    for (const auto& [name, value] : fields)
        source.setField(name, value);
    source.update();
}

CashRegisterWindow* openTill(app::WindowManager& windows)
{
    auto* till = static_cast<CashRegisterWindow*>(windows.show(QString::fromLatin1(CashRegisterWindow::kName)));
    till->CashierTime->stop();
    if (!QTest::qWaitForWindowActive(till))
        qWarning("the till did not become active");
    QCoreApplication::processEvents();
    // The pick-up, at the second tick.
    till->CashierTime_Timer();
    till->CashierTime_Timer();
    return till;
}

void type(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

// The child: sells until it is killed.
int sellUntilKilled(quint32 seed)
{
    testing::TestContext t;
    cashregister::registerWindows(t.windows);
    startup::registerWindows(t.windows);
    t.ui.setFailOnUnexpected(false);
    for (const Product& p : kProducts) {
        addRow(*t.store, QStringLiteral("tblProductPrice"), {{u"Code", QString::fromLatin1(p.code)}, {u"ProductName", QString::fromLatin1(p.name)},
                                                             {u"ProductPrice", Value(Currency::fromCents(p.cents))}, {u"ProdCathegory", QStringLiteral("Dairy")}});
        addRow(*t.store, QStringLiteral("tblProductQuantity"),
            {{u"Code", QString::fromLatin1(p.code)}, {u"QuantityBought", Value(std::int16_t(kStock))}, {u"QuantityOnHand", Value(std::int16_t(kStock))}});
    }
    std::printf("%s\n", qPrintable(t.root.path()));
    std::fflush(stdout);

    QRandomGenerator random(seed);
    CashRegisterWindow* till = nullptr;
    for (int cashier = 0;; ) {
        if (!till) {
            // The cash gate's row, then the till.
            addRow(*t.store, QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Cashier %1").arg(++cashier)}});
            till = openTill(t.windows);
            continue;
        }
        const int action = int(random.bounded(100));
        const bool saleOpen = !till->sale().subtotal.isZero();
        if (action < 60) {
            const Product& p = kProducts[random.bounded(int(std::size(kProducts)))];
            type(till->txtProductCode, QString::fromLatin1(p.code));
            till->txtProductName->clear();
            type(till->txtQuantity, QString::number(1 + random.bounded(3)));
            QTest::keyClick(till->txtProductCode, Qt::Key_Return);
        } else if (action < 78 && saleOpen) {
            t.ui.answerInput(QStringLiteral("1000000"));
            QTest::keyClick(till->txtProductCode, Qt::Key_End);
        } else if (action < 83 && saleOpen) {
            t.ui.answerInput(QString()); // Esc at the amount box
            QTest::keyClick(till->txtProductCode, Qt::Key_End);
        } else if (action < 92) {
            t.ui.answerInput(QString::fromLatin1(kProducts[random.bounded(int(std::size(kProducts)))].code));
            till->txtProductCode->setFocus();
            QTest::keyClick(till->txtProductCode, Qt::Key_C, Qt::ControlModifier);
        } else if (action < 97) {
            QTest::keyClick(till->txtProductCode, Qt::Key_F2);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            till = nullptr;
        }
        t.ui.clearBoxes();
    }
}

struct Trial {
    int outcome = -1;
    int linesToday = 0; // today's sold lines found at the start
    bool booked = false; // money was in the day's takings
    QString failure;
};

class TestRecoveryCrash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedAnyMoment_saleSettledAndStoreWhole();

private:
    // One trial; an empty failure when every check held.
    Trial runTrial(quint32 childSeed, int delayMs);
};

Trial TestRecoveryCrash::runTrial(quint32 childSeed, int delayMs)
{
    Trial trial;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), QString::number(childSeed));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (!child.waitForStarted() || !child.waitForReadyRead(20000)) {
        trial.failure = QStringLiteral("the child did not start");
        return trial;
    }
    const QString root = QString::fromLocal8Bit(child.readLine().trimmed());
    QTest::qSleep(delayMs);
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(20000);
    const auto removeRoot = qScopeGuard([&] { QDir(root).removeRecursively(); });
    if (child.exitStatus() != QProcess::CrashExit) {
        trial.failure = QStringLiteral("the child ended before it was killed");
        return trial;
    }

    // The next start: the store opened with its checks, the sale settled, the till opened.
    platform::Platform platform(platform::Drives(root), std::make_unique<platform::UnsupportedDisplaySettings>(), std::make_unique<testing::FakeShell>());
    platform.setPrinter(std::make_unique<testing::FakePrinter>());
    const QString path = platform.drives().hostPath(testing::TestContext::kStorePath);
    std::unique_ptr<store::Store> store;
    try {
        store = store::Store::open(path, QDate(2026, 12, 10));
    } catch (const std::exception& e) {
        trial.failure = QStringLiteral("the store does not open: ") + QString::fromUtf8(e.what());
        return trial;
    }
    app::FixedClock clock(QDate(2026, 12, 10), QTime(14, 5, 9));
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const cashregister::SaleRecovery recovered = cashregister::recoverInterruptedSale(*store, platform.printer(), clock.current(), locale);
    trial.outcome = int(recovered.outcome);
    QStringList wrong;
    if (recovered.outcome == cashregister::SaleRecovery::Outcome::NotRecovered)
        wrong << recovered.failure;

    const int receiptRows = RecordSource(*store, QStringLiteral("check"), QStringLiteral("tblReceipt")).recordCount();
    if (receiptRows != 0)
        wrong << QStringLiteral("tblReceipt holds %1 rows").arg(receiptRows);
    std::map<QString, int> soldUnits;
    int allUnits = 0;
    Currency soldMoney;
    for (RecordSource lines(*store, QStringLiteral("check"), QStringLiteral("daillySale")); !lines.atEnd(); lines.moveNext()) {
        soldUnits[lines.field(u"Codigo").toText()] += lines.field(u"Quantidade").toWhole();
        allUnits += lines.field(u"Quantidade").toWhole();
        soldMoney = store::convert::add(soldMoney, lines.field(u"Preco").toCurrency());
    }
    RecordSource stock(*store, QStringLiteral("check"), QStringLiteral("tblProductQuantity"));
    for (; !stock.atEnd(); stock.moveNext()) {
        const QString code = stock.field(u"Code").toText();
        const int out = kStock - stock.field(u"QuantityOnHand").toWhole();
        if (out != soldUnits[code])
            wrong << QStringLiteral("%1: %2 units out of stock, %3 on today's lines").arg(code).arg(out).arg(soldUnits[code]);
    }
    RecordSource day(*store, QStringLiteral("check"), QStringLiteral("tblDailySale"));
    if (day.field(u"totalItems").toWhole() != allUnits)
        wrong << QStringLiteral("the day's count is %1, today's lines hold %2 units").arg(day.field(u"totalItems").toWhole()).arg(allUnits);
    const Currency takings = day.field(u"DailySale").toCurrency();
    trial.booked = !takings.isZero();
    trial.linesToday = RecordSource(*store, QStringLiteral("check"), QStringLiteral("daillySale")).recordCount();
    if (!(takings == soldMoney))
        wrong << QStringLiteral("the day's takings are %1, today's lines hold %2")
                     .arg(store::convert::currencyToPlainText(takings), store::convert::currencyToPlainText(soldMoney));

    // The till sells from the store, under the next cashier's name.
    {
        testing::ScriptedServices ui;
        app::AppInfo info;
        app::WindowManager windows;
        app::Context context{*store, ui, platform, windows, clock, info, locale};
        windows.setContext(context);
        cashregister::registerWindows(windows);
        addRow(*store, QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Next Cashier")}});
        CashRegisterWindow* till = openTill(windows);
        if (till->sale().cashierName != u"Next Cashier")
            wrong << QStringLiteral("the till picked up \"%1\"").arg(till->sale().cashierName);
        type(till->txtProductCode, QStringLiteral("E7"));
        type(till->txtQuantity, QStringLiteral("1"));
        QTest::keyClick(till->txtProductCode, Qt::Key_Return);
        ui.answerInput(QStringLiteral("100"));
        QTest::keyClick(till->txtProductCode, Qt::Key_End);
        // The only message: what the start-up did with the sale it settled, when it settled one.
        int told = 0;
        for (const testing::ShownBox& box : ui.boxes()) {
            if (box.kind == testing::ShownBox::Kind::Message)
                told += box.title == cashregister::kRecoveredTitle ? 1 : 100;
        }
        const bool settled = recovered.outcome == cashregister::SaleRecovery::Outcome::Completed
            || recovered.outcome == cashregister::SaleRecovery::Outcome::GivenBack;
        if (!ui.failures().isEmpty() || told != (settled ? 1 : 0))
            wrong << QStringLiteral("the till after the start showed: ") + ui.texts().join(u" | ");
        const Currency after = RecordSource(*store, QStringLiteral("check"), QStringLiteral("tblDailySale")).field(u"DailySale").toCurrency();
        if (!(after == store::convert::add(takings, Currency::fromCents(99))))
            wrong << QStringLiteral("the sale after the start booked %1").arg(store::convert::currencyToPlainText(store::convert::subtract(after, takings)));
        windows.unload(QString::fromLatin1(CashRegisterWindow::kName));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    trial.failure = wrong.join(QStringLiteral("; "));
    return trial;
}

void TestRecoveryCrash::killedAnyMoment_saleSettledAndStoreWhole()
{
    const int trials = qEnvironmentVariableIsSet("POS_RECOVERY_CRASH_TRIALS") ? qEnvironmentVariableIntValue("POS_RECOVERY_CRASH_TRIALS") : 12;
    const quint32 seed = qEnvironmentVariableIsSet("POS_RECOVERY_CRASH_SEED") ? quint32(qEnvironmentVariableIntValue("POS_RECOVERY_CRASH_SEED"))
                                                                               : 20261210u;
    qInfo("seed %u, %d trials (POS_RECOVERY_CRASH_SEED, POS_RECOVERY_CRASH_TRIALS)", seed, trials);
    QRandomGenerator random(seed);
    std::map<int, int> outcomes;
    int booked = 0;
    int lines = 0;
    for (int i = 0; i < trials; ++i) {
        const quint32 childSeed = random.generate();
        const int delayMs = int(random.bounded(600));
        const Trial trial = runTrial(childSeed, delayMs);
        if (!trial.failure.isEmpty())
            QFAIL(qPrintable(QStringLiteral("trial %1 (child seed %2, killed after %3 ms): %4").arg(i).arg(childSeed).arg(delayMs).arg(trial.failure)));
        ++outcomes[trial.outcome];
        booked += trial.booked ? 1 : 0;
        lines += trial.linesToday;
    }
    // What the trials met: the settling's outcomes (SaleRecovery::Outcome), the trials whose
    // store held completed sales, and the sold lines they held.
    QStringList seen;
    for (const auto& [outcome, count] : outcomes)
        seen << QStringLiteral("outcome %1: %2").arg(outcome).arg(count);
    qInfo("%s; money booked in %d trials; %d sold lines checked", qPrintable(seen.join(QStringLiteral(", "))), booked, lines);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable))
        return sellUntilKilled(quint32(qEnvironmentVariable(kChildVariable).toUInt()));
    TestRecoveryCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "recovery_crash_test.moc"
