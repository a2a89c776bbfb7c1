#include "replication/windows.h"

#include "app/window_manager.h"
#include "replication/backup_window.h"

namespace replication {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<BackupWindow>(windows);
}

} // namespace replication
