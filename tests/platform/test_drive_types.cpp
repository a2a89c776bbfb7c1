#include "platform/block_devices.h"
#include "platform/drive_types.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/statfs.h>

using platform::DriveType;
using platform::SystemDriveTypes;
namespace bd = platform::block_devices;

Q_DECLARE_METATYPE(platform::DriveType)

namespace {

// A device tree as /sys shows it: the devices where the kernel found them, and dev/block/M:m
// linking to each block device.
class FakeSys {
public:
    FakeSys() { QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("dev/block")))); }

    QString path() const { return m_dir.path(); }

    // A disk at `devicePath` (under devices/), its removable flag, and its SCSI type when given.
    void disk(const QString& devicePath, const QString& number, const char* removable, const char* scsiType = nullptr)
    {
        const QString folder = QStringLiteral("devices/") + devicePath;
        QVERIFY(QDir(m_dir.path()).mkpath(folder));
        write(folder + QStringLiteral("/removable"), removable);
        if (scsiType) {
            QVERIFY(QDir(m_dir.path()).mkpath(folder + QStringLiteral("/device")));
            write(folder + QStringLiteral("/device/type"), scsiType);
        }
        link(folder, number);
    }

    // A partition of a disk made by disk().
    void partition(const QString& diskPath, const QString& name, const QString& number)
    {
        const QString folder = QStringLiteral("devices/") + diskPath + u'/' + name;
        QVERIFY(QDir(m_dir.path()).mkpath(folder));
        write(folder + QStringLiteral("/partition"), "1");
        link(folder, number);
    }

private:
    void write(const QString& relative, const char* text)
    {
        QFile file(m_dir.filePath(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.write("\n");
    }

    void link(const QString& folder, const QString& number)
    {
        QVERIFY(QFile::link(QStringLiteral("../../") + folder, m_dir.filePath(QStringLiteral("dev/block/") + number)));
    }

    QTemporaryDir m_dir;
};

constexpr auto kSata = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
constexpr auto kCardReader = "pci0000:00/0000:00:1c.0/0000:02:00.0/host3/target3:0:0/3:0:0:0/block/sdc";
constexpr auto kUsbDisk = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
constexpr auto kCdDrive = "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block/sr0";
constexpr auto kNvme = "pci0000:00/0000:00:1d.0/0000:03:00.0/nvme/nvme0/nvme0n1";
constexpr auto kSdCard = "platform/fe320000.mmc/mmc_host/mmc1/mmc1:aaaa/block/mmcblk1";
constexpr auto kEmmc = "platform/fe330000.mmc/mmc_host/mmc0/mmc0:0001/block/mmcblk0";

// A machine with a SATA disk, a card reader that marks its disk removable, a USB disk that does
// not, a CD drive, an NVMe disk without partitions, an SD card in a slot on the MMC bus that does
// not either, and built-in eMMC storage.
void fillMachine(FakeSys& sys)
{
    sys.disk(QString::fromLatin1(kSata), QStringLiteral("8:0"), "0");
    sys.partition(QString::fromLatin1(kSata), QStringLiteral("sda1"), QStringLiteral("8:1"));
    sys.disk(QString::fromLatin1(kCardReader), QStringLiteral("8:32"), "1");
    sys.partition(QString::fromLatin1(kCardReader), QStringLiteral("sdc1"), QStringLiteral("8:33"));
    sys.disk(QString::fromLatin1(kUsbDisk), QStringLiteral("8:16"), "0");
    sys.partition(QString::fromLatin1(kUsbDisk), QStringLiteral("sdb1"), QStringLiteral("8:17"));
    sys.disk(QString::fromLatin1(kCdDrive), QStringLiteral("11:0"), "1", "5");
    sys.disk(QString::fromLatin1(kNvme), QStringLiteral("259:0"), "0");
    sys.disk(QString::fromLatin1(kSdCard), QStringLiteral("179:8"), "0", "SD");
    sys.partition(QString::fromLatin1(kSdCard), QStringLiteral("mmcblk1p1"), QStringLiteral("179:9"));
    sys.disk(QString::fromLatin1(kEmmc), QStringLiteral("179:0"), "0", "MMC");
    sys.partition(QString::fromLatin1(kEmmc), QStringLiteral("mmcblk0p1"), QStringLiteral("179:1"));
}

// True when the folder's file system tells nothing of its drive by itself, as a local disk's.
bool onPlainLocalDisk(const QString& folder)
{
    struct statfs fileSystem {};
    return ::statfs(QFile::encodeName(folder).constData(), &fileSystem) == 0
        && bd::fileSystemMagicType(static_cast<unsigned long>(fileSystem.f_type)) == DriveType::Unknown;
}

} // namespace

class TestDriveTypes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseMountInfo_readsEachMount();
    void mountHolding_data();
    void mountHolding();
    void fileSystemType_data();
    void fileSystemType();
    void blockDeviceType_data();
    void blockDeviceType();
    void system_followsMountAndDevice_data();
    void system_followsMountAndDevice();
    void system_onThisMachine();
    void system_notADriveRoot_data();
    void system_notADriveRoot();
};

void TestDriveTypes::parseMountInfo_readsEachMount()
{
    const QString text = QStringLiteral(
        "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
        "25 23 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw,size=24683676k\n"
        "not a mount line\n"
        "88 27 8:17 / /media/ann/My\\040Disk rw,nosuid master:3 propagate_from:2 - vfat /dev/sdb1 rw,uid=1000\n"
        "89 27 0:51 /export /mnt/share\\134x rw - nfs4 server:/export rw,vers=4.2\n"
        "90 27 x:1 / /bad rw - ext4 /dev/x rw\n"
        "91 27 0:52 / /mnt/no-separator rw ext4 /dev/y rw\n");
    const std::vector<bd::Mount> mounts = bd::parseMountInfo(text);
    QCOMPARE(int(mounts.size()), 4);
    QCOMPARE(mounts[0].mountPoint, QStringLiteral("/"));
    QCOMPARE(mounts[0].major, 254u);
    QCOMPARE(mounts[0].minor, 0u);
    QCOMPARE(mounts[1].fsType, QStringLiteral("tmpfs"));
    // Optional fields before the separator; a blank written as \040.
    QCOMPARE(mounts[2].mountPoint, QStringLiteral("/media/ann/My Disk"));
    QCOMPARE(mounts[2].fsType, QStringLiteral("vfat"));
    QCOMPARE(mounts[2].source, QStringLiteral("/dev/sdb1"));
    QCOMPARE(mounts[2].major, 8u);
    QCOMPARE(mounts[2].minor, 17u);
    QCOMPARE(mounts[3].mountPoint, QStringLiteral("/mnt/share\\x"));
    QCOMPARE(mounts[3].source, QStringLiteral("server:/export"));
}

void TestDriveTypes::mountHolding_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<QString>("fsType");

    QTest::newRow("under the root only") << "/home/ann/pos" << "/" << "ext4";
    QTest::newRow("the root itself") << "/" << "/" << "ext4";
    QTest::newRow("a mount point itself") << "/mnt/usb" << "/mnt/usb" << "vfat";
    QTest::newRow("deep under a mount") << "/mnt/usb/Program Files/x" << "/mnt/usb" << "vfat";
    QTest::newRow("a name that only starts like a mount") << "/mnt/usb2/x" << "/" << "ext4";
    QTest::newRow("a mount inside a mount") << "/mnt/usb/cd/x" << "/mnt/usb/cd" << "iso9660";
    QTest::newRow("mounted over: the latest") << "/dev/shm/pos" << "/dev/shm" << "ramfs";
}

void TestDriveTypes::mountHolding()
{
    QFETCH(QString, path);
    QFETCH(QString, mountPoint);
    QFETCH(QString, fsType);
    const std::vector<bd::Mount> mounts = bd::parseMountInfo(QStringLiteral(
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 0:5 / /dev rw - devtmpfs devtmpfs rw\n"
        "3 2 0:6 / /dev/shm rw - tmpfs tmpfs rw\n"
        "4 1 8:17 / /mnt/usb rw - vfat /dev/sdb1 rw\n"
        "5 4 11:0 / /mnt/usb/cd ro - iso9660 /dev/sr0 ro\n"
        "6 2 0:7 / /dev/shm rw - ramfs ramfs rw\n"));
    const std::optional<bd::Mount> mount = bd::mountHolding(mounts, path);
    QVERIFY(mount);
    QCOMPARE(mount->mountPoint, mountPoint);
    QCOMPARE(mount->fsType, fsType);
}

void TestDriveTypes::fileSystemType_data()
{
    QTest::addColumn<QString>("fsType");
    QTest::addColumn<DriveType>("type");

    for (const char* remote : {"nfs", "nfs4", "cifs", "smb3", "smb2", "fuse.sshfs", "fuse.gvfsd-fuse", "fuse.curlftpfs", "9p", "virtiofs"})
        QTest::newRow(remote) << remote << DriveType::Remote;
    QTest::newRow("iso9660") << "iso9660" << DriveType::CdRom;
    QTest::newRow("udf") << "udf" << DriveType::CdRom;
    QTest::newRow("tmpfs") << "tmpfs" << DriveType::RamDisk;
    QTest::newRow("ramfs") << "ramfs" << DriveType::RamDisk;
    // A local file system says nothing by itself; neither does FUSE without its kind, nor FUSE
    // over a local disk.
    for (const char* other : {"ext4", "vfat", "btrfs", "overlay", "fuse", "fuseblk", "fuse.ntfs-3g", "NFS"})
        QTest::newRow(other) << other << DriveType::Unknown;
}

void TestDriveTypes::fileSystemType()
{
    QFETCH(QString, fsType);
    QFETCH(DriveType, type);
    QCOMPARE(bd::fileSystemType(fsType), type);
}

void TestDriveTypes::blockDeviceType_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<DriveType>("type");

    QTest::newRow("partition of a SATA disk") << "8:1" << DriveType::Fixed;
    QTest::newRow("the SATA disk itself") << "8:0" << DriveType::Fixed;
    QTest::newRow("disk without partitions") << "259:0" << DriveType::Fixed;
    QTest::newRow("partition of a disk marked removable") << "8:33" << DriveType::Removable;
    QTest::newRow("partition of a USB disk not so marked") << "8:17" << DriveType::Removable;
    QTest::newRow("the USB disk itself") << "8:16" << DriveType::Removable;
    QTest::newRow("CD drive") << "11:0" << DriveType::CdRom;
    QTest::newRow("partition of an SD card") << "179:9" << DriveType::Removable;
    QTest::newRow("partition of built-in eMMC") << "179:1" << DriveType::Fixed;
    QTest::newRow("no such device") << "8:48" << DriveType::Unknown;
    QTest::newRow("an anonymous device") << "0:45" << DriveType::Unknown;
}

void TestDriveTypes::blockDeviceType()
{
    QFETCH(QString, number);
    QFETCH(DriveType, type);
    FakeSys sys;
    fillMachine(sys);
    const QStringList parts = number.split(u':');
    QCOMPARE(bd::blockDeviceType(sys.path(), parts[0].toUInt(), parts[1].toUInt()), type);
}

void TestDriveTypes::system_followsMountAndDevice_data()
{
    QTest::addColumn<QString>("mount"); // the mountinfo line of the mount drive D's folder is on
    QTest::addColumn<DriveType>("type");

    QTest::newRow("USB disk") << "8:17 / %1 rw - vfat /dev/sdb1 rw" << DriveType::Removable;
    QTest::newRow("card reader") << "8:33 / %1 rw - exfat /dev/sdc1 rw" << DriveType::Removable;
    QTest::newRow("SATA disk") << "8:1 / %1 rw - ext4 /dev/sda1 rw" << DriveType::Fixed;
    QTest::newRow("CD drive") << "11:0 / %1 ro - auto /dev/sr0 ro" << DriveType::CdRom;
    QTest::newRow("NFS share") << "0:51 / %1 rw - nfs4 server:/export rw" << DriveType::Remote;
    QTest::newRow("sshfs") << "0:52 / %1 rw - fuse.sshfs ann@host:/ rw" << DriveType::Remote;
    QTest::newRow("overlay, no disk of its own") << "0:53 / %1 rw - overlay overlay rw" << DriveType::Fixed;
    QTest::newRow("SD card") << "179:9 / %1 rw - vfat /dev/mmcblk1p1 rw" << DriveType::Removable;
    QTest::newRow("the desktop's network folders") << "0:54 / %1 rw - fuse.gvfsd-fuse gvfsd-fuse rw" << DriveType::Remote;
    QTest::newRow("a virtual machine's shared folder") << "0:55 / %1 rw - 9p share rw" << DriveType::Remote;
    QTest::newRow("the kernel's process table") << "0:56 / %1 rw - proc proc rw" << DriveType::Unknown;
    QTest::newRow("the kernel's devices") << "0:57 / %1 rw - sysfs sysfs rw" << DriveType::Unknown;
}

void TestDriveTypes::system_followsMountAndDevice()
{
    QFETCH(QString, mount);
    QFETCH(DriveType, type);
    QTemporaryDir root;
    QTemporaryDir disk;
    QTemporaryDir proc;
    if (!onPlainLocalDisk(disk.path()))
        QSKIP("the temporary folder's file system tells its drive by itself");
    FakeSys sys;
    fillMachine(sys);
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("dosdevices"))));
    QVERIFY(QFile::link(disk.path(), root.filePath(QStringLiteral("dosdevices/d:"))));
    const QString diskPath = QFileInfo(disk.path()).canonicalFilePath();
    QFile table(proc.filePath(QStringLiteral("mountinfo")));
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n");
    table.write(QStringLiteral("2 1 %1\n").arg(mount.arg(QString(diskPath).replace(u' ', QStringLiteral("\\040")))).toUtf8());
    table.close();

    const SystemDriveTypes types(platform::Drives(root.path()), proc.path(), sys.path());
    QCOMPARE(types.type(u"D:\\"), type);
    QCOMPARE(types.type(u"d:/"), type);
    // A folder beside the mount is on the root's SATA disk.
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("drive_c"))));
    QCOMPARE(types.type(u"C:\\"), DriveType::Fixed);
}

void TestDriveTypes::system_onThisMachine()
{
    QTemporaryDir root;
    const SystemDriveTypes types{platform::Drives(root.path())};
    const QString dosdevices = root.filePath(QStringLiteral("dosdevices"));
    QVERIFY(QDir().mkpath(dosdevices));

    // Drive C where the program keeps its files.
    QCOMPARE(types.type(u"C:\\"), DriveType::NoRootDir);
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("drive_c"))));
    if (onPlainLocalDisk(root.path()))
        QCOMPARE(types.type(u"C:\\"), DriveType::Fixed);

    // No link, a link to nothing, a link to a file: no such drive.
    QCOMPARE(types.type(u"D:\\"), DriveType::NoRootDir);
    QVERIFY(QFile::link(root.filePath(QStringLiteral("gone")), dosdevices + QStringLiteral("/e:")));
    QCOMPARE(types.type(u"E:\\"), DriveType::NoRootDir);
    QFile file(root.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::link(file.fileName(), dosdevices + QStringLiteral("/f:")));
    QCOMPARE(types.type(u"F:\\"), DriveType::NoRootDir);

    // Shared memory is a RAM disk.
    if (!QFileInfo(QStringLiteral("/dev/shm")).isDir())
        QSKIP("no /dev/shm on this machine");
    QTemporaryDir memory(QStringLiteral("/dev/shm/pos-drive-XXXXXX"));
    QVERIFY(memory.isValid());
    QVERIFY(QFile::link(memory.path(), dosdevices + QStringLiteral("/g:")));
    QCOMPARE(types.type(u"G:\\"), DriveType::RamDisk);
}

void TestDriveTypes::system_notADriveRoot_data()
{
    QTest::addColumn<QString>("root");
    for (const char* root : {"", "D", "D:\\x", "DD:\\", "1:\\", ":\\", "D;\\"})
        QTest::newRow(*root ? root : "empty") << root;
}

void TestDriveTypes::system_notADriveRoot()
{
    QFETCH(QString, root);
    QTemporaryDir folder;
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("drive_c"))));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("dosdevices"))));
    QVERIFY(QFile::link(folder.filePath(QStringLiteral("drive_c")), folder.filePath(QStringLiteral("dosdevices/d:"))));
    QCOMPARE(SystemDriveTypes(platform::Drives(folder.path())).type(root), DriveType::NoRootDir);
}

QTEST_GUILESS_MAIN(TestDriveTypes)
#include "test_drive_types.moc"
