#include "startup/splash_window.h"

#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "startup/display_check.h"
#include "startup/settings_window.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/unit_of_work.h"
#include "ui/artwork.h"
#include "ui/captions.h"
#include "ui/fonts.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace startup {
namespace {

constexpr QStringView kNotStartedText = u"The program could not start the day, and ends. ";

} // namespace

SplashWindow::SplashWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(context.app.title);
    setWindowFlag(Qt::SplashScreen);

    // The wait begins with the splash, not once its controls are made.
    Timer1 = ui::makeNamed<QTimer>(QStringLiteral("Timer1"), this);
    Timer1->setInterval(kTickMs);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &SplashWindow::Timer1_Timer);
    Timer1->start();

    totalSale = new store::RecordSource(context.store, QStringLiteral("totalSale"), QStringLiteral("tblDailySale"), this);
    dailySaledata = new store::RecordSource(context.store, QStringLiteral("dailySaledata"), QStringLiteral("tblCathegory"), this);

    myframe = ui::makeNamed<QFrame>(QStringLiteral("myframe"), this);
    myframe->setFrameShape(QFrame::StyledPanel);
    myframe->setStyleSheet(QStringLiteral("QFrame#myframe { background: white; border: 1px solid #2e7d32; }"));

    Image1 = ui::makeNamed<QLabel>(QStringLiteral("Image1"), myframe);
    ui::setArtworkWhenShown(Image1, u"splash.png");
    Image1->setAccessibleName(QStringLiteral("Grocery bag"));
    Image2 = ui::makeNamed<QLabel>(QStringLiteral("Image2"), myframe);
    ui::setArtworkWhenShown(Image2, u"logo.png");
    Image2->setAccessibleName(QStringLiteral("Vantoral logo"));

    lblCompany = ui::makeNamed<QLabel>(QStringLiteral("lblCompany"), QStringLiteral("Vantoral\u00ae"), myframe);
    QFont brand = lblCompany->font();
    brand.setPointSize(24);
    brand.setBold(true);
    lblCompany->setFont(brand);
    lblCompany->setStyleSheet(QStringLiteral("color: #2e7d32;"));

    auto* product = ui::makeNamed<QLabel>(QStringLiteral("lblProduct"), QStringLiteral("Point of Sale"), myframe);
    QFont productFont = product->font();
    productFont.setPointSize(16);
    product->setFont(productFont);

    lblVersion = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblVersion"), QStringLiteral("Version"), QString(), myframe);
    lblPlatform = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblPlatform"), QStringLiteral("Platform"), QStringLiteral("Windows 9x/ME"), myframe);
    lblCredit1 = ui::makeNamed<QLabel>(QStringLiteral("lblCredit1"), QStringLiteral("A till for the neighbourhood grocery store"), myframe);
    lblCredit2 = ui::makeNamed<QLabel>(QStringLiteral("lblCredit2"), QStringLiteral("Copyright \u00a9 Vantoral. All rights reserved."), myframe);
    for (QLabel* credit : {lblCredit1, lblCredit2})
        credit->setStyleSheet(QStringLiteral("color: #555555;"));

    auto* text = new QVBoxLayout;
    text->addWidget(Image2, 0, Qt::AlignLeft);
    text->addWidget(lblCompany);
    text->addWidget(product);
    text->addSpacing(8);
    text->addWidget(lblVersion);
    text->addWidget(lblPlatform);
    text->addStretch();
    text->addWidget(lblCredit1);
    text->addWidget(lblCredit2);

    auto* frameLayout = new QGridLayout(myframe);
    frameLayout->setContentsMargins(24, 24, 24, 24);
    frameLayout->setHorizontalSpacing(24);
    frameLayout->addWidget(Image1, 0, 0, Qt::AlignCenter);
    frameLayout->addLayout(text, 0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(myframe);
    myframe->setMinimumSize(620, 340);

    ui::nameControls(this);
    fixSize();
}

void SplashWindow::load()
{
    try {
        const app::AppInfo& info = context().app;
        lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(info.major).arg(info.minor).arg(info.revision));
        if (CheckScreenResolution(context())) {
            centreOnScreen();
            return;
        }
        Timer1->stop();
        context().windows.show(QString::fromLatin1(SettingsWindow::kName));
        context().windows.unload(objectName());
    } catch (...) {
        // Whatever went wrong while loading, the splash carries on without a word.
    }
}

void SplashWindow::Timer1_Timer()
{
    bool rolledOver = false;
    try {
        const QDate stored = totalSale->field(u"tDate").toDate();
        m_ticks = store::convert::addWhole(m_ticks, 1);
        // The splash waits anyway: the fonts and the picture of the windows it opens are made
        // meanwhile.
        if (m_ticks == 1)
            ui::prepareHeadingFonts(font());
        if (m_ticks == 2)
            ui::artwork(u"basket.png");
        if (m_ticks != 4)
            return;

        // The day counted and the business date stamped are one unit of work: a start cut short
        // between the two would count the same day again at the next start.
        const QDate today = context().clock.today();
        store::UnitOfWork rollOver(context().store);
        if (today != stored) {
            if (dailySaledata->recordCount() > 0)
                dailySaledata->edit();
            else
                dailySaledata->addNew();
            dailySaledata->setField(u"NumberOfDays", store::convert::addWhole(dailySaledata->field(u"NumberOfDays").toWhole(), 1));
            dailySaledata->update();
        }
        totalSale->edit();
        totalSale->setField(u"tDate", today);
        totalSale->update();
        rollOver.commit();
        rolledOver = true;

        context().windows.show(QStringLiteral("frmMain"));
        if (context().windows.isRegistered(QStringLiteral("frmTip")))
            context().windows.show(QStringLiteral("frmTip"));
    } catch (const store::Error& error) {
        // A failure of the roll-over or the hand-over closes the splash without a message; a disk
        // that failed under the roll-over, or a store found damaged before it, is told first,
        // since the program then ends with nothing on the screen. The unit of work wrote nothing,
        // and the next start counts the day.
        if ((error.diskFailure() || error.kind() == store::ErrorKind::NotAStore) && !rolledOver)
            context().ui.message(kNotStartedText.toString() + error.message(), context().app.title, ui::Icon::Critical, ui::Buttons::Ok);
    } catch (...) {
        // A failure of the roll-over or the hand-over closes the splash without a message.
    }
    closeSplash();
}

void SplashWindow::closeSplash()
{
    Timer1->stop();
    m_ticks = 0;
    app::WindowManager& windows = context().windows;
    windows.unload(objectName());
    if (!windows.anyVisible())
        context().ui.end();
}

} // namespace startup
