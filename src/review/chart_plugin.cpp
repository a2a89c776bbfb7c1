// The chart module's entry point: the program loads the module and asks it for a chart window
// by name when a chart is first opened.
#include "review/chart_module.h"
#include "review/chart_window.h"

#include <cstring>

extern "C" __attribute__((visibility("default"))) app::Window* pos_make_chart_window(const char* name, app::Context* context)
{
    using namespace review;
    if (std::strcmp(name, MonthSaleWindow::kName) == 0)
        return new MonthSaleWindow(*context);
    if (std::strcmp(name, CategorySaleWindow::kName) == 0)
        return new CategorySaleWindow(*context);
    if (std::strcmp(name, LastYearWindow::kName) == 0)
        return new LastYearWindow(*context);
    return nullptr;
}
