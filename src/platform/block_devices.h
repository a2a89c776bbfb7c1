#pragma once

#include "platform/drive_types.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// How a Linux folder is told apart as a drive: the mount it is on, its file system and the block
// device beneath. Used by SystemDriveTypes; apart so that it can be read on tables and device
// trees of any machine.
namespace platform::block_devices {

// One line of /proc/<pid>/mountinfo.
struct Mount {
    unsigned major = 0;
    unsigned minor = 0;
    QString mountPoint; // with the kernel's octal escapes (\040 for a blank) undone
    QString fsType;     // "ext4", "nfs4", "fuse.sshfs"...
    QString source;     // "/dev/sda1", "server:/export"...
};

// The mounts of a mountinfo text, in its order. Lines that cannot be read are left out.
std::vector<Mount> parseMountInfo(QStringView text);

// The mount that holds an absolute path with no links in it: the one at the longest mount point
// that contains the path, the latest of those mounted there (it hides the earlier ones).
std::optional<Mount> mountHolding(const std::vector<Mount>& mounts, QStringView path);

// What a file system's name alone says of its drive: Remote, CdRom or RamDisk; Unknown when it
// says nothing.
DriveType fileSystemType(QStringView fsType);

// The same, by a file system's magic number as statfs answers it.
DriveType fileSystemMagicType(unsigned long magic);
// True for the kernel's own file systems (proc, sysfs, cgroup...), which are no drive at all.
bool isPseudoFileSystem(QStringView fsType);

// What the block device major:minor is, read in the device tree `sys` (/sys): CdRom for a CD
// drive; Removable when the disk (the disk a partition is on) is marked removable or hangs on a
// USB bus; Fixed otherwise. Unknown when the tree has no such block device.
DriveType blockDeviceType(const QString& sys, unsigned major, unsigned minor);

} // namespace platform::block_devices
