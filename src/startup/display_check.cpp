#include "startup/display_check.h"

#include "app/context.h"
#include "platform/display_settings.h"
#include "platform/platform.h"
#include "ui/services.h"

#include <QString>

namespace startup {

bool CheckScreenResolution(app::Context& context)
{
    try {
        const QSize size = context.ui.screenSize();
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

            switch (display.apply(*mode, true)) {
            case 0:
                context.ui.message(QStringLiteral("The display settings change was successful. No need to restart."),
                    QStringLiteral("Settings has been changed"), ui::Icon::None, ui::Buttons::Ok);
                break;
            case 1:
                context.ui.message(QStringLiteral("The computer must be restarted in order for the graphics mode to work"),
                    QStringLiteral("Please restart your computer"), ui::Icon::None, ui::Buttons::Ok);
                break;
            case -1:
                context.ui.message(QStringLiteral("The display driver failed the specified graphics mode"),
                    QStringLiteral("Point of Sale"), ui::Icon::Critical, ui::Buttons::Ok);
                break;
            case -2:
                context.ui.message(QStringLiteral("The graphics mode is not supported"),
                    QStringLiteral("Point of Sale"), ui::Icon::Critical, ui::Buttons::Ok);
                break;
            case -3:
                context.ui.message(QStringLiteral("Unable to write settings to the registry"),
                    QStringLiteral("Point of Sale"), ui::Icon::Critical, ui::Buttons::Ok);
                break;
            case -4:
                context.ui.message(QStringLiteral("An invalid set of flags was passed in"),
                    QStringLiteral("Point of Sale"), ui::Icon::Critical, ui::Buttons::Ok);
                break;
            default:
                break;
            }
            return;
        }
    } catch (...) {
        // Any failure on the way ends the change silently.
    }
}

} // namespace startup
