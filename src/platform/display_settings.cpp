#include "platform/display_settings.h"

#ifdef POS_HAVE_XRANDR
#include "platform/xrandr_display_settings.h"
#endif

namespace platform {

std::unique_ptr<DisplaySettings> makeDisplaySettings()
{
#ifdef POS_HAVE_XRANDR
    auto x = std::make_unique<XRandrDisplaySettings>();
    if (x->isAvailable())
        return x;
#endif
    return std::make_unique<UnsupportedDisplaySettings>();
}

} // namespace platform
