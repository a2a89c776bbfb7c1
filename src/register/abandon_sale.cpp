// An abandoned sale: the amount box cancelled, a failure before the money is booked, or the way
// back taken with lines entered. Every open line goes back where item entry took it from, and
// tblReceipt is emptied for the next customer.
#include "register/cash_register_window.h"
#include "register/give_back.h"
#include "register/matching.h"

#include "app/context.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/services.h"

#include <algorithm>
#include <optional>

namespace cashregister {
namespace {

constexpr QStringView kNotGivenBackTitle = u"Stock Not Given Back";
constexpr QStringView kNotGivenBackText = u"The sale was cancelled, but these lines could not be put back into stock. "
                                          u"Please restock them by hand:";
constexpr QStringView kNotCancelledTitle = u"Sale Not Cancelled";
constexpr QStringView kNotCancelledText = u"The sale could not be cancelled, so its lines stay on the till as they were. ";
constexpr QStringView kNotCancelledAdvice = u"\n\nThe sale is still open: once the store can be written again, cancel it again "
                                            u"(Esc at the amount box, or Back to Main System).";

} // namespace

bool isSaleLine(const store::RecordSource& row)
{
    return !row.field(u"Code").isNull() || !row.field(u"ProdName").isNull();
}

QString describeLine(const store::RecordSource& line)
{
    return line.field(u"Code").display() + u' ' + line.field(u"ProdName").display() + u' ' + line.field(u"pQty").display();
}

bool CashRegisterWindow::abandonSale()
{
    QStringList notGivenBack;
    try {
        store::UnitOfWork abandon(context().store);
        notGivenBack = giveBackEveryLine();
        abandon.commit();
    } catch (const store::Error& e) {
        if (!e.diskFailure())
            return abandonAfterFailure();
        // The disk failed: nothing was given back and nothing emptied. The sale stays on the till
        // as it is in the store, to be cancelled again once the disk is sound.
        context().ui.message(kNotCancelledText.toString() + e.message() + kNotCancelledAdvice.toString(), kNotCancelledTitle.toString(),
            ui::Icon::Warning, ui::Buttons::Ok);
        return false;
    } catch (const std::exception&) {
        return abandonAfterFailure();
    }
    tellNotGivenBack(notGivenBack);
    return true;
}

// The sale's lines could not be given back for a reason of their own (a count out of range, for
// one). Nothing was given back: the lines are named to the cashier and the open sale is emptied
// all the same, so that they never reach the next customer's receipt. When it cannot be emptied
// either, the sale stays on the till as it is in the store, and false is returned.
bool CashRegisterWindow::abandonAfterFailure()
{
    const QStringList notGivenBack = openLines();
    if (const QString failure = emptyReceipt(); !failure.isEmpty()) {
        context().ui.message(kNotCancelledText.toString() + failure + kNotCancelledAdvice.toString(), kNotCancelledTitle.toString(),
            ui::Icon::Warning, ui::Buttons::Ok);
        return false;
    }
    tellNotGivenBack(notGivenBack);
    return true;
}

void CashRegisterWindow::tellNotGivenBack(const QStringList& notGivenBack)
{
    if (!notGivenBack.isEmpty()) {
        const QString text = kNotGivenBackText.toString() + QStringLiteral("\n\n") + notGivenBack.join(u'\n');
        context().ui.message(text, kNotGivenBackTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    }
}

// The lines of the open sale, described; none when they cannot be read.
QStringList CashRegisterWindow::openLines()
{
    QStringList lines;
    try {
        Cancelitem->refresh();
        for (; !Cancelitem->atEnd(); Cancelitem->moveNext()) {
            if (isSaleLine(*Cancelitem))
                lines << describeLine(*Cancelitem);
        }
    } catch (const std::exception&) {
        lines << QStringLiteral("(the lines of the sale could not be read)");
    }
    return lines;
}

QStringList CashRegisterWindow::giveBackEveryLine()
{
    return giveBackLines({*Cancelitem, *DatatblPPrice, *DataPQty, *daillySale, *DatatblDailySale});
}

namespace {

// Gives the current line of `s.lines` back; false, having written nothing, when its product or
// room in its stock count cannot be found.
bool giveBackLine(const GiveBackSources& s)
{
    namespace convert = store::convert;
    const store::Value code = s.lines.field(u"Code");
    const store::Value name = s.lines.field(u"ProdName");
    const store::Value units = s.lines.field(u"pQty");
    const std::int16_t quantity = units.toWhole();
    if (code.isNull())
        return false;

    // The price row the line was rung up from carries the line's code and name as they are: the
    // first row with both, else the first with the code (a product renamed since); its stock
    // row stands at the same position, whatever code the stock row carries.
    const int codeField = s.prices.fieldIndex(u"Code");
    const int nameField = s.prices.fieldIndex(u"ProductName");
    const int paired = std::min(s.prices.recordCount(), s.stock.recordCount());
    std::optional<int> product;
    std::optional<int> sameCode;
    for (int row = 0; row < paired && !product; ++row) {
        if (!sameText(code, s.prices.valueAt(row, codeField)))
            continue;
        if (sameText(name, s.prices.valueAt(row, nameField)))
            product = row;
        else if (!sameCode)
            sameCode = row;
    }
    if (!product)
        product = sameCode;
    if (!product)
        return false;
    s.stock.moveTo(*product);
    std::int16_t onHand = 0;
    try {
        onHand = convert::addWhole(s.stock.field(u"QuantityOnHand").toWhole(), quantity);
    } catch (const store::Error&) {
        return false; // more units than a stock count can hold
    }

    // Today's sold line of the same product and units, with its units in the day's count.
    s.soldLines.moveFirst();
    for (; !s.soldLines.atEnd(); s.soldLines.moveNext()) {
        if (sameText(code, s.soldLines.field(u"Codigo")) && sameText(name, s.soldLines.field(u"Nome_Produto"))
            && sameWhole(units, s.soldLines.field(u"Quantidade"))) {
            s.dayTotals.edit();
            s.dayTotals.setField(u"totalItems", convert::subtractWhole(s.dayTotals.field(u"totalItems").toWhole(), quantity));
            s.dayTotals.update();
            s.soldLines.remove();
            s.dayTotals.refresh();
            break;
        }
    }

    s.stock.edit();
    s.stock.setField(u"QuantityOnHand", onHand);
    s.stock.update();
    return true;
}

} // namespace

QStringList giveBackLines(const GiveBackSources& s)
{
    // Read afresh: lines may have been entered and taken back through the other sources.
    s.lines.refresh();
    s.prices.refresh();
    s.stock.refresh();
    s.soldLines.refresh();
    s.dayTotals.refresh();
    QStringList notGivenBack;
    while (!s.lines.atEnd()) {
        if (isSaleLine(s.lines) && !giveBackLine(s))
            notGivenBack << describeLine(s.lines);
        s.lines.remove();
        s.lines.moveNext();
    }
    s.lines.refresh();
    return notGivenBack;
}

QString CashRegisterWindow::emptyReceipt()
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
        return {};
    } catch (const std::exception& e) {
        // The rows stay; the caller tells the cashier.
        return QString::fromUtf8(e.what());
    }
}

} // namespace cashregister
