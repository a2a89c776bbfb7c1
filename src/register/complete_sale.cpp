// End: the open sale is completed. The tax and the total are worked out, the amount tendered is
// asked for until it covers the total, the money is booked into the day's takings and the sale
// into the journal, tblReceipt is emptied for the next customer and the receipt is printed.
#include "register/cash_register_window.h"
#include "register/receipt.h"
#include "register/reprint.h"

#include "app/clock.h"
#include "app/context.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/journal.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/services.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

namespace cashregister {
namespace {

constexpr QStringView kAmountPrompt = u"Please enter amount tendered:";
constexpr QStringView kAmountTitle = u" Amount Tendered:";

} // namespace

void CashRegisterWindow::completeSale()
{
    if (m_sale.subtotal.isZero()) {
        context().ui.message(QStringLiteral("No sale to resume.  Sale list is empty."), QStringLiteral("No Sale to Resume"), ui::Icon::Warning,
            ui::Buttons::Ok);
        return;
    }

    try {
        tenderSale();
    } catch (const store::Error& e) {
        // A disk that fails under the sale's figures loses nothing: the sale stays open to be
        // paid again.
        if (e.diskFailure()) {
            keepSaleOpen(e.message());
            return;
        }
        abandonOrKeep();
        return;
    } catch (const std::exception&) {
        abandonOrKeep();
        return;
    }

    // The money is booked and the open sale emptied together, with the receipt read from the
    // sale's rows on the way; the receipt is printed once the sale is closed for good.
    const QDateTime completedAt = context().clock.current();
    PrintableReceipt receipt;
    try {
        receipt = bookSale(completedAt);
    } catch (const std::exception& e) {
        // Nothing was booked and nothing emptied: the sale is still open and can be paid again.
        keepSaleOpen(QString::fromUtf8(e.what()));
        return;
    }
    lblChange->setText(moneyLabel(m_sale.change));
    lblProductDescription->setText(u' ' + QString::number(m_sale.itemCount) + QStringLiteral(" items sold"));
    cmdNewSale->setEnabled(true);

    printReceipt(receipt);
    m_sale.zeroAmounts();
    m_sale.itemCount = 0;
}

// A sale that ends before it is paid (the amount box cancelled or answered with what is not a
// number, a tax rate that cannot be read) is abandoned: its goods go back. When the store cannot
// take that, the sale stays open as it was.
void CashRegisterWindow::abandonOrKeep()
{
    if (abandonSale()) {
        m_sale.zeroAmounts();
        m_sale.itemCount = 0;
        return;
    }
    resetFigures();
}

void CashRegisterWindow::resetFigures()
{
    m_sale.tax = store::Currency();
    m_sale.total = store::Currency();
    m_sale.amountTendered = store::Currency();
    m_sale.change = store::Currency();
    showAmounts();
}

void CashRegisterWindow::keepSaleOpen(const QString& why)
{
    resetFigures();
    context().ui.message(QStringLiteral("The sale could not be booked, so nothing was charged. ") + why
            + QStringLiteral("\n\nThe sale is still open: press End to take the payment again, or Esc at the amount box to cancel "
                             "the sale."),
        QStringLiteral("Sale Not Completed"), ui::Icon::Warning, ui::Buttons::Ok);
}

void CashRegisterWindow::tenderSale()
{
    namespace convert = store::convert;
    m_sale.tax = convert::multiplyRounded(m_sale.subtotal, DataTax->field(u"Tax").toNumber());
    m_sale.total = convert::add(m_sale.subtotal, m_sale.tax);

    // The sale's figures go into its first line, where the receipt finds them. The table is read
    // afresh: lines taken back went through another record source.
    DataReceipt->refresh();
    DataReceipt->moveFirst();
    DataReceipt->edit();
    DataReceipt->setField(u"Total", m_sale.total);
    DataReceipt->setField(u"Subtotal", m_sale.subtotal);
    DataReceipt->setField(u"Tax", m_sale.tax);
    DataReceipt->setField(u"Cashier", m_sale.cashierName);
    DataReceipt->update();
    lblTax->setText(moneyLabel(m_sale.tax));
    lblTotal->setText(moneyLabel(m_sale.total));

    store::Currency amount = askAmountTendered();
    while (amount < m_sale.total) {
        context().ui.message(QStringLiteral("Client must pay full total. Press ESC if you want to cancel this sale."),
            QStringLiteral(" Total Must be Paid in Full."), ui::Icon::Warning, ui::Buttons::Ok);
        amount = askAmountTendered();
    }
    m_sale.amountTendered = amount;
    lblAmount->setText(moneyLabel(m_sale.amountTendered));
    m_sale.change = convert::subtract(m_sale.amountTendered, m_sale.total);
}

PrintableReceipt CashRegisterWindow::bookSale(const QDateTime& completedAt)
{
    namespace convert = store::convert;
    store::UnitOfWork money(context().store);
    // The tender on the receipt and the total in the day's takings.
    DataReceipt->edit();
    DataReceipt->setField(u"Change", m_sale.change);
    DataReceipt->setField(u"AmountTendered", m_sale.amountTendered);
    DataReceipt->update();
    DatatblDailySale->edit();
    DatatblDailySale->setField(u"DailySale", convert::add(DatatblDailySale->field(u"DailySale").toCurrency(), m_sale.total));
    DatatblDailySale->update();
    // The sale as booked, from every line with its figures in the first, read before the lines go.
    ReceiptSale sale = saleInReceiptTable(context().store, completedAt);
    // The open sale is emptied for the next customer.
    DataReceipt->refresh();
    DataReceipt->moveFirst();
    while (!DataReceipt->atEnd()) {
        DataReceipt->remove();
        DataReceipt->moveNext();
    }
    // The sale is kept in the journal, with the money it booked, and takes its number there.
    const store::Value day = DatatblDailySale->field(u"tDate");
    sale.number = store::journal::record(context().store, journalEntry(sale, *DatatblPPrice, day.isNull() ? completedAt.date() : day.toDate()));
    PrintableReceipt receipt = printableReceipt(context().store, sale, context().locale);
    money.commit();
    DataReceipt->refresh();
    return receipt;
}

store::Currency CashRegisterWindow::askAmountTendered()
{
    const QString typed = context().ui.input(kAmountPrompt.toString(), kAmountTitle.toString(), QStringLiteral("0"));
    // The amount is typed in cents, without a decimal point: 2550 is 25.50.
    return store::convert::divide(store::convert::textToCurrency(typed, context().locale), 100);
}

// Prints the receipt of the sale just closed, opening the cash drawer when one is wired to the
// printer. A receipt that cannot be printed, or a drawer that does not open, is reported to the
// cashier; the sale stays completed. The till takes no key, and cannot be closed, until the
// printer has answered.
void CashRegisterWindow::printReceipt(const PrintableReceipt& printable)
{
    m_printing = true;
    const auto printed = qScopeGuard([this] { m_printing = false; });
    printAndTell(context(), printable, this, true);
}

} // namespace cashregister
