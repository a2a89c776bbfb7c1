#pragma once

#include "platform/display_settings.h"
#include "platform/drives.h"
#include "platform/shell.h"

#include <memory>

namespace platform {

// What the operating system gives the program, gathered so that tests can stand in for any of it.
// Later services (drive types, the registry, printing) join here.
class Platform {
public:
    // The drives, a display whose settings are not touched, and the desktop's shell.
    explicit Platform(Drives drives);
    // A null display or shell stands for the defaults of the constructor above.
    Platform(Drives drives, std::unique_ptr<DisplaySettings> displaySettings, std::unique_ptr<Shell> shell);
    virtual ~Platform();
    Platform(Platform&&) noexcept;
    Platform& operator=(Platform&&) noexcept;

    Drives& drives() { return m_drives; }
    const Drives& drives() const { return m_drives; }

    DisplaySettings& displaySettings() { return *m_displaySettings; }
    const DisplaySettings& displaySettings() const { return *m_displaySettings; }

    Shell& shell() { return *m_shell; }

private:
    Drives m_drives;
    std::unique_ptr<DisplaySettings> m_displaySettings;
    std::unique_ptr<Shell> m_shell;
};

} // namespace platform
