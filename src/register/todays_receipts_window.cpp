#include "register/todays_receipts_window.h"
#include "register/cash_register_window.h"
#include "register/reprint.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "store/convert.h"
#include "store/journal.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace cashregister {
namespace {

enum Column { Number, Time, Cashier, Total };

} // namespace

TodaysReceiptsWindow::TodaysReceiptsWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(QStringLiteral("Today's Receipts"));

    lblDayCap = ui::makeNamed<QLabel>(QStringLiteral("lblDayCap"), QStringLiteral("Business day:"), this);
    lblDay = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblDay"), this);
    ui::setCaption(lblDayCap, lblDay);
    QFont heading = lblDay->font();
    heading.setBold(true);
    lblDay->setFont(heading);

    lblReceipts = ui::makeNamed<QLabel>(QStringLiteral("lblReceipts"), QStringLiteral("&Receipts:"), this);
    lstReceipts = ui::makeNamed<QTreeWidget>(QStringLiteral("lstReceipts"), this);
    ui::setCaption(lblReceipts, lstReceipts);
    lstReceipts->setColumnCount(4);
    lstReceipts->setHeaderLabels({QStringLiteral("Sale No."), QStringLiteral("Time"), QStringLiteral("Cashier"), QStringLiteral("Total")});
    lstReceipts->setRootIsDecorated(false);
    lstReceipts->setUniformRowHeights(true);
    lstReceipts->setAlternatingRowColors(true);
    lstReceipts->setSelectionMode(QAbstractItemView::SingleSelection);
    lstReceipts->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstReceipts->setAllColumnsShowFocus(true);
    lstReceipts->header()->setStretchLastSection(false);
    lstReceipts->header()->setSectionResizeMode(QHeaderView::Fixed);
    lstReceipts->header()->setSectionResizeMode(Cashier, QHeaderView::Stretch);
    // Large enough to read at the till; the number stands apart from the time.
    QFont rows = lstReceipts->font();
    rows.setPointSize(11);
    lstReceipts->setFont(rows);
    lstReceipts->setColumnWidth(Number, 90);
    lstReceipts->setColumnWidth(Time, 130);
    lstReceipts->setColumnWidth(Total, 120);
    lstReceipts->headerItem()->setTextAlignment(Number, Qt::AlignCenter);
    lstReceipts->headerItem()->setTextAlignment(Total, Qt::AlignRight | Qt::AlignVCenter);

    lblCount = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblCount"), QStringLiteral("Receipts of the day"), QString(), this);

    cmdPrint = ui::makeNamed<QPushButton>(QStringLiteral("cmdPrint"), QStringLiteral("&Print Again"), this);
    cmdClose = ui::makeNamed<QPushButton>(QStringLiteral("cmdClose"), QStringLiteral("&Close"), this);
    for (QPushButton* button : {cmdPrint, cmdClose})
        button->setMinimumSize(120, 34);
    connect(cmdPrint, &QPushButton::clicked, this, &TodaysReceiptsWindow::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, &TodaysReceiptsWindow::cmdClose_Click);
    connect(lstReceipts, &QTreeWidget::itemDoubleClicked, this, &TodaysReceiptsWindow::cmdPrint_Click);

    auto* day = new QHBoxLayout;
    day->addWidget(lblDayCap);
    day->addWidget(lblDay, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblCount, 1);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(10);
    layout->addLayout(day);
    layout->addWidget(lblReceipts);
    layout->addWidget(lstReceipts, 1);
    layout->addLayout(buttons);

    ui::nameControls(this);
    // Room for a busy day's receipts on an 800 x 600 screen.
    setFixedSize(560, 440);
}

void TodaysReceiptsWindow::load()
{
    fill();
    centreOnScreen();
    lstReceipts->setFocus();
}

void TodaysReceiptsWindow::fill()
{
    lstReceipts->clear();
    std::vector<store::journal::Entry> sales;
    try {
        m_day = businessDay(context());
        sales = store::journal::ofDay(context().store, m_day, false);
    } catch (const std::exception& e) {
        context().ui.message(QStringLiteral("The day's receipts could not be read. ") + QString::fromUtf8(e.what()),
            QStringLiteral("Receipts Not Shown"), ui::Icon::Warning, ui::Buttons::Ok);
    }
    lblDay->setText(m_day.isValid() ? store::convert::formatMediumDate(m_day, context().locale) : QString());
    int count = 0;
    QTreeWidgetItem* latest = nullptr;
    for (const store::journal::Entry& sale : sales) {
        if (sale.kind != store::journal::kSale)
            continue;
        auto* row = new QTreeWidgetItem(lstReceipts);
        row->setText(Number, QString::number(sale.number));
        row->setData(Number, Qt::UserRole, QVariant::fromValue<qlonglong>(sale.number));
        row->setText(Time, store::convert::formatLongTime(sale.at.time(), context().locale));
        row->setText(Cashier, sale.cashier);
        row->setText(Total, store::convert::formatCurrency(sale.total, context().locale));
        row->setTextAlignment(Number, Qt::AlignCenter);
        row->setTextAlignment(Total, Qt::AlignRight | Qt::AlignVCenter);
        latest = row;
        ++count;
    }
    if (latest) {
        lstReceipts->setCurrentItem(latest);
        lstReceipts->scrollToItem(latest);
    }
    cmdPrint->setEnabled(count > 0);
    if (count == 0)
        lblCount->setText(QStringLiteral("No sale has been completed on this day yet."));
    else
        lblCount->setText(count == 1 ? QStringLiteral("1 receipt") : QStringLiteral("%1 receipts").arg(count));
}

std::int64_t TodaysReceiptsWindow::chosenSale() const
{
    const QTreeWidgetItem* row = lstReceipts->currentItem();
    return row ? row->data(Number, Qt::UserRole).toLongLong() : 0;
}

void TodaysReceiptsWindow::cmdPrint_Click()
{
    const std::int64_t number = chosenSale();
    if (number > 0 && isEnabled())
        reprintReceipt(context(), number, this);
}

void TodaysReceiptsWindow::cmdClose_Click()
{
    app::WindowManager& windows = context().windows;
    windows.unload(objectName());
    // Back to the till the window was opened from.
    const QString till = QString::fromLatin1(CashRegisterWindow::kName);
    if (windows.isLoaded(till))
        windows.show(till);
}

void TodaysReceiptsWindow::closeRequested()
{
    cmdClose_Click();
}

void TodaysReceiptsWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        cmdClose_Click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusWidget() == cmdClose)
            cmdClose_Click();
        else
            cmdPrint_Click();
        return;
    default:
        app::Window::keyPressEvent(event);
    }
}

} // namespace cashregister
