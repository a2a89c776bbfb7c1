#pragma once

namespace app {
class WindowManager;
}

namespace staff {

// Tells the window manager how to make frmEmployees.
void registerWindows(app::WindowManager& windows);

} // namespace staff
