// Every text box and input box of every window fed hostile texts, from a fixed seed, and then
// the window's commands pressed: nothing may crash, no row may break the store's rules, a
// refusal says what is wrong, and the window still takes a normal entry afterwards.
//
// POS_FUZZ_SEED changes the seed (printed at the start), POS_FUZZ_ROUNDS adds rounds of random
// texts; the inputs tried per box are printed at the end.
#include "fuzz/hostile.h"

#include "access/gates.h"
#include "app/window_manager.h"
#include "catalogue/windows.h"
#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/windows.h"
#include "replication/windows.h"
#include "review/windows.h"
#include "staff/windows.h"
#include "startup/windows.h"
#include "store/convert.h"
#include "store/record_source.h"
#include "store/statement.h"
#include "store/store.h"
#include "ui/digits_only_edit.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <limits>

using hostile::BoxKind;
using hostile::Feed;
using hostile::Findings;
using hostile::KnownBox;
using store::RecordSource;
using store::Value;

namespace {

Value whole(int n)
{
    return Value(std::int16_t(n));
}

Value money(std::int64_t cents)
{
    return Value(store::Currency::fromCents(cents));
}

// A box of a window, found by its name, or the answer to one of its input boxes.
struct BoxDef {
    QString name;
    BoxKind kind;
    QString asks; // an answer: the command whose input box it answers
};

// A command of a window: a button, a key or a menu shortcut, with what a person answers the
// input box it may ask. A command that must speak or write: when it changes nothing in the
// store, it says why.
struct Command {
    using Press = std::function<void(QWidget* window, const QString& answer)>;
    using Check = std::function<bool(QWidget* window)>;

    Command(QString name, Press press, QString normalAnswer = {}, bool speaksOrWrites = false, Check maySayNothing = {})
        : name(std::move(name)), press(std::move(press)), normalAnswer(std::move(normalAnswer)), speaksOrWrites(speaksOrWrites),
          maySayNothing(std::move(maySayNothing))
    {
    }

    QString name;
    Press press;
    QString normalAnswer;
    bool speaksOrWrites = false;
    // For a command that must speak or write: true when, with the boxes as they are, the
    // program may rightly do neither.
    Check maySayNothing;
};

// How one window is fed: how it is opened, what a normal entry puts in its boxes, its boxes and
// commands, and every box it may show.
struct WindowPlan {
    QString name;
    std::function<QWidget*()> open;
    std::function<void(QWidget* window)> normal;
    std::vector<BoxDef> boxes;
    std::vector<Command> commands;
    QList<KnownBox> known;
    // Rules of this window beyond the store's own, checked after every command.
    std::function<QStringList()> rules;
    // Puts back what a normal entry needs when the fuzzing took it away, behind the window's
    // back: true when it did, and the window must be opened afresh to see it.
    std::function<bool()> restore;
};

template <class W = QWidget>
W* child(QWidget* window, const QString& name)
{
    W* found = window->findChild<W*>(name);
    if (!found)
        qFatal("%s has no control %s", qPrintable(window->objectName()), qPrintable(name));
    return found;
}

void click(QWidget* window, const QString& button)
{
    auto* b = child<QPushButton>(window, button);
    if (b->isEnabled() && b->isVisible())
        QTest::mouseClick(b, Qt::LeftButton);
}

void setBox(QWidget* window, const QString& name, const QString& text)
{
    QWidget* box = child(window, name);
    if (auto* combo = qobject_cast<QComboBox*>(box))
        combo->setEditText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->setText(text);
    else
        hostile::feed(box, text, Feed::Set);
}

QString boxText(QWidget* window, const QString& name)
{
    QWidget* box = child(window, name);
    if (auto* combo = qobject_cast<QComboBox*>(box))
        return combo->currentText();
    return child<QLineEdit>(window, name)->text();
}

// Every row of every table, as text: equal snapshots are equal stores.
QString snapshot(store::Store& store)
{
    QString all;
    for (const char* table : {"tblProductPrice", "tblProductQuantity", "tblSuplier", "tblTax", "Employees", "tblReceipt",
             "daillySale", "tblDailySale", "tblCathegory", "YearSales", "LastYearSales"}) {
        store::Statement rows = store.prepare(QStringLiteral("SELECT * FROM \"%1\"").arg(QLatin1String(table)));
        all += QLatin1String(table) + u'\n';
        while (rows.step()) {
            for (int c = 0; c < rows.columnCount(); ++c)
                all += rows.columnText(c) + u'|';
            all += u'\n';
        }
    }
    return all;
}

// A fresh store with every window, drive D a fixed disk, and a small catalogue, staff and
// supplier list.
struct HostileFixture : testing::TestContext {
    QTemporaryDir secondDisk;
    QRandomGenerator random;
    Findings findings;
    QStringList brokenBefore;

    explicit HostileFixture(quint32 salt) : random(hostile::seed() ^ salt)
    {
        startup::registerWindows(windows);
        access_control::registerWindows(windows);
        cashregister::registerWindows(windows);
        catalogue::registerWindows(windows);
        staff::registerWindows(windows);
        replication::registerWindows(windows);
        review::registerWindows(windows);
        review::registerLinkedChartWindows(windows);
        ui.setFailOnUnexpected(false);
        // What is proved here is what the windows write, not that it reaches the disk: the
        // store skips waiting for the disk, which keeps thousands of commands within seconds.
        store->exec(QStringLiteral("PRAGMA synchronous = OFF"));

        auto types = std::make_unique<testing::FakeDriveTypes>();
        types->kinds.insert(u'C', platform::DriveType::Fixed);
        types->kinds.insert(u'D', platform::DriveType::Fixed);
        platform.setDriveTypes(std::move(types));
        QDir().mkpath(root.filePath(QStringLiteral("dosdevices")));
        QFile::link(secondDisk.path(), root.filePath(QStringLiteral("dosdevices/d:")));
        QDir().mkpath(secondDisk.filePath(QStringLiteral("Program Files/Point of Sale")));

        addProduct(QStringLiteral("ABC"), QStringLiteral("Milk"), 150, QStringLiteral("Dairy"), 30000);
        addProduct(QStringLiteral("B12"), QStringLiteral("Bread"), 125, QStringLiteral("Bakery"), 30000);
        // A product whose code and name are themselves hostile, so that receipts, lists and the
        // review windows show such texts.
        addProduct(QStringLiteral("\u00c9\u00c71"), QString(300, QChar(0x0416)) + QStringLiteral("\U0001F95B\u202e"), 99,
            QStringLiteral("Miscelaneous"), 30000);
        // Kept for the check that a window still takes a normal entry.
        addProduct(QStringLiteral("ZZ9"), QStringLiteral("Usable"), 200, QStringLiteral("Grocery"), 100);
        addRow(QStringLiteral("Employees"), {{u"SS#", QStringLiteral("111")}, {u"Sobrenome", QStringLiteral("Smith")},
                                                {u"Nome", QStringLiteral("John")}, {u"Cargo", QStringLiteral("manager")},
                                                {u"passe", QStringLiteral("Key7")}, {u"uso", QStringLiteral("ACE")}});
        addRow(QStringLiteral("tblSuplier"), {{u"Code", QStringLiteral("S1")}, {u"Supplier", QStringLiteral("Acme")},
                                                 {u"Phone#", QStringLiteral("555")}, {u"Address", QStringLiteral("1 Main St")}});
        RecordSource tax(*store, QStringLiteral("setup"), QStringLiteral("tblTax"));
        tax.edit();
        tax.setField(u"Tax", 0.06);
        tax.update();
    }

    void addRow(const QString& table, const QList<std::pair<const char16_t*, Value>>& fields)
    {
        RecordSource source(*store, QStringLiteral("setup"), table);
        source.addNew();
        for (const auto& [name, value] : fields)
            source.setField(name, value);
        source.update();
    }

    void addProduct(const QString& code, const QString& name, std::int64_t cents, const QString& category, int onHand)
    {
        addRow(QStringLiteral("tblProductPrice"), {{u"Code", code}, {u"ProductName", name}, {u"ProductPrice", money(cents)},
                                                      {u"VPrice", money(cents / 2)}, {u"ProdCathegory", category}});
        addRow(QStringLiteral("tblProductQuantity"), {{u"Code", code}, {u"QuantityBought", whole(onHand)},
                                                         {u"QuantityOnHand", whole(onHand)}, {u"QuantitySold", whole(0)}});
    }

    qint64 number(const QString& sql) { return hostile::number(*store, sql); }

    QWidget* show(const QString& name)
    {
        QWidget* window = windows.show(name);
        if (window && !QTest::qWaitForWindowActive(window))
            qWarning("%s did not become the active window", qPrintable(name));
        return window;
    }

    bool shown(const QString& name) const
    {
        QWidget* window = windows.find(name);
        return window && window->isVisible();
    }

    // Feeds every box of the window every text of the run, one box at a time with the others
    // holding a normal entry, and presses the window's commands in a seeded order after each.
    void run(const WindowPlan& plan);
    void press(const WindowPlan& plan, QWidget*& window, const Command& command, const QString& answer, const QString& where);
};

void HostileFixture::run(const WindowPlan& plan)
{
    QPointer<QWidget> window = plan.open();
    for (const BoxDef& box : plan.boxes) {
        const QStringList texts = hostile::textsForBox(random);
        for (int i = 0; i < texts.size(); ++i) {
            const QString& text = texts.at(i);
            if (window && plan.restore && plan.restore()) {
                windows.unload(plan.name);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
            if (!window || !window->isVisible())
                window = plan.open();
            plan.normal(window);
            Feed how = Feed::Set;
            QString where = plan.name + u'.' + box.name;
            if (box.kind != BoxKind::Answer) {
                how = Feed(random.bounded(3));
                const QString held = hostile::feed(child(window, box.name), text, how);
                where += u' ' + hostile::feedName(how);
                if (box.kind == BoxKind::Digits && how != Feed::Set && !ui::DigitsOnlyEdit::isDigits(held))
                    findings.add(where + u' ' + hostile::shown(text), QStringLiteral("the digits-only box holds ") + hostile::shown(held));
            }
            where += u' ' + hostile::shown(text);
            hostile::tally().tried(plan.name, box.name, box.kind, how);

            // The window's commands in a seeded order, the one whose input box is fed first.
            std::vector<std::size_t> order(plan.commands.size());
            for (std::size_t c = 0; c < order.size(); ++c)
                order[c] = c;
            std::shuffle(order.begin(), order.end(), random);
            std::stable_partition(order.begin(), order.end(), [&](std::size_t c) { return plan.commands[c].name == box.asks; });
            if (order.size() > std::size_t(hostile::commandsPerInput()))
                order.resize(std::size_t(hostile::commandsPerInput()));
            for (const std::size_t c : order) {
                const Command& command = plan.commands[c];
                const QString answer = box.kind == BoxKind::Answer && box.asks == command.name ? text : command.normalAnswer;
                QWidget* current = window;
                press(plan, current, command, answer, where);
                window = current;
                if (!window || !window->isVisible())
                    break;
            }
            for (const QString& fault : hostile::damage(*store))
                findings.add(where, QStringLiteral("damaged the store: ") + fault);
        }
    }
}

void HostileFixture::press(const WindowPlan& plan, QWidget*& window, const Command& command, const QString& answer, const QString& where)
{
    const QString at = where + QStringLiteral(", then ") + command.name;
    ui.clearBoxes();
    ui.clearAnswers();
    ui.answerInput(answer);
    // A confirmation is answered Yes one time in four.
    ui.answerMessage(random.bounded(4) == 0 ? ui::Button::Yes : ui::Button::No);
    const bool mustSpeak = command.speaksOrWrites && !(command.maySayNothing && command.maySayNothing(window));
    const QString before = mustSpeak ? snapshot(*store) : QString();

    command.press(window, answer);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    hostile::tally().pressed(plan.name);

    bool spoke = false;
    for (const testing::ShownBox& shownBox : ui.boxes()) {
        if (shownBox.kind != testing::ShownBox::Kind::Message)
            continue;
        spoke = true;
        const bool known = std::any_of(plan.known.cbegin(), plan.known.cend(), [&](const KnownBox& k) {
            return shownBox.shownTitle == k.title && shownBox.text.startsWith(k.textStart);
        });
        if (!known)
            findings.add(at, QStringLiteral("a box the window does not show: \"%1\" / \"%2\"").arg(shownBox.shownTitle, shownBox.text.left(200)));
    }
    if (mustSpeak && !spoke && snapshot(*store) == before)
        findings.add(at, QStringLiteral("refused without a word"));
    // A rule is reported by the command that broke it, not by every command after.
    QStringList broken = hostile::brokenRules(*store);
    if (plan.rules)
        broken += plan.rules();
    for (const QString& rule : std::as_const(broken)) {
        if (!brokenBefore.contains(rule))
            findings.add(at, QStringLiteral("breaks the rule: ") + rule);
    }
    brokenBefore = broken;
    window = windows.find(plan.name);
}

// Lists what was found, one warning a line, and fails when there is anything.
void expectNoFindings(const Findings& findings)
{
    const int shownLines = std::min(int(findings.problems.size()), hostile::reportLines());
    for (int i = 0; i < shownLines; ++i)
        qWarning("%s", qPrintable(findings.problems.at(i)));
    QVERIFY2(findings.problems.isEmpty(), qPrintable(QStringLiteral("%1 finding(s), the first %2 listed above").arg(findings.problems.size()).arg(shownLines)));
}

// True when the text reads as a number that rounds to no units at all, or fewer.
bool noUnits(const QString& text, const QLocale& locale)
{
    const auto read = store::convert::readDecimal(text, locale);
    if (!read)
        return false;
    try {
        return store::convert::decimalToNumber(*read) < 0.5;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void cashRegister();
    void passwordGates_data();
    void passwordGates();
    void productAndSupplierWindow();
    void productUpdateWindow();
    void employeeWindow();
    void replicationPasswords();
    void reviewWindows_showHostileRows();
    void digitsOnlyBoxes_refuseWhatIsNotDigits();
};

void TestHostileInput::initTestCase()
{
    qInfo("Hostile input from seed %u, %d round(s): replay with POS_FUZZ_SEED=%u POS_FUZZ_ROUNDS=%d", hostile::seed(), hostile::rounds(),
        hostile::seed(), hostile::rounds());
}

void TestHostileInput::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestHostileInput::cleanupTestCase()
{
    hostile::tally().print();
}

void TestHostileInput::cashRegister()
{
    HostileFixture t(1);
    const qint64 stockAtStart = t.number(QStringLiteral("SELECT sum(QuantityOnHand) FROM tblProductQuantity"));
    const QString name = QStringLiteral("frmCashRegister");

    WindowPlan plan;
    plan.name = name;
    plan.open = [&] {
        QWidget* window = t.show(name);
        child<QTimer>(window, QStringLiteral("CashierTime"))->stop();
        return window;
    };
    plan.normal = [](QWidget* w) {
        setBox(w, QStringLiteral("txtProductCode"), QStringLiteral("ABC"));
        setBox(w, QStringLiteral("txtProductName"), QString());
        setBox(w, QStringLiteral("txtQuantity"), QStringLiteral("1"));
        setBox(w, QStringLiteral("dbcboProdCode"), QString());
        setBox(w, QStringLiteral("dbcboProdName"), QString());
    };
    plan.boxes = {
        {QStringLiteral("txtProductCode"), BoxKind::Text, {}},
        {QStringLiteral("txtProductName"), BoxKind::Text, {}},
        {QStringLiteral("txtQuantity"), BoxKind::Digits, {}},
        {QStringLiteral("dbcboProdCode"), BoxKind::Text, {}},
        {QStringLiteral("dbcboProdName"), BoxKind::Text, {}},
        {QStringLiteral("amount tendered"), BoxKind::Answer, QStringLiteral("End")},
        {QStringLiteral("code to cancel"), BoxKind::Answer, QStringLiteral("Ctrl+C")},
        {QStringLiteral("name to cancel"), BoxKind::Answer, QStringLiteral("Ctrl+N")},
    };
    auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [k, modifiers](QWidget* w, const QString&) {
            auto* box = child<QLineEdit>(w, QStringLiteral("txtProductCode"));
            box->setFocus();
            QTest::keyClick(box, k, modifiers);
        };
    };
    plan.commands = {
        {QStringLiteral("Enter"), key(Qt::Key_Return), {}, true,
            [&t](QWidget* w) { return noUnits(boxText(w, QStringLiteral("txtQuantity")), t.context.locale); }},
        // When the amount is refused as too little, the cashier gives up one time in two.
        {QStringLiteral("End"),
            [&t, key](QWidget* w, const QString&) {
                if (t.random.bounded(2) == 0)
                    t.ui.answerInput(QStringLiteral("99999999"));
                key(Qt::Key_End)(w, {});
            },
            QStringLiteral("99999999")},
        {QStringLiteral("Ctrl+C"), key(Qt::Key_C, Qt::ControlModifier), QStringLiteral("abc")},
        {QStringLiteral("Ctrl+N"), key(Qt::Key_N, Qt::ControlModifier), QStringLiteral("milk")},
        {QStringLiteral("Ctrl+T"), key(Qt::Key_T, Qt::ControlModifier), {}},
        {QStringLiteral("Esc"), key(Qt::Key_Escape), {}},
        {QStringLiteral("cmdMostrar"), [](QWidget* w, const QString&) { click(w, QStringLiteral("cmdMostrar")); }, {}},
        {QStringLiteral("Command1"), [](QWidget* w, const QString&) { click(w, QStringLiteral("Command1")); }, {}},
        {QStringLiteral("cmdNewSale"), [](QWidget* w, const QString&) { click(w, QStringLiteral("cmdNewSale")); }, {}},
    };
    const QString programTitle = QStringLiteral("Point of Sale");
    plan.known = {
        {QStringLiteral("Code OR Name of Product Must be Entered First"), QStringLiteral("You must enter the name OR the code")},
        {QStringLiteral(" This Product is not in the Database"), QStringLiteral(" Product was not found.")},
        {QStringLiteral(" CHECK QUANTITY"), QStringLiteral(" There was an error.  Please check the quantity.")},
        {programTitle, QStringLiteral(" There is not enough product in the database")},
        {QStringLiteral("No Sale to Resume"), QStringLiteral("No sale to resume.")},
        {QStringLiteral(" Total Must be Paid in Full."), QStringLiteral("Client must pay full total.")},
        {QStringLiteral("No product found with this code "), QStringLiteral("No product to be canceled")},
        {QStringLiteral("Not product found with this name "), QStringLiteral("No product to be canceled")},
        {QStringLiteral("No product found "), QStringLiteral("No product to be canceled")},
        {QStringLiteral("Enter the Name OR Code Of product"), QStringLiteral("Select name OR code of product to be shown.")},
        {QStringLiteral("Product Not Found"), QStringLiteral("Product not found.")},
        {QStringLiteral("   Amount Sold Today "), QStringLiteral(" Total sale for the day is: ")},
        {QStringLiteral("   TOTAL SOLD TODAY "), QStringLiteral(" Total sold today is: ")},
    };
    // The units out of stock are the units on today's lines, which count the open sale's too.
    plan.rules = [&t, stockAtStart] {
        QStringList broken;
        const qint64 out = stockAtStart - t.number(QStringLiteral("SELECT sum(QuantityOnHand) FROM tblProductQuantity"));
        const qint64 lines = t.number(QStringLiteral("SELECT coalesce(sum(Quantidade), 0) FROM daillySale"));
        const qint64 counted = t.number(QStringLiteral("SELECT coalesce(sum(totalItems), 0) FROM tblDailySale"));
        if (out != lines || lines != counted)
            broken << QStringLiteral("%1 units out of stock, %2 on today's lines, %3 counted today").arg(out).arg(lines).arg(counted);
        return broken;
    };
    t.run(plan);

    // Still usable: a normal line and a normal completion.
    QWidget* w = plan.open();
    click(w, QStringLiteral("cmdNewSale"));
    const qint64 takings = t.number(QStringLiteral("SELECT DailySale FROM tblDailySale"));
    const qint64 lines = t.number(QStringLiteral("SELECT count(*) FROM daillySale"));
    setBox(w, QStringLiteral("txtProductCode"), QStringLiteral("ZZ9"));
    setBox(w, QStringLiteral("txtProductName"), QString());
    child<QLineEdit>(w, QStringLiteral("txtQuantity"))->clear();
    QTest::keyClicks(child<QLineEdit>(w, QStringLiteral("txtQuantity")), QStringLiteral("2"));
    t.ui.clearBoxes();
    t.ui.clearAnswers();
    QTest::keyClick(child<QLineEdit>(w, QStringLiteral("txtProductCode")), Qt::Key_Return);
    QCOMPARE(t.number(QStringLiteral("SELECT count(*) FROM daillySale")), lines + 1);
    QVERIFY(child<QLabel>(w, QStringLiteral("lblProductDescription"))->text().contains(QStringLiteral("ZZ9 Usable 2 X $2.00")));
    t.ui.answerInput(QStringLiteral("100000"));
    QTest::keyClick(child<QLineEdit>(w, QStringLiteral("txtProductCode")), Qt::Key_End);
    QCOMPARE(t.number(QStringLiteral("SELECT count(*) FROM tblReceipt")), 0);
    QVERIFY(t.number(QStringLiteral("SELECT DailySale FROM tblDailySale")) > takings);
    expectNoFindings(t.findings);
}

void TestHostileInput::passwordGates_data()
{
    QTest::addColumn<QString>("gate");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("refusalTitle");
    QTest::newRow("cash") << QStringLiteral("frmPassCash") << QStringLiteral("frmCashRegister")
                          << QStringLiteral("                  PERMISSION DENIED!!    ");
    QTest::newRow("products") << QStringLiteral("frmPassUpd") << QStringLiteral("updateProdutos")
                              << QStringLiteral("       PERMISSION DENIED!!    ");
    QTest::newRow("employees") << QStringLiteral("frmPassEmployee") << QStringLiteral("frmEmployees")
                               << QStringLiteral("                PERMISSION DENIED!!    ");
}

void TestHostileInput::passwordGates()
{
    QFETCH(QString, gate);
    QFETCH(QString, target);
    QFETCH(QString, refusalTitle);
    HostileFixture t(2 + quint32(gate.size()));

    WindowPlan plan;
    plan.name = gate;
    plan.open = [&] {
        if (t.shown(target)) {
            t.windows.unload(target);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        // The cash gate's row for the cashier is not part of what is checked here.
        t.store->exec(QStringLiteral("DELETE FROM tblReceipt"));
        return t.show(gate);
    };
    plan.normal = [](QWidget*) {};
    plan.boxes = {{QStringLiteral("txtPass"), BoxKind::Text, {}}};
    auto opens = [](QWidget* w) {
        const QString typed = child<QLineEdit>(w, QStringLiteral("txtPass"))->text().toUpper();
        return typed == u"KEY7" || typed == u"PLINTH";
    };
    // The typed password opens the gate exactly when, in upper case, it is the employee's
    // password or the master password; otherwise the gate's refusal is shown and the box emptied.
    plan.commands = {
        {QStringLiteral("cmdEnter"),
            [&t, gate, target, opens](QWidget* w, const QString&) {
                const QString typed = child<QLineEdit>(w, QStringLiteral("txtPass"))->text();
                const bool expected = opens(w);
                click(w, QStringLiteral("cmdEnter"));
                const bool opened = !t.shown(gate) && t.shown(target);
                if (opened != expected)
                    t.findings.add(gate + u' ' + hostile::shown(typed), opened ? QStringLiteral("opened") : QStringLiteral("stayed shut"));
                if (!opened && !child<QLineEdit>(w, QStringLiteral("txtPass"))->text().isEmpty())
                    t.findings.add(gate + u' ' + hostile::shown(typed), QStringLiteral("the password box was not emptied"));
            },
            {}, true, opens},
    };
    plan.known = {{refusalTitle, QStringLiteral(" You have no persmission to use this part of the software.")}};
    t.run(plan);

    // Still usable: the master password opens the gate.
    QWidget* w = plan.open();
    child<QLineEdit>(w, QStringLiteral("txtPass"))->clear();
    QTest::keyClicks(child<QLineEdit>(w, QStringLiteral("txtPass")), QStringLiteral("Plinth"));
    click(w, QStringLiteral("cmdEnter"));
    QVERIFY(t.shown(target));
    expectNoFindings(t.findings);
}

void TestHostileInput::productAndSupplierWindow()
{
    HostileFixture t(3);
    const QString name = QStringLiteral("frmUpdate");
    int entry = 0;

    WindowPlan plan;
    plan.name = name;
    plan.open = [&] { return t.show(name); };
    plan.normal = [&entry](QWidget* w) {
        const QString n = QString::number(++entry);
        setBox(w, QStringLiteral("dbcboProdCode"), QStringLiteral("N") + n);
        setBox(w, QStringLiteral("dbcboProdName"), QStringLiteral("Name ") + n);
        setBox(w, QStringLiteral("txtProdPrice"), QStringLiteral("199"));
        setBox(w, QStringLiteral("txtVend"), QStringLiteral("99"));
        setBox(w, QStringLiteral("txtQtyBought"), QStringLiteral("5"));
        setBox(w, QStringLiteral("cboCatheria"), QStringLiteral("Dairy"));
        setBox(w, QStringLiteral("dbcboSupCode"), QStringLiteral("S") + n);
        setBox(w, QStringLiteral("dbcboSupName"), QStringLiteral("Supplier ") + n);
        setBox(w, QStringLiteral("txtSupPhone"), QStringLiteral("555-0101"));
        setBox(w, QStringLiteral("txtSupAddr"), QStringLiteral("1 Main St"));
    };
    plan.boxes = {
        {QStringLiteral("dbcboProdCode"), BoxKind::Text, {}},
        {QStringLiteral("dbcboProdName"), BoxKind::Text, {}},
        {QStringLiteral("txtProdPrice"), BoxKind::Digits, {}},
        {QStringLiteral("txtVend"), BoxKind::Digits, {}},
        {QStringLiteral("txtQtyBought"), BoxKind::Digits, {}},
        {QStringLiteral("cboCatheria"), BoxKind::Text, {}},
        {QStringLiteral("dbcboSupCode"), BoxKind::Text, {}},
        {QStringLiteral("dbcboSupName"), BoxKind::Text, {}},
        {QStringLiteral("txtSupPhone"), BoxKind::Text, {}},
        {QStringLiteral("txtSupAddr"), BoxKind::Text, {}},
    };
    auto button = [](const char* b) { return [b](QWidget* w, const QString&) { click(w, QString::fromLatin1(b)); }; };
    plan.commands = {
        {QStringLiteral("cmdAddNewProd"), button("cmdAddNewProd"), {}, true},
        {QStringLiteral("cmdShowProd"), button("cmdShowProd"), {}},
        {QStringLiteral("cmdDelProd"), button("cmdDelProd"), {}},
        {QStringLiteral("cmdClearProd"), button("cmdClearProd"), {}},
        {QStringLiteral("cmdAddNewSup"), button("cmdAddNewSup"), {}, true},
        {QStringLiteral("cmdShowSup"), button("cmdShowSup"), {}},
        {QStringLiteral("cmdSupUpd"), button("cmdSupUpd"), {}},
        {QStringLiteral("cmdDelSup"), button("cmdDelSup"), {}},
        {QStringLiteral("cmdClearSup"), button("cmdClearSup"), {}},
    };
    plan.known = {
        {QStringLiteral("Try a different code"), QStringLiteral("A product with this code is already in the database.")},
        {QStringLiteral(" Select Category"), QStringLiteral("You must select a category for this product")},
        {QStringLiteral(" Enter a valid price"), QStringLiteral("The product prices prices must be greater than zero.")},
        {QStringLiteral("Invalid data entry"), QStringLiteral("This product cannot be added to the database as entered.")},
        {QStringLiteral("Please select code or name"), QStringLiteral("Please select product code or product code to be shown.")},
        {QStringLiteral("Product not found"), QStringLiteral("Product was not found.")},
        {QStringLiteral("Product not found"), QStringLiteral("Code or name was not found.")},
        {QStringLiteral("Point of Sale"), QStringLiteral("Are you sure you want to delete this product from the database")},
        {QStringLiteral("Try another code"), QStringLiteral("Supplier with this code is already in the database.")},
        {QStringLiteral("Supplier was not added"), QStringLiteral("Error in trying to add this supplier to the database.")},
        {QStringLiteral("Select code or name"), QStringLiteral("Please select name of code of supplier to be shown.")},
        {QStringLiteral("Supplier not found"), QStringLiteral("Supplier was not found.")},
        {QStringLiteral("Information incomplete"), QStringLiteral("Please enter complete supplier information")},
        {QStringLiteral("Supplier was not found"), QStringLiteral("Supplier was not found")},
        {QStringLiteral("Point of Sale"), QStringLiteral("Are you sure you want to delete this supplier from the database")},
        {QStringLiteral("Supplier was not deleted"), QStringLiteral("Error in trying to delete this supplier.")},
    };
    t.run(plan);

    // Still usable: a normal product and a normal supplier are added.
    QWidget* w = plan.open();
    plan.normal(w);
    setBox(w, QStringLiteral("dbcboProdCode"), QStringLiteral("FINAL1"));
    setBox(w, QStringLiteral("dbcboSupCode"), QStringLiteral("FINALS"));
    const qint64 products = t.number(QStringLiteral("SELECT count(*) FROM tblProductQuantity"));
    const qint64 suppliers = t.number(QStringLiteral("SELECT count(*) FROM tblSuplier"));
    t.ui.clearBoxes();
    click(w, QStringLiteral("cmdAddNewProd"));
    click(w, QStringLiteral("cmdAddNewSup"));
    QCOMPARE(t.ui.texts(), QStringList());
    QCOMPARE(t.number(QStringLiteral("SELECT count(*) FROM tblProductQuantity WHERE Code = 'FINAL1' AND QuantityOnHand = 5")), 1);
    QCOMPARE(t.number(QStringLiteral("SELECT count(*) FROM tblProductQuantity")), products + 1);
    QCOMPARE(t.number(QStringLiteral("SELECT count(*) FROM tblSuplier")), suppliers + 1);
    expectNoFindings(t.findings);
}

void TestHostileInput::productUpdateWindow()
{
    HostileFixture t(4);
    const QString name = QStringLiteral("frmProdutosCancelados");

    WindowPlan plan;
    plan.name = name;
    plan.open = [&] { return t.show(name); };
    // A normal entry starts from Milk shown by its code; a Milk deleted by the fuzzing comes back.
    plan.restore = [&t] {
        if (t.number(QStringLiteral("SELECT count(*) FROM tblProductPrice WHERE Code = 'ABC'")) != 0)
            return false;
        t.addProduct(QStringLiteral("ABC"), QStringLiteral("Milk"), 150, QStringLiteral("Dairy"), 100);
        return true;
    };
    plan.normal = [&t](QWidget* w) {
        click(w, QStringLiteral("cmdClearProd"));
        setBox(w, QStringLiteral("dbcboProdCode"), QStringLiteral("ABC"));
        t.ui.clearBoxes();
        click(w, QStringLiteral("cmdShowProd"));
        setBox(w, QStringLiteral("txtQtyBought"), QStringLiteral("1"));
    };
    plan.boxes = {
        {QStringLiteral("dbcboProdCode"), BoxKind::Text, {}},
        {QStringLiteral("dbcboProdName"), BoxKind::Text, {}},
        {QStringLiteral("txtCategory"), BoxKind::Text, {}},
        {QStringLiteral("txtProdPrice"), BoxKind::Digits, {}},
        {QStringLiteral("txtVend"), BoxKind::Digits, {}},
        {QStringLiteral("txtQtyBought"), BoxKind::Digits, {}},
        {QStringLiteral("tax rate"), BoxKind::Answer, QStringLiteral("Command1")},
    };
    auto button = [](const char* b) { return [b](QWidget* w, const QString&) { click(w, QString::fromLatin1(b)); }; };
    plan.commands = {
        {QStringLiteral("cmdProdUpd"), button("cmdProdUpd"), {}},
        {QStringLiteral("cmdShowProd"), button("cmdShowProd"), {}},
        {QStringLiteral("cmdDelProd"), button("cmdDelProd"), {}},
        {QStringLiteral("cmdClearProd"), button("cmdClearProd"), {}},
        {QStringLiteral("Command1"), button("Command1"), QStringLiteral("6")},
    };
    plan.known = {
        {QStringLiteral("Please enter product code or name"), QStringLiteral("Please select the name OR code of the product to be shown")},
        {QStringLiteral("Product not found"), QStringLiteral("Product was not found")},
        {QStringLiteral("Please fill all the information"), QStringLiteral("Please enter the complete product information")},
        {QStringLiteral(" Enter a valid price"), QStringLiteral("The product prices prices must be greater than zero.")},
        {QStringLiteral("     Product not found "), QStringLiteral("Code or product name was not found.")},
        {QStringLiteral("Delete product?"), QStringLiteral("Are sure you want to delete this product from the database")},
    };
    // The tax rate is a number: a rate SQLite could not read back as one would stop every sale.
    plan.rules = [&t] {
        QStringList broken;
        if (t.number(QStringLiteral("SELECT count(*) FROM tblTax WHERE typeof(Tax) <> 'real' OR Tax <> Tax")) != 0)
            broken << QStringLiteral("the tax rate is no number");
        return broken;
    };
    t.run(plan);

    // Still usable: Milk restocked by 12 and the tax rate set to 7.5 %.
    if (plan.restore())
        t.windows.unload(name);
    QWidget* w = plan.open();
    plan.normal(w);
    const qint64 onHand = t.number(QStringLiteral("SELECT QuantityOnHand FROM tblProductQuantity WHERE Code = 'ABC'"));
    child<QLineEdit>(w, QStringLiteral("txtQtyBought"))->clear();
    QTest::keyClicks(child<QLineEdit>(w, QStringLiteral("txtQtyBought")), QStringLiteral("12"));
    t.ui.clearBoxes();
    t.ui.clearAnswers();
    click(w, QStringLiteral("cmdProdUpd"));
    QCOMPARE(t.number(QStringLiteral("SELECT QuantityOnHand FROM tblProductQuantity WHERE Code = 'ABC'")), onHand + 12);
    t.ui.answerInput(QStringLiteral("7.5"));
    click(w, QStringLiteral("Command1"));
    QCOMPARE(t.number(QStringLiteral("SELECT Tax * 1000 FROM tblTax")), 75);
    expectNoFindings(t.findings);
}

void TestHostileInput::employeeWindow()
{
    HostileFixture t(5);
    const QString name = QStringLiteral("frmEmployees");
    int entry = 0;

    WindowPlan plan;
    plan.name = name;
    plan.open = [&] { return t.show(name); };
    plan.normal = [&entry](QWidget* w) {
        const QString n = QString::number(++entry);
        setBox(w, QStringLiteral("dbcboProdCode"), QStringLiteral("900") + n);
        setBox(w, QStringLiteral("dbcboProdName"), QStringLiteral("Last") + n);
        setBox(w, QStringLiteral("txtProdPrice"), QStringLiteral("First"));
        setBox(w, QStringLiteral("txtCategory"), QStringLiteral("clerk"));
        setBox(w, QStringLiteral("txtQtyBought"), QStringLiteral("1200"));
        setBox(w, QStringLiteral("Tempo"), QStringLiteral("2"));
        setBox(w, QStringLiteral("totHoras"), QStringLiteral("40"));
        setBox(w, QStringLiteral("txtSupAddr"), QStringLiteral("1 Main St"));
        setBox(w, QStringLiteral("txtSupPhone"), QStringLiteral("555-0101"));
        setBox(w, QStringLiteral("passeword"), QString());
        setBox(w, QStringLiteral("txtuso"), QString());
    };
    plan.boxes = {
        {QStringLiteral("dbcboProdCode"), BoxKind::Digits, {}},
        {QStringLiteral("dbcboProdName"), BoxKind::Text, {}},
        {QStringLiteral("txtProdPrice"), BoxKind::Text, {}},
        {QStringLiteral("txtCategory"), BoxKind::Text, {}},
        {QStringLiteral("txtQtyBought"), BoxKind::Digits, {}},
        {QStringLiteral("Tempo"), BoxKind::Digits, {}},
        {QStringLiteral("totHoras"), BoxKind::Digits, {}},
        {QStringLiteral("txtSupAddr"), BoxKind::Text, {}},
        {QStringLiteral("txtSupPhone"), BoxKind::Text, {}},
        {QStringLiteral("passeword"), BoxKind::Text, {}},
        {QStringLiteral("txtuso"), BoxKind::Text, {}},
    };
    auto button = [](const char* b) { return [b](QWidget* w, const QString&) { click(w, QString::fromLatin1(b)); }; };
    plan.commands = {
        {QStringLiteral("cmdAddNewProd"), button("cmdAddNewProd"), {}, true},
        {QStringLiteral("cmdShowProd"), button("cmdShowProd"), {}},
        {QStringLiteral("cmdProdUpd"), button("cmdProdUpd"), {}, true,
            [](QWidget* w) { return !child<QPushButton>(w, QStringLiteral("cmdProdUpd"))->isEnabled(); }},
        {QStringLiteral("cmdDelProd"), button("cmdDelProd"), {}},
        {QStringLiteral("cmdClearProd"), button("cmdClearProd"), {}},
    };
    plan.known = {
        {QStringLiteral("Please Select SS#"), QStringLiteral("Please the SS# of the person to be shown.")},
        {QStringLiteral("No Employee Found!"), QStringLiteral("No Employee with this SS# found!")},
        {QStringLiteral("Employee was not found"), QStringLiteral("Employee was not found.")},
        {QStringLiteral("No Employee Found"), QStringLiteral("Not person was found with this SS# or last name.")},
        {QStringLiteral("Delete Employee?"), QStringLiteral("Are you sure you want to delete this employee from the database?")},
        {QStringLiteral("Person Already in Database!"), QStringLiteral("The Person with this SS# is already in the database")},
        {QStringLiteral("Error in Trying to Update Database!"), QStringLiteral("A person with exactly the same name already exists")},
        {QStringLiteral("Please choose a password"), QStringLiteral("This person has to have a password and a software usage character.")},
        {QStringLiteral("Please choose another password"), QStringLiteral("This password already belongs to somene else.")},
        {QStringLiteral(" Invalid software code"), QStringLiteral("You entered an invalid software")},
        {QStringLiteral(" Must specify password"), QStringLiteral("You must specify a password and a software code for this")},
        {QStringLiteral("Please specify password and use"), QStringLiteral("You need to specify a password")},
        {QStringLiteral(" Must specify passwprd"), QStringLiteral("You must specify a password and a software code for this")},
        {QStringLiteral("Password already in use"), QStringLiteral("You are trying to assign a password already in use.")},
        {QStringLiteral("Error in Trying to Add Employee"), QStringLiteral("The system cannot add this employee to the database.")},
        {QStringLiteral(" Error on trying to update"), QStringLiteral("Error while trying to update this employee.")},
    };
    t.run(plan);

    // Still usable: a normal employee is added and shown again by the SS#.
    QWidget* w = plan.open();
    click(w, QStringLiteral("cmdClearProd"));
    plan.normal(w);
    setBox(w, QStringLiteral("dbcboProdCode"), QStringLiteral("777000"));
    t.ui.clearBoxes();
    click(w, QStringLiteral("cmdAddNewProd"));
    QCOMPARE(t.ui.texts(), QStringList());
    setBox(w, QStringLiteral("dbcboProdCode"), QStringLiteral("777000"));
    click(w, QStringLiteral("cmdShowProd"));
    QCOMPARE(child<QLineEdit>(w, QStringLiteral("Tempo"))->text(), QStringLiteral("2"));
    QVERIFY(child<QPushButton>(w, QStringLiteral("cmdProdUpd"))->isEnabled());
    expectNoFindings(t.findings);
}

void TestHostileInput::replicationPasswords()
{
    HostileFixture t(6);
    const QString name = QStringLiteral("frmBackup");
    const QString refusalTitle = QStringLiteral("       INVALID PASSWORD!!!    ");

    WindowPlan plan;
    plan.name = name;
    plan.open = [&] { return t.show(name); };
    plan.normal = [](QWidget*) {};
    plan.boxes = {
        {QStringLiteral("password to make the store replicable"), BoxKind::Answer, QStringLiteral("cmdMakeDBRep")},
        {QStringLiteral("password to replicate"), BoxKind::Answer, QStringLiteral("cmdSpawn")},
    };
    // A password that is not the master password in upper case is refused with the window's
    // message; the master password goes on to the operation.
    auto guarded = [&t, refusalTitle](const char* b) {
        return [&t, refusalTitle, b](QWidget* w, const QString& answer) {
            click(w, QString::fromLatin1(b));
            const bool refused = std::any_of(t.ui.boxes().cbegin(), t.ui.boxes().cend(),
                [&](const testing::ShownBox& box) { return box.shownTitle == refusalTitle; });
            if (refused == (answer.toUpper() == u"PLINTH"))
                t.findings.add(QLatin1String(b) + u' ' + hostile::shown(answer), refused ? QStringLiteral("refused") : QStringLiteral("let in"));
        };
    };
    plan.commands = {
        {QStringLiteral("cmdMakeDBRep"), guarded("cmdMakeDBRep"), QStringLiteral("wrong")},
        {QStringLiteral("cmdSpawn"), guarded("cmdSpawn"), QStringLiteral("wrong")},
    };
    plan.known = {
        {refusalTitle, QStringLiteral(" You have no permission to use this feature of this system")},
        // What the master password leads to on this machine: no Mercavia copy to make the store
        // from, and a replica made (or already there) on drive D.
        {QStringLiteral("       BANCO DE DADOS N\u00c3O FOI ACHADO!!    "), QStringLiteral(" There was an error in trying to make this database replicable.")},
        {QStringLiteral("       SYSTEM WAS UNABLE TO COPY THE DATABASE!!    "), QStringLiteral(" The system was unable to replicate")},
        {QStringLiteral("Point of Sale"), QStringLiteral(" The Database was copied to ")},
    };
    t.run(plan);

    // Still usable: the window goes back to the main menu.
    QWidget* w = plan.open();
    click(w, QStringLiteral("cmdExit"));
    QVERIFY(t.shown(QStringLiteral("frmMain")));
    expectNoFindings(t.findings);
}

// The items-sold and chart windows take no typed text; what they take is the store's, so they
// are opened over rows that hold the hostile texts and the largest amounts the fields take, and
// every command and navigation key of theirs is pressed.
void TestHostileInput::reviewWindows_showHostileRows()
{
    HostileFixture t(7);
    const QStringList& texts = hostile::fixedTexts();
    const qint64 largestMoney = std::numeric_limits<qint64>::max();
    for (int i = 0; i < texts.size(); ++i) {
        t.addRow(QStringLiteral("daillySale"), {{u"Codigo", texts.at(i)}, {u"Nome_Produto", texts.at(texts.size() - 1 - i)},
                                                   {u"Quantidade", whole(i % 2 ? 32767 : 1)},
                                                   {u"Preco", Value(store::Currency::fromUnits(i % 3 ? largestMoney : 1))}});
    }
    t.store->exec(QStringLiteral("UPDATE tblDailySale SET DailySale = %1, totalItems = 32767").arg(largestMoney));
    t.store->exec(QStringLiteral("DELETE FROM YearSales"));
    t.store->exec(QStringLiteral("INSERT INTO YearSales (Ano, January, December, AnualTotal) VALUES (2026, %1, %1, %1)").arg(largestMoney));
    t.store->exec(QStringLiteral("INSERT INTO LastYearSales (January, AnualTotal) VALUES (%1, %1)").arg(largestMoney));
    t.store->exec(QStringLiteral("DELETE FROM tblCathegory"));
    t.store->exec(QStringLiteral("INSERT INTO tblCathegory (NumberOfDays, Meat, Dairy) VALUES (32767, 32767, 32767)"));

    QWidget* items = t.show(QStringLiteral("daillySale"));
    QVERIFY(items);
    for (const char* b : {"cmdLast", "cmdPrevious", "cmdFirst", "cmdNext", "cmdNext", "cmdLast", "cmdNext"})
        click(items, QString::fromLatin1(b));
    auto* grid = items->findChild<QTableView*>();
    QVERIFY(grid);
    for (Qt::Key key : {Qt::Key_End, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_PageUp, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(grid, key, key == Qt::Key_End || key == Qt::Key_Home ? Qt::ControlModifier : Qt::NoModifier);
    hostile::tally().pressed(QStringLiteral("daillySale"));
    click(items, QStringLiteral("cmdSair"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    for (const char* chart : {"cmdGraphMonth", "cmdGraphYear", "cmdLastMonth"}) {
        QWidget* menu = t.show(QStringLiteral("frmGraphsCall"));
        QVERIFY(menu);
        t.ui.clearBoxes();
        click(menu, QString::fromLatin1(chart));
        hostile::tally().pressed(QStringLiteral("frmGraphsCall"));
        for (const testing::ShownBox& box : t.ui.boxes())
            t.findings.add(QLatin1String(chart), QStringLiteral("a box: ") + box.text.left(200));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    for (const char* name : {"frmMonthSale", "frmSale", "frmLastYear"}) {
        QWidget* chart = t.windows.find(QString::fromLatin1(name));
        QVERIFY2(chart, name);
        chart->grab(); // drawn, with its axes over the largest amounts
        click(chart, QStringLiteral("cmdExit"));
    }
    QVERIFY(t.shown(QStringLiteral("frmGraphsCall")) || t.shown(QStringLiteral("frmMain")));
    expectNoFindings(t.findings);
}

// Typed or pasted, nothing but digits gets into a digits-only box of any window; a paste of
// digits goes in whole.
void TestHostileInput::digitsOnlyBoxes_refuseWhatIsNotDigits()
{
    HostileFixture t(8);
    const struct {
        const char* window;
        const char* box;
    } boxes[] = {
        {"frmCashRegister", "txtQuantity"},
        {"frmUpdate", "txtProdPrice"}, {"frmUpdate", "txtVend"}, {"frmUpdate", "txtQtyBought"},
        {"frmProdutosCancelados", "txtProdPrice"}, {"frmProdutosCancelados", "txtVend"}, {"frmProdutosCancelados", "txtQtyBought"},
        {"frmEmployees", "dbcboProdCode"}, {"frmEmployees", "txtQtyBought"}, {"frmEmployees", "Tempo"}, {"frmEmployees", "totHoras"},
    };
    for (const auto& b : boxes) {
        QWidget* window = t.show(QString::fromLatin1(b.window));
        QWidget* box = child(window, QString::fromLatin1(b.box));
        for (const QString& text : hostile::fixedTexts()) {
            for (Feed how : {Feed::Typed, Feed::Pasted}) {
                const QString held = hostile::feed(box, text, how);
                const QString where = QStringLiteral("%1.%2 %3 %4").arg(QLatin1String(b.window), QLatin1String(b.box), hostile::feedName(how), hostile::shown(text));
                if (!ui::DigitsOnlyEdit::isDigits(held))
                    t.findings.add(where, QStringLiteral("holds ") + hostile::shown(held));
                if (how == Feed::Pasted && ui::DigitsOnlyEdit::isDigits(text) && held != text.left(held.size()))
                    t.findings.add(where, QStringLiteral("took the digits as ") + hostile::shown(held));
            }
        }
        t.windows.unload(QString::fromLatin1(b.window));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    expectNoFindings(t.findings);
}

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
