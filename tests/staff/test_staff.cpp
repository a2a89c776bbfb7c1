// The employee window, driven as a manager drives it: boxes typed into, buttons clicked, message
// boxes answered through the dialog double, and the Employees table read back.
#include "access/gates.h"
#include "access/password_gate.h"
#include "app/window_manager.h"
#include "staff/employee_window.h"
#include "staff/windows.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/record_source.h"
#include "support/test_context.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"
#include "ui/value_label.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using staff::EmployeeWindow;
using store::RecordSource;
using store::Value;
using testing::ShownBox;

namespace {

const QString kEmployees = QStringLiteral("Employees");
const QString kNull = QStringLiteral("<null>");

// What the boxes of the window hold, in the order of the Employees fields.
struct Person {
    QString ss, lastName, firstName, title, salary, years, hours, address, phone, password, usage;
};

// A box as a test expects it.
struct Box {
    QString text;
    QString title;
    ui::Icon icon = ui::Icon::Warning;
};

// Ann Lee (111, clerk, password "pw1", usage "A"), Bob Ray (222, cashier, "pw2", "C") and Cid Lee
// (333, no access), in that order.
const Person kAnn{"111", "Lee", "Ann", "clerk", "900", "3", "40", "1 Main St", "555-0101", "pw1", "A"};
const Person kBob{"222", "Ray", "Bob", "cashier", "800", "2", "30", "2 Side St", "555-0202", "pw2", "C"};
const Person kCid{"333", "Lee", "Cid", "stock", "700", "1", "20", "3 Far Rd", "555-0303", {}, {}};

const Box kSSTaken{"The Person with this SS# is already in the database, please check your information. You Cannot add Duplicate Data "
                   "into the Database",
    "Person Already in Database!"};
const Box kSameName{"A person with exactly the same name already exists in the database, please check your information",
    "Error in Trying to Update Database!"};
const Box kCashierNeedsAccess{"This person has to have a password and a software usage character.", "Please choose a password"};
const Box kPasswordTaken{"This password already belongs to somene else.  Please choose another one.", "Please choose another password"};
const Box kInvalidUsage{"You entered an invalid software software usage code.  Please select usage from the drop down menu",
    " Invalid software code"};
const Box kBothNeeded{"You must specify a password and a software code for this perosn.", " Must specify password"};
const Box kFirstCashier{"You need to specify a password and the part of the software this person can use. Please select usage from the "
                        "drop down menu.",
    "Please specify password and use"};
const Box kFirstBothNeeded{"You must specify a password and a software code for this person.", " Must specify password"};
const Box kUpdPerson{"You must specify a password and a software code for this person.", " Must specify passwprd"};
const Box kUpdPerosn{"You must specify a password and a software code for this perosn.", " Must specify passwprd"};
const Box kInUse{"You are trying to assign a password already in use.  Please try another one.", "Password already in use", ui::Icon::None};
const Box kUpdInvalid{"You entered an invalid software code.  Please slect the apropriate usage from the dropdown menu.",
    " Invalid software code"};
const Box kNotUpdated{"Error while trying to update this employee.  If the error continues go back to main and come back to try again.",
    " Error on trying to update"};
const Box kOneBox{"Please the SS# of the person to be shown.", "Please Select SS#"};
const Box kNoSS{"No Employee with this SS# found!", "No Employee Found!", ui::Icon::None};
const Box kNoName{"Employee was not found.", "Employee was not found", ui::Icon::Information};
const Box kDeleteMiss{"Not person was found with this SS# or last name.", "No Employee Found", ui::Icon::None};
const Box kNoBox{};
const Box kNotAdded{"The system cannot add this employee to the database.  Please make sure that all the field are filled.  If you are "
                    "trying to update this person, please press the update button.  Make sure that the information does not belong to "
                    "someone else ",
    "Error in Trying to Add Employee", ui::Icon::None};

QString orNull(const QString& text)
{
    return text.isNull() ? kNull : text;
}

// An Employees row as the table holds it, fields joined by "|".
QString row(const Person& p, const QString& password, const QString& usage)
{
    return QStringList{p.ss, p.lastName, p.firstName, p.title, p.salary, p.years, p.hours, p.address, p.phone, password, usage}.join(u'|');
}

QString row(const Person& p)
{
    return row(p, orNull(p.password), orNull(p.usage));
}

// Types into a box as a person does: what was there is selected and typed over.
void type(QWidget* box, const QString& text)
{
    if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) {
        lines->setFocus();
        lines->selectAll();
        QTest::keyClick(lines, Qt::Key_Backspace);
        QTest::keyClicks(lines, text);
        return;
    }
    QLineEdit* edit = qobject_cast<QLineEdit*>(box);
    if (auto* list = qobject_cast<QComboBox*>(box))
        edit = list->lineEdit();
    Q_ASSERT(edit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QString textOf(QWidget* box)
{
    if (auto* list = qobject_cast<QComboBox*>(box))
        return list->currentText();
    if (auto* lines = qobject_cast<QPlainTextEdit*>(box))
        return lines->toPlainText();
    if (auto* label = qobject_cast<QLabel*>(box))
        return label->text();
    return qobject_cast<QLineEdit*>(box)->text();
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// The twelve boxes the commands empty, in the order of Person, then the name label.
QList<QWidget*> boxesOf(EmployeeWindow* w)
{
    return {w->dbcboProdCode, w->dbcboProdName, w->txtProdPrice, w->txtCategory, w->txtQtyBought, w->Tempo, w->totHoras, w->txtSupAddr,
        w->txtSupPhone, w->passeword, w->txtuso, w->lblNome};
}

QStringList textsOf(EmployeeWindow* w)
{
    QStringList texts;
    for (QWidget* box : boxesOf(w))
        texts << textOf(box);
    return texts;
}

void fill(EmployeeWindow* w, const Person& p)
{
    const QString texts[] = {p.ss, p.lastName, p.firstName, p.title, p.salary, p.years, p.hours, p.address, p.phone, p.password, p.usage};
    const QList<QWidget*> boxes = boxesOf(w);
    for (int i = 0; i < 11; ++i)
        type(boxes[i], texts[i]);
}

struct StaffFixture : testing::TestContext {
    StaffFixture()
    {
        staff::registerWindows(windows);
        startup::registerWindows(windows);
        access_control::registerWindows(windows);
    }

    void add(const Person& p)
    {
        RecordSource source(*store, QStringLiteral("setup"), kEmployees);
        source.addNew();
        const QString texts[] = {p.ss, p.lastName, p.firstName, p.title, p.salary, p.years, p.hours, p.address, p.phone, p.password, p.usage};
        for (int f = 0; f < 11; ++f)
            source.setField(source.table().fields[std::size_t(f)].name, texts[f].isNull() ? Value() : Value(texts[f]));
        source.update();
    }

    void staffList()
    {
        add(kAnn);
        add(kBob);
        add(kCid);
    }

    EmployeeWindow* open()
    {
        windows.show(QStringLiteral("frmMain"));
        windows.hide(QStringLiteral("frmMain"));
        auto* window = static_cast<EmployeeWindow*>(windows.show(QString::fromLatin1(EmployeeWindow::kName)));
        if (!QTest::qWaitForWindowActive(window))
            qWarning("frmEmployees did not become the active window");
        return window;
    }

    QStringList rows() const
    {
        QStringList lines;
        RecordSource source(*store, QStringLiteral("check"), kEmployees);
        for (; !source.atEnd(); source.moveNext()) {
            QStringList cells;
            for (int f = 0; f < int(source.table().fields.size()); ++f)
                cells << (source.field(f).isNull() ? kNull : source.field(f).display());
            lines << cells.join(u'|');
        }
        return lines;
    }

    bool shown(const QString& name) const
    {
        const QWidget* window = windows.find(name);
        return window && window->isVisible();
    }

    // The boxes shown since the last check: none, or exactly this one.
    void expectBox(const Box& expected)
    {
        if (expected.text.isEmpty()) {
            QCOMPARE(ui.texts(), QStringList());
        } else {
            QCOMPARE(int(ui.boxes().size()), 1);
            const ShownBox& box = ui.boxes().front();
            QCOMPARE(box.text, expected.text);
            QCOMPARE(box.shownTitle, expected.title);
            QCOMPARE(box.icon, expected.icon);
            QCOMPARE(box.buttons, ui::Buttons::Ok);
        }
        QCOMPARE(ui.failures(), QString());
        ui.clearBoxes();
    }
};

void showBySS(EmployeeWindow* w, const QString& ss)
{
    type(w->dbcboProdCode, ss);
    type(w->dbcboProdName, QString());
    click(w->cmdShowProd);
}

QStringList listOf(QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// True when the control, or the edit field of a list box, has the keyboard focus.
bool focused(QWidget* control)
{
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == control || focus->parentWidget() == control);
}

} // namespace

Q_DECLARE_METATYPE(Person)
Q_DECLARE_METATYPE(Box)

class TestStaff : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void window_controls();
    void window_digitsOnlyBoxes_data();
    void window_digitsOnlyBoxes();
    void window_backToMain_data();
    void window_backToMain();

    void newEmployee_data();
    void newEmployee();
    void newEmployee_listsOfferTheNewEmployeeAndUpdateKeepsItsState();

    void showEmployee_data();
    void showEmployee();
    void showEmployee_nullPhone_stopsWithoutAWord();

    void updateEmployee_data();
    void updateEmployee();
    void updateEmployee_afterNewEmployee_changesTheEmployeeShown();
    void updateEmployee_employeeGone_failsAndStaysEnabled();
    void updateEmployee_passwordGivenSinceTheWindowOpened_isInUse();

    void storeRefusals_data();
    void storeRefusals();

    void deleteEmployee_data();
    void deleteEmployee();
    void clearScreen();

    void employeeAddedHere_passesTheGatesOfItsUsageCode();
};

void TestStaff::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---------------------------------------------------------------------------------------------
// The window

void TestStaff::window_controls()
{
    StaffFixture t;
    t.add(kAnn);
    EmployeeWindow* w = t.open();
    QCOMPARE(w->windowTitle(),
        QStringLiteral("                                      ******WELCOME TO VANTORAL\u00ae EMPLOYEE SYSTEM******"));
    QCOMPARE(w->dbmMenu->title(), QStringLiteral("&Updade System"));
    QCOMPARE(w->dbmMenu->actions(), (QList<QAction*>{w->dbmHelp, w->dbmExit}));
    QCOMPARE(w->dbmHelp->text(), QStringLiteral("&Help"));
    QCOMPARE(w->dbmHelp->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(w->dbmExit->text(), QStringLiteral("&Back to Main System"));
    QCOMPARE(w->dbmExit->shortcut(), QKeySequence(Qt::Key_F2));

    // Each box by its name, with the caption beside it.
    const std::pair<const char*, QString> captions[] = {{"dbcboProdCode", "SS#:"}, {"dbcboProdName", "Last Name:"},
        {"txtProdPrice", "First Name:"}, {"txtCategory", "Job Title:"}, {"txtQtyBought", "Salary:"}, {"Tempo", "Years in the Comp:"},
        {"totHoras", "Weekly Hours:"}, {"txtSupAddr", "Address:"}, {"txtSupPhone", "Phone#:"}, {"passeword", "Password:"},
        {"txtuso", "Select usage:"}, {"lblNome", "Name:"}};
    const QList<QLabel*> labels = w->findChildren<QLabel*>();
    for (const auto& [name, caption] : captions) {
        auto* box = w->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(box, name);
        const auto beside = std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == caption; });
        QVERIFY2(beside != labels.end(), name);
        QVERIFY2(box->accessibleName().startsWith(QString(caption).remove(u':')), name);
        QVERIFY2(std::abs((*beside)->geometry().center().y() - box->geometry().center().y()) < 30, name);
        QVERIFY2((*beside)->x() < box->x(), name);
    }
    QVERIFY(qobject_cast<ui::ValueLabel*>(w->lblNome));
    QCOMPARE(w->passeword->echoMode(), QLineEdit::Normal);

    const std::pair<QPushButton*, QString> buttons[] = {{w->cmdAddNewProd, "NEW EMPLOYEE"}, {w->cmdClearProd, "CLEAR SCREEN"},
        {w->cmdShowProd, "SHOW EMPLOYEE"}, {w->cmdProdUpd, "UPDATE EMPLOYEE"}, {w->cmdDelProd, "DELETE EMPLOYEE"}};
    for (const auto& [button, caption] : buttons) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->isEnabled(), button != w->cmdProdUpd);
    }
    // SHOW and UPDATE side by side, CLEAR below them, NEW and DELETE side by side at the bottom.
    QCOMPARE(w->cmdShowProd->y(), w->cmdProdUpd->y());
    QVERIFY(w->cmdShowProd->x() < w->cmdProdUpd->x());
    QVERIFY(w->cmdClearProd->y() > w->cmdShowProd->y());
    QCOMPARE(w->cmdAddNewProd->y(), w->cmdDelProd->y());
    QVERIFY(w->cmdAddNewProd->y() > w->cmdClearProd->y());
    QVERIFY(w->cmdAddNewProd->x() < w->cmdDelProd->x());

    // The record sources and what the lists offer.
    QCOMPARE(w->datProdPrice->table().qName(), kEmployees);
    QCOMPARE(w->datPass->table().qName(), kEmployees);
    QCOMPARE(listOf(w->dbcboProdCode), QStringList{"111"});
    QCOMPARE(listOf(w->dbcboProdName), QStringList{"Lee"});
    QCOMPARE(listOf(w->txtuso), (QStringList{"A", "C", "E", "AC", "EC", "AE", "ACE"}));
    QCOMPARE(textsOf(w), QStringList(12, QString()));

    // Tab goes down the left column, the right column, then the buttons.
    // UPDATE EMPLOYEE is passed over while disabled.
    const QList<QWidget*> order{w->dbcboProdCode, w->dbcboProdName, w->txtProdPrice, w->txtCategory, w->txtQtyBought, w->Tempo,
        w->totHoras, w->txtSupAddr, w->txtSupPhone, w->passeword, w->txtuso, w->cmdAddNewProd, w->cmdClearProd, w->cmdShowProd,
        w->cmdDelProd};
    w->dbcboProdCode->setFocus();
    for (int i = 0; i < order.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focused(order[i]), qPrintable(QStringLiteral("%1: %2").arg(i).arg(focus ? focus->objectName() : QStringLiteral("none"))));
        QTest::keyClick(focus, Qt::Key_Tab);
    }

    QVERIFY(w->width() <= 800 && w->height() <= 600);
    QCOMPARE(w->minimumSize(), w->maximumSize());
}

void TestStaff::window_digitsOnlyBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("digitsOnly");
    for (const char* name : {"dbcboProdCode", "txtQtyBought", "Tempo", "totHoras"})
        QTest::newRow(name) << name << true;
    for (const char* name : {"dbcboProdName", "txtProdPrice", "txtSupPhone", "passeword"})
        QTest::newRow(name) << name << false;
}

void TestStaff::window_digitsOnlyBoxes()
{
    QFETCH(QString, box);
    QFETCH(bool, digitsOnly);
    StaffFixture t;
    EmployeeWindow* w = t.open();
    auto* control = w->findChild<QWidget*>(box);
    type(control, QStringLiteral("1a2-3 4"));
    QCOMPARE(textOf(control), digitsOnly ? QStringLiteral("1234") : QStringLiteral("1a2-3 4"));
}

void TestStaff::window_backToMain_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("&Back to Main System") << 0;
    QTest::newRow("F2") << 1;
    QTest::newRow("close button") << 2;
}

void TestStaff::window_backToMain()
{
    QFETCH(int, way);
    StaffFixture t;
    EmployeeWindow* w = t.open();
    QVERIFY(!t.shown(QStringLiteral("frmMain")));
    if (way == 0)
        w->dbmExit->trigger();
    else if (way == 1)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    else
        w->close();
    QVERIFY(t.shown(QStringLiteral("frmMain")));
    QVERIFY(!t.windows.isLoaded(QString::fromLatin1(EmployeeWindow::kName)));
}

// ---------------------------------------------------------------------------------------------
// NEW EMPLOYEE

void TestStaff::newEmployee_data()
{
    QTest::addColumn<bool>("withRows");
    QTest::addColumn<Person>("person");
    QTest::addColumn<Box>("box");
    QTest::addColumn<QString>("added"); // the row added, or empty when nothing may be added

    const Person dee{"444", "Moe", "Dee", "clerk", "500", "1", "10", "4 New Rd", "555-0404", "pw4", "AC"};
    auto with = [&](std::initializer_list<std::pair<QString Person::*, QString>> changes) {
        Person p = dee;
        for (const auto& [field, value] : changes)
            p.*field = value;
        return p;
    };
    using P = Person;

    QTest::newRow("SS# taken") << true << with({{&P::ss, "222"}}) << kSSTaken << QString();
    QTest::newRow("SS# is exact") << true << with({{&P::ss, "22"}}) << kNoBox << row(with({{&P::ss, "22"}}));
    QTest::newRow("same first and last name") << true << with({{&P::lastName, "Lee"}, {&P::firstName, "Ann"}}) << kSameName << QString();
    QTest::newRow("same last name only") << true << with({{&P::lastName, "Lee"}}) << kNoBox << row(with({{&P::lastName, "Lee"}}));
    QTest::newRow("cashier without password") << true << with({{&P::title, "cashier"}, {&P::password, ""}}) << kCashierNeedsAccess
                                              << QString();
    QTest::newRow("CASHIER without usage") << true << with({{&P::title, "CASHIER"}, {&P::usage, ""}}) << kCashierNeedsAccess << QString();
    QTest::newRow("caixa without access, table with rows")
        << true << with({{&P::title, "caixa"}, {&P::password, ""}, {&P::usage, ""}}) << kNoBox
        << row(with({{&P::title, "caixa"}}), kNull, kNull);
    QTest::newRow("Caixa without password, empty table") << false << with({{&P::title, "Caixa"}, {&P::password, ""}}) << kFirstCashier
                                                         << QString();
    QTest::newRow("caixa without usage, empty table") << false << with({{&P::title, "caixa"}, {&P::usage, ""}}) << kFirstCashier
                                                      << QString();
    QTest::newRow("cashier without access, empty table")
        << false << with({{&P::title, "cashier"}, {&P::password, ""}, {&P::usage, ""}}) << kNoBox
        << row(with({{&P::title, "cashier"}}), "", "");
    QTest::newRow("password taken") << true << with({{&P::password, "pw2"}}) << kPasswordTaken << QString();
    QTest::newRow("password taken but for letter case") << true << with({{&P::password, "PW2"}}) << kPasswordTaken << QString();
    QTest::newRow("usage AC") << true << dee << kNoBox << row(dee);
    QTest::newRow("usage ac") << true << with({{&P::usage, "ac"}}) << kNoBox << row(with({{&P::usage, "ac"}}));
    QTest::newRow("usage Select Usage") << true << with({{&P::usage, "Select Usage"}}) << kNoBox
                                        << row(with({{&P::usage, "Select Usage"}}));
    QTest::newRow("usage invalid") << true << with({{&P::usage, "ACX"}}) << kInvalidUsage << QString();
    QTest::newRow("usage select usage") << true << with({{&P::usage, "select usage"}}) << kInvalidUsage << QString();
    QTest::newRow("no access") << true << with({{&P::password, ""}, {&P::usage, ""}}) << kNoBox << row(dee, kNull, kNull);
    QTest::newRow("Select Usage without password") << true << with({{&P::password, ""}, {&P::usage, "Select Usage"}}) << kNoBox
                                                   << row(dee, kNull, kNull);
    QTest::newRow("password without usage") << true << with({{&P::usage, ""}}) << kBothNeeded << QString();
    QTest::newRow("usage without password") << true << with({{&P::password, ""}}) << kBothNeeded << QString();
    QTest::newRow("first employee, usage without password") << false << with({{&P::password, ""}, {&P::usage, "E"}}) << kNoBox
                                                            << row(dee, "", "E");
    QTest::newRow("first employee, password without usage") << false << with({{&P::usage, ""}}) << kFirstBothNeeded << QString();
    QTest::newRow("first employee, usage invalid") << false << with({{&P::usage, "X"}}) << kInvalidUsage << QString();
    QTest::newRow("first employee, usage ace") << false << with({{&P::usage, "ace"}}) << kNoBox << row(with({{&P::usage, "ace"}}));
    QTest::newRow("first employee, empty boxes") << false << Person{} << kNoBox << QStringList(11, QString()).join(u'|');
}

void TestStaff::newEmployee()
{
    QFETCH(bool, withRows);
    QFETCH(Person, person);
    QFETCH(Box, box);
    QFETCH(QString, added);
    StaffFixture t;
    if (withRows)
        t.staffList();
    const QStringList before = t.rows();
    EmployeeWindow* w = t.open();
    fill(w, person);
    const QStringList typed = textsOf(w);
    click(w->cmdAddNewProd);
    t.expectBox(box);
    if (added.isEmpty()) {
        // Refused: nothing written, every box as it was.
        QCOMPARE(t.rows(), before);
        QCOMPARE(textsOf(w), typed);
    } else {
        QCOMPARE(t.rows(), before + QStringList{added});
        QCOMPARE(textsOf(w), QStringList(12, QString()));
        QVERIFY(focused(w->dbcboProdCode));
    }
}

void TestStaff::newEmployee_listsOfferTheNewEmployeeAndUpdateKeepsItsState()
{
    StaffFixture t;
    t.staffList();
    EmployeeWindow* w = t.open();
    fill(w, {"444", "Moe", "Dee", "clerk", "500", "1", "10", "4 New Rd", "555-0404", "", ""});
    click(w->cmdAddNewProd);
    t.expectBox(kNoBox);
    QCOMPARE(listOf(w->dbcboProdCode), (QStringList{"111", "222", "333", "444"}));
    QCOMPARE(listOf(w->dbcboProdName), (QStringList{"Lee", "Ray", "Lee", "Moe"}));
    QVERIFY(!w->cmdProdUpd->isEnabled());

    // Enabled by a SHOW, it stays enabled through an add.
    showBySS(w, "222");
    QVERIFY(w->cmdProdUpd->isEnabled());
    fill(w, {"555", "Poe", "Eve", "clerk", "", "", "", "", "", "", ""});
    click(w->cmdAddNewProd);
    t.expectBox(kNoBox);
    QCOMPARE(t.rows().size(), 5);
    QVERIFY(w->cmdProdUpd->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// SHOW EMPLOYEE

void TestStaff::showEmployee_data()
{
    QTest::addColumn<QString>("ss");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<Box>("box");
    QTest::addColumn<QString>("shown"); // the SS# of the employee shown, or empty

    QTest::newRow("by SS#") << "222" << "" << kNoBox << "222";
    QTest::newRow("by last name, the first of two") << "" << "Lee" << kNoBox << "111";
    QTest::newRow("both boxes") << "111" << "Lee" << kOneBox << "";
    QTest::newRow("neither box") << "" << "" << kOneBox << "";
    QTest::newRow("SS# not found") << "999" << "" << kNoSS << "";
    QTest::newRow("SS# is exact") << "22" << "" << kNoSS << "";
    QTest::newRow("last name not found") << "" << "lee" << kNoName << "";
}

void TestStaff::showEmployee()
{
    QFETCH(QString, ss);
    QFETCH(QString, lastName);
    QFETCH(Box, box);
    QFETCH(QString, shown);
    StaffFixture t;
    t.staffList();
    EmployeeWindow* w = t.open();
    // What the password and usage boxes hold stays there.
    type(w->passeword, "typed");
    type(w->txtuso, "EC");
    type(w->dbcboProdCode, ss);
    type(w->dbcboProdName, lastName);
    const QStringList before = textsOf(w);
    click(w->cmdShowProd);
    t.expectBox(box);
    QCOMPARE(w->cmdProdUpd->isEnabled(), !shown.isEmpty());
    if (shown.isEmpty()) {
        QCOMPARE(textsOf(w), before);
        return;
    }
    const Person& p = shown == u"111" ? kAnn : kBob;
    QCOMPARE(textsOf(w), (QStringList{p.ss, p.lastName, p.firstName, p.title, p.salary, p.years, p.hours, p.address, p.phone, "typed",
                             "EC", p.firstName}));
    QVERIFY(focused(w->dbcboProdCode));

    // Shown again with both boxes now filled: one of them must be emptied first.
    click(w->cmdShowProd);
    t.expectBox(kOneBox);
    QVERIFY(!w->cmdProdUpd->isEnabled());
}

void TestStaff::showEmployee_nullPhone_stopsWithoutAWord()
{
    StaffFixture t;
    Person noPhone = kAnn;
    noPhone.phone = QString();
    t.add(noPhone);
    EmployeeWindow* w = t.open();
    type(w->txtSupPhone, "old");
    showBySS(w, "111");
    t.expectBox(kNoBox);
    QCOMPARE(textsOf(w), (QStringList{"111", "Lee", "Ann", "clerk", "900", "3", "40", "1 Main St", "old", "", "", ""}));
    QVERIFY(!w->cmdProdUpd->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// UPDATE EMPLOYEE

void TestStaff::updateEmployee_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("usage");
    QTest::addColumn<Box>("box");
    QTest::addColumn<QString>("written"); // Ann's row after the update, or empty when refused

    // Ann (111, clerk) is shown, her first name changed to Anne.
    Person anne = kAnn;
    anne.firstName = "Anne";
    auto as = [&](const QString& title, const QString& password, const QString& usage) {
        Person p = anne;
        p.title = title;
        return row(p, password, usage);
    };

    QTest::newRow("both empty keep password and usage") << "clerk" << "" << "" << kNoBox << as("clerk", "pw1", "A");
    QTest::newRow("new title, both empty keep them") << "manager" << "" << "" << kNoBox << as("manager", "pw1", "A");
    QTest::newRow("new password and usage") << "clerk" << "new" << "ae" << kNoBox << as("clerk", "new", "ae");
    QTest::newRow("own password") << "clerk" << "pw1" << "A" << kInUse << "";
    QTest::newRow("another's password") << "clerk" << "pw2" << "A" << kInUse << "";
    QTest::newRow("another's password but for case") << "clerk" << "Pw2" << "A" << kInUse << "";
    QTest::newRow("Select Usage is refused") << "clerk" << "new" << "Select Usage" << kUpdInvalid << "";
    QTest::newRow("invalid usage") << "clerk" << "new" << "Z" << kUpdInvalid << "";
    QTest::newRow("only a password") << "clerk" << "new" << "" << kUpdPerosn << "";
    QTest::newRow("only usage") << "clerk" << "" << "C" << kUpdPerosn << "";
    QTest::newRow("to cashier, both empty") << "Cashier" << "" << "" << kUpdPerson << "";
    QTest::newRow("to cashier, usage empty") << "cashier" << "new" << "" << kUpdPerson << "";
    QTest::newRow("to cashier with access") << "cashier" << "new" << "C" << kNoBox << as("cashier", "new", "C");
    QTest::newRow("new title, only a password") << "manager" << "new" << "" << kUpdPerson << "";
    QTest::newRow("new title, only usage") << "manager" << "" << "C" << kUpdPerosn << "";
}

void TestStaff::updateEmployee()
{
    QFETCH(QString, title);
    QFETCH(QString, password);
    QFETCH(QString, usage);
    QFETCH(Box, box);
    QFETCH(QString, written);
    StaffFixture t;
    t.staffList();
    const QStringList before = t.rows();
    EmployeeWindow* w = t.open();
    showBySS(w, "111");
    QVERIFY(w->cmdProdUpd->isEnabled());
    type(w->txtProdPrice, "Anne");
    type(w->txtCategory, title);
    type(w->passeword, password);
    type(w->txtuso, usage);
    const QStringList typed = textsOf(w);
    click(w->cmdProdUpd);
    t.expectBox(box);
    if (written.isEmpty()) {
        QCOMPARE(t.rows(), before);
        QCOMPARE(textsOf(w), typed);
        QVERIFY(w->cmdProdUpd->isEnabled());
    } else {
        QCOMPARE(t.rows(), (QStringList{written, before[1], before[2]}));
        QCOMPARE(textsOf(w), QStringList(12, QString()));
        QVERIFY(!w->cmdProdUpd->isEnabled());
        QVERIFY(focused(w->dbcboProdCode));
    }
}

void TestStaff::updateEmployee_afterNewEmployee_changesTheEmployeeShown()
{
    StaffFixture t;
    t.staffList();
    EmployeeWindow* w = t.open();
    showBySS(w, "222");
    // A new employee moves the record source; the update still goes to Bob.
    const Person dee{"444", "Moe", "Dee", "clerk", "", "", "", "", "", "", ""};
    fill(w, dee);
    click(w->cmdAddNewProd);
    t.expectBox(kNoBox);
    QVERIFY(w->cmdProdUpd->isEnabled());
    Person bob = kBob;
    bob.phone = "555-9999";
    fill(w, bob);
    type(w->passeword, QString());
    type(w->txtuso, QString());
    click(w->cmdProdUpd);
    t.expectBox(kNoBox);
    QCOMPARE(t.rows(), (QStringList{row(kAnn), row(bob), row(kCid), row(dee, kNull, kNull)}));
}

void TestStaff::updateEmployee_employeeGone_failsAndStaysEnabled()
{
    StaffFixture t;
    t.staffList();
    EmployeeWindow* w = t.open();
    showBySS(w, "222");
    {
        // The row goes away behind the window's back.
        RecordSource other(*t.store, QStringLiteral("other"), kEmployees);
        other.moveNext();
        other.remove();
    }
    type(w->txtSupPhone, "555-9999");
    click(w->cmdProdUpd);
    t.expectBox(kNotUpdated);
    QCOMPARE(t.rows(), (QStringList{row(kAnn), row(kCid)}));
    QVERIFY(w->cmdProdUpd->isEnabled());
}

void TestStaff::updateEmployee_passwordGivenSinceTheWindowOpened_isInUse()
{
    StaffFixture t;
    t.staffList();
    EmployeeWindow* w = t.open();
    fill(w, {"444", "Moe", "Dee", "clerk", "", "", "", "", "", "Fresh", "A"});
    click(w->cmdAddNewProd);
    t.expectBox(kNoBox);
    showBySS(w, "111");
    type(w->passeword, "fresh");
    type(w->txtuso, "A");
    click(w->cmdProdUpd);
    t.expectBox(kInUse);
    QCOMPARE(t.rows()[0], row(kAnn));
}

void TestStaff::storeRefusals_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Box>("box");
    QTest::addColumn<bool>("updateEnabled"); // UPDATE EMPLOYEE's state afterwards
    QTest::newRow("NEW EMPLOYEE") << "cmdAddNewProd" << kNotAdded << true;
    QTest::newRow("UPDATE EMPLOYEE") << "cmdProdUpd" << kNotUpdated << true;
    QTest::newRow("DELETE EMPLOYEE") << "cmdDelProd" << kNoBox << false;
}

// A write the store refuses writes nothing and leaves the boxes as they were; an update refused
// may be tried again on the same employee.
void TestStaff::storeRefusals()
{
    QFETCH(QString, button);
    QFETCH(Box, box);
    QFETCH(bool, updateEnabled);
    StaffFixture t;
    t.staffList();
    const QStringList before = t.rows();
    EmployeeWindow* w = t.open();
    showBySS(w, "222");
    if (button == u"cmdAddNewProd")
        fill(w, {"444", "Moe", "Dee", "clerk", "500", "1", "10", "4 New Rd", "555-0404", "pw4", "AC"});
    else
        type(w->txtSupPhone, "555-9999");
    const QStringList typed = textsOf(w);
    t.store->setWriteHook([](const QString& table) {
        if (table == kEmployees)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
    });
    if (button == u"cmdDelProd")
        t.ui.answerMessage(ui::Button::Yes);
    click(w->findChild<QPushButton*>(button));
    if (button == u"cmdDelProd") {
        QCOMPARE(t.ui.boxes().front().title, QStringLiteral("Delete Employee?"));
        t.ui.clearBoxes();
    }
    t.expectBox(box);
    QCOMPARE(t.rows(), before);
    QCOMPARE(textsOf(w), typed);
    QCOMPARE(w->cmdProdUpd->isEnabled(), updateEnabled);

    if (button == u"cmdProdUpd") {
        t.store->setWriteHook({});
        click(w->cmdProdUpd);
        t.expectBox(kNoBox);
        Person bob = kBob;
        bob.phone = "555-9999";
        QCOMPARE(t.rows(), (QStringList{row(kAnn), row(bob), row(kCid)}));
    }
}

// ---------------------------------------------------------------------------------------------
// DELETE EMPLOYEE and CLEAR SCREEN

void TestStaff::deleteEmployee_data()
{
    QTest::addColumn<QString>("ss");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("deleted"); // row deleted, or -1

    QTest::newRow("by SS#") << "222" << "" << true << 1;
    QTest::newRow("by last name, the first of two") << "" << "Lee" << true << 0;
    QTest::newRow("either box, the first in table order") << "333" << "Ray" << true << 1;
    QTest::newRow("answered No") << "222" << "" << false << -1;
    QTest::newRow("not found") << "999" << "Zed" << true << -1;
    QTest::newRow("an empty box names nobody") << "999" << "" << true << -1;
}

void TestStaff::deleteEmployee()
{
    QFETCH(QString, ss);
    QFETCH(QString, lastName);
    QFETCH(bool, yes);
    QFETCH(int, deleted);
    StaffFixture t;
    t.staffList();
    // An employee without a last name is not picked out by an empty last-name box.
    t.add({"777", "", "Nol", "", "", "", "", "", "", {}, {}});
    QStringList rows = t.rows();
    EmployeeWindow* w = t.open();
    showBySS(w, QStringLiteral("111"));
    t.ui.clearBoxes();
    QVERIFY(w->cmdProdUpd->isEnabled());
    type(w->dbcboProdCode, ss);
    type(w->dbcboProdName, lastName);
    const QStringList before = textsOf(w);
    const bool found = ss != u"999";
    if (found)
        t.ui.answerMessage(yes ? ui::Button::Yes : ui::Button::No);
    click(w->cmdDelProd);
    QCOMPARE(int(t.ui.boxes().size()), 1);
    const ShownBox& box = t.ui.boxes().front();
    if (found) {
        QCOMPARE(box.text, QStringLiteral("Are you sure you want to delete this employee from the database?"));
        QCOMPARE(box.shownTitle, QStringLiteral("Delete Employee?"));
        QCOMPARE(box.icon, ui::Icon::None);
        QCOMPARE(box.buttons, ui::Buttons::YesNo);
    } else {
        QCOMPARE(box.text, kDeleteMiss.text);
        QCOMPARE(box.shownTitle, kDeleteMiss.title);
        QCOMPARE(box.icon, kDeleteMiss.icon);
    }
    QCOMPARE(t.ui.failures(), QString());
    QVERIFY(!w->cmdProdUpd->isEnabled());
    if (deleted < 0) {
        QCOMPARE(t.rows(), rows);
        QCOMPARE(textsOf(w), before);
        return;
    }
    const QString gone = rows.takeAt(deleted).section(u'|', 0, 0);
    QCOMPARE(t.rows(), rows);
    QCOMPARE(textsOf(w), QStringList(12, QString()));
    QVERIFY(!listOf(w->dbcboProdCode).contains(gone));
    QCOMPARE(listOf(w->dbcboProdCode).size(), 3);
}

void TestStaff::clearScreen()
{
    StaffFixture t;
    t.staffList();
    EmployeeWindow* w = t.open();
    showBySS(w, "111");
    type(w->passeword, "x");
    type(w->txtuso, "A");
    QVERIFY(w->cmdProdUpd->isEnabled());
    click(w->cmdClearProd);
    QCOMPARE(textsOf(w), QStringList(12, QString()));
    QVERIFY(!w->cmdProdUpd->isEnabled());
    QCOMPARE(t.rows(), (QStringList{row(kAnn), row(kBob), row(kCid)}));
    t.expectBox(kNoBox);
}

// ---------------------------------------------------------------------------------------------
// The gates

void TestStaff::employeeAddedHere_passesTheGatesOfItsUsageCode()
{
    StaffFixture t;
    t.staffList();
    EmployeeWindow* w = t.open();
    fill(w, {"444", "Moe", "Dee", "clerk", "500", "1", "10", "4 New Rd", "555-0404", "Deepw", "ac"});
    click(w->cmdAddNewProd);
    t.expectBox(kNoBox);
    w->dbmExit->trigger();

    // The cash register and the products menu are stand-ins here: the gate's grant is what counts.
    for (const char* area : {"frmCashRegister", "updateProdutos"})
        t.windows.registerWindow(QString::fromLatin1(area), [area](app::Context& context) {
            auto window = std::make_unique<app::Window>(context, QString::fromLatin1(area));
            window->resize(200, 100);
            return window;
        });
    const std::pair<const char*, bool> gates[] = {{"frmPassCash", true}, {"frmPassUpd", true}, {"frmPassEmployee", false}};
    for (const auto& [name, passes] : gates) {
        t.windows.show(QStringLiteral("frmMain"));
        auto* gate = static_cast<access_control::PasswordGate*>(t.windows.show(QString::fromLatin1(name)));
        QVERIFY(QTest::qWaitForWindowActive(gate));
        QTest::keyClicks(gate->txtPass, QStringLiteral("DEEPW"));
        QTest::mouseClick(gate->cmdEnter, Qt::LeftButton);
        QCOMPARE(t.windows.isLoaded(QString::fromLatin1(name)), !passes);
        QCOMPARE(t.ui.boxes().size(), passes ? std::size_t(0) : std::size_t(1));
        QCOMPARE(t.shown(QStringLiteral("frmEmployees")), false);
        t.ui.clearBoxes();
        if (!passes)
            gate->close();
    }
}

QTEST_MAIN(TestStaff)
#include "test_staff.moc"
