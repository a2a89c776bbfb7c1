#include "help/windows.h"

#include "app/window_manager.h"
#include "help/tip_window.h"

namespace help {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<TipWindow>(windows);
}

} // namespace help
