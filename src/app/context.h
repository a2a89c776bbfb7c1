#pragma once

#include <QLocale>

namespace store {
class Store;
}
namespace ui {
class Services;
}
namespace platform {
class Platform;
}

namespace app {

class WindowManager;
class Clock;
struct AppInfo;

// Everything a window works with, handed to every window when it is made. main() builds one;
// tests build one from test doubles.
struct Context {
    store::Store& store;
    ui::Services& ui;
    platform::Platform& platform;
    WindowManager& windows;
    Clock& clock;
    AppInfo& app;
    QLocale locale;
};

} // namespace app
