#pragma once

#include "access/password_gate.h"

namespace app {
class WindowManager;
}

namespace access_control {

// frmPassCash: the cashier's password in front of the cash register. The name of the person let
// in is left for the cash register as a row of tblReceipt holding only Cashier.
class CashGate final : public PasswordGate {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmPassCash";
    // The cashier's name written when the master password was used.
    static constexpr QStringView kManager = u"the manager";

    explicit CashGate(app::Context& context);

    store::RecordSource* Receipt; // tblReceipt

protected:
    void admit(const Entrant& entrant) override;
};

// frmPassUpd: the password in front of product maintenance, the products menu.
class ProductsGate final : public PasswordGate {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmPassUpd";
    explicit ProductsGate(app::Context& context);
};

// frmPassEmployee: the password in front of the employee records.
class EmployeeGate final : public PasswordGate {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmPassEmployee";
    explicit EmployeeGate(app::Context& context);
};

// Tells the window manager how to make the three password gates.
void registerWindows(app::WindowManager& windows);

} // namespace access_control
