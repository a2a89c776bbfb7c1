#include "review/windows.h"

#include "app/window_manager.h"
#include "review/chart_window.h"
#include "review/items_sold_window.h"
#include "review/sales_menu.h"

namespace review {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<ItemsSoldWindow>(windows);
    app::registerWindowClass<SalesMenuWindow>(windows);
    app::registerWindowClass<MonthSaleWindow>(windows);
    app::registerWindowClass<CategorySaleWindow>(windows);
    app::registerWindowClass<LastYearWindow>(windows);
}

} // namespace review
