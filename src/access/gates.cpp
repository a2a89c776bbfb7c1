#include "access/gates.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "store/record_source.h"

namespace access_control {
namespace {

constexpr QStringView kCashCodes[] = {u"C", u"AC", u"EC", u"ACE"};
// The products and the employee records together are also accepted written "EA".
constexpr QStringView kProductsCodes[] = {u"A", u"AC", u"AE", u"ACE", u"EA"};
constexpr QStringView kEmployeeCodes[] = {u"E", u"EC", u"AE", u"ACE", u"EA"};

constexpr GateDef kCash{
    CashGate::kName,
    u"Cash Register",
    u"Please Enter Your Password:",
    u"frmCashRegister",
    kCashCodes,
    u"                  PERMISSION DENIED!!    ",
    u" You have no persmission to use this part of the software.  Check your spelling or check with the manager!",
};

constexpr GateDef kProducts{
    ProductsGate::kName,
    u"Products",
    u"Please Enter Your Password:",
    u"updateProdutos",
    kProductsCodes,
    u"       PERMISSION DENIED!!    ",
    u" You have no persmission to use this part of the software.  Please check your spelling or contact your manager!",
};

constexpr GateDef kEmployees{
    EmployeeGate::kName,
    u"Employee List",
    u"Please Enter Your Password: ",
    u"frmEmployees",
    kEmployeeCodes,
    u"                PERMISSION DENIED!!    ",
    u" You have no persmission to use this part of the software.  Check your spelling or check with your manager!",
};

} // namespace

CashGate::CashGate(app::Context& context) : PasswordGate(context, kCash)
{
    Receipt = new store::RecordSource(context.store, QStringLiteral("Receipt"), QStringLiteral("tblReceipt"), this);
}

void CashGate::admit(const Entrant& entrant)
{
    // The cash register picks the name up from this row, and removes the row, when it starts.
    Receipt->addNew();
    Receipt->setField(u"Cashier", entrant.master ? store::Value(kManager.toString()) : entrant.firstName);
    Receipt->update();
}

ProductsGate::ProductsGate(app::Context& context) : PasswordGate(context, kProducts) {}

EmployeeGate::EmployeeGate(app::Context& context) : PasswordGate(context, kEmployees) {}

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<CashGate>(windows);
    app::registerWindowClass<ProductsGate>(windows);
    app::registerWindowClass<EmployeeGate>(windows);
}

} // namespace access_control
