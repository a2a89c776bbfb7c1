#pragma once

#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "platform/platform.h"
#include "store/store.h"
#include "support/scripted_services.h"

#include <QTemporaryDir>

#include <memory>

namespace testing {

class FakeHelpViewer;
class FakePrinter;
class FakeRegistry;

// A complete application context over a fresh store in a temporary drive root, with the dialog
// double, a clock standing still (10 Dec 2026, 14:05:09 unless told) and United States English.
struct TestContext {
    // The store file's drive path.
    static constexpr QStringView kStorePath = u"C:\\Program Files\\Point of Sale\\Grocery.mdb";

    explicit TestContext(QDate today = QDate(2026, 12, 10), QTime now = QTime(14, 5, 9));
    ~TestContext();
    TestContext(const TestContext&) = delete;
    TestContext& operator=(const TestContext&) = delete;

    QTemporaryDir root;
    // Drives under the temporary root, a display that cannot be switched, a shell, a registry, a
    // help viewer and a printer that only remember what they were asked (fakes.h). Tests may put
    // another Platform here.
    platform::Platform platform;
    std::unique_ptr<store::Store> store;
    ScriptedServices ui;
    app::FixedClock clock;
    app::AppInfo app;
    app::WindowManager windows;
    app::Context context;

    // The fakes the platform starts with.
    FakeHelpViewer& helpViewer();
    FakeRegistry& registry();
    FakePrinter& printer();
};

} // namespace testing
