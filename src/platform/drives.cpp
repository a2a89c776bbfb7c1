#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

Drives::Drives(QString root) : m_root(QDir::cleanPath(std::move(root))) {}

QString Drives::defaultRoot()
{
    const QString fromEnv = qEnvironmentVariable("POS_DRIVE_ROOT");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString Drives::driveFolder(QChar letter) const
{
    const QChar lower = letter.toLower();
#ifdef Q_OS_WIN
    return QString(letter.toUpper()) + QStringLiteral(":/");
#else
    if (lower == u'c')
        return m_root + QStringLiteral("/drive_c");
    return m_root + QStringLiteral("/dosdevices/") + lower + u':';
#endif
}

QString Drives::hostPath(QStringView drivePath) const
{
    QString path = drivePath.toString();
    path.replace(u'\\', u'/');
    QChar letter = u'c';
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter()) {
        letter = path.at(0);
        path.remove(0, 2);
    }
    while (path.startsWith(u'/'))
        path.remove(0, 1);
    const QString folder = driveFolder(letter);
    return QDir::cleanPath(path.isEmpty() ? folder : folder + u'/' + path);
}

bool Drives::driveExists(QChar letter) const
{
    return QFileInfo(driveFolder(letter)).isDir();
}

} // namespace platform
