// The product buttons of the product and supplier window: New, Show, Delete and Clear Product.
#include "catalogue/product_supplier_window.h"

#include "app/app_info.h"
#include "app/context.h"
#include "catalogue/controls.h"
#include "catalogue/scan.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QComboBox>

namespace catalogue {
namespace {

constexpr Warning kDuplicateCode{u"A product with this code is already in the database. Try another code.", u"Try a different code"};
constexpr Warning kNoCategory{u"You must select a category for this product", u" Select Category"};
constexpr Warning kZeroPrice{u"The product prices prices must be greater than zero.", u" Enter a valid price"};
constexpr Warning kNotAdded{u"This product cannot be added to the database as entered.  Please check your data and try again.",
    u"Invalid data entry"};
constexpr Warning kCodeOrName{u"Please select product code or product code to be shown.", u"Please select code or name"};
constexpr Warning kNotFound{u"Product was not found.", u"Product not found"};
constexpr Warning kDeleteNotFound{u"Code or name was not found.", u"Product not found"};
constexpr QStringView kConfirmDelete = u"Are you sure you want to delete this product from the database";

// A price box's text as the whole number of cents typed into it. Anything but digits (a price
// shown as "$1.50") is not a number of cents and fails, as text that is not a number does.
store::Currency centsTyped(const QString& text, const QLocale& locale)
{
    if (!ui::DigitsOnlyEdit::isDigits(text))
        throw store::Error(store::ErrorKind::Conversion, QStringLiteral("a price in cents holds digits only"));
    return store::convert::textToCurrency(text, locale);
}

} // namespace

ProductSearch ProductSupplierWindow::products() const
{
    return {*datProdPrice, *datProdQty, *dbcboProdCode, *dbcboProdName};
}

void ProductSupplierWindow::cmdAddNewProd_Click()
{
    namespace convert = store::convert;
    ui::Services& boxes = context().ui;
    try {
        // Only the price table is searched for the code, as typed.
        if (datProdPrice->recordCount() >= 1) {
            pairedScan(*datProdPrice, *datProdQty, [this] { return products().onCode(); });
            if (products().onCode()) {
                warn(boxes, kDuplicateCode);
                return;
            }
        }
        if (cboCatheria->currentText() == kCategoryPrompt) {
            warn(boxes, kNoCategory);
            return;
        }
        // Prices are typed in cents, digits only. A price Show Product put in the box ("$1.50")
        // is not a number of cents: read as one it would store a hundredth of the price.
        const store::Currency buyingCents = centsTyped(txtVend->text(), context().locale);
        const store::Currency saleCents = centsTyped(txtProdPrice->text(), context().locale);
        if (buyingCents.isZero() || saleCents.isZero()) {
            warn(boxes, kZeroPrice);
            return;
        }
        // The quantity is read before anything is written, so that a quantity the store cannot
        // take leaves both tables as they were. Like the prices it is digits only: a sign or a
        // decimal point that reached the box by other means than typing ("-5", "(5)") would
        // open the product with stock below zero.
        if (!ui::DigitsOnlyEdit::isDigits(txtQtyBought->text()))
            throw store::Error(store::ErrorKind::Conversion, QStringLiteral("a quantity holds digits only"));
        const std::int16_t quantity = convert::textToWhole(txtQtyBought->text(), context().store.locale());
        addProduct(convert::divide(buyingCents, 100), convert::divide(saleCents, 100), quantity);
    } catch (const std::exception&) {
        warn(boxes, kNotAdded);
        return;
    }
    clearProductEntries();
    dbcboProdCode->setFocus();
}

// A product is its price row and its stock row at the same place in their tables: both are
// written, or neither.
void ProductSupplierWindow::addProduct(store::Currency buyingPrice, store::Currency salePrice, std::int16_t quantity)
{
    store::UnitOfWork product(context().store);

    datProdPrice->addNew();
    datProdPrice->setField(u"VPrice", buyingPrice);
    datProdPrice->setField(u"ProductPrice", salePrice);
    datProdPrice->setField(u"ProdCathegory", cboCatheria->currentText());
    datProdPrice->setField(u"ProductName", dbcboProdName->text());
    datProdPrice->setField(u"Code", dbcboProdCode->text());
    datProdPrice->update();

    datProdQty->addNew();
    datProdQty->setField(u"Code", dbcboProdCode->text());
    datProdQty->setField(u"QuantityBought", quantity);
    datProdQty->setField(u"QuantityOnHand", quantity);
    datProdQty->setField(u"QuantitySold", std::int16_t(0));
    datProdQty->update();

    product.commit();
    datProdPrice->refresh();
    datProdQty->refresh();
}

void ProductSupplierWindow::cmdShowProd_Click()
{
    try {
        if (datProdPrice->recordCount() < 1)
            return;
        if (dbcboProdCode->text().isEmpty() == dbcboProdName->text().isEmpty()) {
            warn(context().ui, kCodeOrName);
            return;
        }
        if (!products().show(context().ui, kNotFound, kNotFound))
            return;
        txtProdPrice->setText(priceText(datProdPrice->field(u"ProductPrice"), context().locale));
        txtVend->setText(priceText(datProdPrice->field(u"VPrice"), context().locale));
        lblQOnHand->setText(datProdQty->field(u"QuantityOnHand").toText());
        lblQSold->setText(datProdQty->field(u"QuantitySold").toText());
        txtQtyBought->setText(datProdQty->field(u"QuantityBought").toText());
        cboCatheria->setEditText(datProdPrice->field(u"ProdCathegory").toText());
        dbcboProdCode->setFocus();
    } catch (const std::exception&) {
        // Show ends without a word, keeping what it has shown.
    }
}

void ProductSupplierWindow::cmdDelProd_Click()
{
    ui::Services& boxes = context().ui;
    try {
        if (datProdPrice->recordCount() < 1)
            return;
        // Either box may be empty: a filled box that matches is enough.
        if (!products().findCodeOrName()) {
            warn(boxes, kDeleteNotFound);
            return;
        }
        if (boxes.message(kConfirmDelete.toString(), context().app.title, ui::Icon::None, ui::Buttons::YesNo) != ui::Button::Yes)
            return;
        {
            store::UnitOfWork product(context().store);
            datProdPrice->remove();
            datProdQty->remove();
            product.commit();
        }
        datProdQty->refresh();
        datProdPrice->refresh();
        dbcboProdCode->setFocus();
        clearProductEntries();
    } catch (const std::exception&) {
        // Delete ends without a word.
    }
}

void ProductSupplierWindow::cmdClearProd_Click()
{
    clearProductEntries();
}

void ProductSupplierWindow::clearProductEntries()
{
    // The category box is left empty, not set back to its prompt.
    cboCatheria->setEditText(QString());
    dbcboProdCode->setText(QString());
    dbcboProdName->setText(QString());
    txtProdPrice->clear();
    txtQtyBought->clear();
    txtVend->clear();
    lblQOnHand->clear();
    lblQSold->clear();
}

} // namespace catalogue
