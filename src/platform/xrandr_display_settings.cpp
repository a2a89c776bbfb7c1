#include "platform/xrandr_display_settings.h"

#include <QGuiApplication>
#include <QSettings>

#include <algorithm>
#include <utility>

// Xlib defines macros (None, Status, Bool, ...) that clash with Qt's names: it comes last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace platform {

struct XRandrDisplaySettings::Connection {
    explicit Connection(::Display* x) : display(x) {}
    ~Connection() { XCloseDisplay(display); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    ::Display* display;
    int screen = 0;
    ::Window root = 0;
};

namespace {

struct FreeScreenConfig {
    void operator()(XRRScreenConfiguration* config) const { XRRFreeScreenConfigInfo(config); }
};
using ScreenConfig = std::unique_ptr<XRRScreenConfiguration, FreeScreenConfig>;

// Xlib's own error handler ends the program. While the screen is switched, X errors are
// ignored instead; whether the switch worked is read back from the server.
class IgnoreXErrors {
public:
    explicit IgnoreXErrors(::Display* display) : m_display(display), m_previous(XSetErrorHandler(&ignore)) {}
    ~IgnoreXErrors()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    IgnoreXErrors(const IgnoreXErrors&) = delete;
    IgnoreXErrors& operator=(const IgnoreXErrors&) = delete;

private:
    static int ignore(::Display*, XErrorEvent*) { return 0; }

    ::Display* m_display;
    XErrorHandler m_previous;
};

// The size the screen runs at now, or {0, 0} when the server does not say.
std::pair<int, int> currentSize(XRRScreenConfiguration* config)
{
    int count = 0;
    const XRRScreenSize* sizes = XRRConfigSizes(config, &count);
    Rotation rotation = 0;
    const SizeID current = XRRConfigCurrentConfiguration(config, &rotation);
    if (current >= count)
        return {0, 0};
    return {sizes[current].width, sizes[current].height};
}

bool saveDefault(const DisplayMode& mode)
{
    QSettings settings(QStringLiteral("Point of Sale"), QStringLiteral("Display"));
    settings.setValue(QStringLiteral("width"), mode.width);
    settings.setValue(QStringLiteral("height"), mode.height);
    settings.setValue(QStringLiteral("bitsPerPixel"), mode.bitsPerPixel);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

XRandrDisplaySettings::XRandrDisplaySettings()
{
    // Our own connection, to the display Qt shows the program on.
    if (QGuiApplication::platformName() != u"xcb")
        return;
    ::Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    auto x = std::make_unique<Connection>(display);
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase))
        return;
    x->screen = XDefaultScreen(display);
    x->root = XRootWindow(display, x->screen);
    m_runningDepth = XDefaultDepth(display, x->screen);
    m_x = std::move(x);
    readModes();
}

XRandrDisplaySettings::~XRandrDisplaySettings() = default;

void XRandrDisplaySettings::readModes()
{
    std::vector<std::pair<int, int>> sizes;
    if (const ScreenConfig config{XRRGetScreenInfo(m_x->display, m_x->root)}) {
        int count = 0;
        const XRRScreenSize* offered = XRRConfigSizes(config.get(), &count);
        for (int i = 0; i < count; ++i) {
            const std::pair<int, int> size{offered[i].width, offered[i].height};
            if (std::find(sizes.begin(), sizes.end(), size) == sizes.end())
                sizes.push_back(size);
        }
    }

    std::vector<int> depths{m_runningDepth};
    int count = 0;
    if (int* offered = XListDepths(m_x->display, m_x->screen, &count)) {
        // Depth 1 is the server's bitmaps, not a depth a display runs at.
        for (int i = 0; i < count; ++i) {
            if (offered[i] != m_runningDepth && offered[i] > 1)
                depths.push_back(offered[i]);
        }
        XFree(offered);
    }

    for (const int depth : depths) {
        for (const auto& [width, height] : sizes)
            m_modes.push_back({width, height, depth});
    }
}

std::optional<DisplayMode> XRandrDisplaySettings::mode(int index) const
{
    if (index < 0 || std::size_t(index) >= m_modes.size())
        return std::nullopt;
    return m_modes[std::size_t(index)];
}

int XRandrDisplaySettings::apply(const DisplayMode& wanted, bool makeDefault)
{
    if (!m_x || std::find(m_modes.begin(), m_modes.end(), wanted) == m_modes.end())
        return kBadMode;
    if (!switchSize(wanted.width, wanted.height))
        return kFailed;
    if (makeDefault && !saveDefault(wanted))
        return kNotUpdated;
    return wanted.bitsPerPixel == m_runningDepth ? kChanged : kRestartNeeded;
}

bool XRandrDisplaySettings::switchSize(int width, int height)
{
    const IgnoreXErrors guard(m_x->display);
    const ScreenConfig config{XRRGetScreenInfo(m_x->display, m_x->root)};
    if (!config)
        return false;
    if (currentSize(config.get()) == std::pair{width, height})
        return true;

    int count = 0;
    const XRRScreenSize* sizes = XRRConfigSizes(config.get(), &count);
    const XRRScreenSize* end = sizes + count;
    const XRRScreenSize* size = std::find_if(sizes, end, [&](const XRRScreenSize& s) {
        return s.width == width && s.height == height;
    });
    if (size == end)
        return false;
    Rotation rotation = 0;
    XRRConfigCurrentConfiguration(config.get(), &rotation);
    const int status = XRRSetScreenConfig(m_x->display, config.get(), m_x->root, SizeID(size - sizes), rotation,
                                          CurrentTime);
    if (status != RRSetConfigSuccess)
        return false;

    const ScreenConfig after{XRRGetScreenInfo(m_x->display, m_x->root)};
    return after && currentSize(after.get()) == std::pair{width, height};
}

} // namespace platform
