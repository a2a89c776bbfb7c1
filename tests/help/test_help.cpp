#include "app/window_manager.h"
#include "help/html_help.h"
#include "help/tip_window.h"
#include "help/windows.h"
#include "platform/fakes.h"
#include "startup/main_window.h"
#include "startup/settings_window.h"
#include "startup/windows.h"
#include "support/read_aloud.h"
#include "support/test_context.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using testing::TestContext;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const char* const kRegistryKey = "Software\\Microsoft\\Windows\\HTML Help";

// A context whose program folder is a temporary one the test fills.
struct HelpFixture : TestContext {
    QTemporaryDir programFolder;

    HelpFixture()
    {
        app.path = programFolder.path();
        help::registerWindows(windows);
        startup::registerWindows(windows);
    }

    QString inProgramFolder(const QString& name) const { return QDir(programFolder.path()).filePath(name); }
};

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void setHelpFile_data();
    void setHelpFile();
    void ensureFileExists_data();
    void ensureFileExists();
    void displayContents_nameCheckWarnsAndGoesOn();
    void displayContents_ownerOnlyWhenShownOnTop_data();
    void displayContents_ownerOnlyWhenShownOnTop();
    void helpButtons_openTheContents_data();
    void helpButtons_openTheContents();
    void registerAndVersions();

    void tipFile_data();
    void tipFile();
    void tipFile_missingShowsTheMessage();
    void tipText_readsAsTipThenTheShownTip_data();
    void tipText_readsAsTipThenTheShownTip();
    void tipCheckBox_writesTheSetting();
    void tipWindow_okAndCloseUnloadIt();
};

void TestHelp::setHelpFile_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("selector");
    QTest::addColumn<QString>("result"); // %1: the program's folder

    QTest::newRow("file of file::popup") << "Sistema.chm::Sistema.txt" << 1 << "Sistema.chm";
    QTest::newRow("popup of file::popup") << "Sistema.chm::Sistema.txt" << 2 << "Sistema.txt";
    QTest::newRow("file alone, selector 1") << "Sistema.chm" << 1 << "Sistema.chm";
    QTest::newRow("file alone, selector 2") << "Sistema.chm" << 2 << "";
    QTest::newRow("other selector") << "Sistema.chm::Sistema.txt" << 3 << "";
    QTest::newRow("selector 0") << "Sistema.chm::Sistema.txt" << 0 << "";
    QTest::newRow("first :: splits") << "a.chm::b::c" << 1 << "a.chm";
    QTest::newRow("rest after the first ::") << "a.chm::b::c" << 2 << "b::c";
    QTest::newRow("empty setting, selector 1") << "" << 1 << "%1/Library.chm";
    QTest::newRow("empty setting, selector 2") << "" << 2 << "Library.txt";
}

void TestHelp::setHelpFile()
{
    QFETCH(QString, setting);
    QFETCH(int, selector);
    QFETCH(QString, result);
    HelpFixture t;
    help::HTMLHelp helpObject(t.context);
    QCOMPARE(helpObject.HHSetHelpFile(std::int16_t(selector), setting), result.replace(QStringLiteral("%1"), t.programFolder.path()));
}

void TestHelp::ensureFileExists_data()
{
    QTest::addColumn<QString>("where"); // program, registry, registry drive path, full path, missing
    QTest::newRow("in the program's folder") << "program";
    QTest::newRow("registry names another folder") << "registry";
    QTest::newRow("registry names a folder on drive C") << "registry drive path";
    QTest::newRow("a full path is taken as it is") << "full path";
    QTest::newRow("missing") << "missing";
}

void TestHelp::ensureFileExists()
{
    QFETCH(QString, where);
    HelpFixture t;
    QTemporaryDir other;
    QString expected;
    QString path = QStringLiteral("Sistema.chm");
    if (where == u"program") {
        expected = t.inProgramFolder(path);
        writeFile(expected, "ITSF");
    } else if (where == u"registry") {
        writeFile(t.inProgramFolder(path), "ITSF"); // the registry wins over the program's folder
        expected = QDir(other.path()).filePath(path);
        writeFile(expected, "ITSF");
        t.registry().setValue(platform::Registry::Root::LocalMachine, QString::fromLatin1(kRegistryKey), QStringLiteral("SISTEMA.CHM"), other.path() + u'/');
    } else if (where == u"registry drive path") {
        expected = t.platform.drives().hostPath(u"C:\\Help\\Sistema.chm");
        writeFile(expected, "ITSF");
        t.registry().setValue(platform::Registry::Root::LocalMachine, QString::fromLatin1(kRegistryKey), QStringLiteral("Sistema.chm"), QStringLiteral("C:\\Help"));
    } else if (where == u"full path") {
        path = QDir(other.path()).filePath(QStringLiteral("Other.chm"));
        expected = path;
        writeFile(expected, "ITSF");
    }

    help::HTMLHelp helpObject(t.context);
    if (where == u"missing") {
        QVERIFY(!helpObject.EnsureFileExists(path));
        QCOMPARE(path, t.inProgramFolder(QStringLiteral("Sistema.chm")));
        QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("The file ") + path
                                   + QStringLiteral(" does not exist.\nPlease make sure the correct path and file name have been specified.")});
        QCOMPARE(t.ui.boxes()[0].title, QStringLiteral("HTML Help Class"));
        QCOMPARE(t.ui.boxes()[0].icon, ui::Icon::Warning);
        return;
    }
    QVERIFY(helpObject.EnsureFileExists(path));
    QCOMPARE(QFileInfo(path).canonicalFilePath(), QFileInfo(expected).canonicalFilePath());
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(helpObject.HHRegFileExists(), where.startsWith(u"registry"));
}

void TestHelp::displayContents_nameCheckWarnsAndGoesOn()
{
    HelpFixture t;
    writeFile(t.inProgramFolder(QStringLiteral("Sistema.hlp")), "old help");
    help::HTMLHelp helpObject(t.context);
    helpObject.CHMFile = QStringLiteral("Sistema.hlp");
    helpObject.HHDisplayContents(nullptr);
    // Once for the display, once more for the registry look-up of a bare name.
    QVERIFY(!t.ui.texts().isEmpty());
    for (const QString& text : t.ui.texts())
        QCOMPARE(text, QStringLiteral("Sistema.hlp is not a valid HTML Help file."));
    QCOMPARE(t.ui.boxes()[0].icon, ui::Icon::Warning);
    QCOMPARE(t.ui.boxes()[0].title, QStringLiteral("HTML Help Class"));
    QCOMPARE(t.helpViewer().shown.size(), std::size_t(1));
    QCOMPARE(t.helpViewer().shown[0].path, t.inProgramFolder(QStringLiteral("Sistema.hlp")));
}

void TestHelp::displayContents_ownerOnlyWhenShownOnTop_data()
{
    QTest::addColumn<bool>("onTop");
    QTest::addColumn<bool>("withOwner");
    QTest::newRow("not on top, with a window") << false << true;
    QTest::newRow("not on top, no window") << false << false;
    QTest::newRow("on top, with a window") << true << true;
    QTest::newRow("on top, no window") << true << false;
}

void TestHelp::displayContents_ownerOnlyWhenShownOnTop()
{
    QFETCH(bool, onTop);
    QFETCH(bool, withOwner);
    HelpFixture t;
    writeFile(t.inProgramFolder(QStringLiteral("Sistema.chm")), "ITSF");
    QWidget screen;
    help::HTMLHelp helpObject(t.context);
    helpObject.CHMFile = QStringLiteral("Sistema.chm");
    helpObject.HHShowOnTop = onTop;
    helpObject.HHDisplayContents(withOwner ? &screen : nullptr);

    if (onTop && !withOwner) {
        QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("The HHDisplayContents method was called without a form being specified, "
                                                          "while HHShowOnTop was set to True.")});
        QVERIFY(t.helpViewer().shown.empty());
        QVERIFY(!helpObject.HHWndHandle());
        return;
    }
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(t.helpViewer().shown.size(), std::size_t(1));
    QCOMPARE(t.helpViewer().shown[0].owner.data(), onTop ? &screen : nullptr);
    QVERIFY(helpObject.HHWndHandle());
    QCOMPARE(helpObject.CHMFile, t.inProgramFolder(QStringLiteral("Sistema.chm")));

    // Once the help window is closed, the object says so when asked for it.
    helpObject.HHWndHandle()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!helpObject.HHWndHandleChecked());
    QCOMPARE(t.ui.texts().constLast(), QStringLiteral("The last HTML Help window opened has been closed."));
}

void TestHelp::helpButtons_openTheContents_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("popupFile");
    QTest::newRow("main menu &HELP") << "frmMain" << "cmdajuda" << "Sistema.txt";
    QTest::newRow("display settings HELP, before the main menu") << "frmChgSettings" << "cmdHelp" << "";
}

void TestHelp::helpButtons_openTheContents()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(QString, popupFile);
    HelpFixture t;
    writeFile(t.inProgramFolder(QStringLiteral("Sistema.chm")), "ITSF");
    QWidget* screen = t.windows.show(window);
    auto* help = screen->findChild<QPushButton*>(button);
    QTest::mouseClick(help, Qt::LeftButton);
    QTest::mouseClick(help, Qt::LeftButton);
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(t.helpViewer().shown.size(), std::size_t(2));
    QCOMPARE(t.helpViewer().shown[1].path, t.inProgramFolder(QStringLiteral("Sistema.chm")));
    QVERIFY(!t.helpViewer().shown[1].owner); // the help window stands on its own
    QCOMPARE(help::HTMLHelp(t.context).HHSetHelpFile(2, t.app.helpFile), popupFile);

    // Without the help file, the press says so and shows nothing.
    QFile::remove(t.inProgramFolder(QStringLiteral("Sistema.chm")));
    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(t.helpViewer().shown.size(), std::size_t(2));
    QVERIFY(t.ui.texts().constLast().startsWith(QStringLiteral("The file ")));
}

void TestHelp::registerAndVersions()
{
    HelpFixture t;
    writeFile(t.inProgramFolder(QStringLiteral("Sistema.chm")), "ITSF");
    help::HTMLHelp helpObject(t.context);
    helpObject.CHMFile = QStringLiteral("Sistema.chm");
    QVERIFY(helpObject.HHRegister());
    QVERIFY(helpObject.HHCheckRegistry(QStringLiteral("sistema.chm")));
    QCOMPARE(helpObject.HHRegFileName(), QStringLiteral("sistema.chm"));
    QVERIFY(helpObject.HHUnRegister());
    QVERIFY(!helpObject.HHCheckRegistry(QStringLiteral("Sistema.chm")));
    QCOMPARE(helpObject.HHRegFilePath(), QString());

    // No help engine is registered here.
    QVERIFY(!helpObject.HHInstalled());
    QCOMPARE(helpObject.HHFriendlyName(), QStringLiteral("unknown"));
    QCOMPARE(t.ui.texts().constLast(), QStringLiteral("Hhctrl.ocx is not registered.  Please install HTML Help."));
    QCOMPARE(t.ui.boxes().back().icon, ui::Icon::Critical);
    const QString engine = QStringLiteral("CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32");
    t.registry().setValue(platform::Registry::Root::ClassesRoot, engine, QStringLiteral("(Default)"), t.inProgramFolder(QStringLiteral("hhctrl.ocx")));
    t.registry().setValue(platform::Registry::Root::ClassesRoot, engine, QStringLiteral("Version"), QStringLiteral("4.74.8702.00"));
    QCOMPARE(helpObject.HHVersion(), QString());
    QCOMPARE(t.ui.texts().constLast(), QStringLiteral("Hhctrl.ocx is not in its registered location.  Please reinstall HTML Help."));
    writeFile(t.inProgramFolder(QStringLiteral("hhctrl.ocx")), "engine");
    QCOMPARE(helpObject.HHFriendlyName(), QStringLiteral("1.3"));
    QVERIFY(!helpObject.HHVerifyMinConfig(27, 256));
}

void TestHelp::tipFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("tips");
    QTest::newRow("one line") << QByteArray("Press End to total the sale.\r\n") << QStringList{QStringLiteral("Press End to total the sale.")};
    QTest::newRow("one line, no line end") << QByteArray("Only tip") << QStringList{QStringLiteral("Only tip")};
    QTest::newRow("with an empty line") << QByteArray("First\r\n\r\nThird\r\n")
                                        << QStringList{QStringLiteral("First"), QString(), QStringLiteral("Third")};
    QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 \x80 5 \x93quoted\x94\r\n")
                                  << QStringList{QStringLiteral("Caf\u00e9 \u20ac 5 \u201cquoted\u201d")};
    QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac 5\r\n") << QStringList{QStringLiteral("Caf\u00e9 \u20ac 5")};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void TestHelp::tipFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, tips);
    HelpFixture t;
    writeFile(t.inProgramFolder(QStringLiteral("TIPOFDAY.TXT")), bytes);
    auto* tip = static_cast<help::TipWindow*>(t.windows.show(QStringLiteral("frmTip")));
    QCOMPARE(tip->windowTitle(), QStringLiteral("Tip of The Day"));
    QCOMPARE(tip->tips(), tips);
    QVERIFY(tip->chkLoadTipsAtStartup->isChecked());
    for (int press = 0; press < 20; ++press) {
        if (tips.isEmpty())
            QCOMPARE(tip->lblTipText->text(), QString()); // an empty file leaves the label blank
        else
            QVERIFY(tips.contains(tip->lblTipText->text()));
        QTest::mouseClick(tip->cmdNextTip, Qt::LeftButton);
    }
    if (tips.size() == 3) {
        // Drawn with replacement, the empty line comes up too.
        bool sawBlank = false;
        for (int press = 0; press < 200 && !sawBlank; ++press) {
            QTest::mouseClick(tip->cmdNextTip, Qt::LeftButton);
            sawBlank = tip->lblTipText->text().isEmpty();
        }
        QVERIFY(sawBlank);
    }
    QVERIFY(t.ui.boxes().empty());
}

void TestHelp::tipFile_missingShowsTheMessage()
{
    HelpFixture t;
    auto* tip = static_cast<help::TipWindow*>(t.windows.show(QStringLiteral("frmTip")));
    const QString message = QStringLiteral("That the TIPOFDAY.TXT file was not found? \r\n\r\nCreate a text file named TIPOFDAY.TXT using "
                                           "NotePad with 1 tip per line. Then place it in the same directory as the application. ");
    QCOMPARE(tip->lblTipText->text(), message);
    QTest::mouseClick(tip->cmdNextTip, Qt::LeftButton);
    QCOMPARE(tip->lblTipText->text(), message);
}

void TestHelp::tipText_readsAsTipThenTheShownTip_data()
{
    QTest::addColumn<QByteArray>("bytes"); // the tip file; null: none
    QTest::newRow("tips from the file") << QByteArray("Press End to total the sale.\r\nF2 goes back to the menu.\r\n");
    QTest::newRow("no tip file") << QByteArray();
}

void TestHelp::tipText_readsAsTipThenTheShownTip()
{
    QFETCH(QByteArray, bytes);
    HelpFixture t;
    if (!bytes.isNull())
        writeFile(t.inProgramFolder(QStringLiteral("TIPOFDAY.TXT")), bytes);
    auto* tip = static_cast<help::TipWindow*>(t.windows.show(QStringLiteral("frmTip")));
    for (int press = 0; press < 5; ++press) {
        QVERIFY(!tip->lblTipText->text().isEmpty());
        QCOMPARE(testing::readAloud(tip->lblTipText), std::pair(QStringLiteral("Tip"), tip->lblTipText->text()));
        QTest::mouseClick(tip->cmdNextTip, Qt::LeftButton);
    }
}

void TestHelp::tipCheckBox_writesTheSetting()
{
    HelpFixture t;
    writeFile(t.inProgramFolder(QStringLiteral("TIPOFDAY.TXT")), "A tip\r\n");
    auto* tip = static_cast<help::TipWindow*>(t.windows.show(QStringLiteral("frmTip")));
    const auto setting = [&] {
        return t.ui.setting(QStringLiteral("point-of-sale"), QStringLiteral("Options"), QStringLiteral("Show Tips at Startup"), QStringLiteral("unset"));
    };
    QCOMPARE(setting(), QStringLiteral("unset")); // ticking the box at load writes nothing
    QTest::mouseClick(tip->chkLoadTipsAtStartup, Qt::LeftButton);
    QCOMPARE(setting(), QStringLiteral("0"));
    QTest::mouseClick(tip->chkLoadTipsAtStartup, Qt::LeftButton);
    QCOMPARE(setting(), QStringLiteral("1"));
}

void TestHelp::tipWindow_okAndCloseUnloadIt()
{
    HelpFixture t;
    auto* tip = static_cast<help::TipWindow*>(t.windows.show(QStringLiteral("frmTip")));
    QTest::mouseClick(tip->cmdOK, Qt::LeftButton);
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmTip")));
    tip = static_cast<help::TipWindow*>(t.windows.show(QStringLiteral("frmTip")));
    tip->close();
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmTip")));
}

QTEST_MAIN(TestHelp)
#include "test_help.moc"
