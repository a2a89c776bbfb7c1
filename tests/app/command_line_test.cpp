#include "app/app_info.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// The program run with `arguments` on a drive root of its own, so that a command line wrongly
// taken for a start touches no real store; it would then stop at its main menu.
Run runProgram(const QStringList& arguments)
{
    QTemporaryDir root;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("POS_DRIVE_ROOT"), root.path());
    env.insert(QStringLiteral("POS_QUIT_WHEN_SHOWN"), QStringLiteral("frmMain"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(POS_PROGRAM), arguments);
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
        return {};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1, QString::fromLocal8Bit(program.readAllStandardOutput()),
        QString::fromLocal8Bit(program.readAllStandardError())};
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The version the About window shows ("Version 1.0.0"), which is the version the package has.
    void version_isTheProgramsOwn_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("long") << QStringLiteral("--version");
        QTest::newRow("short") << QStringLiteral("-v");
    }
    void version_isTheProgramsOwn()
    {
        QFETCH(QString, option);
        const Run run = runProgram({option});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Point of Sale %1\n").arg(app::AppInfo().version()));
        QCOMPARE(app::AppInfo().version(), QStringLiteral(POS_PROJECT_VERSION));
        QCOMPARE(run.err, QString());
    }

    // Qt's own options are left to Qt, as a session manager or a technician gives them.
    void qtOptions_areLeftToQt()
    {
        const Run run = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-style=fusion"),
            QStringLiteral("-reverse"), QStringLiteral("--version")});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Point of Sale %1\n").arg(app::AppInfo().version()));
    }

    void help_namesEveryOption_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("long") << QStringLiteral("--help");
        QTest::newRow("short") << QStringLiteral("-h");
    }
    void help_namesEveryOption()
    {
        QFETCH(QString, option);
        const Run run = runProgram({option});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QVERIFY2(run.out.startsWith(QStringLiteral("Usage: point-of-sale [options]\n")), qPrintable(run.out));
        for (const QString& shown : {QStringLiteral("-h, --help"), QStringLiteral("-v, --version"), QStringLiteral("--restore <file>"),
                 QStringLiteral("--printer-setup"), QStringLiteral("Point of Sale")})
            QVERIFY2(run.out.contains(shown), qPrintable(shown + QStringLiteral(" is not in:\n") + run.out));
        // Qt's own options are left to Qt, and not offered.
        QVERIFY2(!run.out.contains(QStringLiteral("--help-all")), qPrintable(run.out));
    }

    // A wrong command line starts nothing: it says why on standard error and ends with 2.
    void wrongUsage_endsWithTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("restore without a file") << QStringList{QStringLiteral("--restore")} << QStringLiteral("--restore");
        QTest::newRow("restore with two files")
            << QStringList{QStringLiteral("--restore"), QStringLiteral("a.mdb"), QStringLiteral("b.mdb")} << QStringLiteral("b.mdb");
        QTest::newRow("restore twice") << QStringList{QStringLiteral("--restore=a.mdb"), QStringLiteral("--restore=b.mdb")}
                                       << QStringLiteral("one file");
        QTest::newRow("restore and printer setup")
            << QStringList{QStringLiteral("--restore"), QStringLiteral("a.mdb"), QStringLiteral("--printer-setup")}
            << QStringLiteral("together");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << QStringLiteral("frobnicate");
        QTest::newRow("a file alone") << QStringList{QStringLiteral("Grocery.mdb")} << QStringLiteral("Grocery.mdb");
    }
    void wrongUsage_endsWithTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        const Run run = runProgram(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith(QStringLiteral("point-of-sale: ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("point-of-sale --help")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
