#include "platform/block_devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace platform::block_devices {
namespace {

// The kernel writes a blank, a tab, a line feed and a back slash in a path as \040, \011, \012
// and \134.
QString unescape(QStringView field)
{
    QString text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c == u'\\' && i + 3 < field.size()) {
            const QStringView digits = field.mid(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](QChar d) { return d >= u'0' && d <= u'7'; })) {
                text += QChar(digits.toInt(nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += c;
    }
    return text;
}

QString readLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine()).trimmed();
}

bool isCdDrive(const QString& disk)
{
    return QFileInfo(disk).fileName().startsWith(u"sr") || readLine(disk + QStringLiteral("/device/type")) == u"5";
}

bool onUsb(const QString& disk)
{
    const QStringList parts = disk.split(u'/', Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(), [](const QString& part) { return part.startsWith(u"usb"); });
}

} // namespace

std::vector<Mount> parseMountInfo(QStringView text)
{
    std::vector<Mount> mounts;
    for (QStringView line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QList<QStringView> fields = line.split(u' ', Qt::SkipEmptyParts);
        // id, parent, major:minor, root, mount point, options, optional fields..., "-", type, source
        const auto separator = std::find(fields.begin(), fields.end(), u"-");
        if (fields.size() < 6 || separator == fields.end() || separator - fields.begin() < 6 || fields.end() - separator < 3)
            continue;
        const QList<QStringView> device = fields.at(2).split(u':');
        if (device.size() != 2)
            continue;
        bool majorRead = false;
        bool minorRead = false;
        Mount mount;
        mount.major = device.at(0).toUInt(&majorRead);
        mount.minor = device.at(1).toUInt(&minorRead);
        if (!majorRead || !minorRead)
            continue;
        mount.mountPoint = unescape(fields.at(4));
        mount.fsType = unescape(*(separator + 1));
        mount.source = unescape(*(separator + 2));
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

std::optional<Mount> mountHolding(const std::vector<Mount>& mounts, QStringView path)
{
    const Mount* holding = nullptr;
    for (const Mount& mount : mounts) {
        const QString& point = mount.mountPoint;
        const bool contains = point == u"/" || path == point || (path.startsWith(point) && path.at(point.size()) == u'/');
        if (contains && (!holding || point.size() >= holding->mountPoint.size()))
            holding = &mount;
    }
    if (!holding)
        return std::nullopt;
    return *holding;
}

DriveType fileSystemType(QStringView fsType)
{
    static constexpr std::array<QStringView, 16> kRemote{u"nfs", u"nfs4", u"cifs", u"smb3", u"smb2", u"smbfs", u"ncpfs", u"ncp", u"afs",
        u"coda", u"ceph", u"glusterfs", u"lustre", u"davfs", u"9p", u"virtiofs"};
    // File systems in user space are network ones (sshfs, rclone, the desktop's gvfs), but for
    // the few that put a local disk's file system in user space, told by the disk under them.
    static constexpr std::array<QStringView, 3> kLocalFuse{u"fuse.ntfs-3g", u"fuse.exfat", u"fuse.fuse-ext2"};
    static constexpr std::array<QStringView, 2> kCd{u"iso9660", u"udf"};
    static constexpr std::array<QStringView, 2> kRam{u"tmpfs", u"ramfs"};
    const auto among = [fsType](const auto& names) { return std::find(names.begin(), names.end(), fsType) != names.end(); };
    if (among(kRemote) || (fsType.startsWith(u"fuse.") && !among(kLocalFuse)))
        return DriveType::Remote;
    if (among(kCd))
        return DriveType::CdRom;
    if (among(kRam))
        return DriveType::RamDisk;
    return DriveType::Unknown;
}

bool isPseudoFileSystem(QStringView fsType)
{
    static constexpr std::array<QStringView, 18> kPseudo{u"proc", u"sysfs", u"devtmpfs", u"devpts", u"cgroup", u"cgroup2", u"debugfs",
        u"tracefs", u"securityfs", u"pstore", u"bpf", u"configfs", u"fusectl", u"mqueue", u"hugetlbfs", u"autofs", u"binfmt_misc",
        u"efivarfs"};
    return std::find(kPseudo.begin(), kPseudo.end(), fsType) != kPseudo.end();
}

DriveType fileSystemMagicType(unsigned long magic)
{
    switch (magic) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x564CUL:     // NCP
    case 0x5346414FUL: // AFS
    case 0x6B414653UL: // kAFS
    case 0x73757245UL: // Coda
    case 0x00C36400UL: // Ceph
        return DriveType::Remote;
    case 0x9660UL:     // ISO 9660
    case 0x15013346UL: // UDF
        return DriveType::CdRom;
    case 0x01021994UL: // tmpfs
    case 0x858458F6UL: // ramfs
        return DriveType::RamDisk;
    default:
        return DriveType::Unknown;
    }
}

DriveType blockDeviceType(const QString& sys, unsigned major, unsigned minor)
{
    const QString entry = sys + QStringLiteral("/dev/block/%1:%2").arg(major).arg(minor);
    QString device = QFileInfo(entry).canonicalFilePath();
    if (device.isEmpty() || !QFileInfo(device).isDir())
        return DriveType::Unknown;
    // A partition's folder sits in its disk's.
    const QString disk = QFileInfo::exists(device + QStringLiteral("/partition")) ? QFileInfo(device).path() : device;
    if (isCdDrive(disk))
        return DriveType::CdRom;
    // An SD card in a card slot on the MMC bus is removable whatever its flag says; built-in
    // eMMC storage (type MMC) is a fixed disk.
    if (readLine(disk + QStringLiteral("/removable")) == u"1" || onUsb(disk) || readLine(disk + QStringLiteral("/device/type")) == u"SD")
        return DriveType::Removable;
    return DriveType::Fixed;
}

} // namespace platform::block_devices
