#include "app/window.h"
#include "app/window_manager.h"
#include "platform/fakes.h"
#include "startup/display_check.h"
#include "startup/main_window.h"
#include "startup/settings_window.h"
#include "startup/splash_window.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/record_source.h"
#include "support/read_aloud.h"
#include "support/test_context.h"
#include "ui/artwork.h"
#include "ui/bound_date_picker.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmapCache>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using store::RecordSource;
using store::Value;
using testing::TestContext;

namespace {

// A stand-in for a window that a later screen provides.
class StubWindow : public app::Window {
public:
    StubWindow(app::Context& context, const QString& name) : app::Window(context, name) { resize(200, 100); }
};

void registerStub(app::WindowManager& windows, const QString& name)
{
    windows.registerWindow(name, [name](app::Context& context) { return std::make_unique<StubWindow>(context, name); });
}

int topLevelsNamed(const QString& name)
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->objectName() == name ? 1 : 0;
    return count;
}

struct StartupFixture : TestContext {
    explicit StartupFixture(QDate today = QDate(2026, 12, 10)) : TestContext(today)
    {
        startup::registerWindows(windows);
    }

    startup::SplashWindow* showSplash()
    {
        return static_cast<startup::SplashWindow*>(windows.show(QStringLiteral("frmSplash")));
    }

    void setBusinessDate(const Value& date)
    {
        RecordSource day(*store, QStringLiteral("d"), QStringLiteral("tblDailySale"));
        day.edit();
        day.setField(u"tDate", date);
        day.update();
    }

    Value field(const QString& table, const QString& name)
    {
        RecordSource source(*store, QStringLiteral("check"), table);
        return source.atEnd() ? Value(QStringLiteral("<no row>")) : source.field(name);
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void splash_showsVersionAndStartsItsTimer();
    void splash_valuesReadAsCaptionThenTheShownText_data();
    void splash_valuesReadAsCaptionThenTheShownText();
    void splash_picturesAreDrawnWhenShownAtTheirSize_data();
    void splash_picturesAreDrawnWhenShownAtTheirSize();
    void rollOver_data();
    void rollOver();
    void rollOver_cutShort_countsTheDayOnceAtTheNextStart_data();
    void rollOver_cutShort_countsTheDayOnceAtTheNextStart();
    void firstThreeTicks_onlyCount();
    void screenSize_data();
    void screenSize();
    void changeDisplayMode_data();
    void changeDisplayMode();
    void changeSettingsButton_triesAgainEachPress();
    void settingsWindow_okAndCloseEndTheProgram_data();
    void settingsWindow_okAndCloseEndTheProgram();
    void mainMenu_captionsAndAccessKeys_data();
    void mainMenu_captionsAndAccessKeys();
    void mainMenu_placementAndBusinessDate_data();
    void mainMenu_placementAndBusinessDate();
    void mainMenu_gateButtonTwiceShowsOneWindow();
    void mainMenu_screenButtonsHideTheMenu();
    void mainMenu_screenThatCannotReadItsStoreIsTold();
    void mainMenu_exitAndCloseEndTheProgram_data();
    void mainMenu_exitAndCloseEndTheProgram();
};

void TestStartup::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestStartup::splash_showsVersionAndStartsItsTimer()
{
    StartupFixture t;
    auto* splash = t.showSplash();
    QVERIFY(splash);
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 1.0.0"));
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("lblPlatform"))->text(), QStringLiteral("Windows 9x/ME"));
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("lblCompany"))->text(), QStringLiteral("Vantoral\u00ae"));
    auto* timer = splash->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 600);
    QVERIFY(splash->width() <= 800 && splash->height() <= 600);

    // Left to run, the fourth tick hands over to the main menu.
    QTRY_VERIFY_WITH_TIMEOUT(t.windows.isLoaded(QStringLiteral("frmMain")), 5000);
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmSplash")));
    QCOMPARE(t.ui.failures(), QString());
}

void TestStartup::splash_valuesReadAsCaptionThenTheShownText_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("version") << "lblVersion" << "Version" << "Version 1.0.0";
    QTest::newRow("platform") << "lblPlatform" << "Platform" << "Windows 9x/ME";
}

void TestStartup::splash_valuesReadAsCaptionThenTheShownText()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    StartupFixture t;
    auto* value = t.showSplash()->findChild<QLabel*>(label);
    QVERIFY(value);
    QCOMPARE(value->text(), shown);
    QCOMPARE(testing::readAloud(value), std::pair(caption, shown));
}

void TestStartup::splash_picturesAreDrawnWhenShownAtTheirSize_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("picture");
    QTest::newRow("grocery bag") << "Image1" << "splash.png";
    QTest::newRow("logo") << "Image2" << "logo.png";
}

void TestStartup::splash_picturesAreDrawnWhenShownAtTheirSize()
{
    QFETCH(QString, label);
    QFETCH(QString, picture);
    QPixmapCache::clear(); // no picture decoded by an earlier window
    StartupFixture t;
    app::Window* splash = t.windows.load(QStringLiteral("frmSplash"));
    auto* image = splash->findChild<QLabel*>(label);
    const QSize laidOut = splash->size();
    const QImage expected = ui::artwork(picture).toImage();
    QVERIFY(!expected.isNull());
    // Before it is shown the window already has room for the picture.
    QCOMPARE(image->size(), expected.size());

    t.windows.show(QStringLiteral("frmSplash"));
    QCOMPARE(image->pixmap().toImage(), expected);
    QCOMPARE(splash->size(), laidOut);
}

void TestStartup::rollOver_data()
{
    QTest::addColumn<Value>("storedDate");
    QTest::addColumn<int>("daysBefore");    // -1: tblCathegory empty
    QTest::addColumn<bool>("dailyRow");     // false: tblDailySale empty
    QTest::addColumn<int>("daysAfter");
    QTest::addColumn<bool>("menuShown");

    const QDate today(2026, 12, 10);
    QTest::newRow("new day") << Value(today.addDays(-1)) << 4 << true << 5 << true;
    QTest::newRow("a week later") << Value(today.addDays(-7)) << 4 << true << 5 << true;
    QTest::newRow("same day") << Value(today) << 4 << true << 4 << true;
    QTest::newRow("stored date later than today") << Value(today.addDays(3)) << 4 << true << 5 << true;
    QTest::newRow("empty tblCathegory on a new day") << Value(today.addDays(-1)) << -1 << true << 1 << true;
    QTest::newRow("empty tblCathegory on the same day") << Value(today) << -1 << true << -1 << true;
    QTest::newRow("no value in tDate") << Value() << 4 << true << 4 << false;
    QTest::newRow("empty tblDailySale") << Value() << 4 << false << 4 << false;
}

void TestStartup::rollOver()
{
    QFETCH(Value, storedDate);
    QFETCH(int, daysBefore);
    QFETCH(bool, dailyRow);
    QFETCH(int, daysAfter);
    QFETCH(bool, menuShown);

    StartupFixture t;
    if (daysBefore >= 0) {
        RecordSource tallies(*t.store, QStringLiteral("c"), QStringLiteral("tblCathegory"));
        tallies.addNew();
        tallies.setField(u"NumberOfDays", daysBefore);
        tallies.setField(u"Meat", 9);
        tallies.update();
    }
    if (dailyRow) {
        t.setBusinessDate(storedDate);
    } else {
        RecordSource day(*t.store, QStringLiteral("d"), QStringLiteral("tblDailySale"));
        day.remove();
    }

    auto* splash = t.showSplash();
    splash->Timer1->stop();
    for (int tick = 0; tick < 4 && t.windows.isLoaded(QStringLiteral("frmSplash")); ++tick)
        splash->Timer1_Timer();

    QCOMPARE(t.windows.isLoaded(QStringLiteral("frmMain")), menuShown);
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmSplash")));
    if (daysAfter >= 0)
        QCOMPARE(t.field(QStringLiteral("tblCathegory"), QStringLiteral("NumberOfDays")), Value(std::int16_t(daysAfter)));
    else
        QCOMPARE(t.field(QStringLiteral("tblCathegory"), QStringLiteral("NumberOfDays")), Value(QStringLiteral("<no row>")));
    if (daysBefore >= 0)
        QCOMPARE(t.field(QStringLiteral("tblCathegory"), QStringLiteral("Meat")), Value(std::int16_t(9)));
    if (menuShown)
        QCOMPARE(t.field(QStringLiteral("tblDailySale"), QStringLiteral("tDate")), Value(t.clock.today()));
    else
        QVERIFY(t.ui.ended()); // no window is left, so the program ends
    QVERIFY(t.ui.boxes().empty());
}

void TestStartup::rollOver_cutShort_countsTheDayOnceAtTheNextStart_data()
{
    QTest::addColumn<QString>("failingTable");
    QTest::addColumn<bool>("disk"); // the disk fails, rather than the store refusing the row
    QTest::newRow("the day count refused") << QStringLiteral("tblCathegory") << false;
    QTest::newRow("the business date refused") << QStringLiteral("tblDailySale") << false;
    QTest::newRow("the disk fails under the day count") << QStringLiteral("tblCathegory") << true;
    QTest::newRow("the disk fails under the business date") << QStringLiteral("tblDailySale") << true;
}

// A roll-over that cannot be written whole writes nothing: the next start counts the new day
// once, however far the first got. The program ends; a failing disk is told first, since nothing
// would be left on the screen to tell it.
void TestStartup::rollOver_cutShort_countsTheDayOnceAtTheNextStart()
{
    QFETCH(QString, failingTable);
    QFETCH(bool, disk);
    StartupFixture t;
    {
        RecordSource tallies(*t.store, QStringLiteral("c"), QStringLiteral("tblCathegory"));
        tallies.addNew();
        tallies.setField(u"NumberOfDays", 4);
        tallies.update();
    }
    const QDate yesterday = t.clock.today().addDays(-1);
    t.setBusinessDate(Value(yesterday));
    const auto start = [&] {
        auto* splash = t.showSplash();
        splash->Timer1->stop();
        for (int tick = 0; tick < 4 && t.windows.isLoaded(QStringLiteral("frmSplash")); ++tick)
            splash->Timer1_Timer();
    };

    t.store->setWriteHook([&](const QString& table) {
        if (table == failingTable)
            throw store::Error(disk ? store::ErrorKind::IO : store::ErrorKind::Constraint, QStringLiteral("disk I/O error"), disk);
    });
    start();
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmMain")));
    QVERIFY(t.ui.ended());
    if (disk) {
        QCOMPARE(int(t.ui.boxes().size()), 1);
        QCOMPARE(t.ui.boxes()[0].text, QStringLiteral("The program could not start the day, and ends. disk I/O error"));
        QCOMPARE(t.ui.boxes()[0].icon, ui::Icon::Critical);
    } else {
        QVERIFY(t.ui.boxes().empty());
    }
    t.ui.clearBoxes();
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), QStringLiteral("NumberOfDays")), Value(std::int16_t(4)));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), QStringLiteral("tDate")), Value(yesterday));

    t.store->setWriteHook({});
    start();
    QVERIFY(t.windows.isLoaded(QStringLiteral("frmMain")));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), QStringLiteral("NumberOfDays")), Value(std::int16_t(5)));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), QStringLiteral("tDate")), Value(t.clock.today()));
}

void TestStartup::firstThreeTicks_onlyCount()
{
    StartupFixture t;
    t.setBusinessDate(Value(QDate(2026, 12, 9)));
    auto* splash = t.showSplash();
    splash->Timer1->stop();
    for (int tick = 1; tick <= 3; ++tick) {
        splash->Timer1_Timer();
        QCOMPARE(int(splash->tickCount()), tick);
    }
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), QStringLiteral("tDate")), Value(QDate(2026, 12, 9)));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), QStringLiteral("NumberOfDays")), Value(QStringLiteral("<no row>")));
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmMain")));
}

void TestStartup::screenSize_data()
{
    QTest::addColumn<QSize>("screen"); // in logical units
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<bool>("passes");
    QTest::newRow("800 x 600") << QSize(800, 600) << 1.0 << true;
    QTest::newRow("1024 x 768") << QSize(1024, 768) << 1.0 << false;
    QTest::newRow("640 x 480") << QSize(640, 480) << 1.0 << false;
    QTest::newRow("800 x 601") << QSize(800, 601) << 1.0 << false;
    QTest::newRow("600 x 800") << QSize(600, 800) << 1.0 << false;
    // The display's own pixels count, not the scaled desktop's units.
    QTest::newRow("1600 x 1200 at scale 2") << QSize(800, 600) << 2.0 << false;
    QTest::newRow("800 x 600 at scale 1.25") << QSize(640, 480) << 1.25 << true;
}

void TestStartup::screenSize()
{
    QFETCH(QSize, screen);
    QFETCH(qreal, scale);
    QFETCH(bool, passes);
    // The colour depth plays no part: the display offers 800 x 600 at 32 bits only.
    StartupFixture t;
    t.platform = platform::Platform(platform::Drives(t.root.path()),
        std::make_unique<testing::FakeDisplaySettings>(std::vector<platform::DisplayMode>{{800, 600, 32}}), nullptr);
    t.setBusinessDate(Value(QDate(2026, 12, 9)));
    t.ui.setScreenSize(screen, scale);
    QCOMPARE(startup::CheckScreenResolution(t.context), passes);

    t.showSplash();
    QCOMPARE(t.windows.isLoaded(QStringLiteral("frmSplash")), passes);
    QCOMPARE(t.windows.isLoaded(QStringLiteral("frmChgSettings")), !passes);
    if (!passes) {
        QCOMPARE(t.windows.loadedNames(), QStringList{QStringLiteral("frmChgSettings")});
        QVERIFY(t.windows.find(QStringLiteral("frmChgSettings"))->isVisible());
        // No tick is ever processed: the store is untouched.
        QTest::qWait(50);
        QCOMPARE(t.field(QStringLiteral("tblDailySale"), QStringLiteral("tDate")), Value(QDate(2026, 12, 9)));
        QCOMPARE(t.field(QStringLiteral("tblCathegory"), QStringLiteral("NumberOfDays")), Value(QStringLiteral("<no row>")));
    }
    QVERIFY(t.ui.boxes().empty());
}

void TestStartup::changeDisplayMode_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("text");  // empty: no box
    QTest::addColumn<QString>("title"); // as shown
    QTest::addColumn<ui::Icon>("icon");

    QTest::newRow("0 changed") << 0 << "The display settings change was successful. No need to restart."
                               << "Settings has been changed" << ui::Icon::None;
    QTest::newRow("1 restart") << 1 << "The computer must be restarted in order for the graphics mode to work"
                               << "Please restart your computer" << ui::Icon::None;
    QTest::newRow("-1 driver failed") << -1 << "The display driver failed the specified graphics mode" << "Point of Sale" << ui::Icon::Critical;
    QTest::newRow("-2 not supported") << -2 << "The graphics mode is not supported" << "Point of Sale" << ui::Icon::Critical;
    QTest::newRow("-3 registry") << -3 << "Unable to write settings to the registry" << "Point of Sale" << ui::Icon::Critical;
    QTest::newRow("-4 bad flags") << -4 << "An invalid set of flags was passed in" << "Point of Sale" << ui::Icon::Critical;
    QTest::newRow("other code") << 7 << "" << "" << ui::Icon::None;
}

void TestStartup::changeDisplayMode()
{
    QFETCH(int, result);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(ui::Icon, icon);

    StartupFixture t;
    auto display = std::make_unique<testing::FakeDisplaySettings>(
        std::vector<platform::DisplayMode>{{1024, 768, 16}, {800, 600, 32}, {800, 600, 16}, {800, 600, 16}}, result);
    auto* fake = display.get();
    t.platform = platform::Platform(platform::Drives(t.root.path()), std::move(display), nullptr);

    startup::ChangeDisplayMode(t.context, 800, 600, 16);
    QCOMPARE(fake->applied.size(), std::size_t(1));
    QCOMPARE(fake->applied[0].mode, (platform::DisplayMode{800, 600, 16}));
    QVERIFY(fake->applied[0].makeDefault);
    if (text.isEmpty()) {
        QVERIFY(t.ui.boxes().empty());
        return;
    }
    QCOMPARE(t.ui.boxes().size(), std::size_t(1));
    const testing::ShownBox& box = t.ui.boxes()[0];
    QCOMPARE(box.text, text);
    QCOMPARE(box.shownTitle, title);
    QCOMPARE(box.icon, icon);
    QCOMPARE(box.buttons, ui::Buttons::Ok);
}

void TestStartup::changeSettingsButton_triesAgainEachPress()
{
    StartupFixture t;
    auto display = std::make_unique<testing::FakeDisplaySettings>(std::vector<platform::DisplayMode>{{800, 600, 24}, {800, 600, 32}});
    auto* fake = display.get();
    t.platform = platform::Platform(platform::Drives(t.root.path()), std::move(display), nullptr);
    t.ui.setScreenSize(QSize(1024, 768));
    t.showSplash();
    auto* settings = static_cast<startup::SettingsWindow*>(t.windows.find(QStringLiteral("frmChgSettings")));
    QVERIFY(settings);

    // 800 x 600 only at 24 or 32 bits: no mode matches, nothing is applied, and the user is told.
    QTest::mouseClick(settings->cmdChange, Qt::LeftButton);
    QVERIFY(fake->applied.empty());
    QCOMPARE(t.ui.boxes().size(), std::size_t(1));
    QVERIFY(t.ui.boxes()[0].text.startsWith(QStringLiteral("The display offers no 800 x 600 mode at 16 bits per pixel")));

    // Once the mode is there, each press applies it again and reports its own result.
    fake->modes.push_back({800, 600, 16});
    QTest::mouseClick(settings->cmdChange, Qt::LeftButton);
    fake->result = 1;
    QTest::mouseClick(settings->cmdChange, Qt::LeftButton);
    QCOMPARE(fake->applied.size(), std::size_t(2));
    QCOMPARE(t.ui.texts().mid(1), (QStringList{QStringLiteral("The display settings change was successful. No need to restart."),
                                       QStringLiteral("The computer must be restarted in order for the graphics mode to work")}));
    QVERIFY(settings->isVisible());
    QVERIFY(!t.ui.ended());
}

void TestStartup::settingsWindow_okAndCloseEndTheProgram_data()
{
    QTest::addColumn<bool>("useOk");
    QTest::newRow("OK") << true;
    QTest::newRow("close button") << false;
}

void TestStartup::settingsWindow_okAndCloseEndTheProgram()
{
    QFETCH(bool, useOk);
    StartupFixture t;
    t.ui.setScreenSize(QSize(640, 480));
    t.showSplash();
    auto* settings = static_cast<startup::SettingsWindow*>(t.windows.find(QStringLiteral("frmChgSettings")));
    QCOMPARE(settings->windowTitle(), QStringLiteral(" You must change your settings before proceeding."));
    QCOMPARE(settings->lblChange->text(), QStringLiteral("Changing your settings"));
    QCOMPARE(settings->cmdChange->text(), QStringLiteral("CHANGE SETTINGS"));
    QCOMPARE(settings->cmdHelp->text(), QStringLiteral("HELP"));
    QCOMPARE(settings->cmdOK->text(), QStringLiteral("OK"));
    const QString warning = startup::SettingsWindow::warningText();
    QCOMPARE(warning.count(QStringLiteral("\r\n")), 11);
    QVERIFY(warning.endsWith(QStringLiteral("   computer.\r\n")));
    QVERIFY(warning.startsWith(QStringLiteral("\tVantoral\u00ae POS has detected that your system settings are not propper to \r\n")));
    QVERIFY(warning.contains(QStringLiteral("\r\n   instructions from    there.  Notice that you may be required to reboot your machine.  \r\n")));
    QCOMPARE(settings->txtWarning->toPlainText(), QString(warning).remove(u'\r'));
    QVERIFY(settings->width() <= 800 && settings->height() <= 600);

    if (useOk)
        QTest::mouseClick(settings->cmdOK, Qt::LeftButton);
    else
        settings->close();
    QVERIFY(t.ui.ended());
}

void TestStartup::mainMenu_captionsAndAccessKeys_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::newRow("cmdCashReg") << "cmdCashReg" << "OPEN CASH REGISTER";
    QTest::newRow("cmdUpdDb") << "cmdUpdDb" << " PRODUCTS";
    QTest::newRow("cmdTutor") << "cmdTutor" << "EMPLOYEE LIST";
    QTest::newRow("cmdViewGraph") << "cmdViewGraph" << "SALES ANALYSIS";
    QTest::newRow("Command1") << "Command1" << "ITEMS SOLD TODAY";
    QTest::newRow("cmdprevention") << "cmdprevention" << "SYNCHRONIZATION";
    QTest::newRow("Command2") << "Command2" << "&ABOUT";
    QTest::newRow("cmdajuda") << "cmdajuda" << "&HELP";
    QTest::newRow("cmdSair") << "cmdSair" << "&EXIT";
}

void TestStartup::mainMenu_captionsAndAccessKeys()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    StartupFixture t;
    QWidget* menu = t.windows.load(QStringLiteral("frmMain"));
    QCOMPARE(menu->windowTitle(), QStringLiteral("                ************WELCOME TO VANTORAL\u00ae POINT OF SALE SYSTEM************"));
    auto* control = menu->findChild<QPushButton*>(button);
    QVERIFY(control);
    QCOMPARE(control->text(), caption);
    QVERIFY(!control->accessibleName().isEmpty());
    if (caption.contains(u'&'))
        QCOMPARE(control->shortcut(), QKeySequence(QStringLiteral("Alt+") + caption.at(caption.indexOf(u'&') + 1)));
}

void TestStartup::mainMenu_placementAndBusinessDate_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::newRow("800 x 600") << QSize(800, 600);
    QTest::newRow("odd sizes drop the remainder") << QSize(801, 601);
}

void TestStartup::mainMenu_placementAndBusinessDate()
{
    QFETCH(QSize, screen);
    StartupFixture t;
    registerStub(t.windows, QStringLiteral("daillySale"));
    t.ui.setScreenSize(screen);
    auto* menu = static_cast<startup::MainWindow*>(t.windows.show(QStringLiteral("frmMain")));
    const QPoint expected(screen.width() / 2 - menu->width() / 2, screen.height() / 3 - menu->height() / 2);
    QCOMPARE(menu->pos(), expected);
    QVERIFY(menu->width() <= 800 && menu->height() <= 600);
    QCOMPARE(t.app.helpFile, QStringLiteral("Sistema.chm::Sistema.txt"));
    QCOMPARE(menu->Dta->date(), QDate(2026, 12, 10));
    QVERIFY(!menu->Dta->isVisible());

    // The business date is the one read at load, even when the stored one changes later.
    t.setBusinessDate(Value(QDate(2026, 12, 11)));
    QCOMPARE(menu->Dta->date(), QDate(2026, 12, 10));

    // Back from another screen, the menu is where it was put at load.
    QTest::mouseClick(menu->Command1, Qt::LeftButton);
    QVERIFY(!menu->isVisible());
    t.windows.show(QStringLiteral("frmMain"));
    QCOMPARE(menu->pos(), expected);
}

void TestStartup::mainMenu_gateButtonTwiceShowsOneWindow()
{
    StartupFixture t;
    registerStub(t.windows, QStringLiteral("frmPassCash"));
    auto* menu = static_cast<startup::MainWindow*>(t.windows.show(QStringLiteral("frmMain")));
    QTest::mouseClick(menu->cmdCashReg, Qt::LeftButton);
    QWidget* gate = t.windows.find(QStringLiteral("frmPassCash"));
    QVERIFY(gate && gate->isVisible());
    QTest::mouseClick(menu->cmdCashReg, Qt::LeftButton);
    QCOMPARE(t.windows.find(QStringLiteral("frmPassCash")), gate);
    QCOMPARE(topLevelsNamed(QStringLiteral("frmPassCash")), 1);
    QVERIFY(menu->isVisible()); // a gate opens over the menu

    // A gate whose window does not exist yet leaves the menu as it is.
    QTest::mouseClick(menu->cmdUpdDb, Qt::LeftButton);
    QVERIFY(menu->isVisible());
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmPassUpd")));

    // So does one that fails as it opens, whatever the failure.
    t.windows.registerWindow(QStringLiteral("frmPassEmployee"), [](app::Context&) -> std::unique_ptr<app::Window> {
        throw std::runtime_error("Employees cannot be read");
    });
    QTest::mouseClick(menu->cmdTutor, Qt::LeftButton);
    QVERIFY(menu->isVisible());
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmPassEmployee")));
}

void TestStartup::mainMenu_screenButtonsHideTheMenu()
{
    StartupFixture t;
    registerStub(t.windows, QStringLiteral("frmGraphsCall"));
    registerStub(t.windows, QStringLiteral("frmBackup"));
    auto* menu = static_cast<startup::MainWindow*>(t.windows.show(QStringLiteral("frmMain")));
    QTest::mouseClick(menu->cmdViewGraph, Qt::LeftButton);
    QVERIFY(t.windows.find(QStringLiteral("frmGraphsCall"))->isVisible());
    QVERIFY(!menu->isVisible());
    t.windows.show(QStringLiteral("frmMain"));
    QTest::mouseClick(menu->cmdprevention, Qt::LeftButton);
    QVERIFY(t.windows.find(QStringLiteral("frmBackup"))->isVisible());
    QVERIFY(!menu->isVisible());
    // A screen that is not there yet: the menu stays.
    t.windows.show(QStringLiteral("frmMain"));
    QTest::mouseClick(menu->Command1, Qt::LeftButton);
    QVERIFY(menu->isVisible());
}

void TestStartup::mainMenu_screenThatCannotReadItsStoreIsTold()
{
    StartupFixture t;
    t.windows.registerWindow(QStringLiteral("daillySale"), [](app::Context&) -> std::unique_ptr<app::Window> {
        throw store::Error(store::ErrorKind::IO, QStringLiteral("disk I/O error"));
    });
    auto* menu = static_cast<startup::MainWindow*>(t.windows.show(QStringLiteral("frmMain")));
    QTest::mouseClick(menu->Command1, Qt::LeftButton);
    QVERIFY(menu->isVisible());
    QCOMPARE(int(t.ui.boxes().size()), 1);
    QCOMPARE(t.ui.boxes()[0].text, QStringLiteral("disk I/O error"));
    QCOMPARE(t.ui.boxes()[0].icon, ui::Icon::Critical);
    QCOMPARE(t.ui.boxes()[0].buttons, ui::Buttons::Ok);
}

void TestStartup::mainMenu_exitAndCloseEndTheProgram_data()
{
    QTest::addColumn<bool>("useExit");
    QTest::newRow("&EXIT") << true;
    QTest::newRow("close button") << false;
}

void TestStartup::mainMenu_exitAndCloseEndTheProgram()
{
    QFETCH(bool, useExit);
    StartupFixture t;
    auto* menu = static_cast<startup::MainWindow*>(t.windows.show(QStringLiteral("frmMain")));
    // Shutting down without closing the day.
    t.ui.answerMessage(ui::Button::Yes);
    t.ui.answerMessage(ui::Button::No);
    if (useExit)
        QTest::mouseClick(menu->cmdSair, Qt::LeftButton);
    else
        menu->close();
    QVERIFY(t.ui.ended());
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
