#pragma once

#include <QString>

#include <memory>

namespace app {
struct Context;
class Window;
} // namespace app

namespace review {

// The chart windows live in a module of their own, with the chart library they draw with, so that
// the program loads neither until a chart is first opened: the till starts without them.
//
// The module's one entry point, looked up by this name: given a chart window's name and the
// context, it makes that window, or returns null for a name it does not know.
inline constexpr const char* kChartModuleEntry = "pos_make_chart_window";
using ChartModuleEntry = app::Window* (*)(const char* name, app::Context* context);

// The module's file name, without the platform's suffix.
inline constexpr const char* kChartModuleName = "point-of-sale-charts";

// Makes the chart window of that name from the module, loading the module first when this is the
// first chart. The module is looked for beside the executable, then in the program's folder of
// libraries. Throws std::runtime_error saying why when the module cannot be loaded or does not
// make the window.
std::unique_ptr<app::Window> makeChartWindow(const QString& name, app::Context& context);

} // namespace review
