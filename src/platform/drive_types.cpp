#include "platform/drive_types.h"

#include "platform/block_devices.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(Q_OS_LINUX)
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#endif

namespace platform {
namespace {

// The letter of a drive root "X:\", "X:/" or "X:"; a null character for any other text.
QChar rootLetter(QStringView root)
{
    const bool shaped = (root.size() == 2 || (root.size() == 3 && (root.at(2) == u'\\' || root.at(2) == u'/'))) && root.at(1) == u':';
    if (!shaped || root.at(0).unicode() > 0x7F || !root.at(0).isLetter())
        return {};
    return root.at(0);
}

#ifdef Q_OS_LINUX
using namespace block_devices;

// The block device a mount's source names, when it is a device node ("/dev/sdb1"): the mount's
// own number may be an anonymous one (btrfs gives each subvolume one).
std::optional<std::pair<unsigned, unsigned>> sourceDevice(const QString& source)
{
    struct stat node {};
    if (!source.startsWith(u"/dev/") || ::stat(QFile::encodeName(source).constData(), &node) != 0 || !S_ISBLK(node.st_mode))
        return std::nullopt;
    return std::pair{unsigned(major(node.st_rdev)), unsigned(minor(node.st_rdev))};
}
#endif

} // namespace

SystemDriveTypes::SystemDriveTypes(Drives drives, QString procSelf, QString sys)
    : m_drives(std::move(drives)), m_procSelf(std::move(procSelf)), m_sys(std::move(sys))
{
}

DriveType SystemDriveTypes::type(QStringView root) const
{
    const QChar letter = rootLetter(root);
    if (letter.isNull())
        return DriveType::NoRootDir;
#ifdef Q_OS_WIN
    const std::wstring path = QString(letter).append(QStringLiteral(":\\")).toStdWString();
    return DriveType(int(GetDriveTypeW(path.c_str())));
#elif defined(Q_OS_LINUX)
    const QString folder = QFileInfo(m_drives.driveFolder(letter)).canonicalFilePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return DriveType::NoRootDir;

    struct statfs fileSystem {};
    if (::statfs(QFile::encodeName(folder).constData(), &fileSystem) != 0)
        return DriveType::Unknown;
    if (const DriveType byMagic = fileSystemMagicType(static_cast<unsigned long>(fileSystem.f_type)); byMagic != DriveType::Unknown)
        return byMagic;

    QFile table(m_procSelf + QStringLiteral("/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return DriveType::Unknown;
    const std::optional<Mount> mount = mountHolding(parseMountInfo(QString::fromUtf8(table.readAll())), folder);
    if (!mount)
        return DriveType::Unknown;
    // Network file systems in user space (sshfs, rclone) are told by name only.
    if (const DriveType byName = fileSystemType(mount->fsType); byName != DriveType::Unknown)
        return byName;
    if (isPseudoFileSystem(mount->fsType))
        return DriveType::Unknown;
    if (const DriveType byDevice = blockDeviceType(m_sys, mount->major, mount->minor); byDevice != DriveType::Unknown)
        return byDevice;
    if (const auto device = sourceDevice(mount->source)) {
        if (const DriveType bySource = blockDeviceType(m_sys, device->first, device->second); bySource != DriveType::Unknown)
            return bySource;
    }
    // A local file system with no disk of its own (an overlay, a subvolume) is on a fixed disk.
    return DriveType::Fixed;
#else
    return m_drives.driveExists(letter) ? DriveType::Unknown : DriveType::NoRootDir;
#endif
}

} // namespace platform
