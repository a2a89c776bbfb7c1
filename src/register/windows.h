#pragma once

namespace app {
class WindowManager;
}

namespace cashregister {

// Tells the window manager how to make frmCashRegister.
void registerWindows(app::WindowManager& windows);

} // namespace cashregister
