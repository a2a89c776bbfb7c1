// SHOW EMPLOYEE, DELETE EMPLOYEE and CLEAR SCREEN.
#include "staff_test.h"

using namespace stafftest;

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

// A miss leaves the record source on the last row; an employee there without an SS# is not
// taken for the one asked for.
void TestStaff::showEmployee_lastNameNotFound_showsNobody()
{
    StaffFixture t;
    t.staffList();
    t.add({"", "Nob", "Nul", "clerk", "1", "1", "1", "x", "y", {}, {}});
    EmployeeWindow* w = t.open();
    type(w->dbcboProdName, "Zed");
    const QStringList before = textsOf(w);
    click(w->cmdShowProd);
    t.expectBox(kNoName);
    QCOMPARE(textsOf(w), before);
    QVERIFY(!w->cmdProdUpd->isEnabled());
}

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
