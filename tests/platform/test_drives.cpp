#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDrives : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hostPath_data();
    void hostPath();
    void otherDrives_areLinksUnderDosdevices();
    void defaultRoot_followsTheEnvironment();
};

void TestDrives::hostPath_data()
{
    QTest::addColumn<QString>("drivePath");
    QTest::addColumn<QString>("relative"); // under the drive root

    QTest::newRow("the store") << "C:\\Program Files\\Point of Sale\\Grocery.mdb" << "drive_c/Program Files/Point of Sale/Grocery.mdb";
    QTest::newRow("lower-case letter, forward slashes") << "c:/Program Files/Mercavia/Grocery.mdb" << "drive_c/Program Files/Mercavia/Grocery.mdb";
    QTest::newRow("second disk") << "D:/Program Files/Point of Sale/Grocery.mdb" << "dosdevices/d:/Program Files/Point of Sale/Grocery.mdb";
    QTest::newRow("drive root") << "D:\\" << "dosdevices/d:";
    QTest::newRow("no letter is drive C") << "\\Program Files\\Point of Sale" << "drive_c/Program Files/Point of Sale";
    QTest::newRow("doubled separators") << "C:\\\\Program Files\\\\x" << "drive_c/Program Files/x";
}

void TestDrives::hostPath()
{
    QFETCH(QString, drivePath);
    QFETCH(QString, relative);
    const platform::Drives drives(QStringLiteral("/srv/pos"));
    QCOMPARE(drives.hostPath(drivePath), QStringLiteral("/srv/pos/") + relative);
}

void TestDrives::otherDrives_areLinksUnderDosdevices()
{
    QTemporaryDir root;
    QTemporaryDir secondDisk;
    const platform::Drives drives(root.path());
    QVERIFY(!drives.driveExists(u'D'));
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("dosdevices"))));
    QVERIFY(QFile::link(secondDisk.path(), root.filePath(QStringLiteral("dosdevices/d:"))));
    QVERIFY(drives.driveExists(u'd'));
    QVERIFY(QDir().mkpath(drives.hostPath(u"D:\\Program Files\\Point of Sale")));
    QVERIFY(QFileInfo(secondDisk.filePath(QStringLiteral("Program Files/Point of Sale"))).isDir());
}

void TestDrives::defaultRoot_followsTheEnvironment()
{
    qputenv("POS_DRIVE_ROOT", "/tmp/pos-root");
    QCOMPARE(platform::Drives::defaultRoot(), QStringLiteral("/tmp/pos-root"));
    qunsetenv("POS_DRIVE_ROOT");
    QVERIFY(!platform::Drives::defaultRoot().isEmpty());
}

QTEST_GUILESS_MAIN(TestDrives)
#include "test_drives.moc"
