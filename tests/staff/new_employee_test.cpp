// NEW EMPLOYEE: its checks on a table with rows and on an empty one, and what it writes.
#include "staff_test.h"

using namespace stafftest;

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
