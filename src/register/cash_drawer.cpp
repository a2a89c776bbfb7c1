// The cash drawer opened without a sale: the no-sale is kept in the journal with the cashier and
// the moment, then the printer sends the drawer its pulse.
#include "register/cash_register_window.h"
#include "register/reprint.h"

#include "app/clock.h"
#include "app/context.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "store/journal.h"
#include "store/unit_of_work.h"
#include "ui/services.h"

#include <QPointer>
#include <QScopeGuard>

namespace cashregister {
namespace {

constexpr QStringView kNotOpenedTitle = u"Cash Drawer Not Opened";

} // namespace

void CashRegisterWindow::mnuOpenDrawer_Click()
{
    // A receipt still on its way goes first; the drawer opens with it at a sale anyway.
    if (m_printing)
        return;
    platform::Printer& printer = context().platform.printer();
    if (!printer.hasDrawer()) {
        context().ui.message(QStringLiteral("No cash drawer is wired to the receipt printer, so there is no drawer to open.\n\n"
                                            "The manager sets the printer up with point-of-sale --printer-setup."),
            QStringLiteral("No Cash Drawer"), ui::Icon::Information, ui::Buttons::Ok);
        return;
    }

    // The drawer is opened only once its opening is on record.
    store::journal::Entry noSale;
    noSale.kind = store::journal::kNoSale.toString();
    noSale.cashier = m_sale.cashierName;
    try {
        const QDateTime now = context().clock.current();
        noSale.at = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
        noSale.businessDate = businessDay(context());
        store::UnitOfWork work(context().store);
        store::journal::record(context().store, noSale);
        work.commit();
    } catch (const std::exception& e) {
        context().ui.message(QStringLiteral("The cash drawer was not opened: its opening could not be recorded. ") + QString::fromUtf8(e.what()),
            kNotOpenedTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
        return;
    }

    QString failure;
    {
        // As while a receipt prints: the till takes no key, and cannot be closed, until the printer
        // has answered.
        m_printing = true;
        context().ui.setBusy(true);
        const QPointer<QWidget> focused = focusWidget();
        setEnabled(false);
        const auto answered = qScopeGuard([this, focused] {
            setEnabled(true);
            if (focused)
                focused->setFocus();
            context().ui.setBusy(false);
            m_printing = false;
        });
        try {
            printer.openDrawer();
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
    }
    if (!failure.isEmpty())
        context().ui.message(failure + QStringLiteral("\n\nThe opening is recorded in the journal as a no-sale."),
            kNotOpenedTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
}

} // namespace cashregister
