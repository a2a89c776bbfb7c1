// End: the open sale is completed. The tax and the total are worked out, the amount tendered is
// asked for until it covers the total, the money is booked into the day's takings, the receipt
// is printed and tblReceipt is emptied for the next customer.
#include "register/cash_register_window.h"
#include "register/receipt.h"

#include "app/clock.h"
#include "app/context.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "store/convert.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/services.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>

namespace cashregister {
namespace {

constexpr QStringView kAmountPrompt = u"Please enter amount tendered:";
constexpr QStringView kAmountTitle = u" Amount Tendered:";

// The busy pointer while the receipt prints.
class BusyPointer {
public:
    explicit BusyPointer(ui::Services& services) : m_services(services) { m_services.setBusy(true); }
    ~BusyPointer() { m_services.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    ui::Services& m_services;
};

} // namespace

void CashRegisterWindow::completeSale()
{
    if (m_sale.subtotal.isZero()) {
        context().ui.message(QStringLiteral("No sale to resume.  Sale list is empty."), QStringLiteral("No Sale to Resume"), ui::Icon::Warning,
            ui::Buttons::Ok);
        return;
    }

    bool moneyBooked = false;
    try {
        bookSale();
        moneyBooked = true;
    } catch (const std::exception&) {
        // A sale that ends before its money is booked (the amount box cancelled or answered with
        // what is not a number, a store that fails) is abandoned below: its goods go back into stock.
    }
    if (moneyBooked) {
        printReceipt();
        emptyReceipt();
    } else {
        abandonSale();
    }
    m_sale.zeroAmounts();
    m_sale.itemCount = 0;
}

void CashRegisterWindow::bookSale()
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

    // The money: the tender on the receipt and the total in the day's takings, together or not at
    // all.
    {
        store::UnitOfWork money(context().store);
        DataReceipt->edit();
        DataReceipt->setField(u"Change", m_sale.change);
        DataReceipt->setField(u"AmountTendered", m_sale.amountTendered);
        DataReceipt->update();
        DatatblDailySale->edit();
        DatatblDailySale->setField(u"DailySale", convert::add(DatatblDailySale->field(u"DailySale").toCurrency(), m_sale.total));
        DatatblDailySale->update();
        money.commit();
    }
    lblChange->setText(moneyLabel(m_sale.change));
    lblProductDescription->setText(u' ' + QString::number(m_sale.itemCount) + QStringLiteral(" items sold"));
    cmdNewSale->setEnabled(true);
}

store::Currency CashRegisterWindow::askAmountTendered()
{
    const QString typed = context().ui.input(kAmountPrompt.toString(), kAmountTitle.toString(), QStringLiteral("0"));
    // The amount is typed in cents, without a decimal point: 2550 is 25.50.
    return store::convert::divide(store::convert::textToCurrency(typed, context().locale), 100);
}

// Prints the receipt from the rows tblReceipt holds now. A receipt that cannot be printed is
// reported to the cashier; the sale stays completed.
void CashRegisterWindow::printReceipt()
{
    const QDateTime printedAt = context().clock.current();
    QString reason;
    try {
        const PrintableReceipt printable = printableReceipt(context().store, printedAt, context().locale);
        QTextDocument receipt;
        receipt.setHtml(printable.html);
        {
            const BusyPointer busy(context().ui);
            context().platform.printer().print(receipt, QStringLiteral("Receipt ") + printedAt.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")));
        }
        // The customer has a receipt; the manager is told that the store's own layout needs mending.
        if (!printable.problem.isEmpty()) {
            context().ui.message(QStringLiteral("The receipt was printed with the program's own layout. ") + printable.problem
                    + QStringLiteral("\n\nThe store's layout for the receipt needs mending."),
                QStringLiteral("Receipt Layout Not Used"), ui::Icon::Warning, ui::Buttons::Ok);
        }
        return;
    } catch (const std::exception& e) {
        // A printer's failure names the copy kept instead, when there is one; a layout or store
        // failure says what is wrong with the receipt.
        reason = QString::fromUtf8(e.what());
    }
    context().ui.message(QStringLiteral("The receipt was not printed. ") + reason + QStringLiteral("\n\nThe sale is complete and its money is booked."),
        QStringLiteral("Receipt Not Printed"), ui::Icon::Warning, ui::Buttons::Ok);
}

void CashRegisterWindow::emptyReceipt()
{
    try {
        store::UnitOfWork empty(context().store);
        DataReceipt->refresh();
        DataReceipt->moveFirst();
        while (!DataReceipt->atEnd()) {
            DataReceipt->remove();
            DataReceipt->moveNext();
        }
        empty.commit();
    } catch (const std::exception&) {
        // The rows stay; nothing more can be done here, and the labels keep showing the sale.
    }
}

} // namespace cashregister
