#pragma once

#include "platform/display_settings.h"

#include <QString>

#include <memory>
#include <vector>

namespace platform {

// The display settings of an X11 display, through the XRandR extension.
//
// The modes are the screen sizes XRandR offers, at every colour depth the X server offers for
// the screen (XListDepths, without the 1-bit depth of bitmaps): first at the running display's
// depth, then at the others in the server's order.
// They are read once, when the object is made.
//
// An X server cannot change its colour depth while it runs. Applying a mode at the running
// depth switches the screen's size at once; a mode at another depth switches the size now and
// answers kRestartNeeded, since its depth needs the display to restart. The user's default mode
// is kept in the settings of organisation "Point of Sale", program "Display" (keys width,
// height, bitsPerPixel).
//
// Without an X11 display (the program runs on another Qt platform than xcb, the display cannot
// be opened, or it lacks XRandR) there are no modes and every mode is refused with kBadMode.
class XRandrDisplaySettings final : public DisplaySettings {
public:
    // Opens its own connection to the display named by DISPLAY.
    XRandrDisplaySettings();
    ~XRandrDisplaySettings() override;
    XRandrDisplaySettings(const XRandrDisplaySettings&) = delete;
    XRandrDisplaySettings& operator=(const XRandrDisplaySettings&) = delete;

    // True when connected to an X11 display with XRandR.
    bool isAvailable() const { return m_x != nullptr; }

    std::optional<DisplayMode> mode(int index) const override;
    int apply(const DisplayMode& mode, bool makeDefault) override;

private:
    struct Connection;

    void readModes();
    // Switches the screen to the size; false when the server refused it.
    bool switchSize(int width, int height);

    std::unique_ptr<Connection> m_x;
    int m_runningDepth = 0;
    std::vector<DisplayMode> m_modes;
};

} // namespace platform
