#pragma once

namespace app {
class WindowManager;
}

namespace review {

// Tells the window manager how to make daillySale, frmGraphsCall, frmMonthSale, frmSale and
// frmLastYear.
void registerWindows(app::WindowManager& windows);

} // namespace review
