#pragma once

#include <memory>
#include <optional>

namespace platform {

// One way the screen can be set: its size in pixels and its colour depth.
struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;

    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// The display's modes and the switch from one to another.
class DisplaySettings {
public:
    // What apply() answers.
    static constexpr int kChanged = 0;         // the display runs in the new mode now
    static constexpr int kRestartNeeded = 1;   // the mode takes effect when the computer restarts
    static constexpr int kFailed = -1;         // the display driver failed the mode
    static constexpr int kBadMode = -2;        // the display does not support the mode
    static constexpr int kNotUpdated = -3;     // the mode could not be saved as the default
    static constexpr int kBadFlags = -4;       // the way of applying it was not valid

    virtual ~DisplaySettings() = default;

    // The display's modes, numbered from 0 upward; nullopt past the last one. The first modes
    // are at the running display's colour depth.
    virtual std::optional<DisplayMode> mode(int index) const = 0;

    // Switches the display to the mode; with makeDefault the mode is also kept as the user's
    // default. Answers one of the codes above.
    virtual int apply(const DisplayMode& mode, bool makeDefault) = 0;
};

// A display whose settings cannot be read or changed: it has no modes and refuses every one.
class UnsupportedDisplaySettings final : public DisplaySettings {
public:
    std::optional<DisplayMode> mode(int) const override { return std::nullopt; }
    int apply(const DisplayMode&, bool) override { return kBadMode; }
};

// The display settings of the desktop the program runs on: XRandR on an X11 display, else an
// unsupported display. The display is looked at when its modes are first asked for.
std::unique_ptr<DisplaySettings> makeDisplaySettings();

} // namespace platform
