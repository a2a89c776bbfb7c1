#include "register/windows.h"

#include "app/window_manager.h"
#include "register/cash_register_window.h"
#include "register/todays_receipts_window.h"

namespace cashregister {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<CashRegisterWindow>(windows);
    app::registerWindowClass<TodaysReceiptsWindow>(windows);
}

} // namespace cashregister
