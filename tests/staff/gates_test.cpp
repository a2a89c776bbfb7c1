// An employee added here, at the password gates.
#include "staff_test.h"

using namespace stafftest;

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
