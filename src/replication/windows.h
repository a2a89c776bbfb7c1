#pragma once

namespace app {
class WindowManager;
}

namespace replication {

// Tells the window manager how to make frmBackup.
void registerWindows(app::WindowManager& windows);

} // namespace replication
