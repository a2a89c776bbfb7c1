#include "catalogue/products_menu.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "catalogue/controls.h"
#include "ui/captions.h"
#include "ui/named.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace catalogue {
namespace {

constexpr QStringView kCaption = u"            ************  WELCOME TO VANTORAL\u00ae POINT OF SALE SYSTEM  ************";

} // namespace

ProductsMenuWindow::ProductsMenuWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    menuBar = ui::makeNamed<QMenuBar>(QStringLiteral("menuBar"), this);
    menuBar->setAccessibleName(QStringLiteral("Menu"));
    menuBar->setNativeMenuBar(false);
    myMenu = menuBar->addMenu(QStringLiteral("."));
    myMenu->setObjectName(QStringLiteral("myMenu"));

    Image1 = makePicture(QStringLiteral("Image1"), this);

    Frame1 = ui::makeNamed<QFrame>(QStringLiteral("Frame1"), this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    cmdupdateProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdupdateProd"), QStringLiteral("ADD NEW PRODUCTS "), Frame1);
    cmdUpdateCancel = ui::makeNamed<QPushButton>(QStringLiteral("cmdUpdateCancel"), QStringLiteral("UPDATE / RETURN PRODUCTS"), Frame1);
    cmdExit = ui::makeNamed<QPushButton>(QStringLiteral("cmdExit"), QStringLiteral("BACK TO MAIN"), Frame1);
    auto* buttons = new QVBoxLayout(Frame1);
    buttons->setContentsMargins(24, 20, 24, 20);
    buttons->setSpacing(16);
    for (QPushButton* button : {cmdupdateProd, cmdUpdateCancel, cmdExit}) {
        button->setMinimumSize(300, 46);
        buttons->addWidget(button);
    }

    // The picture beside the buttons.
    auto* layout = new QHBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(28, 24, 28, 24);
    layout->setSpacing(24);
    layout->addWidget(Image1, 0, Qt::AlignTop);
    layout->addWidget(Frame1);

    setTabOrder(cmdupdateProd, cmdUpdateCancel);
    setTabOrder(cmdUpdateCancel, cmdExit);

    connect(cmdupdateProd, &QPushButton::clicked, this, &ProductsMenuWindow::cmdupdateProd_Click);
    connect(cmdUpdateCancel, &QPushButton::clicked, this, &ProductsMenuWindow::cmdUpdateCancel_Click);
    connect(cmdExit, &QPushButton::clicked, this, &ProductsMenuWindow::cmdExit_Click);

    ui::nameControls(this);
    fixSize();
}

void ProductsMenuWindow::load()
{
    centreOnScreen();
}

void ProductsMenuWindow::open(const QString& name)
{
    try {
        if (!context().windows.show(name))
            return;
    } catch (const std::exception&) {
        // A window that cannot be opened leaves the menu as it is.
        return;
    }
    context().windows.hide(objectName());
}

void ProductsMenuWindow::cmdupdateProd_Click()
{
    open(QStringLiteral("frmUpdate"));
}

void ProductsMenuWindow::cmdUpdateCancel_Click()
{
    open(QStringLiteral("frmProdutosCancelados"));
}

void ProductsMenuWindow::cmdExit_Click()
{
    try {
        context().windows.show(QStringLiteral("frmMain"));
    } catch (const std::exception&) {
        // Without a main menu to go to, the products menu still closes.
    }
    context().windows.unload(objectName());
}

void ProductsMenuWindow::closeRequested()
{
    cmdExit_Click();
}

} // namespace catalogue
