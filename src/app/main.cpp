#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "platform/chm_help_viewer.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "startup/splash_window.h"
#include "startup/windows.h"
#include "about/about_window.h"
#include "register/windows.h"
#include "help/windows.h"
#include "access/gates.h"
#include "catalogue/windows.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/store.h"
#include "ui/artwork.h"
#include "ui/qt_services.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

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

// For measuring start-up: with POS_QUIT_WHEN_SHOWN naming a window, the program ends as soon
// as that window has been shown. It leaves the event loop without closing the windows: a window's
// close runs its own way back, which may refuse the close and keep the program going.
class QuitWhenShown : public QObject {
public:
    QuitWhenShown(QApplication& application, QString name) : QObject(&application), m_name(std::move(name))
    {
        application.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == m_name)
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        return false;
    }

private:
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
    QApplication application(argc, argv);
    QApplication::setApplicationName(ui::kApplicationTitle.toString());
    ui::loadArtwork();

    ui::QtServices services;
    platform::Platform platform(platform::Drives(platform::Drives::defaultRoot()), platform::makeDisplaySettings(),
        std::make_unique<platform::DesktopShell>());
    platform.setHelpViewer(std::make_unique<platform::ChmHelpViewer>());
    app::SystemClock clock;
    app::AppInfo info = app::AppInfo::ofRunningProgram();

    const QString storePath = platform.drives().hostPath(u"C:\\Program Files\\Point of Sale\\Grocery.mdb");
    // Receipts go to the default printer; without one they are kept as PDF files beside the store.
    platform.setPrinter(std::make_unique<platform::SystemPrinter>(QFileInfo(storePath).dir().filePath(QStringLiteral("Receipts"))));
    std::unique_ptr<store::Store> store;
    try {
        store = store::Store::open(storePath, clock.today());
    } catch (const store::Error& error) {
        services.message(error.message(), info.title, ui::Icon::Critical, ui::Buttons::Ok);
        return 1;
    }

    app::WindowManager windows;
    app::Context context{*store, services, platform, windows, clock, info, store::convert::staffLocale()};
    windows.setContext(context);

    startup::registerWindows(windows);
    about::registerWindows(windows);
    cashregister::registerWindows(windows);
    help::registerWindows(windows);
    access_control::registerWindows(windows);
    catalogue::registerWindows(windows);
    quitWhenShown(application, qEnvironmentVariable("POS_QUIT_WHEN_SHOWN"));
    windows.show(QString::fromLatin1(startup::SplashWindow::kName));
    if (!windows.anyVisible())
        return 0;
    return application.exec();
}
