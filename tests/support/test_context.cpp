#include "support/test_context.h"

#include "platform/fakes.h"
#include "ui/artwork.h"

namespace testing {
namespace {

app::AppInfo testAppInfo()
{
    app::AppInfo info;
    // The build's program folder, where the files that ship with the program are.
    info.path = QStringLiteral(POS_PROGRAM_DIR);
    info.exeName = QStringLiteral("point-of-sale");
    return info;
}

std::unique_ptr<store::Store> freshStore(const platform::Platform& platform, QDate today)
{
    return store::Store::open(platform.drives().hostPath(TestContext::kStorePath), today);
}

} // namespace

TestContext::TestContext(QDate today, QTime now)
    : platform(platform::Drives(root.path()), std::make_unique<platform::UnsupportedDisplaySettings>(),
          std::make_unique<FakeShell>()),
      store(freshStore(platform, today)),
      clock(today, now),
      app(testAppInfo()),
      context{*store, ui, platform, windows, clock, app, QLocale(QLocale::English, QLocale::UnitedStates)}
{
    windows.setContext(context);
    platform.setRegistry(std::make_unique<FakeRegistry>());
    platform.setHelpViewer(std::make_unique<FakeHelpViewer>());
    platform.setPrinter(std::make_unique<FakePrinter>());
    ui::loadArtwork();
}

FakeHelpViewer& TestContext::helpViewer()
{
    return static_cast<FakeHelpViewer&>(platform.helpViewer());
}

FakePrinter& TestContext::printer()
{
    return static_cast<FakePrinter&>(platform.printer());
}

FakeRegistry& TestContext::registry()
{
    return static_cast<FakeRegistry&>(platform.registry());
}

TestContext::~TestContext() = default;

} // namespace testing
