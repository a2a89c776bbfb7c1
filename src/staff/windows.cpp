#include "staff/windows.h"

#include "app/window_manager.h"
#include "staff/employee_window.h"

namespace staff {

void registerWindows(app::WindowManager& windows)
{
    app::registerWindowClass<EmployeeWindow>(windows);
}

} // namespace staff
