#include "catalogue/windows.h"

#include "app/window_manager.h"
#include "catalogue/product_supplier_window.h"
#include "catalogue/product_update_window.h"
#include "catalogue/products_menu.h"

namespace catalogue {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<ProductsMenuWindow>(windows);
    app::registerWindowClass<ProductSupplierWindow>(windows);
    app::registerWindowClass<ProductUpdateWindow>(windows);
}

} // namespace catalogue
