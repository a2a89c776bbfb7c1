#include "app/window_manager.h"
#include "review/chart_window.h"
#include "review/windows.h"

namespace review {

void registerLinkedChartWindows(app::WindowManager& windows)
{
    app::registerWindowClass<MonthSaleWindow>(windows);
    app::registerWindowClass<CategorySaleWindow>(windows);
    app::registerWindowClass<LastYearWindow>(windows);
}

} // namespace review
