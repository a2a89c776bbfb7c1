// The product update window's life, its controls and layout, SHOW PRODUCT, DELETE THIS PRODUCT,
// CLEAR SCREEN, help and the way back.
#include "catalogue/product_update_window.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "catalogue/controls.h"
#include "help/html_help.h"
#include "store/record_source.h"
#include "store/unit_of_work.h"
#include "ui/bound_list.h"
#include "ui/captions.h"
#include "ui/digits_only_edit.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace catalogue {
namespace {

constexpr QStringView kCaption = u"          ************WELCOME TO VANTORAL\u00ae  POINT OF SALE SYSTEM ************";

constexpr Warning kCodeOrName{u"Please select the name OR code of the product to be shown", u"Please enter product code or name"};
constexpr Warning kNotFoundByCode{u"Product was not found ", u"Product not found"};
constexpr Warning kNotFoundByName{u"Product was not found.", u"Product not found"};
constexpr Warning kDeleteNotFound{u"Code or product name was not found.", u"     Product not found "};
constexpr QStringView kConfirmDelete = u"Are sure you want to delete this product from the database";
constexpr QStringView kConfirmDeleteTitle = u"Delete product?";

} // namespace

ProductUpdateWindow::ProductUpdateWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    datProdPrice = new store::RecordSource(context.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"), this);
    datProdQty = new store::RecordSource(context.store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"), this);
    DataTax = new store::RecordSource(context.store, QStringLiteral("DataTax"), QStringLiteral("tblTax"), this);
    datSupplier = new store::RecordSource(context.store, QStringLiteral("datSupplier"), QStringLiteral("tblSuplier"), this);

    menuBar = ui::makeNamed<QMenuBar>(QStringLiteral("menuBar"), this);
    menuBar->setAccessibleName(QStringLiteral("Menu"));
    menuBar->setNativeMenuBar(false);
    mneuhlp = menuBar->addMenu(QStringLiteral("Update System"));
    mneuhlp->setObjectName(QStringLiteral("mneuhlp"));
    hlp = ui::makeAction(mneuhlp, QStringLiteral("hlp"), QStringLiteral("Help"), QKeySequence(Qt::Key_F1));
    rturn = ui::makeAction(mneuhlp, QStringLiteral("rturn"), QStringLiteral("Return"), QKeySequence(Qt::Key_F2));

    buildControls();
    layOut();

    connect(hlp, &QAction::triggered, this, &ProductUpdateWindow::cmdajuda_Click);
    connect(rturn, &QAction::triggered, this, &ProductUpdateWindow::cmdSair_Click);
    connect(cmdShowProd, &QPushButton::clicked, this, &ProductUpdateWindow::cmdShowProd_Click);
    connect(cmdProdUpd, &QPushButton::clicked, this, &ProductUpdateWindow::cmdProdUpd_Click);
    connect(cmdDelProd, &QPushButton::clicked, this, &ProductUpdateWindow::cmdDelProd_Click);
    connect(cmdClearProd, &QPushButton::clicked, this, &ProductUpdateWindow::cmdClearProd_Click);
    connect(Command1, &QPushButton::clicked, this, &ProductUpdateWindow::Command1_Click);
    connect(cmdSair, &QPushButton::clicked, this, &ProductUpdateWindow::cmdSair_Click);
    connect(cmdajuda, &QPushButton::clicked, this, &ProductUpdateWindow::cmdajuda_Click);

    ui::nameControls(this);
    fixSize();
}

ProductUpdateWindow::~ProductUpdateWindow() = default;

void ProductUpdateWindow::buildControls()
{
    Frame1 = ui::makeNamed<QFrame>(QStringLiteral("Frame1"), this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    Image1 = makePicture(QStringLiteral("Image1"), this);
    Line1 = makeLine(QStringLiteral("Line1"), false, this);

    LblProdCode = makeCaption(QStringLiteral("LblProdCode"), QStringLiteral("Code:"), Frame1);
    dbcboProdCode = makeList(QStringLiteral("dbcboProdCode"), *datProdPrice, QStringLiteral("Code"), Frame1);
    lblProdName = makeCaption(QStringLiteral("lblProdName"), QStringLiteral("Name:"), Frame1);
    dbcboProdName = makeList(QStringLiteral("dbcboProdName"), *datProdPrice, QStringLiteral("ProductName"), Frame1);
    lblCategory = makeCaption(QStringLiteral("lblCategory"), QStringLiteral("Cathegory:"), Frame1);
    txtCategory = ui::makeNamed<QLineEdit>(QStringLiteral("txtCategory"), Frame1);
    lblProdPrice = makeCaption(QStringLiteral("lblProdPrice"), QStringLiteral("Sale Price:"), Frame1);
    txtProdPrice = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtProdPrice"), Frame1);
    lblVend = makeCaption(QStringLiteral("lblVend"), QStringLiteral("Buying Price:"), Frame1);
    txtVend = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtVend"), Frame1);
    lblQtyBought = makeCaption(QStringLiteral("lblQtyBought"), QStringLiteral("Quantity Bought:"), Frame1);
    txtQtyBought = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtQtyBought"), Frame1);
    lblQtyOnHand = makeCaption(QStringLiteral("lblQtyOnHand"), QStringLiteral("Quantity On Hand:"), Frame1);
    lblQOnHand = makeCountLabel(QStringLiteral("lblQOnHand"), Frame1);
    lblQtySold = makeCaption(QStringLiteral("lblQtySold"), QStringLiteral("Quantity Sold:"), Frame1);
    lblQSold = makeCountLabel(QStringLiteral("lblQSold"), Frame1);

    cmdShowProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdShowProd"), QStringLiteral("SHOW PRODUCT"), this);
    cmdProdUpd = ui::makeNamed<QPushButton>(QStringLiteral("cmdProdUpd"), QStringLiteral("UPDATE PRODUCT"), this);
    cmdProdUpd->setEnabled(false);
    cmdDelProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdDelProd"), QStringLiteral("DELETE THIS PRODUCT"), this);
    cmdClearProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdClearProd"), QStringLiteral("CLEAR SCREEN"), this);
    Command1 = ui::makeNamed<QPushButton>(QStringLiteral("Command1"), QStringLiteral("CHANGE TAX RATE"), this);
    cmdSair = ui::makeNamed<QPushButton>(QStringLiteral("cmdSair"), QStringLiteral("&RETURN"), this);
    cmdajuda = ui::makeNamed<QPushButton>(QStringLiteral("cmdajuda"), QStringLiteral("&HELP"), this);
}

void ProductUpdateWindow::layOut()
{
    auto* entries = entryGrid({{LblProdCode, dbcboProdCode}, {lblProdName, dbcboProdName}, {lblCategory, txtCategory},
        {lblProdPrice, txtProdPrice}, {lblVend, txtVend}, {lblQtyBought, txtQtyBought}, {lblQtyOnHand, lblQOnHand},
        {lblQtySold, lblQSold}});
    entries->setContentsMargins(16, 14, 16, 14);
    entries->setVerticalSpacing(11);
    Frame1->setLayout(entries);
    for (QWidget* box : std::initializer_list<QWidget*>{dbcboProdCode, dbcboProdName, txtCategory, txtProdPrice, txtVend, txtQtyBought})
        box->setMinimumWidth(260);

    // The product's commands beside the entries; the tax rate apart; the way back at the foot.
    auto* commands = new QVBoxLayout;
    commands->setSpacing(10);
    for (QPushButton* button : {cmdShowProd, cmdProdUpd, cmdDelProd, cmdClearProd}) {
        button->setMinimumSize(200, 36);
        commands->addWidget(button);
    }
    commands->addStretch();
    Command1->setMinimumSize(200, 36);
    commands->addWidget(Command1);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(20);
    middle->addWidget(Frame1, 1);
    middle->addLayout(commands);

    auto* foot = new QHBoxLayout;
    foot->addWidget(Image1);
    foot->addStretch();
    for (QPushButton* button : {cmdajuda, cmdSair}) {
        button->setMinimumSize(120, 36);
        foot->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(22, 16, 22, 16);
    layout->setSpacing(14);
    layout->addLayout(middle);
    layout->addWidget(Line1);
    layout->addLayout(foot);

    QWidget* order[] = {dbcboProdCode, dbcboProdName, txtCategory, txtProdPrice, txtVend, txtQtyBought, cmdShowProd, cmdProdUpd,
        cmdDelProd, cmdClearProd, Command1, cmdajuda, cmdSair};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ProductUpdateWindow::load()
{
    // The three number boxes take digits only from the moment they are made (DigitsOnlyEdit).
    centreOnScreen();
}

ProductSearch ProductUpdateWindow::products() const
{
    return {*datProdPrice, *datProdQty, *dbcboProdCode, *dbcboProdName};
}

void ProductUpdateWindow::cmdShowProd_Click()
{
    try {
        if (datProdPrice->recordCount() < 1)
            return;
        if (dbcboProdCode->text().isEmpty() == dbcboProdName->text().isEmpty()) {
            warn(context().ui, kCodeOrName);
            return;
        }
        // The record sources move: what they stood on is no longer the product shown.
        cmdProdUpd->setEnabled(false);
        bool found = false;
        if (!products().show(context().ui, kNotFoundByCode, kNotFoundByName, &found))
            return;
        txtCategory->setText(datProdPrice->field(u"ProdCathegory").toText());
        txtProdPrice->setText(priceText(datProdPrice->field(u"ProductPrice"), context().locale));
        txtVend->setText(priceText(datProdPrice->field(u"VPrice"), context().locale));
        lblQOnHand->setText(datProdQty->field(u"QuantityOnHand").toText());
        lblQSold->setText(datProdQty->field(u"QuantitySold").toText());
        // The quantity of the restock to come.
        txtQtyBought->setText(QStringLiteral("0"));
        // Only a product the search found may be updated: a miss stands on the last rows.
        cmdProdUpd->setEnabled(found);
        dbcboProdCode->setFocus();
    } catch (const std::exception&) {
        // Show ends without a word, keeping what it has shown.
    }
}

void ProductUpdateWindow::cmdDelProd_Click()
{
    ui::Services& boxes = context().ui;
    try {
        if (datProdPrice->recordCount() < 1)
            return;
        cmdProdUpd->setEnabled(false);
        if (!products().findCodeOrName()) {
            warn(boxes, kDeleteNotFound);
            return;
        }
        if (boxes.message(kConfirmDelete.toString(), kConfirmDeleteTitle.toString(), ui::Icon::Question, ui::Buttons::YesNo) != ui::Button::Yes)
            return;
        {
            store::UnitOfWork product(context().store);
            datProdPrice->remove();
            datProdQty->remove();
            product.commit();
        }
        datProdPrice->refresh();
        datProdQty->refresh();
        dbcboProdCode->setFocus();
        clearEntries();
        txtCategory->clear();
    } catch (const std::exception&) {
        // Delete ends without a word.
    }
}

void ProductUpdateWindow::cmdClearProd_Click()
{
    clearEntries();
    txtCategory->clear();
}

void ProductUpdateWindow::clearEntries()
{
    cmdProdUpd->setEnabled(false);
    dbcboProdCode->setText(QString());
    dbcboProdName->setText(QString());
    txtProdPrice->clear();
    txtQtyBought->clear();
    txtVend->clear();
    lblQOnHand->clear();
    lblQSold->clear();
}

void ProductUpdateWindow::cmdajuda_Click()
{
    help::showHelpContents(context(), m_help, this);
}

void ProductUpdateWindow::cmdSair_Click()
{
    try {
        context().windows.show(QStringLiteral("updateProdutos"));
    } catch (const std::exception&) {
        // Without the products menu to go to, the window still closes.
    }
    context().windows.unload(objectName());
}

void ProductUpdateWindow::closeRequested()
{
    cmdSair_Click();
}

} // namespace catalogue
