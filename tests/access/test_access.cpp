#include "access/gates.h"
#include "access/master_password.h"
#include "app/window.h"
#include "app/window_manager.h"
#include "store/error.h"
#include "store/record_source.h"
#include "support/test_context.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

using access_control::PasswordGate;
using store::RecordSource;
using store::Value;

namespace {

const QString kMenu = QStringLiteral("frmMain");
const QString kCash = QStringLiteral("frmPassCash");
const QString kProducts = QStringLiteral("frmPassUpd");
const QString kEmployees = QStringLiteral("frmPassEmployee");

// The area each gate opens.
QString targetOf(const QString& gate)
{
    if (gate == kCash)
        return QStringLiteral("frmCashRegister");
    if (gate == kProducts)
        return QStringLiteral("updateProdutos");
    return QStringLiteral("frmEmployees");
}

// A stand-in for a window another part of the program provides; what it does at load is the
// test's to say.
class StubWindow : public app::Window {
public:
    StubWindow(app::Context& context, const QString& name, std::function<void(app::Context&)> atLoad)
        : app::Window(context, name), m_atLoad(std::move(atLoad))
    {
        resize(300, 200);
    }

    void load() override
    {
        if (m_atLoad)
            m_atLoad(context());
    }

private:
    std::function<void(app::Context&)> m_atLoad;
};

// One row of tblReceipt, as the cash register will read it.
struct ReceiptRow {
    Value cashier;
    bool othersEmpty = false; // every other field holds what a new row starts with
};

std::vector<ReceiptRow> receiptRows(store::Store& store)
{
    std::vector<ReceiptRow> rows;
    RecordSource receipt(store, QStringLiteral("check"), QStringLiteral("tblReceipt"));
    for (; !receipt.atEnd(); receipt.moveNext()) {
        const Value zero = Value(store::Currency());
        const bool empty = receipt.field(u"Code").isNull() && receipt.field(u"ProdName").isNull()
            && receipt.field(u"pQty") == Value(std::int16_t(0)) && receipt.field(u"ProdPrice") == zero
            && receipt.field(u"Subtotal") == zero && receipt.field(u"Tax") == zero && receipt.field(u"Total") == zero
            && receipt.field(u"AmountTendered") == zero && receipt.field(u"Change") == zero;
        rows.push_back({receipt.field(u"Cashier"), empty});
    }
    return rows;
}

// The gates over a stand-in main menu, with stand-ins for the areas they open.
struct GateFixture : testing::TestContext {
    GateFixture()
    {
        access_control::registerWindows(windows);
        registerStub(kMenu);
        for (const QString& gate : {kCash, kProducts, kEmployees})
            registerStub(targetOf(gate));
    }

    void registerStub(const QString& name, std::function<void(app::Context&)> atLoad = {})
    {
        windows.registerWindow(name, [name, atLoad](app::Context& context) {
            return std::make_unique<StubWindow>(context, name, atLoad);
        });
    }

    void addEmployee(const Value& firstName, const Value& password, const Value& usage)
    {
        RecordSource employees(*store, QStringLiteral("add"), QStringLiteral("Employees"));
        employees.addNew();
        employees.setField(u"Nome", firstName);
        employees.setField(u"passe", password);
        employees.setField(u"uso", usage);
        employees.update();
    }

    // The main menu, and the gate shown over it as the menu's gate button does.
    PasswordGate* openGate(const QString& name)
    {
        windows.show(kMenu);
        auto* gate = static_cast<PasswordGate*>(windows.show(name));
        if (!QTest::qWaitForWindowActive(gate))
            qWarning("the gate did not become the active window");
        return gate;
    }

    bool isShown(const QString& name) const
    {
        const QWidget* window = windows.find(name);
        return window && window->isVisible();
    }
};

// Types the password and presses the gate's Enter button with the mouse.
void tryPassword(PasswordGate* gate, const QString& password)
{
    QTest::keyClicks(gate->txtPass, password);
    QTest::mouseClick(gate->cmdEnter, Qt::LeftButton);
}

// What a grant leaves: the area shown, the main menu hidden, the gate gone, no box.
bool granted(const GateFixture& t, const QString& gate)
{
    return t.isShown(targetOf(gate)) && !t.isShown(kMenu) && !t.windows.isLoaded(gate) && t.ui.boxes().empty();
}

// What a refusal leaves: one box, the gate still there over the main menu, the area not opened.
bool refused(const GateFixture& t, const QString& gate)
{
    return t.ui.boxes().size() == 1 && t.isShown(gate) && t.isShown(kMenu) && !t.windows.isLoaded(targetOf(gate));
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void gate_controlsAndCaptions_data();
    void gate_controlsAndCaptions();
    void usageCode_data();
    void usageCode();
    void password_data();
    void password();
    void masterPassword_data();
    void masterPassword();
    void refusal_messageThenEmptyFocusedBoxAndAnotherTry_data();
    void refusal_messageThenEmptyFocusedBoxAndAnotherTry();
    void enterKeyInPasswordBox_actsAsTheButton_data();
    void enterKeyInPasswordBox_actsAsTheButton();
    void cashierRow_appendedBeforeTheRegisterOpens_data();
    void cashierRow_appendedBeforeTheRegisterOpens();
    void cancel_closesTheGateAndLeavesTheMenu_data();
    void cancel_closesTheGateAndLeavesTheMenu();
    void areaNotInTheProgram_menuStaysAndNothingIsWritten_data();
    void areaNotInTheProgram_menuStaysAndNothingIsWritten();
    void failure_endsTheAttemptSilentlyAndLeavesNoCashierRow_data();
    void failure_endsTheAttemptSilentlyAndLeavesNoCashierRow();
    void employees_areThoseStoredWhenTheGateOpened();
    void sameIgnoringCase_data();
    void sameIgnoringCase();
};

void TestAccess::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestAccess::gate_controlsAndCaptions_data()
{
    QTest::addColumn<QString>("gate");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("frmPassCash") << kCash << "Please Enter Your Password:";
    QTest::newRow("frmPassUpd") << kProducts << "Please Enter Your Password:";
    QTest::newRow("frmPassEmployee") << kEmployees << "Please Enter Your Password: ";
}

void TestAccess::gate_controlsAndCaptions()
{
    QFETCH(QString, gate);
    QFETCH(QString, prompt);
    GateFixture t;
    PasswordGate* window = t.openGate(gate);
    QCOMPARE(window->objectName(), gate);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), prompt);
    auto* password = window->findChild<QLineEdit*>(QStringLiteral("txtPass"));
    auto* enter = window->findChild<QPushButton*>(QStringLiteral("cmdEnter"));
    auto* cancel = window->findChild<QPushButton*>(QStringLiteral("Command1"));
    QVERIFY(password && enter && cancel);
    QCOMPARE(enter->text(), QStringLiteral("&Enter"));
    QCOMPARE(enter->shortcut(), QKeySequence(QStringLiteral("Alt+E")));
    QCOMPARE(cancel->text(), QStringLiteral("&Cancel"));
    QCOMPARE(cancel->shortcut(), QKeySequence(QStringLiteral("Alt+C")));
    QCOMPARE(window->findChild<RecordSource*>(QStringLiteral("datPass"))->table().qName(), QStringLiteral("Employees"));
    auto* receipt = window->findChild<RecordSource*>(QStringLiteral("Receipt"));
    QCOMPARE(receipt != nullptr, gate == kCash);
    if (receipt)
        QCOMPARE(receipt->table().qName(), QStringLiteral("tblReceipt"));

    // A new gate starts empty, with the focus in the password box; what is typed shows as stars.
    QCOMPARE(password->text(), QString());
    QCOMPARE(QApplication::focusWidget(), password);
    QTest::keyClicks(password, QStringLiteral("ab c"));
    QCOMPARE(password->text(), QStringLiteral("ab c"));
    QCOMPARE(password->displayText(), QStringLiteral("****"));

    for (QWidget* control : {static_cast<QWidget*>(password), static_cast<QWidget*>(enter), static_cast<QWidget*>(cancel)})
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    QCOMPARE(password->accessibleName(), QStringLiteral("Please Enter Your Password:"));
    QVERIFY(window->width() <= 800 && window->height() <= 600);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(t.isShown(kMenu));
}

void TestAccess::usageCode_data()
{
    QTest::addColumn<QString>("gate");
    QTest::addColumn<Value>("usage");
    QTest::addColumn<bool>("opens");

    struct Code {
        const char* label;
        Value usage;
        bool cash, products, employees;
    };
    const Code codes[] = {
        {"C", Value(u"C"), true, false, false},
        {"AC", Value(u"AC"), true, true, false},
        {"EC", Value(u"EC"), true, false, true},
        {"ACE", Value(u"ACE"), true, true, true},
        {"A", Value(u"A"), false, true, false},
        {"AE", Value(u"AE"), false, true, true},
        {"E", Value(u"E"), false, false, true},
        {"EA", Value(u"EA"), false, true, true},
        {"ac in lower case", Value(u"ac"), true, true, false},
        {"aCe in mixed case", Value(u"aCe"), true, true, true},
        {"CA, not offered", Value(u"CA"), false, false, false},
        {"CE, not offered", Value(u"CE"), false, false, false},
        {"AC with a blank", Value(u"AC "), false, false, false},
        {"the list prompt", Value(u"Select Usage"), false, false, false},
        {"empty", Value(u""), false, false, false},
        {"null", Value(), false, false, false},
    };
    for (const Code& code : codes) {
        QTest::addRow("%s at frmPassCash", code.label) << kCash << code.usage << code.cash;
        QTest::addRow("%s at frmPassUpd", code.label) << kProducts << code.usage << code.products;
        QTest::addRow("%s at frmPassEmployee", code.label) << kEmployees << code.usage << code.employees;
    }
}

void TestAccess::usageCode()
{
    QFETCH(QString, gate);
    QFETCH(Value, usage);
    QFETCH(bool, opens);
    GateFixture t;
    t.addEmployee(Value(u"Ann"), Value(u"secret"), usage);
    tryPassword(t.openGate(gate), QStringLiteral("secret"));
    if (opens)
        QVERIFY(granted(t, gate));
    else
        QVERIFY(refused(t, gate));
}

void TestAccess::password_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<Value>>("employees"); // password and usage code of each, in table order
    QTest::addColumn<bool>("opens");

    const auto one = [](const Value& password) { return QList<Value>{password, Value(u"C")}; };
    QTest::newRow("as stored") << "Secret" << one(Value(u"Secret")) << true;
    QTest::newRow("stored in lower case, typed in upper") << "SECRET" << one(Value(u"secret")) << true;
    QTest::newRow("stored in upper case, typed in mixed") << "sEcReT" << one(Value(u"SECRET")) << true;
    QTest::newRow("accented letters in another case") << "\u00c9T\u00c9" << one(Value(u"\u00e9t\u00e9")) << true;
    QTest::newRow("typed with a leading blank") << " secret" << one(Value(u"secret")) << false;
    QTest::newRow("typed with a trailing blank") << "secret " << one(Value(u"secret")) << false;
    QTest::newRow("stored with a trailing blank") << "secret" << one(Value(u"secret ")) << false;
    QTest::newRow("one letter more") << "secrets" << one(Value(u"secret")) << false;
    QTest::newRow("sharp s is not SS") << "STRASSE" << one(Value(u"stra\u00dfe")) << false;
    QTest::newRow("another password") << "guess" << one(Value(u"secret")) << false;
    QTest::newRow("nothing typed, an empty password stored") << "" << one(Value(u"")) << false;
    QTest::newRow("nothing typed, a null password stored") << "" << one(Value()) << false;
    QTest::newRow("nothing typed, no employees") << "" << QList<Value>{} << false;
    QTest::newRow("no employees") << "secret" << QList<Value>{} << false;
    QTest::newRow("a null password is passed over")
        << "secret" << QList<Value>{Value(), Value(u"C"), Value(u"secret"), Value(u"C")} << true;
    QTest::newRow("the first of two differing in case has the right")
        << "secret" << QList<Value>{Value(u"SECRET"), Value(u"C"), Value(u"secret"), Value(u"A")} << true;
    QTest::newRow("the first of two differing in case lacks the right")
        << "secret" << QList<Value>{Value(u"SECRET"), Value(u"A"), Value(u"secret"), Value(u"C")} << false;
    QTest::newRow("a later employee with the same password is not looked at")
        << "secret" << QList<Value>{Value(u"secret"), Value(), Value(u"secret"), Value(u"ACE")} << false;
}

void TestAccess::password()
{
    QFETCH(QString, typed);
    QFETCH(QList<Value>, employees);
    QFETCH(bool, opens);
    GateFixture t;
    for (qsizetype i = 0; i + 1 < employees.size(); i += 2)
        t.addEmployee(Value(QStringLiteral("Employee %1").arg(i / 2)), employees.at(i), employees.at(i + 1));
    tryPassword(t.openGate(kCash), typed);
    if (opens)
        QVERIFY(granted(t, kCash));
    else
        QVERIFY(refused(t, kCash));
}

void TestAccess::masterPassword_data()
{
    QTest::addColumn<QString>("gate");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Value>("usage");   // of an employee whose password is "plinth" too; "-": none
    QTest::addColumn<bool>("opens");
    QTest::addColumn<Value>("cashier"); // the cashier row at the cash gate

    const Value none(u"-");
    const Value manager(u"the manager");
    for (const QString& gate : {kCash, kProducts, kEmployees}) {
        const QByteArray bytes = gate.toLatin1();
        const char* name = bytes.constData();
        QTest::addRow("%s, lower case", name) << gate << "plinth" << none << true << manager;
        QTest::addRow("%s, upper case", name) << gate << "PLINTH" << none << true << manager;
        QTest::addRow("%s, mixed case", name) << gate << "pLiNtH" << none << true << manager;
        QTest::addRow("%s, a leading blank", name) << gate << " plinth" << none << false << Value();
        QTest::addRow("%s, a trailing blank", name) << gate << "plinth " << none << false << Value();
        QTest::addRow("%s, a letter short", name) << gate << "plint" << none << false << Value();
        QTest::addRow("%s, an employee without the right has it too", name) << gate << "Plinth" << Value() << true << manager;
    }
    QTest::newRow("frmPassCash, an employee with the right has it too")
        << kCash << "plinth" << Value(u"C") << true << Value(u"Ann");
}

void TestAccess::masterPassword()
{
    QFETCH(QString, gate);
    QFETCH(QString, typed);
    QFETCH(Value, usage);
    QFETCH(bool, opens);
    QFETCH(Value, cashier);
    GateFixture t;
    if (usage != Value(u"-"))
        t.addEmployee(Value(u"Ann"), Value(u"plinth"), usage);
    tryPassword(t.openGate(gate), typed);
    if (!opens) {
        QVERIFY(refused(t, gate));
        QVERIFY(receiptRows(*t.store).empty());
        return;
    }
    QVERIFY(granted(t, gate));
    const std::vector<ReceiptRow> rows = receiptRows(*t.store);
    if (gate != kCash) {
        QVERIFY(rows.empty()); // the other areas are not told who came in
        return;
    }
    QCOMPARE(rows.size(), std::size_t(1));
    QCOMPARE(rows[0].cashier, cashier);
}

void TestAccess::refusal_messageThenEmptyFocusedBoxAndAnotherTry_data()
{
    QTest::addColumn<QString>("gate");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("frmPassCash")
        << kCash << "                  PERMISSION DENIED!!    "
        << " You have no persmission to use this part of the software.  Check your spelling or check with the manager!";
    QTest::newRow("frmPassUpd")
        << kProducts << "       PERMISSION DENIED!!    "
        << " You have no persmission to use this part of the software.  Please check your spelling or contact your manager!";
    QTest::newRow("frmPassEmployee")
        << kEmployees << "                PERMISSION DENIED!!    "
        << " You have no persmission to use this part of the software.  Check your spelling or check with your manager!";
}

void TestAccess::refusal_messageThenEmptyFocusedBoxAndAnotherTry()
{
    QFETCH(QString, gate);
    QFETCH(QString, title);
    QFETCH(QString, text);
    GateFixture t;
    t.addEmployee(Value(u"Ann"), Value(u"secret"), Value(u"ACE"));
    t.addEmployee(Value(u"Bob"), Value(u"nothing"), Value(u"Select Usage"));
    PasswordGate* window = t.openGate(gate);

    // A wrong password, an empty box and an employee without the right: the same message.
    for (const QString& typed : {QStringLiteral("wrong"), QString(), QStringLiteral("nothing")}) {
        t.ui.clearBoxes();
        tryPassword(window, typed);
        QVERIFY2(refused(t, gate), qPrintable(typed));
        const testing::ShownBox& box = t.ui.boxes().front();
        QCOMPARE(box.kind, testing::ShownBox::Kind::Message);
        QCOMPARE(box.text, text);
        QCOMPARE(box.title, title);
        QCOMPARE(box.shownTitle, title);
        QCOMPARE(box.icon, ui::Icon::Warning);
        QCOMPARE(box.buttons, ui::Buttons::Ok);
        QCOMPARE(window->txtPass->text(), QString());
        QCOMPARE(QApplication::focusWidget(), window->txtPass);
    }

    // No count of tries and no lock-out: the right password opens the gate at once.
    t.ui.clearBoxes();
    tryPassword(window, QStringLiteral("SECRET"));
    QVERIFY(granted(t, gate));
    QCOMPARE(t.ui.failures(), QString());
}

void TestAccess::enterKeyInPasswordBox_actsAsTheButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Return, right password") << int(Qt::Key_Return) << int(Qt::NoModifier) << "secret" << true;
    QTest::newRow("keypad Enter, right password") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "secret" << true;
    QTest::newRow("Return, wrong password") << int(Qt::Key_Return) << int(Qt::NoModifier) << "secre" << false;
    QTest::newRow("keypad Enter, wrong password") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "secre" << false;
    QTest::newRow("Alt+E, right password") << int(Qt::Key_E) << int(Qt::AltModifier) << "secret" << true;
}

void TestAccess::enterKeyInPasswordBox_actsAsTheButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, typed);
    QFETCH(bool, opens);
    GateFixture t;
    t.addEmployee(Value(u"Ann"), Value(u"secret"), Value(u"C"));
    PasswordGate* gate = t.openGate(kCash);
    QTest::keyClicks(gate->txtPass, typed);
    QTest::keyClick(gate->txtPass, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (opens) {
        QTRY_VERIFY(granted(t, kCash)); // an access key presses its button a moment later
        QCOMPARE(receiptRows(*t.store).size(), std::size_t(1));
    } else {
        QVERIFY(refused(t, kCash)); // one box, not two
        QCOMPARE(gate->txtPass->text(), QString());
    }
}

void TestAccess::cashierRow_appendedBeforeTheRegisterOpens_data()
{
    QTest::addColumn<Value>("firstName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Value>("cashier");
    QTest::newRow("the employee's first name") << Value(u"Ann") << "secret" << Value(u"Ann");
    QTest::newRow("a first name with blanks, as stored") << Value(u" Ann Marie ") << "secret" << Value(u" Ann Marie ");
    QTest::newRow("an employee without a first name") << Value() << "secret" << Value();
    QTest::newRow("the master password") << Value(u"Ann") << "PLINTH" << Value(u"the manager");
}

void TestAccess::cashierRow_appendedBeforeTheRegisterOpens()
{
    QFETCH(Value, firstName);
    QFETCH(QString, typed);
    QFETCH(Value, cashier);
    GateFixture t;
    t.addEmployee(firstName, Value(u"secret"), Value(u"EC"));
    std::vector<ReceiptRow> seenByRegister;
    bool loaded = false;
    t.registerStub(QStringLiteral("frmCashRegister"), [&](app::Context& context) {
        loaded = true;
        seenByRegister = receiptRows(context.store);
    });

    tryPassword(t.openGate(kCash), typed);
    QVERIFY(loaded);
    QVERIFY(granted(t, kCash));
    QCOMPARE(seenByRegister.size(), std::size_t(1));
    QCOMPARE(seenByRegister[0].cashier, cashier);
    QVERIFY(seenByRegister[0].othersEmpty);
    const std::vector<ReceiptRow> stored = receiptRows(*t.store);
    QCOMPARE(stored.size(), std::size_t(1));
    QCOMPARE(stored[0].cashier, cashier);
}

void TestAccess::cancel_closesTheGateAndLeavesTheMenu_data()
{
    QTest::addColumn<QString>("gate");
    QTest::addColumn<QString>("how");
    for (const QString& gate : {kCash, kProducts, kEmployees}) {
        QTest::addRow("%s, Cancel", qPrintable(gate)) << gate << "click";
        QTest::addRow("%s, Alt+C", qPrintable(gate)) << gate << "Alt+C";
        QTest::addRow("%s, close button", qPrintable(gate)) << gate << "close";
    }
}

void TestAccess::cancel_closesTheGateAndLeavesTheMenu()
{
    QFETCH(QString, gate);
    QFETCH(QString, how);
    GateFixture t;
    t.addEmployee(Value(u"Ann"), Value(u"secret"), Value(u"ACE"));
    PasswordGate* window = t.openGate(gate);
    QTest::keyClicks(window->txtPass, QStringLiteral("secret"));
    if (how == u"click")
        QTest::mouseClick(window->Command1, Qt::LeftButton);
    else if (how == u"Alt+C")
        QTest::keyClick(window->txtPass, Qt::Key_C, Qt::AltModifier);
    else
        window->close();
    // An access key presses its button the way a click does, a moment later.
    QTRY_VERIFY(!t.windows.isLoaded(gate));
    QVERIFY(t.isShown(kMenu));
    QVERIFY(!t.windows.isLoaded(targetOf(gate)));
    QVERIFY(t.ui.boxes().empty());
    QVERIFY(receiptRows(*t.store).empty());

    // Shown again, the gate is a new one with an empty box.
    auto* again = static_cast<PasswordGate*>(t.windows.show(gate));
    QCOMPARE(again->txtPass->text(), QString());
}

void TestAccess::areaNotInTheProgram_menuStaysAndNothingIsWritten_data()
{
    QTest::addColumn<QString>("gate");
    QTest::newRow("frmPassCash") << kCash;
    QTest::newRow("frmPassUpd") << kProducts;
    QTest::newRow("frmPassEmployee") << kEmployees;
}

void TestAccess::areaNotInTheProgram_menuStaysAndNothingIsWritten()
{
    QFETCH(QString, gate);
    // Only the gates and the menu: the areas are not part of the program.
    testing::TestContext t;
    access_control::registerWindows(t.windows);
    t.windows.registerWindow(kMenu, [](app::Context& context) { return std::make_unique<StubWindow>(context, kMenu, nullptr); });
    QWidget* menu = t.windows.show(kMenu);
    auto* window = static_cast<PasswordGate*>(t.windows.show(gate));
    tryPassword(window, QStringLiteral("plinth"));
    QVERIFY(!t.windows.isLoaded(gate));
    QVERIFY(menu->isVisible());
    QVERIFY(t.ui.boxes().empty());
    QVERIFY(receiptRows(*t.store).empty());
}

void TestAccess::failure_endsTheAttemptSilentlyAndLeavesNoCashierRow_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("the store refuses the cashier row") << "row";
    QTest::newRow("the cash register fails to open") << "register";
    // Failures that are not the store's end the attempt the same way.
    QTest::newRow("the cash register runs out of memory") << "memory";
    QTest::newRow("the cash register fails otherwise") << "other";
}

void TestAccess::failure_endsTheAttemptSilentlyAndLeavesNoCashierRow()
{
    QFETCH(QString, failure);
    GateFixture t;
    t.addEmployee(Value(u"Ann"), Value(u"secret"), Value(u"C"));
    if (failure == u"row") {
        t.store->setWriteHook([](const QString& table) {
            if (table == u"tblReceipt")
                throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
        });
    } else {
        t.registerStub(QStringLiteral("frmCashRegister"), [failure](app::Context&) {
            if (failure == u"memory")
                throw std::bad_alloc();
            if (failure == u"other")
                throw 42; // not even an exception class
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
        });
    }
    PasswordGate* gate = t.openGate(kCash);
    tryPassword(gate, QStringLiteral("secret"));
    QVERIFY(t.ui.boxes().empty());
    QVERIFY(t.isShown(kCash));
    QVERIFY(t.isShown(kMenu));
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmCashRegister")));
    QVERIFY(receiptRows(*t.store).empty());
    QCOMPARE(gate->txtPass->text(), QStringLiteral("secret"));

    // Once the trouble is gone, the same gate lets the cashier in with one row written.
    t.store->setWriteHook({});
    t.registerStub(QStringLiteral("frmCashRegister"));
    QTest::mouseClick(gate->cmdEnter, Qt::LeftButton);
    QVERIFY(granted(t, kCash));
    QCOMPARE(receiptRows(*t.store).size(), std::size_t(1));
}

void TestAccess::employees_areThoseStoredWhenTheGateOpened()
{
    GateFixture t;
    PasswordGate* gate = t.openGate(kProducts);
    t.addEmployee(Value(u"Ann"), Value(u"secret"), Value(u"A"));
    tryPassword(gate, QStringLiteral("secret"));
    QVERIFY(refused(t, kProducts));

    gate->Command1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    t.ui.clearBoxes();
    tryPassword(t.openGate(kProducts), QStringLiteral("secret"));
    QVERIFY(granted(t, kProducts));
}

void TestAccess::sameIgnoringCase_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("equal") << "abc" << "abc" << true;
    QTest::newRow("case") << "aBc" << "AbC" << true;
    QTest::newRow("both empty") << "" << "" << true;
    QTest::newRow("blank") << "abc" << "abc " << false;
    QTest::newRow("sharp s and SS") << "\u00df" << "SS" << false;
    QTest::newRow("letters beyond the first plane") << "\U00010428" << "\U00010400" << true;
}

void TestAccess::sameIgnoringCase()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(access_control::sameIgnoringCase(a, b), same);
    QCOMPARE(access_control::sameIgnoringCase(b, a), same);
}

QTEST_MAIN(TestAccess)
#include "test_access.moc"
