// NEW EMPLOYEE and UPDATE EMPLOYEE: the checks that guard what the password gates depend on (a
// unique SS#, a password nobody else holds, a usage code from the list, a password and usage
// code for every cashier), then the write.
//
// Each command runs its checks in order; the first that fails says why and ends the command with
// nothing written and every box as it was. A write is one unit of work: it is stored whole or not
// at all.
#include "staff/employee_window.h"

#include "app/context.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/unit_of_work.h"
#include "store/value.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"
#include "ui/services.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace staff {
namespace {

struct Box {
    QStringView text;
    QStringView title;
    ui::Icon icon = ui::Icon::Warning;
};

constexpr Box kSSTaken{u"The Person with this SS# is already in the database, please check your information. You Cannot add Duplicate "
                       u"Data into the Database",
    u"Person Already in Database!"};
constexpr Box kSameName{u"A person with exactly the same name already exists in the database, please check your information",
    u"Error in Trying to Update Database!"};
constexpr Box kCashierNeedsAccess{u"This person has to have a password and a software usage character.", u"Please choose a password"};
constexpr Box kPasswordTaken{u"This password already belongs to somene else.  Please choose another one.",
    u"Please choose another password"};
constexpr Box kInvalidUsage{u"You entered an invalid software software usage code.  Please select usage from the drop down menu",
    u" Invalid software code"};
constexpr Box kBothNeeded{u"You must specify a password and a software code for this perosn.", u" Must specify password"};
constexpr Box kFirstCashierNeedsAccess{u"You need to specify a password and the part of the software this person can use. Please select "
                                       u"usage from the drop down menu.",
    u"Please specify password and use"};
constexpr Box kFirstBothNeeded{u"You must specify a password and a software code for this person.", u" Must specify password"};
constexpr Box kNotAdded{u"The system cannot add this employee to the database.  Please make sure that all the field are filled.  If you "
                        u"are trying to update this person, please press the update button.  Make sure that the information does not "
                        u"belong to someone else ",
    u"Error in Trying to Add Employee", ui::Icon::None};

constexpr Box kCashierUpdate{u"You must specify a password and a software code for this person.", u" Must specify passwprd"};
constexpr Box kBothNeededUpdate{u"You must specify a password and a software code for this perosn.", u" Must specify passwprd"};
constexpr Box kPasswordInUse{u"You are trying to assign a password already in use.  Please try another one.", u"Password already in use",
    ui::Icon::None};
constexpr Box kInvalidUsageUpdate{u"You entered an invalid software code.  Please slect the apropriate usage from the dropdown menu.",
    u" Invalid software code"};
constexpr Box kNotUpdated{u"Error while trying to update this employee.  If the error continues go back to main and come back to try again.",
    u" Error on trying to update"};

void tell(ui::Services& boxes, const Box& box)
{
    boxes.message(box.text.toString(), box.title.toString(), box.icon, ui::Buttons::Ok);
}

bool sameIgnoringCase(const QString& a, const QString& b)
{
    return a.toUpper() == b.toUpper();
}

// A usage code from the list, in any letter case.
bool validUsage(const QString& usage)
{
    return std::any_of(std::begin(EmployeeWindow::kUsageCodes), std::end(EmployeeWindow::kUsageCodes),
        [&](QStringView code) { return usage.toUpper() == code; });
}

} // namespace

bool EmployeeWindow::passwordTaken(store::RecordSource& source, const QString& password)
{
    for (source.moveFirst(); !source.atEnd(); source.moveNext()) {
        const store::Value stored = source.field(u"passe");
        if (!stored.isNull() && sameIgnoringCase(stored.toText(), password))
            return true;
    }
    return false;
}

void EmployeeWindow::cmdAddNewProd_Click()
{
    ui::Services& boxes = context().ui;
    try {
        if (datProdPrice->recordCount() >= 1) {
            if (!checkNewOnRows())
                return;
        } else if (!checkFirstEmployee()) {
            return;
        }
    } catch (const std::exception&) {
        tell(boxes, kNotAdded);
        return;
    }
    clearEntries();
}

// NEW EMPLOYEE on a table that has employees. True when the employee was added.
bool EmployeeWindow::checkNewOnRows()
{
    ui::Services& boxes = context().ui;
    const QString ss = dbcboProdCode->text();
    if (search([&] { return holds(datProdPrice->field(u"SS#"), ss); })) {
        tell(boxes, kSSTaken);
        return false;
    }
    const QString lastName = dbcboProdName->text();
    const QString firstName = txtProdPrice->text();
    if (search([&] { return holds(datProdPrice->field(u"Sobrenome"), lastName) && holds(datProdPrice->field(u"Nome"), firstName); })) {
        tell(boxes, kSameName);
        return false;
    }
    const QString password = passeword->text();
    const QString usage = txtuso->currentText();
    if (sameIgnoringCase(txtCategory->text(), QStringLiteral("cashier")) && (password.isEmpty() || usage.isEmpty())) {
        tell(boxes, kCashierNeedsAccess);
        return false;
    }
    if (!password.isEmpty() && !usage.isEmpty()) {
        if (passwordTaken(*datProdPrice, password)) {
            tell(boxes, kPasswordTaken);
            return false;
        }
        if (!validUsage(usage) && usage != kUsagePrompt) {
            tell(boxes, kInvalidUsage);
            return false;
        }
        addEmployee(true);
        return true;
    }
    if ((password.isEmpty() && usage.isEmpty()) || (password.isEmpty() && usage == kUsagePrompt)) {
        addEmployee(false);
        return true;
    }
    tell(boxes, kBothNeeded);
    return false;
}

// NEW EMPLOYEE on an empty table. True when the employee was added.
bool EmployeeWindow::checkFirstEmployee()
{
    ui::Services& boxes = context().ui;
    const QString password = passeword->text();
    const QString usage = txtuso->currentText();
    if (sameIgnoringCase(txtCategory->text(), QStringLiteral("caixa")) && (password.isEmpty() || usage.isEmpty())) {
        tell(boxes, kFirstCashierNeedsAccess);
        return false;
    }
    if (!validUsage(usage) && usage != kUsagePrompt && !usage.isEmpty()) {
        tell(boxes, kInvalidUsage);
        return false;
    }
    if (usage.isEmpty() && !password.isEmpty()) {
        tell(boxes, kFirstBothNeeded);
        return false;
    }
    addEmployee(true);
    return true;
}

void EmployeeWindow::addEmployee(bool withAccess)
{
    try {
        store::UnitOfWork employee(context().store);
        datProdPrice->addNew();
        writePersonalFields();
        writeAccessFields(withAccess);
        datProdPrice->update();
        employee.commit();
    } catch (...) {
        datProdPrice->cancelUpdate();
        throw;
    }
    try {
        datProdPrice->refresh();
    } catch (const std::exception&) {
        // The employee is stored; the list boxes keep what they offered.
    }
    dbcboProdCode->setFocus();
}

void EmployeeWindow::writePersonalFields()
{
    datProdPrice->setField(u"SS#", dbcboProdCode->text());
    datProdPrice->setField(u"Sobrenome", dbcboProdName->text());
    datProdPrice->setField(u"Nome", txtProdPrice->text());
    datProdPrice->setField(u"Cargo", txtCategory->text());
    datProdPrice->setField(u"Salario", txtQtyBought->text());
    datProdPrice->setField(u"Tempo", Tempo->text());
    datProdPrice->setField(u"TotalHoras", totHoras->text());
    datProdPrice->setField(u"Endereco", txtSupAddr->toPlainText());
    datProdPrice->setField(u"Telefone", txtSupPhone->text());
}

void EmployeeWindow::writeAccessFields(bool withAccess)
{
    if (withAccess) {
        datProdPrice->setField(u"passe", passeword->text());
        datProdPrice->setField(u"uso", txtuso->currentText());
    } else {
        datProdPrice->setField(u"passe", store::Value());
        datProdPrice->setField(u"uso", store::Value());
    }
}

void EmployeeWindow::moveToShown()
{
    if (m_shownRow)
        datProdPrice->moveTo(*m_shownRow);
    // The row must still be the employee shown: the position came from the last SHOW, and only
    // a row holding the SS# it showed is that employee.
    if (!m_shownRow || !datProdPrice->hasCurrentRow() || !holds(datProdPrice->field(u"SS#"), m_shownSS))
        throw store::Error(store::ErrorKind::NoCurrentRow, QStringLiteral("the employee shown is no longer there"));
}

void EmployeeWindow::cmdProdUpd_Click()
{
    ui::Services& boxes = context().ui;
    try {
        moveToShown();
        const store::Value storedTitle = datProdPrice->field(u"Cargo");
        const QString title = txtCategory->text();
        const bool titleChanged = !storedTitle.isNull() && storedTitle.toText() != title;
        const QString password = passeword->text();
        const QString usage = txtuso->currentText();
        bool withAccess = false;
        if (titleChanged && (password.isEmpty() || usage.isEmpty())) {
            if (sameIgnoringCase(title, QStringLiteral("cashier"))) {
                tell(boxes, kCashierUpdate);
                return;
            }
            if (usage.isEmpty() && !password.isEmpty()) {
                tell(boxes, kCashierUpdate);
                return;
            }
            if (!usage.isEmpty() && password.isEmpty()) {
                tell(boxes, kBothNeededUpdate);
                return;
            }
        } else if (!password.isEmpty() && !usage.isEmpty()) {
            // Every employee's password as stored now, the shown employee's own among them.
            datPass->refresh();
            if (passwordTaken(*datPass, password)) {
                tell(boxes, kPasswordInUse);
                return;
            }
            if (!validUsage(usage)) {
                tell(boxes, kInvalidUsageUpdate);
                return;
            }
            withAccess = true;
        } else if (password.isEmpty() != usage.isEmpty()) {
            tell(boxes, kBothNeededUpdate);
            return;
        }

        try {
            store::UnitOfWork change(context().store);
            moveToShown();
            datProdPrice->edit();
            writePersonalFields();
            if (withAccess)
                writeAccessFields(true);
            datProdPrice->update();
            change.commit();
        } catch (...) {
            datProdPrice->cancelUpdate();
            throw;
        }
    } catch (const std::exception&) {
        tell(boxes, kNotUpdated);
        try {
            datProdPrice->refresh();
        } catch (const std::exception&) {
            // The list boxes keep what they offered.
        }
        return;
    }
    cmdProdUpd->setEnabled(false);
    m_shownRow.reset();
    try {
        datProdPrice->refresh();
    } catch (const std::exception&) {
        // The change is stored; the list boxes keep what they offered.
    }
    dbcboProdCode->setFocus();
    clearEntries();
}

} // namespace staff
