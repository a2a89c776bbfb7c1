#include "fakes.h"
#include "platform/display_settings.h"
#include "platform/platform.h"
#include "platform/shell.h"
#ifdef POS_HAVE_XRANDR
#include "platform/xrandr_display_settings.h"
#endif

#include <QDesktopServices>
#include <QGuiApplication>
#include <QFile>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

#ifdef POS_HAVE_XRANDR
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#endif

using platform::DisplayMode;
using platform::DisplaySettings;

namespace {

// Stands in for the desktop's browser and e-mail program.
class UrlReceiver : public QObject {
    Q_OBJECT
public:
    QList<QUrl> received;
public Q_SLOTS:
    void open(const QUrl& url) { received.append(url); }
};

std::vector<DisplayMode> allModes(const DisplaySettings& display)
{
    std::vector<DisplayMode> modes;
    for (int i = 0; const auto mode = display.mode(i); ++i)
        modes.push_back(*mode);
    return modes;
}

} // namespace

class TestPlatformServices : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void displayWithoutX11_hasNoModesAndRefusesEveryMode_data();
    void displayWithoutX11_hasNoModesAndRefusesEveryMode();
    void xrandr_listsModesAndSwitchesTheScreen();
    void desktopShell_opensThroughTheDesktopsHandlers_data();
    void desktopShell_opensThroughTheDesktopsHandlers();
    void platform_holdsInjectedServicesOrTheDefaults();
};

void TestPlatformServices::displayWithoutX11_hasNoModesAndRefusesEveryMode_data()
{
    using Make = std::function<std::unique_ptr<DisplaySettings>()>;
    QTest::addColumn<Make>("make");
    QTest::newRow("unsupported display") << Make([] { return std::make_unique<platform::UnsupportedDisplaySettings>(); });
    QTest::newRow("made for this desktop") << Make([] { return platform::makeDisplaySettings(); });
#ifdef POS_HAVE_XRANDR
    QTest::newRow("XRandR off X11") << Make([] { return std::make_unique<platform::XRandrDisplaySettings>(); });
#endif
}

void TestPlatformServices::displayWithoutX11_hasNoModesAndRefusesEveryMode()
{
    QFETCH(std::function<std::unique_ptr<DisplaySettings>()>, make);
    if (QGuiApplication::platformName() == u"xcb")
        QSKIP("runs on an X11 display");
    const std::unique_ptr<DisplaySettings> display = make();
    QVERIFY(!display->mode(0));
    QVERIFY(!display->mode(-1));
    QCOMPARE(display->apply({800, 600, 16}, false), DisplaySettings::kBadMode);
    QCOMPARE(display->apply({800, 600, 16}, true), DisplaySettings::kBadMode);
}

// Switches the X server's screen, so it runs only when asked to, on a throw-away server:
//   xvfb-run -a -s "-screen 0 1024x768x16" env QT_QPA_PLATFORM=xcb POS_DISPLAY_SWITCH_TEST=1 test_platform_services
// Xvfb offers only the size it was started at; the test offers 800 x 600 beside it.
void TestPlatformServices::xrandr_listsModesAndSwitchesTheScreen()
{
#ifndef POS_HAVE_XRANDR
    QSKIP("built without XRandR");
#else
    if (QGuiApplication::platformName() != u"xcb" || qEnvironmentVariable("POS_DISPLAY_SWITCH_TEST") != u"1")
        QSKIP("needs an X11 display it may switch (POS_DISPLAY_SWITCH_TEST=1)");

    // Our own connection: the mode it adds lasts as long as the connection.
    Display* x = XOpenDisplay(nullptr);
    QVERIFY(x);
    const auto closeX = qScopeGuard([x] { XCloseDisplay(x); });
    const Window root = XDefaultRootWindow(x);
    const auto screenSize = [&] {
        XRRScreenConfiguration* config = XRRGetScreenInfo(x, root);
        int count = 0;
        XRRScreenSize* sizes = XRRConfigSizes(config, &count);
        Rotation rotation = 0;
        const SizeID current = XRRConfigCurrentConfiguration(config, &rotation);
        const QSize size = current < count ? QSize(sizes[current].width, sizes[current].height) : QSize();
        XRRFreeScreenConfigInfo(config);
        return size;
    };
    const QSize started = screenSize();
    {
        XRRScreenResources* resources = XRRGetScreenResources(x, root);
        QVERIFY(resources && resources->noutput > 0);
        char name[] = "800x600";
        XRRModeInfo info{};
        info.width = 800;
        info.height = 600;
        info.dotClock = 40'000'000;
        info.hSyncStart = 840;
        info.hSyncEnd = 968;
        info.hTotal = 1056;
        info.vSyncStart = 601;
        info.vSyncEnd = 605;
        info.vTotal = 628;
        info.name = name;
        info.nameLength = 7;
        XRRAddOutputMode(x, resources->outputs[0], XRRCreateMode(x, root, &info));
        XRRFreeScreenResources(resources);
        XSync(x, False);
    }

    platform::XRandrDisplaySettings display;
    QVERIFY(display.isAvailable());
    const std::vector<DisplayMode> modes = allModes(display);
    QVERIFY(!modes.empty());
    const int depth = XDefaultDepth(x, XDefaultScreen(x));
    QCOMPARE(modes.front().bitsPerPixel, depth);
    QVERIFY(std::find(modes.begin(), modes.end(), DisplayMode{800, 600, 16}) != modes.end());
    QVERIFY(std::find(modes.begin(), modes.end(), DisplayMode{started.width(), started.height(), depth}) != modes.end());
    for (const DisplayMode& mode : modes)
        qInfo("mode %dx%d at %d bits", mode.width, mode.height, mode.bitsPerPixel);

    QCOMPARE(display.apply({800, 600, 16}, false), DisplaySettings::kChanged);
    QCOMPARE(screenSize(), QSize(800, 600));
    QTRY_COMPARE(QGuiApplication::primaryScreen()->size(), QSize(800, 600));

    QCOMPARE(display.apply({801, 600, 16}, false), DisplaySettings::kBadMode);
    QCOMPARE(display.apply({800, 600, 0}, false), DisplaySettings::kBadMode);

    // Another depth: the size switches now, the depth waits for the display to restart.
    const auto other = std::find_if(modes.begin(), modes.end(), [&](const DisplayMode& mode) {
        return mode.bitsPerPixel != depth && mode.width == started.width() && mode.height == started.height();
    });
    if (other != modes.end()) {
        QCOMPARE(display.apply(*other, false), DisplaySettings::kRestartNeeded);
        QCOMPARE(screenSize(), started);
    }

    // The default mode is kept in the user's settings; where they cannot be written it is not.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QCOMPARE(display.apply({800, 600, 16}, true), DisplaySettings::kChanged);
    {
        const QSettings saved(settingsDir.filePath(QStringLiteral("Point of Sale/Display.conf")), QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("width")).toInt(), 800);
        QCOMPARE(saved.value(QStringLiteral("height")).toInt(), 600);
        QCOMPARE(saved.value(QStringLiteral("bitsPerPixel")).toInt(), 16);
    }
    QFile blocker(settingsDir.filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocker.fileName());
    QCOMPARE(display.apply({800, 600, 16}, true), DisplaySettings::kNotUpdated);

    QCOMPARE(display.apply({started.width(), started.height(), depth}, false), DisplaySettings::kChanged);
    QCOMPARE(screenSize(), started);
#endif
}

void TestPlatformServices::desktopShell_opensThroughTheDesktopsHandlers_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::newRow("web page") << QUrl(QStringLiteral("http://www.example.com"));
    QTest::newRow("e-mail") << QUrl(QStringLiteral("mailto:someone@example.com"));
}

void TestPlatformServices::desktopShell_opensThroughTheDesktopsHandlers()
{
    QFETCH(QUrl, url);
    UrlReceiver receiver;
    QDesktopServices::setUrlHandler(url.scheme(), &receiver, "open");
    const auto unset = qScopeGuard([&] { QDesktopServices::unsetUrlHandler(url.scheme()); });

    platform::DesktopShell shell;
    QVERIFY(shell.open(url));
    QCOMPARE(receiver.received, QList<QUrl>{url});
}

void TestPlatformServices::platform_holdsInjectedServicesOrTheDefaults()
{
    {
        platform::Platform defaults(platform::Drives(QStringLiteral("/srv/pos")));
        QCOMPARE(defaults.drives().root(), QStringLiteral("/srv/pos"));
        QVERIFY(!defaults.displaySettings().mode(0));
        QCOMPARE(defaults.displaySettings().apply({800, 600, 16}, false), DisplaySettings::kBadMode);
        QVERIFY(dynamic_cast<platform::DesktopShell*>(&defaults.shell()));
    }

    auto display = std::make_unique<testing::FakeDisplaySettings>(std::vector<DisplayMode>{{800, 600, 16}},
                                                                  DisplaySettings::kRestartNeeded);
    auto shell = std::make_unique<testing::FakeShell>(false);
    testing::FakeDisplaySettings& fakeDisplay = *display;
    testing::FakeShell& fakeShell = *shell;
    platform::Platform injected(platform::Drives(QStringLiteral("/srv/pos")), std::move(display), std::move(shell));
    QCOMPARE(&injected.displaySettings(), &fakeDisplay);
    QCOMPARE(&injected.shell(), &fakeShell);
    QCOMPARE(injected.displaySettings().mode(0), std::optional(DisplayMode{800, 600, 16}));
    QVERIFY(!injected.displaySettings().mode(1));
    QCOMPARE(injected.displaySettings().apply({800, 600, 16}, true), DisplaySettings::kRestartNeeded);
    QCOMPARE(fakeDisplay.applied.size(), std::size_t(1));
    QVERIFY(fakeDisplay.applied.front().makeDefault);
    QVERIFY(!injected.shell().open(QUrl(QStringLiteral("mailto:someone@example.com"))));
    QCOMPARE(fakeShell.opened, QList<QUrl>{QUrl(QStringLiteral("mailto:someone@example.com"))});

    platform::Platform nulls(platform::Drives(QStringLiteral("/srv/pos")), nullptr, nullptr);
    QVERIFY(!nulls.displaySettings().mode(0));
    QVERIFY(dynamic_cast<platform::DesktopShell*>(&nulls.shell()));
}

QTEST_MAIN(TestPlatformServices)
#include "test_platform_services.moc"
