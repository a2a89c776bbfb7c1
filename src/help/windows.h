#pragma once

namespace app {
class WindowManager;
}

namespace help {

// Registers the tip of the day.
void registerWindows(app::WindowManager& windows);

} // namespace help
