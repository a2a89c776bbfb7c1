#include "startup/windows.h"

#include "app/window_manager.h"
#include "startup/main_window.h"
#include "startup/settings_window.h"
#include "startup/splash_window.h"

namespace startup {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<SplashWindow>(windows);
    app::registerWindowClass<MainWindow>(windows);
    app::registerWindowClass<SettingsWindow>(windows);
}

} // namespace startup
