#include "app/app_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace app {

AppInfo AppInfo::ofRunningProgram()
{
    AppInfo info;
    info.path = programFolder(QCoreApplication::applicationDirPath());
    info.exeName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return info;
}

QString AppInfo::programFolder(const QString& executableFolder)
{
    const QDir beside(executableFolder);
    if (QFileInfo(beside.filePath(QStringLiteral("TIPOFDAY.TXT"))).isFile())
        return executableFolder;
    const QString installed = QDir::cleanPath(beside.filePath(QStringLiteral(POS_DATADIR_FROM_BINDIR)));
    if (QFileInfo(installed).isDir())
        return installed;
    return executableFolder;
}

QString AppInfo::version() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace app
