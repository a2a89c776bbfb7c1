#include "review/items_sold_window.h"

#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "review/query_connection.h"
#include "review/query_grid.h"
#include "store/convert.h"
#include "store/query_source.h"
#include "store/record_source.h"
#include "ui/artwork.h"
#include "ui/bound_label.h"
#include "ui/captions.h"
#include "ui/fonts.h"
#include "ui/named.h"
#include "ui/value_label.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace review {
namespace {

// Amounts and counts line up on their last digit.
constexpr Qt::Alignment kNumberAlignment = Qt::AlignRight | Qt::AlignVCenter;

constexpr QStringView kCaption = u"                                          ****LIST OF ALL PRODUCTS SOLD TODAY*****";

QLabel* makeCaptionLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = ui::makeNamed<QLabel>(name, text, parent);
    label->setFont(ui::boldFont(label->font()));
    return label;
}

// A sunken box showing a value beside its caption.
template <class Label, class... Args>
Label* makeValueBox(const QString& name, Args&&... args)
{
    auto* label = ui::makeNamed<Label>(name, std::forward<Args>(args)...);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(150);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

ItemsSoldWindow::ItemsSoldWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    produto = openQuerySource(context, QStringLiteral("produto"), kQueryConnection, QStringLiteral("daillySale"), this);
    total = new store::RecordSource(context.store, QStringLiteral("total"), QStringLiteral("tblDailySale"), this);

    const QLocale locale = context.locale;
    DataGrid1Model = new QueryModel(*produto,
        {
            {QStringLiteral("Code"), QStringLiteral("Codigo"), {}},
            {QStringLiteral("Product Name"), QStringLiteral("Nome_Produto"), {}},
            {QStringLiteral("Quantity"), QStringLiteral("Quantidade"), {}, kNumberAlignment},
            {QStringLiteral("Product Price"), QStringLiteral("Preco"),
                [locale](const store::Value& price) { return store::convert::formatPattern(price.toCurrency(locale), kPriceFormat.toString()); },
                kNumberAlignment},
        },
        this);
    DataGrid1 = ui::makeNamed<QTableView>(QStringLiteral("DataGrid1"), this);
    DataGrid1->setAccessibleName(QStringLiteral("Products sold today"));
    DataGrid1->setModel(DataGrid1Model);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setAlternatingRowColors(true);
    DataGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    DataGrid1->verticalHeader()->setDefaultSectionSize(22);
    DataGrid1->setMinimumSize(640, 300);

    produtoBar = ui::makeNamed<NavigationBar>(QStringLiteral("produto"), *produto, QStringLiteral("NAVIGATION"), this);
    produtoBar->setAccessibleName(QStringLiteral("NAVIGATION"));

    lblData = makeCaptionLabel(QStringLiteral("lblData"), QStringLiteral("Today's Date:"), this);
    lblDate = makeValueBox<ui::ValueLabel>(QStringLiteral("lblDate"), this);
    // Room for the longest date and time, set once the window is laid out.
    lblDate->setMinimumWidth(220);
    lblItem = makeCaptionLabel(QStringLiteral("lblItem"), QStringLiteral("No. of Items Sold Today:"), this);
    totalItems = makeValueBox<ui::BoundLabel>(QStringLiteral("totalItems"), *total, QStringLiteral("totalItems"), this);
    lbTotal = makeCaptionLabel(QStringLiteral("lbTotal"), QStringLiteral("Amount Sold US$:"), this);
    lblTotal = makeValueBox<ui::BoundLabel>(QStringLiteral("lblTotal"), *total, QStringLiteral("DailySale"), this);
    ui::setCaption(lblData, lblDate);
    ui::setCaption(lblItem, totalItems);
    ui::setCaption(lbTotal, lblTotal);

    cmdSair = ui::makeNamed<QPushButton>(QStringLiteral("cmdSair"), QStringLiteral("BACK TO MAIN"), this);
    cmdSair->setMinimumSize(160, 40);

    Frame1 = ui::makeNamed<QFrame>(QStringLiteral("Frame1"), this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    Image1 = ui::makeNamed<QLabel>(QStringLiteral("Image1"), Frame1);
    Image1->setPixmap(ui::artwork(u"basket.png"));
    Image1->setAccessibleName(QStringLiteral("Vantoral logo"));
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->setContentsMargins(6, 6, 6, 6);
    frameLayout->addWidget(Image1, 0, Qt::AlignCenter);

    // The grid and its navigation bar above; below them the totals, the logo and the way back.
    auto* figures = new QGridLayout;
    figures->setHorizontalSpacing(10);
    figures->addWidget(lblData, 0, 0);
    figures->addWidget(lblDate, 0, 1);
    figures->addWidget(lblItem, 1, 0);
    figures->addWidget(totalItems, 1, 1);
    figures->addWidget(lbTotal, 2, 0);
    figures->addWidget(lblTotal, 2, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(20);
    bottom->addLayout(figures);
    bottom->addStretch(1);
    bottom->addWidget(Frame1);
    bottom->addWidget(cmdSair, 0, Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(8);
    layout->addWidget(DataGrid1, 1);
    layout->addWidget(produtoBar);
    layout->addSpacing(8);
    layout->addLayout(bottom);

    // The grid shows the row the navigation bar is on; a row picked in the grid becomes it.
    connect(produtoBar, &NavigationBar::currentRowChanged, this, [this](int row) {
        if (DataGrid1Model->rowCount() > 0 && DataGrid1->currentIndex().row() != row)
            DataGrid1->selectRow(row);
    });
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) {
            if (current.isValid())
                produtoBar->moveTo(current.row());
        });
    if (DataGrid1Model->rowCount() > 0)
        DataGrid1->selectRow(0);

    connect(cmdSair, &QPushButton::clicked, this, &ItemsSoldWindow::cmdSair_Click);

    setTabOrder(DataGrid1, cmdSair);
    ui::nameControls(this);
    fixSize();
}

void ItemsSoldWindow::load()
{
    centreOnScreen();
    const QDateTime now = context().clock.current();
    lblDate->setText(store::convert::formatMediumDate(now.date(), context().locale) + QStringLiteral("   ")
        + store::convert::formatLongTime(now.time(), context().locale));
    lblDate->repaint();
}

void ItemsSoldWindow::cmdSair_Click()
{
    context().windows.show(QStringLiteral("frmMain"));
    context().windows.unload(objectName());
}

void ItemsSoldWindow::closeRequested()
{
    cmdSair_Click();
}

} // namespace review
