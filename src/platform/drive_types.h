#pragma once

#include "platform/drives.h"

#include <QString>
#include <QStringView>

namespace platform {

// What a drive letter stands for, numbered as the Windows drive-type query (GetDriveType)
// answers.
enum class DriveType : int {
    Unknown = 0,   // the kind of drive cannot be told
    NoRootDir = 1, // there is no such drive
    Removable = 2, // a disk that can be taken out: a USB stick or disk, a card
    Fixed = 3,     // a hard disk of the computer's own
    Remote = 4,    // a share on the network
    CdRom = 5,     // a CD or DVD
    RamDisk = 6,   // a disk in memory
};

// Tells what kind of drive a drive letter is.
class DriveTypes {
public:
    virtual ~DriveTypes() = default;

    // The kind of the drive whose root is given: "D:\", "d:/" or "D:". A text that names no
    // drive root is no such drive (NoRootDir).
    virtual DriveType type(QStringView root) const = 0;
};

// Every drive of unknown kind: the answer until the program is given a way to tell.
class UnknownDriveTypes final : public DriveTypes {
public:
    DriveType type(QStringView) const override { return DriveType::Unknown; }
};

// The drives of the computer the program runs on, as the drive letters map them (see Drives).
//
// On Windows the system is asked. Elsewhere the drive's folder, its link under dosdevices
// followed, is looked at:
// - no folder there: no such drive;
// - its file system: a network one (NFS, SMB/CIFS, sshfs and the like) is a network drive,
//   ISO 9660 or UDF a CD, tmpfs or ramfs a RAM disk;
// - else the block device under the folder's mount (/proc/self/mountinfo): a disk marked
//   removable, or attached through USB, is removable; a CD drive is a CD; any other disk is
//   fixed, and so is a local file system with no block device of its own (an overlay, for one).
// `procSelf` and `sys` name where the process's mount table and the kernel's device tree are
// read; tests give folders of their own.
class SystemDriveTypes final : public DriveTypes {
public:
    explicit SystemDriveTypes(Drives drives, QString procSelf = QStringLiteral("/proc/self"), QString sys = QStringLiteral("/sys"));

    DriveType type(QStringView root) const override;

private:
    Drives m_drives;
    QString m_procSelf;
    QString m_sys;
};

} // namespace platform
