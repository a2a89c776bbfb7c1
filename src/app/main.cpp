#include "app/app_info.h"
#include "app/clock.h"
#include "app/command_line.h"
#include "app/context.h"
#include "app/printer_choice.h"
#include "app/window_manager.h"
#include "platform/chm_help_viewer.h"
#include "platform/drive_types.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "startup/day_report.h"
#include "startup/printer_window.h"
#include "startup/restore.h"
#include "startup/splash_window.h"
#include "startup/store_lock.h"
#include "startup/windows.h"
#include "about/about_window.h"
#include "register/sale_recovery.h"
#include "register/windows.h"
#include "help/windows.h"
#include "access/gates.h"
#include "catalogue/windows.h"
#include "staff/windows.h"
#include "review/windows.h"
#include "replication/windows.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/store.h"
#include "ui/artwork.h"
#include "ui/qt_services.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <future>
#include <memory>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// A window's backing store and its pictures are large blocks, which glibc by default maps for
// each and gives back to the system when they are freed, so that the next window touches fresh
// pages, each a page fault. Kept in the heap instead, a window opened after another has closed
// reuses its pages: the main menu and the tip of the day those of the splash. The heap keeps at
// most a few megabytes it does not use.
void keepLargeBlocksInTheHeap()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 8 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}

// For measuring start-up: with POS_QUIT_WHEN_SHOWN naming a window, the program writes the
// moment that window is shown on its standard output (nanoseconds of the monotonic clock, the
// clock a measuring parent reads too) and ends. It leaves the event loop without closing the
// windows: a window's close runs its own way back, which may refuse the close and keep the
// program going.
class QuitWhenShown : public QObject {
public:
    QuitWhenShown(QApplication& application, QString name) : QObject(&application), m_name(std::move(name))
    {
        application.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == m_name) {
            const auto shown = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("shown %lld\n", static_cast<long long>(std::chrono::nanoseconds(shown).count()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QuitWhenShown::exitEventLoop);
        }
        return false;
    }

private:
    // A window shown before the event loop runs (the splash) may see its timer fire while it
    // processes events itself; exit() then has no loop to leave, so it waits for the loop.
    static void exitEventLoop()
    {
        if (QThread::currentThread()->loopLevel() == 0)
            QTimer::singleShot(0, qApp, &QuitWhenShown::exitEventLoop);
        else
            QCoreApplication::exit(0);
    }

    QString m_name;
};

void quitWhenShown(QApplication& application, const QString& name)
{
    if (!name.isEmpty())
        new QuitWhenShown(application, name);
}

} // namespace

int main(int argc, char* argv[])
{
    keepLargeBlocksInTheHeap();
    QApplication::setApplicationName(ui::kApplicationTitle.toString());
    // The desktop's menu entry, so that the desktop shows the program's windows under its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("point-of-sale"));
    const app::CommandLine options = app::readCommandLine(argc, argv, app::AppInfo{});
    if (options.exitCode)
        return *options.exitCode;
    app::SystemClock clock;
    platform::Drives drives(platform::Drives::defaultRoot());
    const QString storePath = drives.hostPath(u"C:\\Program Files\\Point of Sale\\Grocery.mdb");
    // `point-of-sale --restore FILE` puts a backup in the store's place, says what it did, and ends.
    if (options.restoreFile) {
        const startup::RestoreOutcome outcome = startup::restoreStore(storePath, *options.restoreFile, clock.current());
        std::fprintf(outcome.restored ? stdout : stderr, "%s\n", outcome.said.toLocal8Bit().constData());
        return outcome.restored ? 0 : 1;
    }
    // Receipts that are not printed are kept as PDF files beside the store.
    const QString receiptsFolder = QFileInfo(storePath).dir().filePath(QStringLiteral("Receipts"));
    // `point-of-sale --printer-setup` opens the printer window alone, without the store: the
    // manager chooses the till's printer, which the till uses from its next start.
    if (options.printerSetup) {
        QApplication application(argc, argv);
        ui::QtServices services;
        const app::AppInfo info = app::AppInfo::ofRunningProgram();
        startup::PrinterWindow window(services, info.exeName,
            [&receiptsFolder](const app::PrinterChoice& choice) { return app::makePrinter(choice, receiptsFolder); });
        window.show();
        return application.exec();
    }
    // The store is opened and checked while Qt starts up, which needs nothing of it. Qt takes the
    // first thread that asks for its thread to be its main thread: this one asks before the store's
    // thread can. The system locale the store formats with is read here first too, so that the two
    // threads do not read it at once.
    QThread::currentThread();
    (void)store::convert::staffLocale();
    // One program per store: a second start leaves the store alone and says so.
    const startup::StoreLock lock(storePath);
    std::future<std::unique_ptr<store::Store>> opening;
    if (lock.isHeld())
        opening = std::async(std::launch::async, [&storePath, today = clock.today()] {
            return store::Store::open(storePath, today, store::Store::Check::BeforeFirstWrite);
        });

    QApplication application(argc, argv);
    ui::QtServices services;
    if (!lock.isHeld()) {
        services.message(lock.refusal(), ui::kApplicationTitle.toString(), ui::Icon::Critical, ui::Buttons::Ok);
        return 1;
    }
    ui::loadArtwork();

    platform::Platform platform(std::move(drives), platform::makeDisplaySettings(), std::make_unique<platform::DesktopShell>());
    platform.setHelpViewer(std::make_unique<platform::ChmHelpViewer>());
    platform.setDriveTypes(std::make_unique<platform::SystemDriveTypes>(platform.drives()));
    app::AppInfo info = app::AppInfo::ofRunningProgram();

    // Receipts go to the printer the manager chose (the default printer until one is chosen);
    // those not printed are kept as PDF files beside the store.
    app::PrinterChoice printer = app::PrinterChoice::load(services, info.exeName);
    platform.setPrinter(app::makePrinter(printer, receiptsFolder));
    // The day's report too, its copies kept apart in a folder of its own; only a sale opens the drawer.
    printer.drawer = false;
    platform.setReportPrinter(app::makePrinter(printer, startup::reportsFolder(storePath)));
    std::unique_ptr<store::Store> store;
    try {
        store = opening.get();
    } catch (const store::Error& error) {
        services.message(error.message(), info.title, ui::Icon::Critical, ui::Buttons::Ok);
        return 1;
    }

    // A sale the last run left unfinished is settled before anyone works; the cash register tells
    // what was done when it next opens.
    const cashregister::SaleRecovery recovery
        = cashregister::recoverInterruptedSale(*store, platform.printer(), clock.current(), store::convert::staffLocale());
    if (recovery.outcome == cashregister::SaleRecovery::Outcome::NotRecovered)
        services.message(recovery.failure, cashregister::kNotRecoveredTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);

    app::WindowManager windows;
    app::Context context{*store, services, platform, windows, clock, info, store::convert::staffLocale()};
    windows.setContext(context);

    startup::registerWindows(windows);
    about::registerWindows(windows);
    cashregister::registerWindows(windows);
    help::registerWindows(windows);
    access_control::registerWindows(windows);
    catalogue::registerWindows(windows);
    staff::registerWindows(windows);
    review::registerWindows(windows);
    replication::registerWindows(windows);
    quitWhenShown(application, qEnvironmentVariable("POS_QUIT_WHEN_SHOWN"));
    windows.show(QString::fromLatin1(startup::SplashWindow::kName));
    // Every page of the store is checked while the splash waits; the first write, the day's
    // roll-over at the end of the wait (or the settling of an interrupted sale above), waits for
    // the check, and a damaged store is refused before anything is written to it.
    store->checkInBackground();
    if (!windows.anyVisible())
        return 0;
    return application.exec();
}
