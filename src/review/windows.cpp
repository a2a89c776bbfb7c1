#include "review/windows.h"

#include "app/window.h"
#include "app/window_manager.h"
#include "review/chart_module.h"
#include "review/items_sold_window.h"
#include "review/sales_menu.h"

namespace review {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<ItemsSoldWindow>(windows);
    app::registerWindowClass<SalesMenuWindow>(windows);
    for (const char* chart : {"frmMonthSale", "frmSale", "frmLastYear"}) {
        const QString name = QString::fromLatin1(chart);
        windows.registerWindow(name, [name](app::Context& context) { return makeChartWindow(name, context); });
    }
}

} // namespace review
