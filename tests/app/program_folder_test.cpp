#include "app/app_info.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where the program finds the files that ship with it, from the folder its executable is in: a
// tree laid out as installed (bin/ and share/point-of-sale/), holding only the files each row names.
class ProgramFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected");
        const QString data = QStringLiteral("bin/" POS_DATADIR_FROM_BINDIR);
        // The build tree, or a program copied into one folder with its files.
        QTest::newRow("tip file beside the executable") << QStringList{QStringLiteral("bin/TIPOFDAY.TXT")} << QStringLiteral("bin");
        QTest::newRow("installed") << QStringList{data + QStringLiteral("/TIPOFDAY.TXT"), data + QStringLiteral("/Sistema.chm")} << data;
        // Installed, with the tip file deleted: the help file is still found, the tip window says
        // where the tip file is missing.
        QTest::newRow("installed without its tip file") << QStringList{data + QStringLiteral("/Sistema.chm")} << data;
        QTest::newRow("beside the executable comes first")
            << QStringList{QStringLiteral("bin/TIPOFDAY.TXT"), data + QStringLiteral("/TIPOFDAY.TXT")} << QStringLiteral("bin");
        // Only a help file beside the executable: the executable's folder, not a data folder of
        // some other program that happens to be there.
        QTest::newRow("nothing anywhere") << QStringList{QStringLiteral("bin/Sistema.chm")} << QStringLiteral("bin");
        // A folder named TIPOFDAY.TXT is no tip file.
        QTest::newRow("a folder named like the tip file")
            << QStringList{QStringLiteral("bin/TIPOFDAY.TXT/x"), data + QStringLiteral("/TIPOFDAY.TXT")} << data;
    }

    void programFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QDir tree(root.path());
        QVERIFY(tree.mkpath(QStringLiteral("bin")));
        for (const QString& file : files) {
            QVERIFY(tree.mkpath(QFileInfo(tree.filePath(file)).path()));
            QFile made(tree.filePath(file));
            QVERIFY(made.open(QIODevice::WriteOnly));
            made.write("A tip.\r\n");
        }
        QCOMPARE(app::AppInfo::programFolder(tree.filePath(QStringLiteral("bin"))), QDir::cleanPath(tree.filePath(expected)));
    }
};

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "program_folder_test.moc"
