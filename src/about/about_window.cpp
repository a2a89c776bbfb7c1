#include "about/about_window.h"

#include "ui/artwork.h"
#include "about/link_label.h"
#include "app/app_info.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "platform/platform.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace about {
namespace {

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = ui::makeNamed<QLabel>(name, text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(text);
    return label;
}

} // namespace

AboutWindow::AboutWindow(app::Context& context) : Window(context, kName.toString())
{
    setWindowTitle(QStringLiteral("About Point of Sale"));
    setWindowFlag(Qt::Dialog);

    ui::loadArtwork();
    imgLogo = ui::makeNamed<QLabel>(QStringLiteral("imgLogo"), this);
    imgLogo->setPixmap(ui::artwork(u"logo.png"));
    imgLogo->setFixedSize(96, 96);
    imgLogo->setAccessibleName(QStringLiteral("Vantoral logo"));

    lblCompany = makeLabel(QStringLiteral("lblCompany"), QStringLiteral("Vantoral\u00AE"), this);
    QFont brand = lblCompany->font();
    brand.setPointSizeF(brand.pointSizeF() * 1.8);
    brand.setBold(true);
    lblCompany->setFont(brand);
    lblVersion = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblVersion"), QStringLiteral("Version"), QStringLiteral("Version ") + context.app.version(), this);
    lblPlatform = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblPlatform"), QStringLiteral("Platform"), QStringLiteral("Windows 9x/ME"), this);

    lblWeb = ui::makeNamed<LinkLabel>(QStringLiteral("lblWeb"), QStringLiteral("www.vantoral.com"), this);
    lblWeb->setAccessibleName(lblWeb->text());
    lblWeb->setAccessibleDescription(QStringLiteral("Opens the maker's web page"));
    lblWeb->setToolTip(kWebPage.toString());
    lblMail = ui::makeNamed<LinkLabel>(QStringLiteral("lblMail"), QStringLiteral("sales@vantoral.com"), this);
    lblMail->setAccessibleName(lblMail->text());
    lblMail->setAccessibleDescription(QStringLiteral("Starts an e-mail to the maker"));
    lblMail->setToolTip(kMail.toString());

    lblRights = makeLabel(QStringLiteral("lblRights"),
                          QStringLiteral("Copyright \u00A9 Vantoral. All rights reserved.\n"
                                         "Warning: this program is protected by copyright law and "
                                         "international treaties."),
                          this);
    lblRights->setWordWrap(true);

    cmdOK = ui::makeNamed<QPushButton>(QStringLiteral("cmdOK"), QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(88);

    auto* facts = new QVBoxLayout;
    facts->setSpacing(4);
    facts->addWidget(lblCompany);
    facts->addWidget(lblVersion);
    facts->addWidget(lblPlatform);
    facts->addSpacing(12);
    // The links are as wide as their text, so that only the text takes a click.
    facts->addWidget(lblWeb, 0, Qt::AlignLeft);
    facts->addWidget(lblMail, 0, Qt::AlignLeft);
    facts->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(imgLogo, 0, Qt::AlignLeft | Qt::AlignTop);
    top->addLayout(facts, 1);

    auto* line = ui::makeNamed<QFrame>(QStringLiteral("linRule"), this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(16, 16, 16, 12);
    window->addLayout(top, 1);
    window->addWidget(line);
    window->addWidget(lblRights);
    window->addLayout(buttons);

    setTabOrder(cmdOK, lblWeb);
    setTabOrder(lblWeb, lblMail);
    ui::nameControls(this);
    setFixedSize(420, 300);

    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_click);
    connect(lblWeb, &LinkLabel::clicked, this, &AboutWindow::lblWeb_click);
    connect(lblMail, &LinkLabel::clicked, this, &AboutWindow::lblMail_click);
}

void AboutWindow::showEvent(QShowEvent* event)
{
    Window::showEvent(event);
    cmdOK->setFocus();
}

void AboutWindow::cmdOK_click()
{
    context().windows.hide(objectName());
}

void AboutWindow::lblWeb_click()
{
    if (!context().platform.shell().open(QUrl(kWebPage.toString())))
        context().ui.message(QStringLiteral("The web page www.vantoral.com could not be opened. "
                                            "Please check that a web browser is installed."),
                             context().app.title, ui::Icon::Critical, ui::Buttons::Ok);
}

void AboutWindow::lblMail_click()
{
    if (!context().platform.shell().open(QUrl(kMail.toString())))
        context().ui.message(QStringLiteral("An e-mail to sales@vantoral.com could not be started. "
                                            "Please check that an e-mail program is installed."),
                             context().app.title, ui::Icon::Critical, ui::Buttons::Ok);
}

void registerWindows(app::WindowManager& windows)
{
    windows.registerWindow(AboutWindow::kName.toString(), [](app::Context& context) {
        return std::make_unique<AboutWindow>(context);
    });
}

} // namespace about
