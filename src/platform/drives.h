#pragma once

#include <QString>
#include <QStringView>

namespace platform {

// Maps the drive-letter paths the program speaks in ("C:\Program Files\Point of Sale\Grocery.mdb",
// "D:/Program Files/...") to paths on this host.
//
// On Windows a drive path is used as it is. Elsewhere every drive lives under one drive root:
// drive C is the folder drive_c, and any other letter X is whatever the user links at
// dosdevices/x: (a symbolic link to the mount point of a second disk, for example). The root is
// the program's per-user data folder unless the environment variable POS_DRIVE_ROOT names
// another one.
class Drives {
public:
    explicit Drives(QString root);

    // POS_DRIVE_ROOT when set and not empty, else the per-user data folder of the program.
    static QString defaultRoot();

    const QString& root() const { return m_root; }

    // The host folder standing for a drive letter (either case).
    QString driveFolder(QChar letter) const;

    // A drive path ("X:\a\b", "x:/a/b") as a host path. A path without a drive letter is taken
    // to be on drive C. Back slashes become the host's separators.
    QString hostPath(QStringView drivePath) const;

    // True when the drive's folder exists (for C: when drive_c exists, for other letters when
    // the link under dosdevices resolves to a folder).
    bool driveExists(QChar letter) const;

private:
    QString m_root;
};

} // namespace platform
