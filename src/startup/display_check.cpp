#include "startup/display_check.h"

#include "app/context.h"
#include "platform/display_settings.h"
#include "platform/platform.h"
#include "ui/services.h"

#include <QString>

namespace startup {
namespace {

// What the user is told of each result of applying a display mode; other results say nothing.
struct Outcome {
    int result;
    const char* text;
    const char* title;
    ui::Icon icon;
};

constexpr Outcome kOutcomes[] = {
    {0, "The display settings change was successful. No need to restart.", "Settings has been changed", ui::Icon::None},
    {1, "The computer must be restarted in order for the graphics mode to work", "Please restart your computer", ui::Icon::None},
    {-1, "The display driver failed the specified graphics mode", "Point of Sale", ui::Icon::Critical},
    {-2, "The graphics mode is not supported", "Point of Sale", ui::Icon::Critical},
    {-3, "Unable to write settings to the registry", "Point of Sale", ui::Icon::Critical},
    {-4, "An invalid set of flags was passed in", "Point of Sale", ui::Icon::Critical},
};

} // namespace

bool CheckScreenResolution(app::Context& context)
{
    try {
        // The display mode's size, in device pixels: a scaled desktop shows fewer logical units.
        const QSize size = context.ui.screenPixels();
        return QStringLiteral("%1x%2").arg(size.width()).arg(size.height()) == u"800x600";
    } catch (...) {
        return false;
    }
}

void ChangeDisplayMode(app::Context& context, std::int16_t width, std::int16_t height, std::int16_t bitsPerPixel)
{
    try {
        platform::DisplaySettings& display = context.platform.displaySettings();
        for (int number = 0;; ++number) {
            const std::optional<platform::DisplayMode> mode = display.mode(number);
            if (!mode) {
                context.ui.message(QStringLiteral("The display offers no %1 x %2 mode at %3 bits per pixel, so the settings "
                                                  "were not changed. Please change them through the desktop's display settings.")
                                       .arg(width).arg(height).arg(bitsPerPixel),
                    QString(), ui::Icon::Warning, ui::Buttons::Ok);
                return;
            }
            if (mode->width != width || mode->height != height || mode->bitsPerPixel != bitsPerPixel)
                continue;

            const int result = display.apply(*mode, true);
            for (const Outcome& outcome : kOutcomes) {
                if (outcome.result == result) {
                    context.ui.message(QString::fromUtf8(outcome.text), QString::fromUtf8(outcome.title), outcome.icon, ui::Buttons::Ok);
                    break;
                }
            }
            return;
        }
    } catch (...) {
        // Any failure on the way ends the change silently.
    }
}

} // namespace startup
