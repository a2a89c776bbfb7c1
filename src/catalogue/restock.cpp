// UPDATE PRODUCT: the shown product's price row is rewritten from the entries and the quantity
// bought is booked as a restock.
#include "catalogue/product_update_window.h"

#include "app/context.h"
#include "catalogue/controls.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"
#include "ui/services.h"

#include <QLineEdit>
#include <QPushButton>

namespace catalogue {
namespace {

constexpr Warning kIncomplete{u"Please enter the complete product information before you trying to put it in the database.",
    u"Please fill all the information"};
constexpr Warning kZeroPrice{u"The product prices prices must be greater than zero.", u" Enter a valid price"};

} // namespace

void ProductUpdateWindow::cmdProdUpd_Click()
{
    namespace convert = store::convert;
    try {
        if (txtProdPrice->text().isEmpty() || txtQtyBought->text().isEmpty() || dbcboProdCode->text().isEmpty()
            || dbcboProdName->text().isEmpty()) {
            warn(context().ui, kIncomplete);
            return;
        }
        // A price is the amount its text shows: the text SHOW PRODUCT put there, edited or not,
        // or digits typed in place of it (whole units).
        const store::Currency buyingPrice = convert::textToCurrency(txtVend->text(), context().locale);
        const store::Currency salePrice = convert::textToCurrency(txtProdPrice->text(), context().locale);
        if (buyingPrice.isZero() || salePrice.isZero()) {
            warn(context().ui, kZeroPrice);
            return;
        }
        // The quantity bought is digits only: one with a sign or a decimal point would take
        // stock away instead of booking a delivery.
        if (!ui::DigitsOnlyEdit::isDigits(txtQtyBought->text()))
            throw store::Error(store::ErrorKind::Conversion, QStringLiteral("a quantity holds digits only"));
        const std::int16_t quantity = convert::textToWhole(txtQtyBought->text(), context().store.locale());
        rewriteProduct(salePrice, buyingPrice, quantity);
    } catch (const std::exception&) {
        // Update ends without a word; nothing of the product was written.
        return;
    }
    dbcboProdCode->setFocus();
    clearEntries();
}

// The price row and the stock row the record sources stand on, those of the product last shown,
// are written together or not at all.
void ProductUpdateWindow::rewriteProduct(store::Currency salePrice, store::Currency buyingPrice, std::int16_t quantity)
{
    namespace convert = store::convert;
    const QString code = dbcboProdCode->text();
    store::UnitOfWork product(context().store);

    datProdPrice->edit();
    datProdPrice->setField(u"ProductName", dbcboProdName->text());
    datProdPrice->setField(u"Code", code);
    datProdPrice->setField(u"ProdCathegory", txtCategory->text());
    datProdPrice->setField(u"ProductPrice", salePrice);
    datProdPrice->setField(u"VPrice", buyingPrice);
    datProdPrice->update();

    datProdQty->edit();
    // The stock row carries the product's code too, so that a sale line taken back by its code
    // still finds the product's stock after the code was changed.
    datProdQty->setField(u"Code", code);
    datProdQty->setField(u"QuantityBought", quantity);
    datProdQty->setField(u"QuantityOnHand", convert::addWhole(datProdQty->field(u"QuantityOnHand").toWhole(), quantity));
    datProdQty->setField(u"QuantitySold", std::int16_t(0));
    datProdQty->update();

    product.commit();
    // Only now do the sources leave the product: an update that is taken back leaves them on it.
    datProdPrice->refresh();
    datProdQty->refresh();
}

} // namespace catalogue
