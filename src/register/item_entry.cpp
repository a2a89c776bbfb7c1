// Enter: one product, found by the code or the name typed, goes into the open sale.
#include "register/cash_register_window.h"
#include "register/matching.h"

#include "app/app_info.h"
#include "app/context.h"
#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "ui/digits_only_edit.h"
#include "ui/services.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace cashregister {
namespace {

constexpr QStringView kQuantityErrorText = u" There was an error.  Please check the quantity.";
constexpr QStringView kQuantityErrorTitle = u" CHECK QUANTITY";
constexpr QStringView kNotEnteredTitle = u"Store Not Written";
constexpr QStringView kNotEnteredText = u"The store could not be written while the item was entered. The sale on the screen is what "
                                        u"the store holds: enter the item again if it is not on it.\n\n";

} // namespace

void CashRegisterWindow::enterItem()
{
    ui::Services& boxes = context().ui;
    try {
        const QString code = txtProductCode->text();
        const QString name = txtProductName->text();
        if (code.isEmpty() && name.isEmpty()) {
            boxes.message(QStringLiteral("You must enter the name OR the code of the product before trying to add it to the sale list. "),
                QStringLiteral("Code OR Name of Product Must be Entered First"), ui::Icon::Warning, ui::Buttons::Ok);
            return;
        }

        DataPQty->refresh();
        DatatblPPrice->refresh();
        DataPQty->moveFirst();
        DatatblPPrice->moveFirst();

        // The stock of the n-th price row is the n-th stock row: both stand on the same row.
        const UpperText typedCode(code);
        const UpperText typedName(name);
        const int codeField = DatatblPPrice->fieldIndex(u"Code");
        const int nameField = DatatblPPrice->fieldIndex(u"ProductName");
        // The first row in table order matching either box, within the rows both tables have.
        const int paired = std::min(DatatblPPrice->recordCount(), DataPQty->recordCount());
        int first = -1;
        for (const int row : {DatatblPPrice->findUpperCase(codeField, typedCode.text()), DatatblPPrice->findUpperCase(nameField, typedName.text())}) {
            if (row >= 0 && (first < 0 || row < first))
                first = row;
        }
        if (first >= 0 && first < paired) {
            DatatblPPrice->moveTo(first);
            DataPQty->moveTo(first);
            enterFoundProduct();
        } else {
            boxes.message(QStringLiteral(" Product was not found.  Use the reference system if you are having problems."),
                QStringLiteral(" This Product is not in the Database"), ui::Icon::None, ui::Buttons::Ok);
        }
    } catch (const store::Error& e) {
        boxes.message(kQuantityErrorText.toString(), kQuantityErrorTitle.toString(), ui::Icon::None, ui::Buttons::Ok);
        // The quantity is not what is wrong when the disk failed: the cashier is told that too.
        if (e.diskFailure())
            boxes.message(kNotEnteredText.toString() + e.message(), kNotEnteredTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    } catch (const std::exception&) {
        boxes.message(kQuantityErrorText.toString(), kQuantityErrorTitle.toString(), ui::Icon::None, ui::Buttons::Ok);
    }
}

// The found product stands on the current rows of DatatblPPrice and DataPQty.
void CashRegisterWindow::enterFoundProduct()
{
    if (txtQuantity->text().isEmpty())
        txtQuantity->setText(QStringLiteral("1"));
    const std::int16_t onHand = DataPQty->field(u"QuantityOnHand").toWhole();
    // The quantity is compared as the number typed, however large; only a quantity that fits the
    // stock goes on to be a line's whole number of units.
    const double typed = store::convert::textToNumber(txtQuantity->text(), context().locale);

    if (typed > onHand) {
        context().ui.message(QStringLiteral(" There is not enough product in the database, please check the # of items you are selling. The # of items on hand is: ")
                + DataPQty->field(u"QuantityOnHand").toText() + QStringLiteral(". Enter Quanity Less or Equal to Quantity on Hand"),
            context().app.title, ui::Icon::None, ui::Buttons::Ok);
    } else if (typed > 0) {
        if (const std::int16_t quantity = store::convert::textToWhole(txtQuantity->text(), context().locale); quantity > 0)
            recordLine(quantity, onHand);
    }
    clearTalliesEvery30Days();
}

// Records one line of `quantity` units of the found product. The line's five writes (the
// receipt line, the stock, the day's unit count, the day's sold line and the category tally)
// are one unit of work: when any of them fails none is kept, and the sale on the screen stays as
// it was.
void CashRegisterWindow::recordLine(std::int16_t quantity, std::int16_t onHand)
{
    namespace convert = store::convert;
    const store::Value productCode = DatatblPPrice->field(u"Code");
    const store::Value productName = DatatblPPrice->field(u"ProductName");
    const store::Currency price = DatatblPPrice->field(u"ProductPrice").toCurrency();
    const store::Currency lineTotal = convert::multiply(price, quantity);
    const QString description = QStringLiteral("  ") + productCode.display() + u' ' + productName.display() + u' '
        + txtQuantity->text() + QStringLiteral(" X ") + convert::formatPattern(price, kMoneyPattern.toString());

    const std::int16_t newOnHand = convert::subtractWhole(onHand, quantity);
    const std::int16_t newSold = convert::addWhole(DataPQty->field(u"QuantitySold").toWhole(), quantity);
    const store::Currency newSubtotal = convert::add(m_sale.subtotal, lineTotal);
    const std::int16_t newItemCount = convert::addWhole(m_sale.itemCount, quantity);

    {
        store::UnitOfWork line(context().store);

        DataReceipt->addNew();
        DataReceipt->setField(u"Code", productCode);
        DataReceipt->setField(u"ProdName", productName);
        DataReceipt->setField(u"pQty", quantity);
        DataReceipt->setField(u"ProdPrice", lineTotal);
        DataReceipt->update();

        DataPQty->edit();
        DataPQty->setField(u"QuantityOnHand", newOnHand);
        DataPQty->setField(u"QuantitySold", newSold);
        DataPQty->update();

        if (DatatblDailySale->recordCount() >= 1) {
            DatatblDailySale->edit();
            DatatblDailySale->setField(u"totalItems", convert::addWhole(DatatblDailySale->field(u"totalItems").toWhole(), quantity));
            DatatblDailySale->update();
        } else {
            DatatblDailySale->addNew();
            DatatblDailySale->setField(u"totalItems", quantity);
            DatatblDailySale->update();
            DatatblDailySale->refresh();
        }

        daillySale->addNew();
        daillySale->setField(u"Codigo", productCode);
        daillySale->setField(u"Nome_Produto", productName);
        daillySale->setField(u"Quantidade", quantity);
        daillySale->setField(u"Preco", lineTotal);
        daillySale->update();

        const bool firstTally = dataCategory->recordCount() < 1;
        if (firstTally)
            dataCategory->addNew();
        else
            dataCategory->edit();
        if (const char16_t* column = tallyColumn(DatatblPPrice->field(u"ProdCathegory"))) {
            dataCategory->setField(column, convert::addWhole(dataCategory->field(column).toWhole(), quantity));
            dataCategory->update();
            // Stand on the row just made, so that the clearing and the next tally find it.
            if (firstTally)
                dataCategory->refresh();
        } else {
            dataCategory->cancelUpdate();
        }

        line.commit();
    }

    lblProductDescription->setText(description);
    m_sale.subtotal = newSubtotal;
    m_sale.itemCount = newItemCount;
    showAmounts();
}

// Every 30 business days the category tallies start again from zero. A store that has no tally
// row yet has nothing to clear.
void CashRegisterWindow::clearTalliesEvery30Days()
{
    if (dataCategory->recordCount() < 1)
        return;
    if (dataCategory->field(u"NumberOfDays").toWhole() < 30)
        return;
    dataCategory->moveFirst();
    dataCategory->edit();
    // NumberOfDays and the twelve category columns: every field of the tally row.
    for (const store::FieldDef& column : dataCategory->table().fields)
        dataCategory->setField(column.name, std::int16_t(0));
    dataCategory->update();
}

} // namespace cashregister
