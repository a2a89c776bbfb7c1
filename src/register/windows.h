#pragma once

namespace app {
class WindowManager;
}

namespace cashregister {

// Tells the window manager how to make frmCashRegister and frmTodaysReceipts.
void registerWindows(app::WindowManager& windows);

} // namespace cashregister
