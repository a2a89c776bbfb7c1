#include "app/app_info.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace app {

AppInfo AppInfo::ofRunningProgram()
{
    AppInfo info;
    info.path = QCoreApplication::applicationDirPath();
    info.exeName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return info;
}

QString AppInfo::version() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace app
