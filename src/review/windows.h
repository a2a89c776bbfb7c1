#pragma once

namespace app {
class WindowManager;
}

namespace review {

// Tells the window manager how to make daillySale, frmGraphsCall, frmMonthSale, frmSale and
// frmLastYear; the three chart windows are made by the chart module (chart_module.h).
void registerWindows(app::WindowManager& windows);

// Registers the chart windows from code linked into the program itself rather than from the
// module: for programs that link the chart library anyway, such as the tests.
void registerLinkedChartWindows(app::WindowManager& windows);

} // namespace review
