// The Product menu: a line of the open sale taken back, found by its code or its name.
#include "register/cash_register_window.h"
#include "register/matching.h"

#include "app/context.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/services.h"

#include <QLabel>

namespace cashregister {
namespace {

// What differs between the two cancel commands' boxes.
struct CancelTexts {
    const char16_t* prompt;
    const char16_t* title;
    const char16_t* emptySaleTitle;
    const char16_t* notFoundTitle;
};

constexpr CancelTexts kByCode{
    u"Please Enter Code of Product to be Canceled:",
    u" Enter Product Code",
    u"No product found with this code ",
    u"No product found with this code ",
};

constexpr CancelTexts kByName{
    u"Please enter name of product to be candceled:",
    u" Enter Product Name",
    u"Not product found with this name ",
    u"No product found ",
};

constexpr QStringView kNothingToCancel = u"No product to be canceled";

} // namespace

void CashRegisterWindow::mnuCode_Click()
{
    cancelProduct(CancelBy::Code);
}

void CashRegisterWindow::mnuName_Click()
{
    cancelProduct(CancelBy::Name);
}

void CashRegisterWindow::cancelProduct(CancelBy by)
{
    const CancelTexts& texts = by == CancelBy::Code ? kByCode : kByName;
    ui::Services& boxes = context().ui;
    try {
        Cancelitem->refresh();
        const QString answer = boxes.input(QString::fromUtf16(texts.prompt), QString::fromUtf16(texts.title), QStringLiteral(" "));
        if (answer.isEmpty()) {
            Cancelitem->refresh();
            return;
        }
        if (Cancelitem->recordCount() < 1) {
            boxes.message(kNothingToCancel.toString(), QString::fromUtf16(texts.emptySaleTitle), ui::Icon::None, ui::Buttons::Ok);
            Cancelitem->refresh();
            return;
        }
        Cancelitem->moveFirst();

        // The first line of the sale that carries the answer.
        const UpperText typed(answer);
        const int lineField = Cancelitem->fieldIndex(by == CancelBy::Code ? u"Code" : u"ProdName");
        bool lineFound = false;
        while (!Cancelitem->atEnd()) {
            if (typed.matches(Cancelitem->field(lineField))) {
                lineFound = true;
                cancelLine(by, answer);
                break;
            }
            Cancelitem->moveNext();
        }
        if (!lineFound)
            boxes.message(kNothingToCancel.toString(), QString::fromUtf16(texts.notFoundTitle), ui::Icon::None, ui::Buttons::Ok);
        Cancelitem->refresh();
    } catch (const store::Error& e) {
        // A disk that fails under the cancel is told; any other failure ends without a word. The
        // cancel changed nothing either way.
        if (e.diskFailure())
            boxes.message(QStringLiteral("The line could not be taken back, so the sale stays as it was. ") + e.message(),
                QStringLiteral("Product Not Canceled"), ui::Icon::Warning, ui::Buttons::Ok);
    } catch (const std::exception&) {
        // A cancel that cannot be carried out ends without a word, and changes nothing.
    }
}

// Takes back the current line of Cancelitem. Its writes (the day's unit count, the day's sold
// line, the stock and the receipt line) are one unit of work: when any of them fails none is
// kept, and the sale on the screen stays as it was.
void CashRegisterWindow::cancelLine(CancelBy by, const QString& answer)
{
    namespace convert = store::convert;
    const store::Value lineCode = Cancelitem->field(u"Code");
    const store::Value lineQuantity = Cancelitem->field(u"pQty");
    const store::Currency lineTotal = Cancelitem->field(u"ProdPrice").toCurrency();
    const store::Currency newSubtotal = convert::subtract(m_sale.subtotal, lineTotal);
    const QString description = QStringLiteral("-  ") + lineCode.display() + u' ' + Cancelitem->field(u"ProdName").display() + u' '
        + lineQuantity.display() + QStringLiteral(" X ") + convert::formatPattern(lineTotal, kMoneyPattern.toString());
    std::int16_t newItemCount = m_sale.itemCount;

    {
        store::UnitOfWork cancel(context().store);
        // A line whose product has no stock row stays in the sale.
        if (!takeBackLine(by, UpperText(answer), newItemCount))
            return;
        Cancelitem->remove();
        Cancelitem->refresh();
        cancel.commit();
    }

    m_sale.subtotal = newSubtotal;
    lblSubtotal->setText(moneyLabel(m_sale.subtotal, 0));
    lblProductDescription->setText(description);
    m_sale.itemCount = newItemCount;
}

bool CashRegisterWindow::takeBackLine(CancelBy by, const UpperText& typed, std::int16_t& itemCount)
{
    namespace convert = store::convert;
    const store::Value lineCode = Cancelitem->field(u"Code");
    const store::Value lineQuantity = Cancelitem->field(u"pQty");
    const std::int16_t quantity = lineQuantity.toWhole();

    // The stock row of the line's product, by its code.
    DataPQty->moveFirst();
    datProdPrice->moveFirst();
    const int stockCode = DataPQty->fieldIndex(u"Code");
    bool stockFound = false;
    while (!DataPQty->atEnd()) {
        const store::Value code = DataPQty->field(stockCode);
        if (by == CancelBy::Code ? typed.matches(code) : sameText(lineCode, code)) {
            stockFound = true;
            break;
        }
        DataPQty->moveNext();
        if (!datProdPrice->atEnd())
            datProdPrice->moveNext();
    }
    if (!stockFound)
        return false;

    // Today's sold line of the same product and quantity, with its units in the day's count.
    const UpperText lineCodeUpper(lineCode.isNull() ? QString() : lineCode.toText());
    daillySale->moveFirst();
    while (!daillySale->atEnd()) {
        const store::Value soldCode = daillySale->field(u"Codigo");
        const bool sameCode = by == CancelBy::Code ? !lineCode.isNull() && lineCodeUpper.matches(soldCode) : sameText(lineCode, soldCode);
        if (sameCode && sameWhole(lineQuantity, daillySale->field(u"Quantidade"))) {
            DatatblDailySale->edit();
            DatatblDailySale->setField(u"totalItems", convert::subtractWhole(DatatblDailySale->field(u"totalItems").toWhole(), quantity));
            DatatblDailySale->update();
            daillySale->remove();
            DatatblDailySale->refresh();
            if (by == CancelBy::Name)
                itemCount = convert::subtractWhole(itemCount, quantity);
            break;
        }
        daillySale->moveNext();
    }

    DataPQty->edit();
    DataPQty->setField(u"QuantityOnHand", convert::addWhole(DataPQty->field(u"QuantityOnHand").toWhole(), quantity));
    if (by == CancelBy::Code)
        itemCount = convert::subtractWhole(itemCount, quantity);
    DataPQty->update();
    return true;
}

} // namespace cashregister
