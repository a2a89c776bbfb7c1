// The supplier buttons of the product and supplier window: New, Show, Update, Delete and Clear
// Supplier.
//
// Update Supplier writes into the row datSupplier stands on, so it is enabled only while that
// row is the supplier last shown: a Show that finds enables it, and everything else that moves
// the record source (New, Update, Delete, a Show that does not find) disables it, as Clear does.
#include "catalogue/product_supplier_window.h"

#include "app/app_info.h"
#include "app/context.h"
#include "catalogue/controls.h"
#include "catalogue/scan.h"
#include "store/record_source.h"
#include "ui/bound_list.h"
#include "ui/services.h"

#include <QLineEdit>
#include <QPushButton>

namespace catalogue {
namespace {

constexpr Warning kDuplicateCode{u"Supplier with this code is already in the database.  Please try another code.", u"Try another code"};
constexpr Warning kNotAdded{u"Error in trying to add this supplier to the database.", u"Supplier was not added"};
constexpr Warning kCodeOrName{u"Please select name of code of supplier to be shown.", u"Select code or name"};
constexpr Warning kNotFound{u"Supplier was not found.", u"Supplier not found"};
constexpr Warning kIncomplete{u"Please enter complete supplier information before trying to add it to the database.",
    u"Information incomplete"};
constexpr Warning kDeleteNotFound{u"Supplier was not found", u"Supplier was not found"};
constexpr Warning kNotDeleted{u"Error in trying to delete this supplier.", u"Supplier was not deleted"};
constexpr QStringView kConfirmDelete = u"Are you sure you want to delete this supplier from the database";

} // namespace

bool ProductSupplierWindow::onSupplierCode() const
{
    return holds(datSupplier->field(u"Code"), dbcboSupCode->text());
}

bool ProductSupplierWindow::onSupplierName() const
{
    return holds(datSupplier->field(u"Supplier"), dbcboSupName->text());
}

void ProductSupplierWindow::cmdAddNewSup_Click()
{
    cmdSupUpd->setEnabled(false);
    try {
        if (datSupplier->recordCount() >= 1) {
            scan(*datSupplier, [this] { return onSupplierCode(); });
            if (onSupplierCode()) {
                warn(context().ui, kDuplicateCode);
                return;
            }
        }
        datSupplier->addNew();
        datSupplier->setField(u"Supplier", dbcboSupName->text());
        datSupplier->setField(u"Code", dbcboSupCode->text());
        datSupplier->setField(u"Phone#", txtSupPhone->text());
        datSupplier->setField(u"Address", txtSupAddr->text());
        datSupplier->update();
        datSupplier->refresh();
    } catch (const std::exception&) {
        warn(context().ui, kNotAdded);
        return;
    }
    clearSupplierEntries();
    dbcboSupCode->setFocus();
}

void ProductSupplierWindow::cmdShowSup_Click()
{
    try {
        if (datSupplier->recordCount() < 1)
            return;
        const QString code = dbcboSupCode->text();
        const QString name = dbcboSupName->text();
        if (code.isEmpty() == name.isEmpty()) {
            warn(context().ui, kCodeOrName);
            return;
        }
        // The record source moves: what it stood on is no longer the supplier shown.
        cmdSupUpd->setEnabled(false);
        bool found = false;
        if (!code.isEmpty()) {
            scan(*datSupplier, [this] { return onSupplierCode(); });
            found = onSupplierCode();
            if (!found)
                warn(context().ui, kNotFound);
            else
                dbcboSupName->setText(datSupplier->field(u"Supplier").toText());
        } else {
            scan(*datSupplier, [this] { return onSupplierName(); });
            found = onSupplierName();
            if (!found)
                warn(context().ui, kNotFound);
            else
                dbcboSupCode->setText(datSupplier->field(u"Code").toText());
        }
        if (!onSupplierName())
            return;
        txtSupAddr->setText(datSupplier->field(u"Address").toText());
        txtSupPhone->setText(datSupplier->field(u"Phone#").toText());
        // The record source stays on this supplier, which Update Supplier changes; a miss stands
        // on the last row, which it must not.
        cmdSupUpd->setEnabled(found);
    } catch (const std::exception&) {
        // Show ends without a word, keeping what it has shown.
    }
}

void ProductSupplierWindow::cmdSupUpd_Click()
{
    try {
        const QString phone = txtSupPhone->text();
        const QString address = txtSupAddr->text();
        const QString name = dbcboSupName->text();
        const QString code = dbcboSupCode->text();
        if (phone.isEmpty() || address.isEmpty() || name.isEmpty() || code.isEmpty()) {
            warn(context().ui, kIncomplete);
            return;
        }
        cmdSupUpd->setEnabled(false);
        datSupplier->edit();
        datSupplier->setField(u"Supplier", name);
        datSupplier->setField(u"Code", code);
        datSupplier->setField(u"Phone#", phone);
        datSupplier->setField(u"Address", address);
        datSupplier->update();
        clearSupplierEntries();
        datSupplier->refresh();
    } catch (const std::exception&) {
        // Update ends without a word.
    }
}

void ProductSupplierWindow::cmdDelSup_Click()
{
    cmdSupUpd->setEnabled(false);
    ui::Services& boxes = context().ui;
    try {
        if (datSupplier->recordCount() >= 1) {
            scan(*datSupplier, [this] { return onSupplierCode() || onSupplierName(); });
            if (!onSupplierCode() && !onSupplierName()) {
                warn(boxes, kDeleteNotFound);
            } else if (boxes.message(kConfirmDelete.toString(), context().app.title, ui::Icon::None, ui::Buttons::YesNo) == ui::Button::Yes) {
                datSupplier->remove();
                datSupplier->refresh();
                clearSupplierEntries();
                dbcboSupCode->setFocus();
            }
        }
        datSupplier->refresh();
    } catch (const std::exception&) {
        warn(boxes, kNotDeleted);
    }
}

void ProductSupplierWindow::cmdClearSup_Click()
{
    cmdSupUpd->setEnabled(false);
    clearSupplierEntries();
}

void ProductSupplierWindow::clearSupplierEntries()
{
    dbcboSupCode->setText(QString());
    dbcboSupName->setText(QString());
    txtSupAddr->clear();
    txtSupPhone->clear();
}

} // namespace catalogue
