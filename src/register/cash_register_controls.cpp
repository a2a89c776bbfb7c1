// The cash register's controls, menus and record sources, and how they are laid out on the
// screen.
#include "register/cash_register_window.h"

#include "app/context.h"
#include "store/record_source.h"
#include "ui/bound_list.h"
#include "ui/captions.h"
#include "ui/digits_only_edit.h"
#include "ui/named.h"
#include "ui/value_label.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace cashregister {
namespace {

// A money label: a till display, the amount large and to the right.
ui::ValueLabel* makeMoneyLabel(const QString& name, QWidget* parent)
{
    auto* label = ui::makeNamed<ui::ValueLabel>(name, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(210);
    label->setFixedHeight(52);
    QFont font = label->font();
    font.setPointSize(20);
    font.setBold(true);
    font.setStyleHint(QFont::Monospace);
    font.setFamily(QStringLiteral("Monospace"));
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("background: #0f2b12; color: #8be28b; border: 1px solid #2e7d32; padding: 0 8px;"));
    return label;
}

} // namespace

void CashRegisterWindow::buildRecordSources()
{
    app::Context& c = context();
    DatatblPPrice = new store::RecordSource(c.store, QStringLiteral("DatatblPPrice"), QStringLiteral("tblProductPrice"), this);
    datProdPrice = new store::RecordSource(c.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"), this);
    DataPQty = new store::RecordSource(c.store, QStringLiteral("DataPQty"), QStringLiteral("tblProductQuantity"), this);
    DataReceipt = new store::RecordSource(c.store, QStringLiteral("DataReceipt"), QStringLiteral("tblReceipt"), this);
    Cancelitem = new store::RecordSource(c.store, QStringLiteral("Cancelitem"), QStringLiteral("tblReceipt"), this);
    DataTax = new store::RecordSource(c.store, QStringLiteral("DataTax"), QStringLiteral("tblTax"), this);
    DatatblDailySale = new store::RecordSource(c.store, QStringLiteral("DatatblDailySale"), QStringLiteral("tblDailySale"), this);
    daillySale = new store::RecordSource(c.store, QStringLiteral("daillySale"), QStringLiteral("daillySale"), this);
    dataCategory = new store::RecordSource(c.store, QStringLiteral("dataCategory"), QStringLiteral("tblCathegory"), this);
}

void CashRegisterWindow::buildMenus()
{
    menuBar = ui::makeNamed<QMenuBar>(QStringLiteral("menuBar"), this);
    menuBar->setAccessibleName(QStringLiteral("Menu"));
    // The menu bar belongs to the window on every desktop, never to a global menu.
    menuBar->setNativeMenuBar(false);

    mnuFile = menuBar->addMenu(QStringLiteral("&Cash Register"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExit = ui::makeAction(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("&Back to Main System"), QKeySequence(Qt::Key_F2));
    mnuAmtSold = ui::makeAction(mnuFile, QStringLiteral("mnuAmtSold"), QStringLiteral("See &Total Sold Today"), QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuHelp = ui::makeAction(mnuFile, QStringLiteral("mnuHelp"), QStringLiteral("&Help"), QKeySequence(Qt::Key_F1));

    mnuP = menuBar->addMenu(QStringLiteral("Product"));
    mnuP->setObjectName(QStringLiteral("mnuP"));
    mnuCode = ui::makeAction(mnuP, QStringLiteral("mnuCode"), QStringLiteral("Cancel a Product by &C\u00f3de"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuName = ui::makeAction(mnuP, QStringLiteral("mnuName"), QStringLiteral("Cancel a Product by &Name"), QKeySequence(Qt::CTRL | Qt::Key_N));

    mnuReceipts = menuBar->addMenu(QStringLiteral("&Receipts"));
    mnuReceipts->setObjectName(QStringLiteral("mnuReceipts"));
    mnuReprintLast = ui::makeAction(
        mnuReceipts, QStringLiteral("mnuReprintLast"), QStringLiteral("&Print the Last Receipt Again"), QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuTodaysReceipts = ui::makeAction(
        mnuReceipts, QStringLiteral("mnuTodaysReceipts"), QStringLiteral("Today's &Receipts..."), QKeySequence(Qt::CTRL | Qt::Key_R));

    mnuDrawer = menuBar->addMenu(QStringLiteral("&Drawer"));
    mnuDrawer->setObjectName(QStringLiteral("mnuDrawer"));
    mnuOpenDrawer = ui::makeAction(
        mnuDrawer, QStringLiteral("mnuOpenDrawer"), QStringLiteral("&Open the Cash Drawer (No Sale)"), QKeySequence(Qt::CTRL | Qt::Key_D));
}

void CashRegisterWindow::buildControls()
{
    lblProductCode = ui::makeNamed<QLabel>(QStringLiteral("lblProductCode"), QStringLiteral("Code:"), this);
    txtProductCode = ui::makeNamed<QLineEdit>(QStringLiteral("txtProductCode"), this);
    lblProductName = ui::makeNamed<QLabel>(QStringLiteral("lblProductName"), QStringLiteral("Name:"), this);
    txtProductName = ui::makeNamed<QLineEdit>(QStringLiteral("txtProductName"), this);
    lblQuantity = ui::makeNamed<QLabel>(QStringLiteral("lblQuantity"), QStringLiteral("Quantity:"), this);
    txtQuantity = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtQuantity"), this);
    ui::setCaption(lblProductCode, txtProductCode);
    ui::setCaption(lblProductName, txtProductName);
    ui::setCaption(lblQuantity, txtQuantity);

    lbl = ui::makeNamed<QLabel>(QStringLiteral("lbl"), QStringLiteral("Subtotal"), this);
    lblSubtotal = makeMoneyLabel(QStringLiteral("lblSubtotal"), this);
    lbtax = ui::makeNamed<QLabel>(QStringLiteral("lbtax"), QStringLiteral("Tax:"), this);
    lblTax = makeMoneyLabel(QStringLiteral("lblTax"), this);
    lblTotalCap = ui::makeNamed<QLabel>(QStringLiteral("lblTotalCap"), QStringLiteral("Total:"), this);
    lblTotal = makeMoneyLabel(QStringLiteral("lblTotal"), this);
    lblCash = ui::makeNamed<QLabel>(QStringLiteral("lblCash"), QStringLiteral("Amt. Tend:"), this);
    lblAmount = makeMoneyLabel(QStringLiteral("lblAmount"), this);
    lblChangeCap = ui::makeNamed<QLabel>(QStringLiteral("lblChangeCap"), QStringLiteral("Change:"), this);
    lblChange = makeMoneyLabel(QStringLiteral("lblChange"), this);
    const std::pair<QLabel*, QLabel*> money[] = {
        {lbl, lblSubtotal}, {lbtax, lblTax}, {lblTotalCap, lblTotal}, {lblCash, lblAmount}, {lblChangeCap, lblChange}};
    for (const auto& [caption, amount] : money) {
        QFont font = caption->font();
        font.setPointSize(13);
        font.setBold(true);
        caption->setFont(font);
        ui::setCaption(caption, amount);
    }

    lblProductDescription = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblProductDescription"), QStringLiteral("Last action"), QString(), this);
    lblProductDescription->setFrameShape(QFrame::Panel);
    lblProductDescription->setFrameShadow(QFrame::Sunken);
    lblProductDescription->setFixedHeight(52);
    lblProductDescription->setMinimumWidth(380);
    lblProductDescription->setStyleSheet(QStringLiteral("background: white; color: #1b3d1d; padding: 0 6px;"));
    QFont description = lblProductDescription->font();
    description.setPointSize(13);
    description.setBold(true);
    lblProductDescription->setFont(description);

    cmdNewSale = ui::makeNamed<QPushButton>(QStringLiteral("cmdNewSale"), QStringLiteral("New Sale"), this);
    cmdNewSale->setMinimumSize(130, 40);
    cmdNewSale->setEnabled(false);

    Referencia = ui::makeNamed<QGroupBox>(QStringLiteral("Referencia"), QStringLiteral(" REFERENCE- List of Codes and Names of Products in the Database"), this);
    Referencia->setAccessibleName(ui::readableCaption(Referencia->title()));
    Label1 = ui::makeNamed<QLabel>(QStringLiteral("Label1"), QStringLiteral("Code:"), Referencia);
    dbcboProdCode = ui::makeNamed<ui::BoundList>(QStringLiteral("dbcboProdCode"), *datProdPrice, QStringLiteral("Code"), Referencia);
    Label2 = ui::makeNamed<QLabel>(QStringLiteral("Label2"), QStringLiteral("Name:"), Referencia);
    dbcboProdName = ui::makeNamed<ui::BoundList>(QStringLiteral("dbcboProdName"), *datProdPrice, QStringLiteral("ProductName"), Referencia);
    lblQuant = ui::makeNamed<QLabel>(QStringLiteral("lblQuant"), QStringLiteral("Quantity:"), Referencia);
    lblQty = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblQty"), Referencia);
    lblQty->setFrameShape(QFrame::Panel);
    lblQty->setFrameShadow(QFrame::Sunken);
    lblQty->setMinimumWidth(70);
    lblQty->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmdMostrar = ui::makeNamed<QPushButton>(QStringLiteral("cmdMostrar"), QStringLiteral("Show"), Referencia);
    Command1 = ui::makeNamed<QPushButton>(QStringLiteral("Command1"), QStringLiteral("Clear"), Referencia);
    for (ui::BoundList* list : {dbcboProdCode, dbcboProdName}) {
        // A catalogue runs to tens of thousands of rows: the box is sized by a typical text
        // rather than by measuring every item, and the list's rows are all of one height.
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(14);
        if (auto* rows = qobject_cast<QListView*>(list->view()))
            rows->setUniformItemSizes(true);
    }
    ui::setCaption(Label1, dbcboProdCode);
    ui::setCaption(Label2, dbcboProdName);
    ui::setCaption(lblQuant, lblQty);
}

void CashRegisterWindow::layOut()
{
    // Entry on the left, the till's display on the right, the reference panel across the foot.
    auto* entry = new QGridLayout;
    entry->setHorizontalSpacing(10);
    entry->setVerticalSpacing(18);
    entry->addWidget(lblProductCode, 0, 0);
    entry->addWidget(txtProductCode, 0, 1);
    entry->addWidget(lblProductName, 1, 0);
    entry->addWidget(txtProductName, 1, 1);
    entry->addWidget(lblQuantity, 2, 0);
    entry->addWidget(txtQuantity, 2, 1, Qt::AlignLeft);
    txtQuantity->setFixedWidth(90);
    for (QLineEdit* box : std::initializer_list<QLineEdit*>{txtProductCode, txtProductName, txtQuantity}) {
        QFont font = box->font();
        font.setPointSize(14);
        box->setFont(font);
        box->setMinimumHeight(38);
    }
    for (QLabel* caption : {lblProductCode, lblProductName, lblQuantity}) {
        QFont font = caption->font();
        font.setPointSize(13);
        font.setBold(true);
        caption->setFont(font);
    }
    entry->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->setSpacing(14);
    left->addLayout(entry);
    left->addStretch();
    left->addWidget(lblProductDescription);
    auto* newSaleRow = new QHBoxLayout;
    newSaleRow->addStretch();
    newSaleRow->addWidget(cmdNewSale);
    left->addLayout(newSaleRow);

    auto* totals = new QGridLayout;
    totals->setHorizontalSpacing(10);
    totals->setVerticalSpacing(12);
    const std::pair<QLabel*, QLabel*> money[] = {
        {lbl, lblSubtotal}, {lbtax, lblTax}, {lblTotalCap, lblTotal}, {lblCash, lblAmount}, {lblChangeCap, lblChange}};
    int row = 0;
    for (const auto& [caption, amount] : money) {
        totals->addWidget(caption, row, 0, Qt::AlignRight);
        totals->addWidget(amount, row, 1);
        ++row;
    }
    totals->setRowStretch(row, 1);

    auto* top = new QHBoxLayout;
    top->setSpacing(28);
    top->addLayout(left, 1);
    top->addLayout(totals);

    auto* reference = new QGridLayout(Referencia);
    reference->setContentsMargins(12, 16, 12, 10);
    reference->setHorizontalSpacing(10);
    reference->setVerticalSpacing(10);
    reference->addWidget(Label1, 0, 0);
    reference->addWidget(dbcboProdCode, 0, 1);
    reference->addWidget(Label2, 0, 2);
    reference->addWidget(dbcboProdName, 0, 3);
    reference->addWidget(lblQuant, 1, 0);
    reference->addWidget(lblQty, 1, 1, Qt::AlignLeft);
    auto* referenceButtons = new QHBoxLayout;
    referenceButtons->addStretch();
    referenceButtons->addWidget(cmdMostrar);
    referenceButtons->addWidget(Command1);
    reference->addLayout(referenceButtons, 1, 2, 1, 2);
    reference->setColumnStretch(1, 2);
    reference->setColumnStretch(3, 3);
    for (QPushButton* button : {cmdMostrar, Command1})
        button->setMinimumSize(100, 32);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(22, 16, 22, 16);
    layout->setSpacing(20);
    layout->addLayout(top, 1);
    layout->addWidget(Referencia);
}

} // namespace cashregister
