#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "platform/platform.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/store.h"
#include "ui/qt_services.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(ui::kApplicationTitle.toString());

    ui::QtServices services;
    platform::Platform platform(platform::Drives(platform::Drives::defaultRoot()));
    app::SystemClock clock;
    app::AppInfo info = app::AppInfo::ofRunningProgram();

    const QString storePath = platform.drives().hostPath(u"C:\\Program Files\\Point of Sale\\Grocery.mdb");
    std::unique_ptr<store::Store> store;
    try {
        store = store::Store::open(storePath, clock.today());
    } catch (const store::Error& error) {
        services.message(error.message(), info.title, ui::Icon::Critical, ui::Buttons::Ok);
        return 1;
    }

    app::WindowManager windows;
    app::Context context{*store, services, platform, windows, clock, info, store::convert::staffLocale()};
    windows.setContext(context);

    // start-up windows are registered here

    return 0;
}
