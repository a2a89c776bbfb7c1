#pragma once

#include "ui/services.h"

#include <QString>

namespace app {

// What the program knows about itself.
struct AppInfo {
    QString title = ui::kApplicationTitle.toString();
    int major = 1;
    int minor = 0;
    int revision = 0;
    QString path;     // the program's folder, where the files that ship with it are
    QString exeName;  // the executable's name, without folder or extension
    QString helpFile = QStringLiteral("Sistema.chm"); // the help file the screens open

    // The running program's folder and executable.
    static AppInfo ofRunningProgram();

    // "1.0.0"
    QString version() const;
};

} // namespace app
