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
    QString path;     // the program's folder, where the files that ship with it are (see programFolder)
    QString exeName;  // the executable's name, without folder or extension
    QString helpFile = QStringLiteral("Sistema.chm"); // the help file the screens open

    // The running program's folder and executable.
    static AppInfo ofRunningProgram();

    // The folder of the files that ship with the program, for an executable in `executableFolder`:
    // that folder itself when it holds the tip file (the build tree, or a copy of the program
    // kept in one folder), else the data folder of an installed program
    // (../share/point-of-sale from bin/) when there is one, else the executable's folder again.
    static QString programFolder(const QString& executableFolder);

    // "1.0.0"
    QString version() const;
};

} // namespace app
