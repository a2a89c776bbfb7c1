// The reference panel, in which the cashier looks a product up by code or name and sees its
// stock, and the day's takings.
#include "register/cash_register_window.h"
#include "register/matching.h"

#include "app/context.h"
#include "store/convert.h"
#include "store/record_source.h"
#include "ui/bound_list.h"
#include "ui/services.h"

#include <QLabel>

namespace cashregister {

void CashRegisterWindow::cmdMostrar_Click()
{
    ui::Services& boxes = context().ui;
    try {
        if (datProdPrice->recordCount() < 1)
            return;
        datProdPrice->moveFirst();
        DataPQty->moveFirst();
        const QString code = dbcboProdCode->text();
        const QString name = dbcboProdName->text();
        if (code.isEmpty() == name.isEmpty()) {
            boxes.message(QStringLiteral("Select name OR code of product to be shown."), QStringLiteral("Enter the Name OR Code Of product"),
                ui::Icon::None, ui::Buttons::Ok);
            return;
        }

        // Rows 1 to n-1 are looked at in the loop, the row it stops on once more after it. The
        // count is a 16-bit whole number: a catalogue past 32767 rows ends the look-up.
        const bool byCode = !code.isEmpty();
        const UpperText typed(byCode ? code : name);
        const int searched = datProdPrice->fieldIndex(byCode ? u"Code" : u"ProductName");
        std::int16_t counter = 1;
        while (counter < datProdPrice->recordCount() && !datProdPrice->atEnd()) {
            if (typed.matches(datProdPrice->field(searched)))
                break;
            datProdPrice->moveNext();
            DataPQty->moveNext();
            counter = store::convert::addWhole(counter, 1);
        }
        if (!typed.matches(datProdPrice->field(searched))) {
            boxes.message(QStringLiteral("Product not found."), QStringLiteral("Product Not Found"), ui::Icon::None, ui::Buttons::Ok);
        } else {
            if (byCode)
                dbcboProdName->setText(datProdPrice->field(u"ProductName").toText());
            else
                dbcboProdCode->setText(datProdPrice->field(u"Code").toText());
            lblQty->setText(DataPQty->field(u"QuantityOnHand").toText());
        }

        if (sameText(datProdPrice->field(u"Code"), dbcboProdCode->text().toUpper()))
            dbcboProdCode->setFocus();
    } catch (const std::exception&) {
        // The look-up ends without a word.
    }
}

void CashRegisterWindow::Command1_Click()
{
    lblQty->clear();
    dbcboProdCode->setText(QString());
    dbcboProdName->setText(QString());
    dbcboProdCode->setFocus();
}

void CashRegisterWindow::mnuAmtSold_Click()
{
    ui::Services& boxes = context().ui;
    try {
        const store::Value takings = DatatblDailySale->field(u"DailySale");
        if (!takings.isNull() && takings.toCurrency() > store::Currency()) {
            boxes.message(QStringLiteral(" Total sale for the day is: ") + store::convert::formatPattern(takings.toCurrency(), kMoneyPattern.toString()),
                QStringLiteral("   Amount Sold Today "), ui::Icon::None, ui::Buttons::Ok);
        } else {
            boxes.message(QStringLiteral(" Total sold today is: ") + store::convert::formatPattern(store::Currency(), kMoneyPattern.toString()),
                QStringLiteral("   TOTAL SOLD TODAY "), ui::Icon::None, ui::Buttons::Ok);
        }
    } catch (const std::exception&) {
        // No day's row: no message.
    }
}

} // namespace cashregister
