#pragma once

namespace app {
class WindowManager;
}

namespace startup {

// Registers the start-up windows: the splash, the main menu and the display-settings window.
void registerWindows(app::WindowManager& windows);

} // namespace startup
