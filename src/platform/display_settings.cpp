#include "platform/display_settings.h"

#ifdef POS_HAVE_XRANDR
#include "platform/xrandr_display_settings.h"
#endif

namespace platform {
namespace {

std::unique_ptr<DisplaySettings> openDesktopSettings()
{
#ifdef POS_HAVE_XRANDR
    auto x = std::make_unique<XRandrDisplaySettings>();
    if (x->isAvailable())
        return x;
#endif
    return std::make_unique<UnsupportedDisplaySettings>();
}

// The desktop's settings, read when they are first asked for: on X11 that opens a connection of
// its own to the server and asks it for its sizes and depths, which only the display-mode change
// needs, never the start of the program.
class DesktopDisplaySettings final : public DisplaySettings {
public:
    std::optional<DisplayMode> mode(int index) const override { return settings().mode(index); }
    int apply(const DisplayMode& mode, bool makeDefault) override { return settings().apply(mode, makeDefault); }

private:
    DisplaySettings& settings() const
    {
        if (!m_settings)
            m_settings = openDesktopSettings();
        return *m_settings;
    }

    mutable std::unique_ptr<DisplaySettings> m_settings;
};

} // namespace

std::unique_ptr<DisplaySettings> makeDisplaySettings()
{
    return std::make_unique<DesktopDisplaySettings>();
}

} // namespace platform
