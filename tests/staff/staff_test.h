// The staff area's tests: one fixture, one test class, its tests split by command as the
// window is.
#pragma once

#include "access/gates.h"
#include "access/password_gate.h"
#include "app/window_manager.h"
#include "staff/employee_window.h"
#include "staff/windows.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/record_source.h"
#include "platform/fakes.h"
#include "support/typing.h"
#include "support/test_context.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"
#include "ui/value_label.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
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

namespace stafftest {

inline const QString kEmployees = QStringLiteral("Employees");
inline const QString kNull = QStringLiteral("<null>");

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
inline const Person kAnn{"111", "Lee", "Ann", "clerk", "900", "3", "40", "1 Main St", "555-0101", "pw1", "A"};
inline const Person kBob{"222", "Ray", "Bob", "cashier", "800", "2", "30", "2 Side St", "555-0202", "pw2", "C"};
inline const Person kCid{"333", "Lee", "Cid", "stock", "700", "1", "20", "3 Far Rd", "555-0303", {}, {}};

inline const Box kSSTaken{"The Person with this SS# is already in the database, please check your information. You Cannot add Duplicate Data "
                   "into the Database",
    "Person Already in Database!"};
inline const Box kSameName{"A person with exactly the same name already exists in the database, please check your information",
    "Error in Trying to Update Database!"};
inline const Box kCashierNeedsAccess{"This person has to have a password and a software usage character.", "Please choose a password"};
inline const Box kPasswordTaken{"This password already belongs to somene else.  Please choose another one.", "Please choose another password"};
inline const Box kInvalidUsage{"You entered an invalid software software usage code.  Please select usage from the drop down menu",
    " Invalid software code"};
inline const Box kBothNeeded{"You must specify a password and a software code for this perosn.", " Must specify password"};
inline const Box kFirstCashier{"You need to specify a password and the part of the software this person can use. Please select usage from the "
                        "drop down menu.",
    "Please specify password and use"};
inline const Box kFirstBothNeeded{"You must specify a password and a software code for this person.", " Must specify password"};
inline const Box kUpdPerson{"You must specify a password and a software code for this person.", " Must specify passwprd"};
inline const Box kUpdPerosn{"You must specify a password and a software code for this perosn.", " Must specify passwprd"};
inline const Box kInUse{"You are trying to assign a password already in use.  Please try another one.", "Password already in use", ui::Icon::None};
inline const Box kUpdInvalid{"You entered an invalid software code.  Please slect the apropriate usage from the dropdown menu.",
    " Invalid software code"};
inline const Box kNotUpdated{"Error while trying to update this employee.  If the error continues go back to main and come back to try again.",
    " Error on trying to update"};
inline const Box kOneBox{"Please the SS# of the person to be shown.", "Please Select SS#"};
inline const Box kNoSS{"No Employee with this SS# found!", "No Employee Found!", ui::Icon::None};
inline const Box kNoName{"Employee was not found.", "Employee was not found", ui::Icon::Information};
inline const Box kDeleteMiss{"Not person was found with this SS# or last name.", "No Employee Found", ui::Icon::None};
inline const Box kNoBox{};
inline const Box kNotAdded{"The system cannot add this employee to the database.  Please make sure that all the field are filled.  If you are "
                    "trying to update this person, please press the update button.  Make sure that the information does not belong to "
                    "someone else ",
    "Error in Trying to Add Employee", ui::Icon::None};

inline QString orNull(const QString& text)
{
    return text.isNull() ? kNull : text;
}

// An Employees row as the table holds it, fields joined by "|".
inline QString row(const Person& p, const QString& password, const QString& usage)
{
    return QStringList{p.ss, p.lastName, p.firstName, p.title, p.salary, p.years, p.hours, p.address, p.phone, password, usage}.join(u'|');
}

inline QString row(const Person& p)
{
    return row(p, orNull(p.password), orNull(p.usage));
}

using testing::type;

inline QString textOf(QWidget* box)
{
    if (auto* list = qobject_cast<QComboBox*>(box))
        return list->currentText();
    if (auto* lines = qobject_cast<QPlainTextEdit*>(box))
        return lines->toPlainText();
    if (auto* label = qobject_cast<QLabel*>(box))
        return label->text();
    return qobject_cast<QLineEdit*>(box)->text();
}

inline void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// The twelve boxes the commands empty, in the order of Person, then the name label.
inline QList<QWidget*> boxesOf(EmployeeWindow* w)
{
    return {w->dbcboProdCode, w->dbcboProdName, w->txtProdPrice, w->txtCategory, w->txtQtyBought, w->Tempo, w->totHoras, w->txtSupAddr,
        w->txtSupPhone, w->passeword, w->txtuso, w->lblNome};
}

inline QStringList textsOf(EmployeeWindow* w)
{
    QStringList texts;
    for (QWidget* box : boxesOf(w))
        texts << textOf(box);
    return texts;
}

inline void fill(EmployeeWindow* w, const Person& p)
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

inline void showBySS(EmployeeWindow* w, const QString& ss)
{
    type(w->dbcboProdCode, ss);
    type(w->dbcboProdName, QString());
    click(w->cmdShowProd);
}

inline QStringList listOf(QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// True when the control, or the edit field of a list box, has the keyboard focus.
inline bool focused(QWidget* control)
{
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == control || focus->parentWidget() == control);
}

} // namespace stafftest

Q_DECLARE_METATYPE(stafftest::Person)
Q_DECLARE_METATYPE(stafftest::Box)

class TestStaff : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void window_controls();
    void window_digitsOnlyBoxes_data();
    void window_digitsOnlyBoxes();
    void window_backToMain_data();
    void window_backToMain();
    void window_help_data();
    void window_help();

    void newEmployee_data();
    void newEmployee();
    void newEmployee_listsOfferTheNewEmployeeAndUpdateKeepsItsState();

    void showEmployee_data();
    void showEmployee();
    void showEmployee_nullPhone_stopsWithoutAWord();
    void showEmployee_lastNameNotFound_showsNobody();

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

