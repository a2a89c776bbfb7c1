#include "review/sales_menu.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "store/error.h"
#include "ui/artwork.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace review {
namespace {

constexpr QStringView kCaption = u"            ************ WELCOME TO VANTORAL\u00ae  POINT OF SALE SYSTEM ************";

} // namespace

SalesMenuWindow::SalesMenuWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    Frame1 = ui::makeNamed<QFrame>(QStringLiteral("Frame1"), this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    Image1 = ui::makeNamed<QLabel>(QStringLiteral("Image1"), Frame1);
    Image1->setPixmap(ui::artwork(u"logo.png"));
    Image1->setAccessibleName(QStringLiteral("Vantoral logo"));
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->setContentsMargins(12, 12, 12, 12);
    frameLayout->addWidget(Image1, 0, Qt::AlignCenter);

    cmdGraphMonth = ui::makeNamed<QPushButton>(QStringLiteral("cmdGraphMonth"), QStringLiteral("GRAPH FOR THIS YEAR"), this);
    cmdGraphYear = ui::makeNamed<QPushButton>(QStringLiteral("cmdGraphYear"), QStringLiteral("GRAPH FOR THIS MONTH"), this);
    cmdLastMonth = ui::makeNamed<QPushButton>(QStringLiteral("cmdLastMonth"), QStringLiteral("GRAPH FOR LAST YEAR"), this);
    cmdSair = ui::makeNamed<QPushButton>(QStringLiteral("cmdSair"), QStringLiteral("RETURN TO MAIN"), this);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(14);
    for (QPushButton* button : {cmdGraphMonth, cmdGraphYear, cmdLastMonth, cmdSair}) {
        button->setMinimumSize(260, 44);
        buttons->addWidget(button);
    }

    // The logo beside the buttons.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 24);
    layout->setSpacing(24);
    layout->addWidget(Frame1, 0, Qt::AlignTop);
    layout->addLayout(buttons);

    // Each chart window opens over the menu, which stays shown behind it.
    const auto opens = [this](QPushButton* button, const QString& chart) {
        connect(button, &QPushButton::clicked, this, [this, chart] { openChart(chart); });
    };
    opens(cmdGraphMonth, QStringLiteral("frmMonthSale"));
    opens(cmdGraphYear, QStringLiteral("frmSale"));
    opens(cmdLastMonth, QStringLiteral("frmLastYear"));
    connect(cmdSair, &QPushButton::clicked, this, &SalesMenuWindow::cmdSair_Click);

    ui::nameControls(this);
    fixSize();
}

void SalesMenuWindow::load()
{
    centreOnScreen();
}

void SalesMenuWindow::openChart(const QString& name)
{
    try {
        context().windows.show(name);
    } catch (const store::Error& error) {
        // A chart whose query cannot be read (its connection names another file than the store)
        // says why and leaves the menu as it is.
        context().ui.message(error.message(), QString(), ui::Icon::Critical, ui::Buttons::Ok);
    } catch (const std::exception& error) {
        // The chart module could not be loaded: the message says why.
        context().ui.message(QString::fromUtf8(error.what()), QString(), ui::Icon::Critical, ui::Buttons::Ok);
    }
}

void SalesMenuWindow::cmdSair_Click()
{
    context().windows.show(QStringLiteral("frmMain"));
    context().windows.unload(objectName());
}

void SalesMenuWindow::closeRequested()
{
    cmdSair_Click();
}

} // namespace review
