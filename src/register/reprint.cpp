// Receipts printed, the first time and again from the journal.
#include "register/reprint.h"
#include "register/cash_register_window.h"
#include "register/todays_receipts_window.h"

#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "store/error.h"
#include "store/journal.h"
#include "store/record_source.h"
#include "ui/services.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTextDocument>
#include <QWidget>

namespace cashregister {
namespace {

// The busy pointer while a receipt prints.
class BusyPointer {
public:
    explicit BusyPointer(ui::Services& services) : m_services(services) { m_services.setBusy(true); }
    ~BusyPointer() { m_services.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    ui::Services& m_services;
};

constexpr QStringView kDrawerNotOpenedTitle = u"Cash Drawer Not Opened";

} // namespace

void printAndTell(app::Context& context, const PrintableReceipt& printable, QWidget* window, bool openDrawer)
{
    QString reason;
    QString drawerReason;
    try {
        QTextDocument receipt;
        receipt.setHtml(printable.html);
        {
            // The window takes no key until the printer has answered; then the cashier goes on in
            // the control they were in.
            const BusyPointer busy(context.ui);
            const QPointer<QWidget> focused = window ? window->focusWidget() : nullptr;
            const QPointer<QWidget> disabled = window;
            if (window)
                window->setEnabled(false);
            const auto enableAgain = qScopeGuard([disabled, focused] {
                if (disabled)
                    disabled->setEnabled(true);
                if (focused)
                    focused->setFocus();
            });
            platform::Printer& printer = context.platform.printer();
            // The drawer opens first, so that the change is counted out while the receipt prints. A
            // printer's failure to open it says so in its own words.
            if (openDrawer && printer.hasDrawer()) {
                try {
                    printer.openDrawer();
                } catch (const std::exception& e) {
                    drawerReason = QString::fromUtf8(e.what());
                }
            }
            printer.print(receipt, printable.name);
        }
        if (!drawerReason.isEmpty())
            context.ui.message(drawerReason + QStringLiteral("\n\nThe sale is complete and its money is booked."),
                kDrawerNotOpenedTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
        // The customer has a receipt; the manager is told that the store's own layout needs mending.
        if (!printable.problem.isEmpty()) {
            context.ui.message(QStringLiteral("The receipt was printed with the program's own layout. ") + printable.problem
                    + QStringLiteral("\n\nThe store's layout for the receipt needs mending."),
                QStringLiteral("Receipt Layout Not Used"), ui::Icon::Warning, ui::Buttons::Ok);
        }
        return;
    } catch (const std::exception& e) {
        // A printer's failure says what happened and names the copy kept instead.
        reason = QString::fromUtf8(e.what());
    }
    QString text = QStringLiteral("The receipt was not printed. ") + reason + QStringLiteral("\n\nThe sale is complete and its money is booked.");
    if (!drawerReason.isEmpty())
        text += QStringLiteral("\n\n") + drawerReason;
    if (!printable.problem.isEmpty())
        text += QStringLiteral("\n\nThe receipt was made with the program's own layout. ") + printable.problem;
    context.ui.message(text, QStringLiteral("Receipt Not Printed"), ui::Icon::Warning, ui::Buttons::Ok);
}

bool reprintReceipt(app::Context& context, std::int64_t number, QWidget* window)
{
    PrintableReceipt printable;
    try {
        const std::optional<store::journal::Entry> sale = store::journal::entry(context.store, number);
        if (!sale) {
            context.ui.message(QStringLiteral("There is no sale number %1 to print again.").arg(number), QStringLiteral("No Receipt to Print"),
                ui::Icon::Information, ui::Buttons::Ok);
            return false;
        }
        ReceiptSale copy = saleInJournal(*sale);
        copy.reprintedAt = context.clock.current();
        printable = printableReceipt(context.store, copy, context.locale);
    } catch (const std::exception& e) {
        context.ui.message(QStringLiteral("The receipt could not be printed again. ") + QString::fromUtf8(e.what()),
            QStringLiteral("Receipt Not Printed"), ui::Icon::Warning, ui::Buttons::Ok);
        return false;
    }
    printAndTell(context, printable, window);
    return true;
}

QDate businessDay(app::Context& context)
{
    store::RecordSource day(context.store, QStringLiteral("businessDay"), QStringLiteral("tblDailySale"));
    const store::Value date = day.atEnd() ? store::Value() : day.field(u"tDate");
    return date.isNull() ? context.clock.today() : date.toDate();
}

void CashRegisterWindow::mnuReprintLast_Click()
{
    // One receipt at a time: a receipt still on its way is not followed by another.
    if (m_printing)
        return;
    std::optional<store::journal::Entry> last;
    try {
        last = store::journal::last(context().store);
    } catch (const std::exception& e) {
        context().ui.message(QStringLiteral("The receipt could not be printed again. ") + QString::fromUtf8(e.what()),
            QStringLiteral("Receipt Not Printed"), ui::Icon::Warning, ui::Buttons::Ok);
        return;
    }
    if (!last) {
        context().ui.message(QStringLiteral("No sale has been completed yet, so there is no receipt to print again."),
            QStringLiteral("No Receipt to Print"), ui::Icon::Information, ui::Buttons::Ok);
        return;
    }
    m_printing = true;
    const auto printed = qScopeGuard([this] { m_printing = false; });
    reprintReceipt(context(), last->number, this);
}

void CashRegisterWindow::mnuTodaysReceipts_Click()
{
    // A new window each time, with the receipts of now.
    const QString name = QString::fromLatin1(TodaysReceiptsWindow::kName);
    context().windows.unload(name);
    context().windows.show(name);
}

} // namespace cashregister
