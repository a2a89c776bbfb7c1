// A store whose disk fails under the program: the disk fills up, or a write, a sync or a
// truncation of the store's files fails with an I/O error, at the first or the last such call of
// an operation, or from either on for good. Whatever the moment, the operation is kept whole or not at all, the person
// is told what failed and what to do, the store reads the same once it is opened again, and once
// the disk works again the same operation goes through.
#include "failing_disk.h"

#include "app/window_manager.h"
#include "platform/drive_types.h"
#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/windows.h"
#include "replication/backup_window.h"
#include "replication/windows.h"
#include "startup/main_window.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/replication.h"
#include "store/schema.h"
#include "support/test_context.h"
#include "ui/digits_only_edit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

using cashregister::CashRegisterWindow;
using store::Currency;
using store::RecordSource;
using store::Value;
using testing::FailingDisk;
using testing::ShownBox;

Q_DECLARE_METATYPE(FailingDisk::Call)
Q_DECLARE_METATYPE(FailingDisk::Error)

namespace {

// When the disk fails, counted in the calls of the failing kind that the operation makes: the
// first, the last, every one from the first on (a disk full from the start), or every one from
// the last on (a disk that fills up at the operation's last step). A disk that stays failing
// fails still when the program ends and starts again.
enum class Moment { First, Last, Every, FromLast };

bool lasting(Moment moment)
{
    return moment == Moment::Every || moment == Moment::FromLast;
}

QString describe(Moment moment)
{
    switch (moment) {
    case Moment::First:
        return QStringLiteral("first");
    case Moment::Last:
        return QStringLiteral("last");
    case Moment::Every:
        return QStringLiteral("every");
    case Moment::FromLast:
        return QStringLiteral("from the last on");
    }
    return {};
}

// The box of the cash register's item entry, for any failure of its writes.
const QString kQuantityError = QStringLiteral(" There was an error.  Please check the quantity.");

// Every row of the business tables of a store, as text: equal snapshots are equal stores. The
// figures an open sale's first line is given while the amount tendered is asked for mean nothing
// until the amount is booked beside them, and are left out.
QString snapshotOf(store::Store& file)
{
    static const QStringList figures{QStringLiteral("Cashier"), QStringLiteral("Subtotal"), QStringLiteral("Tax"), QStringLiteral("Total")};
    QStringList lines;
    for (const store::TableDef& table : store::schema::tables()) {
        if (table.qName() == store::schema::kReportsTable)
            continue;
        RecordSource source(file, QStringLiteral("check"), table.qName());
        lines << table.qName();
        for (; !source.atEnd(); source.moveNext()) {
            QStringList cells;
            for (int f = 0; f < int(source.table().fields.size()); ++f) {
                if (table.qName() == u"tblReceipt" && figures.contains(QString::fromUtf16(source.table().fields[std::size_t(f)].name)))
                    continue;
                cells << (source.field(f).isNull() ? QStringLiteral("<null>") : source.field(f).display());
            }
            lines << cells.join(u'|');
        }
    }
    return lines.join(u'\n');
}

// The program on a fresh store: the cash register, the main menu and the replication window, a
// small catalogue, a tax rate, a day of sales behind it, and drive D a fixed disk.
struct Program : testing::TestContext {
    QTemporaryDir secondDisk;

    Program()
    {
        cashregister::registerWindows(windows);
        startup::registerWindows(windows);
        replication::registerWindows(windows);
        auto types = std::make_unique<testing::FakeDriveTypes>();
        types->kinds.insert(u'C', platform::DriveType::Fixed);
        types->kinds.insert(u'D', platform::DriveType::Fixed);
        platform.setDriveTypes(std::move(types));
        QDir().mkpath(root.filePath(QStringLiteral("dosdevices")));
        QFile::link(secondDisk.path(), root.filePath(QStringLiteral("dosdevices/d:")));
        QDir().mkpath(secondDisk.filePath(QStringLiteral("Program Files/Point of Sale")));

        addProduct(QStringLiteral("ABC"), QStringLiteral("Milk"), 150, QStringLiteral("Dairy"), 10);
        addProduct(QStringLiteral("B12"), QStringLiteral("Bread"), 125, QStringLiteral("Bakery"), 5);
        setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
        setField(QStringLiteral("tblDailySale"), u"DailySale", Value(Currency::fromCents(2000)));
        setField(QStringLiteral("tblDailySale"), u"tDate", Value(QDate(2026, 12, 10)));
        addRow(QStringLiteral("daillySale"), {{u"Codigo", Value(QStringLiteral("ABC"))}, {u"Nome_Produto", Value(QStringLiteral("Milk"))},
                                                 {u"Quantidade", Value(std::int16_t(1))}, {u"Preco", Value(Currency::fromCents(150))}});
        addRow(QStringLiteral("YearSales"), {{u"Ano", Value(std::int16_t(2026))}, {u"December", Value(Currency::fromCents(10000))},
                                                {u"AnualTotal", Value(Currency::fromCents(10000))}});
    }

    QString storeFile() const { return platform.drives().hostPath(replication::BackupWindow::kStoreFile); }
    QString replica() const { return platform.drives().hostPath(replication::BackupWindow::kReplica); }

    void addRow(const QString& table, const QList<std::pair<const char16_t*, Value>>& fields, store::Store* into = nullptr)
    {
        RecordSource source(into ? *into : *store, QStringLiteral("setup"), table);
        source.addNew();
        for (const auto& [name, value] : fields)
            source.setField(name, value);
        source.update();
    }

    void addProduct(const QString& code, const QString& name, int cents, const QString& category, int onHand, store::Store* into = nullptr)
    {
        addRow(QStringLiteral("tblProductPrice"), {{u"Code", Value(code)}, {u"ProductName", Value(name)},
                                                      {u"ProductPrice", Value(Currency::fromCents(cents))},
                                                      {u"VPrice", Value(Currency::fromCents(cents / 2))}, {u"ProdCathegory", Value(category)}},
            into);
        addRow(QStringLiteral("tblProductQuantity"), {{u"Code", Value(code)}, {u"QuantityBought", Value(std::int16_t(onHand))},
                                                         {u"QuantityOnHand", Value(std::int16_t(onHand))}, {u"QuantitySold", Value(std::int16_t(0))}},
            into);
    }

    void setField(const QString& table, QStringView name, const Value& value)
    {
        RecordSource source(*store, QStringLiteral("setup"), table);
        source.edit();
        source.setField(name, value);
        source.update();
    }

    QString snapshot() { return snapshotOf(*store); }

    // The replica on drive D, read through a connection of its own.
    QString replicaSnapshot()
    {
        if (!QFileInfo::exists(replica()))
            return QStringLiteral("<no replica>");
        auto copy = store::Store::open(replica(), clock.today());
        return snapshotOf(*copy);
    }

    // The store closed and opened again, as at the program's next start: it passes the checks of
    // an opening and reads as it did.
    void reopen()
    {
        store->release();
        store::Store::check(storeFile());
        store->restore();
    }

    CashRegisterWindow* till() { return static_cast<CashRegisterWindow*>(windows.find(QString::fromLatin1(CashRegisterWindow::kName))); }

    // The cashier's steps.
    CashRegisterWindow* openTill()
    {
        auto* w = static_cast<CashRegisterWindow*>(windows.show(QString::fromLatin1(CashRegisterWindow::kName)));
        w->CashierTime->stop();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("the cash register did not become the active window");
        return w;
    }
    void enter(const QString& code, int quantity)
    {
        CashRegisterWindow* w = till();
        w->txtProductName->clear();
        w->txtProductCode->clear();
        QTest::keyClicks(w->txtProductCode, code);
        w->txtQuantity->clear();
        QTest::keyClicks(w->txtQuantity, QString::number(quantity));
        QTest::keyClick(w->txtProductCode, Qt::Key_Return);
    }
    void cancelByCode(const QString& code)
    {
        ui.answerInput(code);
        till()->txtProductCode->setFocus();
        QTest::keyClick(till()->txtProductCode, Qt::Key_C, Qt::ControlModifier);
    }
    void end(const QString& amountInCents)
    {
        ui.answerInput(amountInCents);
        QTest::keyClick(till()->txtProductCode, Qt::Key_End);
    }
    void backToMain() { QTest::keyClick(till()->txtProductCode, Qt::Key_F2); }

    // The manager's exit, closing the day.
    void closeTheDay()
    {
        auto* menu = static_cast<startup::MainWindow*>(windows.show(QStringLiteral("frmMain")));
        ui.answerMessage(ui::Button::Yes);
        ui.answerMessage(ui::Button::Yes);
        QTest::mouseClick(menu->cmdSair, Qt::LeftButton);
    }

    // The store made replicable with a replica on drive D, then each side changed on its own.
    void replicaOnDriveD()
    {
        {
            auto database = store::ReplicaDatabase::open(storeFile(), store::ReplicaDatabase::Use::Exclusive, store.get());
            database->appendProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
            database->makeReplica(replica(), QStringLiteral("MyReplica"));
            database->close();
        }
        addProduct(QStringLiteral("T1"), QStringLiteral("Tea"), 199, QStringLiteral("Beverage"), 8);
        auto copy = store::Store::open(replica(), clock.today());
        addProduct(QStringLiteral("R1"), QStringLiteral("Rice"), 210, QStringLiteral("Grain"), 9, copy.get());
    }
    void synchronise()
    {
        auto* w = static_cast<replication::BackupWindow*>(windows.show(QStringLiteral("frmBackup")));
        QTest::mouseClick(w->cmdSynch, Qt::LeftButton);
    }

    // The boxes shown since `from`, as "title: text".
    QStringList boxesSince(std::size_t from) const
    {
        QStringList shown;
        for (std::size_t i = from; i < ui.boxes().size(); ++i)
            shown << ui.boxes()[i].shownTitle + QStringLiteral(": ") + ui.boxes()[i].text;
        return shown;
    }
};

// One operation of the program that writes: what stands before it, the operation itself, and the
// boxes it shows when all goes well.
struct Operation {
    std::function<void(Program&)> before;
    std::function<void(Program&)> run;
    // The message a failure of its writes shows, when the program has one fixed text for it; when
    // empty, the message names the store file and says what to do.
    QString failureText;
};

const QHash<QString, Operation>& operations()
{
    static const QHash<QString, Operation> all{
        {QStringLiteral("item entry"),
            {[](Program& p) {
                 p.openTill();
                 p.enter(QStringLiteral("ABC"), 2);
             },
                [](Program& p) { p.enter(QStringLiteral("B12"), 1); }, kQuantityError}},
        {QStringLiteral("cancel"),
            {[](Program& p) {
                 p.openTill();
                 p.enter(QStringLiteral("ABC"), 2);
                 p.enter(QStringLiteral("B12"), 1);
             },
                [](Program& p) { p.cancelByCode(QStringLiteral("b12")); }, {}}},
        {QStringLiteral("completion"),
            {[](Program& p) {
                 p.openTill();
                 p.enter(QStringLiteral("ABC"), 2);
                 p.enter(QStringLiteral("B12"), 1);
             },
                [](Program& p) { p.end(QStringLiteral("500")); }, {}}},
        {QStringLiteral("abandon at the amount box"),
            {[](Program& p) {
                 p.openTill();
                 p.enter(QStringLiteral("ABC"), 2);
                 p.enter(QStringLiteral("B12"), 1);
             },
                [](Program& p) { p.end(QString()); }, {}}},
        {QStringLiteral("back to main with lines"),
            {[](Program& p) {
                 p.openTill();
                 p.enter(QStringLiteral("ABC"), 2);
                 p.enter(QStringLiteral("B12"), 1);
             },
                [](Program& p) { p.backToMain(); }, {}}},
        {QStringLiteral("close of day"), {[](Program&) {}, [](Program& p) { p.closeTheDay(); }, {}}},
        {QStringLiteral("year roll-over"),
            {[](Program& p) { p.setField(QStringLiteral("YearSales"), u"Ano", Value(std::int16_t(2025))); },
                [](Program& p) { p.closeTheDay(); }, {}}},
        {QStringLiteral("synchronisation"), {[](Program& p) { p.replicaOnDriveD(); }, [](Program& p) { p.synchronise(); }, {}}},
    };
    return all;
}

// What an operation leaves when all goes well: the store, the replica, the boxes, and how many
// calls of each kind it makes.
struct Outcome {
    QString store;
    QString replica;
    QStringList boxes;
    bool ended = false;
    int calls = 0;
};

// Runs the operation on a sound disk, once for each operation and kind of call.
Outcome runUndisturbed(const QString& name, FailingDisk::Call call)
{
    static QHash<QString, Outcome> known;
    const QString key = name + u'/' + FailingDisk::describe(call);
    if (const auto found = known.constFind(key); found != known.constEnd())
        return *found;
    const Operation& operation = operations()[name];
    Program p;
    operation.before(p);
    const std::size_t shown = p.ui.boxes().size();
    FailingDisk::count();
    operation.run(p);
    Outcome done;
    done.calls = FailingDisk::calls(call);
    FailingDisk::disarm();
    done.store = p.snapshot();
    done.replica = p.replicaSnapshot();
    done.boxes = p.boxesSince(shown);
    done.ended = p.ui.ended();
    if (!p.ui.failures().isEmpty())
        qWarning("%s", qPrintable(p.ui.failures()));
    known.insert(key, done);
    return done;
}

} // namespace

Q_DECLARE_METATYPE(Moment)

class TestFailingStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void failingDisk_data();
    void failingDisk();
    void receiptPrinting_saleStaysCompleted_data();
    void receiptPrinting_saleStaysCompleted();
};

void TestFailingStore::initTestCase()
{
    FailingDisk::install();
}

void TestFailingStore::cleanup()
{
    FailingDisk::disarm();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestFailingStore::failingDisk_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<FailingDisk::Call>("call");
    QTest::addColumn<FailingDisk::Error>("error");
    QTest::addColumn<Moment>("moment");
    const QStringList names{QStringLiteral("item entry"), QStringLiteral("cancel"), QStringLiteral("completion"),
        QStringLiteral("abandon at the amount box"), QStringLiteral("back to main with lines"), QStringLiteral("close of day"),
        QStringLiteral("year roll-over"), QStringLiteral("synchronisation")};
    for (const QString& name : names) {
        for (FailingDisk::Call call : {FailingDisk::Call::Write, FailingDisk::Call::Sync, FailingDisk::Call::Truncate}) {
            for (FailingDisk::Error error : {FailingDisk::Error::Full, FailingDisk::Error::IoError}) {
                for (Moment moment : {Moment::First, Moment::Last, Moment::Every, Moment::FromLast}) {
                    // The store's files are not cut short while it is in use: one row shows it.
                    if (call == FailingDisk::Call::Truncate && moment != Moment::Every)
                        continue;
                    QTest::addRow("%s, %s %s, %s", qPrintable(name), qPrintable(FailingDisk::describe(call)),
                        qPrintable(FailingDisk::describe(error)), qPrintable(describe(moment)))
                        << name << call << error << moment;
                }
            }
        }
    }
}

void TestFailingStore::failingDisk()
{
    QFETCH(QString, operation);
    QFETCH(FailingDisk::Call, call);
    QFETCH(FailingDisk::Error, error);
    QFETCH(Moment, moment);
    const Operation& op = operations()[operation];

    const Outcome done = runUndisturbed(operation, call);
    QVERIFY(!QTest::currentTestFailed());

    Program p;
    op.before(p);
    const QString before = p.snapshot();
    const QString replicaBefore = p.replicaSnapshot();
    const std::size_t shown = p.ui.boxes().size();
    QCOMPARE(p.ui.failures(), QString());

    const bool fromLast = moment == Moment::Last || moment == Moment::FromLast;
    FailingDisk::arm(call, error, fromLast ? std::max(done.calls, 1) : 1,
        lasting(moment) ? FailingDisk::Lasting::FromThenOn : FailingDisk::Lasting::Once);
    op.run(p);
    const int failed = FailingDisk::failed();
    const QString after = p.snapshot();
    const QStringList boxes = p.boxesSince(shown);
    const bool ended = p.ui.ended();
    // A disk that stays failing fails still when the program ends and starts again.
    QString reopened;
    if (lasting(moment) && failed > 0) {
        p.reopen();
        reopened = p.snapshot();
    }
    FailingDisk::disarm();
    const QString replicaAfter = p.replicaSnapshot();
    // A command that stopped at the failure leaves the later boxes' answers unasked.
    if (failed > 0)
        p.ui.clearAnswers();
    QCOMPARE(p.ui.failures(), QString());

    if (failed == 0) {
        // The operation makes no such call: it went through as it does on a sound disk.
        QCOMPARE(after, done.store);
        QCOMPARE(boxes, done.boxes);
        return;
    }

    // Whole or not at all: the store is as before or as after the operation, and so is the replica.
    QVERIFY2(after == before || after == done.store, qPrintable(after));
    QVERIFY2(replicaAfter == replicaBefore || replicaAfter == done.replica, qPrintable(replicaAfter));
    const bool whole = after == done.store && replicaAfter == done.replica;
    if (!whole) {
        // The person is told: the operation's own message where it has one, and beside it one
        // that names the store and says what to do; the program goes on.
        QVERIFY2(!boxes.isEmpty(), "nothing was said");
        const QString said = boxes.join(u'\n');
        if (!op.failureText.isEmpty())
            QVERIFY2(std::any_of(boxes.cbegin(), boxes.cend(), [&](const QString& box) { return box.endsWith(op.failureText); }), qPrintable(said));
        const QString replicaFolder = QDir::toNativeSeparators(QFileInfo(QFileInfo(p.replica()).path()).canonicalFilePath());
        QVERIFY2(said.contains(QDir::toNativeSeparators(p.storeFile())) || said.contains(replicaFolder), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("try again"), Qt::CaseInsensitive), qPrintable(said));
        QVERIFY(!ended);
    } else {
        QCOMPARE(ended, done.ended);
    }

    // Opened again, the store reads the same: a step the person was told had failed does not
    // come back, and one that was kept is there.
    if (!lasting(moment)) {
        p.reopen();
        reopened = p.snapshot();
    }
    QCOMPARE(reopened, after);

    // With the disk sound again, the operation goes through.
    if (!whole) {
        p.ui.clearBoxes();
        op.run(p);
        QCOMPARE(p.ui.failures(), QString());
        QCOMPARE(p.snapshot(), done.store);
        QCOMPARE(p.replicaSnapshot(), done.replica);
        QCOMPARE(p.ui.ended(), done.ended);
    }
}

// The disk fails and the printer with it, or either alone, while the receipt of a booked sale
// prints: the sale stays completed, booked once, through the store's closing and opening again.
void TestFailingStore::receiptPrinting_saleStaysCompleted_data()
{
    QTest::addColumn<bool>("printerFails");
    QTest::addColumn<bool>("diskFails");
    QTest::newRow("printer out, disk sound") << true << false;
    QTest::newRow("printer out, disk full") << true << true;
    QTest::newRow("printer sound, disk full") << false << true;
}

void TestFailingStore::receiptPrinting_saleStaysCompleted()
{
    QFETCH(bool, printerFails);
    QFETCH(bool, diskFails);
    Program p;
    operations()[QStringLiteral("completion")].before(p);
    p.ui.clearBoxes();
    if (printerFails)
        p.printer().failure = QStringLiteral("The printer is out of paper.");
    p.printer().whilePrinting = [&] {
        if (diskFails)
            FailingDisk::fill();
    };
    p.end(QStringLiteral("500"));
    p.reopen();
    FailingDisk::disarm();

    QCOMPARE(p.ui.failures(), QString());
    QStringList said = p.boxesSince(0);
    QCOMPARE(said.takeFirst(), QStringLiteral(" Amount Tendered:: Please enter amount tendered:"));
    if (printerFails)
        QCOMPARE(said, QStringList{QStringLiteral("Receipt Not Printed: The receipt was not printed. The printer is out of paper.\n\nThe "
                                                  "sale is complete and its money is booked.")});
    else
        QCOMPARE(said, QStringList());
    // 4.25 and 6 % tax: 4.505 on top of the 20.00 taken before.
    QCOMPARE(RecordSource(*p.store, QStringLiteral("check"), QStringLiteral("tblDailySale")).field(u"DailySale"),
        Value(Currency::fromUnits(245050)));
    QCOMPARE(RecordSource(*p.store, QStringLiteral("check"), QStringLiteral("tblReceipt")).recordCount(), 0);
    QVERIFY(p.till()->cmdNewSale->isEnabled());
}

QTEST_MAIN(TestFailingStore)
#include "test_failing_store.moc"
