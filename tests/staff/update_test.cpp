// UPDATE EMPLOYEE: its checks, the employee it changes, and the store refusing writes.
#include "staff_test.h"

using namespace stafftest;

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
