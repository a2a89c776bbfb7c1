// The product and supplier window's life, its controls, menu and layout, its help and its way
// back.
#include "catalogue/product_supplier_window.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "catalogue/controls.h"
#include "help/html_help.h"
#include "store/record_source.h"
#include "store/schema.h"
#include "ui/bound_list.h"
#include "ui/captions.h"
#include "ui/digits_only_edit.h"
#include "ui/named.h"
#include "ui/value_label.h"

#include <QAction>
#include <QComboBox>
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

constexpr QStringView kCaption = u"           *****WELCOME TO VANTORAL\u00ae  PRODUCT AND SUPPLIER SYSTEM*****";

// Buttons two to a row.
QGridLayout* buttonGrid(std::initializer_list<QPushButton*> buttons)
{
    auto* grid = new QGridLayout;
    grid->setSpacing(8);
    int at = 0;
    for (QPushButton* button : buttons) {
        button->setMinimumHeight(32);
        grid->addWidget(button, at / 2, at % 2);
        ++at;
    }
    return grid;
}

} // namespace

ProductSupplierWindow::ProductSupplierWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    datProdPrice = new store::RecordSource(context.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"), this);
    datProdQty = new store::RecordSource(context.store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"), this);
    datSupplier = new store::RecordSource(context.store, QStringLiteral("datSupplier"), QStringLiteral("tblSuplier"), this);

    menuBar = ui::makeNamed<QMenuBar>(QStringLiteral("menuBar"), this);
    menuBar->setAccessibleName(QStringLiteral("Menu"));
    menuBar->setNativeMenuBar(false);
    dbmMenu = menuBar->addMenu(QStringLiteral("&Update System"));
    dbmMenu->setObjectName(QStringLiteral("dbmMenu"));
    dbmHelp = ui::makeAction(dbmMenu, QStringLiteral("dbmHelp"), QStringLiteral("&Help"), QKeySequence(Qt::Key_F1));
    dbmExit = ui::makeAction(dbmMenu, QStringLiteral("dbmExit"), QStringLiteral("&Return"), QKeySequence(Qt::Key_F2));

    buildProductSide();
    buildSupplierSide();
    layOut();

    connect(dbmHelp, &QAction::triggered, this, &ProductSupplierWindow::dbmHelp_Click);
    connect(dbmExit, &QAction::triggered, this, &ProductSupplierWindow::dbmExit_Click);
    connect(cmdAddNewProd, &QPushButton::clicked, this, &ProductSupplierWindow::cmdAddNewProd_Click);
    connect(cmdShowProd, &QPushButton::clicked, this, &ProductSupplierWindow::cmdShowProd_Click);
    connect(cmdDelProd, &QPushButton::clicked, this, &ProductSupplierWindow::cmdDelProd_Click);
    connect(cmdClearProd, &QPushButton::clicked, this, &ProductSupplierWindow::cmdClearProd_Click);
    connect(cmdAddNewSup, &QPushButton::clicked, this, &ProductSupplierWindow::cmdAddNewSup_Click);
    connect(cmdShowSup, &QPushButton::clicked, this, &ProductSupplierWindow::cmdShowSup_Click);
    connect(cmdSupUpd, &QPushButton::clicked, this, &ProductSupplierWindow::cmdSupUpd_Click);
    connect(cmdDelSup, &QPushButton::clicked, this, &ProductSupplierWindow::cmdDelSup_Click);
    connect(cmdClearSup, &QPushButton::clicked, this, &ProductSupplierWindow::cmdClearSup_Click);

    ui::nameControls(this);
    fixSize();
}

ProductSupplierWindow::~ProductSupplierWindow() = default;

void ProductSupplierWindow::buildProductSide()
{
    lblProdUpd = makeHeading(QStringLiteral("lblProdUpd"), QStringLiteral("Add New Product"), this);
    LblProdCode = makeCaption(QStringLiteral("LblProdCode"), QStringLiteral("Product Code:"), this);
    dbcboProdCode = makeList(QStringLiteral("dbcboProdCode"), *datProdPrice, QStringLiteral("Code"), this);
    lblProdName = makeCaption(QStringLiteral("lblProdName"), QStringLiteral("Product Name:"), this);
    dbcboProdName = makeList(QStringLiteral("dbcboProdName"), *datProdPrice, QStringLiteral("ProductName"), this);
    lblProdPrice = makeCaption(QStringLiteral("lblProdPrice"), QStringLiteral("Sale Price:"), this);
    txtProdPrice = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtProdPrice"), this);
    lblVend = makeCaption(QStringLiteral("lblVend"), QStringLiteral("Buying Price:"), this);
    txtVend = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtVend"), this);
    lblQtyBought = makeCaption(QStringLiteral("lblQtyBought"), QStringLiteral("Quantity Bought:"), this);
    txtQtyBought = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtQtyBought"), this);
    lblQtyOnHand = makeCaption(QStringLiteral("lblQtyOnHand"), QStringLiteral("Quanitity on Hand:"), this);
    lblQOnHand = makeCountLabel(QStringLiteral("lblQOnHand"), this);
    lblQtySold = makeCaption(QStringLiteral("lblQtySold"), QStringLiteral("Quantity Sold:"), this);
    lblQSold = makeCountLabel(QStringLiteral("lblQSold"), this);
    lblCategory = makeCaption(QStringLiteral("lblCategory"), QStringLiteral("Product Cathegory:"), this);
    cboCatheria = ui::makeNamed<QComboBox>(QStringLiteral("cboCatheria"), this);
    cboCatheria->setEditable(true);
    // What is typed stays as typed: neither completed from the list nor added to it.
    cboCatheria->setInsertPolicy(QComboBox::NoInsert);
    cboCatheria->setCompleter(nullptr);
    cboCatheria->setEditText(kCategoryPrompt.toString());

    cmdAddNewProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdAddNewProd"), QStringLiteral("New Product"), this);
    cmdShowProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdShowProd"), QStringLiteral("Show Product"), this);
    cmdDelProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdDelProd"), QStringLiteral("Delete Product"), this);
    cmdClearProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdClearProd"), QStringLiteral("Clear Product"), this);
}

void ProductSupplierWindow::buildSupplierSide()
{
    lblSupUpd = makeHeading(QStringLiteral("lblSupUpd"), QStringLiteral("Add New Supplier"), this);
    lblSupCode = makeCaption(QStringLiteral("lblSupCode"), QStringLiteral("Supplier Code :"), this);
    dbcboSupCode = makeList(QStringLiteral("dbcboSupCode"), *datSupplier, QStringLiteral("Code"), this);
    lblSupName = makeCaption(QStringLiteral("lblSupName"), QStringLiteral("Supplier Name:"), this);
    dbcboSupName = makeList(QStringLiteral("dbcboSupName"), *datSupplier, QStringLiteral("Supplier"), this);
    lblSupPhone = makeCaption(QStringLiteral("lblSupPhone"), QStringLiteral("Phone#:"), this);
    txtSupPhone = ui::makeNamed<QLineEdit>(QStringLiteral("txtSupPhone"), this);
    lblSupAddr = makeCaption(QStringLiteral("lblSupAddr"), QStringLiteral("Address:"), this);
    txtSupAddr = ui::makeNamed<QLineEdit>(QStringLiteral("txtSupAddr"), this);

    cmdAddNewSup = ui::makeNamed<QPushButton>(QStringLiteral("cmdAddNewSup"), QStringLiteral("New Supplier"), this);
    cmdShowSup = ui::makeNamed<QPushButton>(QStringLiteral("cmdShowSup"), QStringLiteral("Show Supplier"), this);
    cmdSupUpd = ui::makeNamed<QPushButton>(QStringLiteral("cmdSupUpd"), QStringLiteral("Update Supplier"), this);
    cmdDelSup = ui::makeNamed<QPushButton>(QStringLiteral("cmdDelSup"), QStringLiteral("Delete Supplier"), this);
    cmdClearSup = ui::makeNamed<QPushButton>(QStringLiteral("cmdClearSup"), QStringLiteral("Clear Supplier"), this);
}

void ProductSupplierWindow::layOut()
{
    auto* products = new QVBoxLayout;
    products->setSpacing(12);
    products->addWidget(lblProdUpd);
    products->addLayout(entryGrid({{LblProdCode, dbcboProdCode}, {lblProdName, dbcboProdName}, {lblProdPrice, txtProdPrice},
        {lblVend, txtVend}, {lblQtyBought, txtQtyBought}, {lblQtyOnHand, lblQOnHand}, {lblQtySold, lblQSold}, {lblCategory, cboCatheria}}));
    products->addStretch();
    products->addLayout(buttonGrid({cmdAddNewProd, cmdShowProd, cmdDelProd, cmdClearProd}));

    // Between the sides: a sunken line on a green band.
    MyFrame = ui::makeNamed<QFrame>(QStringLiteral("MyFrame"), this);
    MyFrame->setFrameShape(QFrame::NoFrame);
    lblSeparate = ui::makeNamed<QLabel>(QStringLiteral("lblSeparate"), MyFrame);
    lblSeparate->setFixedWidth(4);
    lblSeparate->setStyleSheet(QStringLiteral("background: #2e7d32;"));
    Line1 = makeLine(QStringLiteral("Line1"), true, MyFrame);
    auto* divider = new QHBoxLayout(MyFrame);
    divider->setContentsMargins(6, 0, 6, 0);
    divider->setSpacing(2);
    divider->addWidget(lblSeparate);
    divider->addWidget(Line1);

    auto* suppliers = new QVBoxLayout;
    suppliers->setSpacing(12);
    suppliers->addWidget(lblSupUpd);
    suppliers->addLayout(entryGrid({{lblSupCode, dbcboSupCode}, {lblSupName, dbcboSupName}, {lblSupPhone, txtSupPhone}, {lblSupAddr, txtSupAddr}}));
    suppliers->addStretch();
    suppliers->addLayout(buttonGrid({cmdAddNewSup, cmdShowSup, cmdSupUpd, cmdDelSup, cmdClearSup}));

    for (QWidget* box : std::initializer_list<QWidget*>{dbcboProdCode, dbcboProdName, txtProdPrice, txtVend, txtQtyBought, cboCatheria,
             dbcboSupCode, dbcboSupName, txtSupPhone, txtSupAddr})
        box->setMinimumWidth(190);

    auto* layout = new QHBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(20, 16, 20, 18);
    layout->setSpacing(14);
    layout->addLayout(products, 1);
    layout->addWidget(MyFrame);
    layout->addLayout(suppliers, 1);

    // The keyboard goes down the products, then down the suppliers.
    QWidget* order[] = {dbcboProdCode, dbcboProdName, txtProdPrice, txtVend, txtQtyBought, cboCatheria, cmdAddNewProd, cmdShowProd,
        cmdDelProd, cmdClearProd, dbcboSupCode, dbcboSupName, txtSupPhone, txtSupAddr, cmdAddNewSup, cmdShowSup, cmdSupUpd, cmdDelSup,
        cmdClearSup};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ProductSupplierWindow::load()
{
    // The three number boxes take digits only from the moment they are made (DigitsOnlyEdit).
    try {
        centreOnScreen();
        context().windows.hide(QStringLiteral("frmMain"));
        cmdSupUpd->setEnabled(false);
        for (const char16_t* word : store::schema::categoryWords())
            cboCatheria->addItem(QString::fromUtf16(word));
        // The box keeps its prompt until a category is chosen.
        cboCatheria->setCurrentIndex(-1);
        cboCatheria->setEditText(kCategoryPrompt.toString());
    } catch (const std::exception&) {
        // The rest of the load is left undone; the window is still shown.
    }
}

void ProductSupplierWindow::dbmHelp_Click()
{
    help::showHelpContents(context(), m_help, this);
}

void ProductSupplierWindow::dbmExit_Click()
{
    try {
        context().windows.show(QStringLiteral("updateProdutos"));
    } catch (const std::exception&) {
        // Without the products menu to go to, the window still closes.
    }
    context().windows.unload(objectName());
}

void ProductSupplierWindow::closeRequested()
{
    dbmExit_Click();
}

} // namespace catalogue
