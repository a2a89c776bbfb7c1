#pragma once

#include "app/window.h"
#include "catalogue/product_search.h"
#include "store/value.h"

#include <cstdint>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace help {
class HTMLHelp;
}
namespace store {
class RecordSource;
}
namespace ui {
class BoundList;
class DigitsOnlyEdit;
class ValueLabel;
}

namespace catalogue {

// frmProdutosCancelados: where stock that arrives is booked and a product is corrected or taken
// off the catalogue. A product is shown by code or by name; UPDATE PRODUCT then rewrites its
// price row from the entries and adds the quantity bought to its stock, and the count sold
// starts again from zero. Prices are read as the amounts their texts show. The window also
// changes the tax rate. Opened from the products menu, to which "&RETURN" goes back.
//
// UPDATE PRODUCT writes into the rows the record sources stand on, so it is enabled only while
// they stand on the product last shown: a SHOW PRODUCT that finds enables it; a SHOW PRODUCT
// that moves them without finding, DELETE THIS PRODUCT, CLEAR SCREEN and UPDATE PRODUCT itself
// disable it.
//
// product_update_window.cpp holds the window's life, its controls and layout, SHOW, DELETE and
// CLEAR, help and the way back; restock.cpp UPDATE PRODUCT; tax_rate.cpp CHANGE TAX RATE.
class ProductUpdateWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmProdutosCancelados";

    explicit ProductUpdateWindow(app::Context& context);
    ~ProductUpdateWindow() override;

    void load() override;
    // The close button goes back to the products menu, as "&RETURN" does.
    void closeRequested() override;

    // Menu.
    QMenuBar* menuBar;
    QMenu* mneuhlp;
    QAction* hlp;
    QAction* rturn;

    QFrame* Frame1;
    QLabel* Image1;
    QWidget* Line1;
    QLabel* LblProdCode;
    ui::BoundList* dbcboProdCode;
    QLabel* lblProdName;
    ui::BoundList* dbcboProdName;
    QLabel* lblCategory;
    QLineEdit* txtCategory;
    QLabel* lblProdPrice;
    ui::DigitsOnlyEdit* txtProdPrice;
    QLabel* lblVend;
    ui::DigitsOnlyEdit* txtVend;
    QLabel* lblQtyBought;
    ui::DigitsOnlyEdit* txtQtyBought;
    QLabel* lblQtyOnHand;
    ui::ValueLabel* lblQOnHand;
    QLabel* lblQtySold;
    ui::ValueLabel* lblQSold;
    QPushButton* cmdShowProd;
    QPushButton* cmdProdUpd;
    QPushButton* cmdDelProd;
    QPushButton* cmdClearProd;
    QPushButton* Command1;
    QPushButton* cmdSair;
    QPushButton* cmdajuda;

    // Record sources.
    store::RecordSource* datProdPrice; // tblProductPrice
    store::RecordSource* datProdQty;   // tblProductQuantity
    store::RecordSource* DataTax;      // tblTax
    store::RecordSource* datSupplier;  // tblSuplier

private:
    void buildControls();
    void layOut();

    void cmdShowProd_Click();
    void cmdDelProd_Click();
    void cmdClearProd_Click();
    void clearEntries();
    ProductSearch products() const;

    // UPDATE PRODUCT (restock.cpp).
    void cmdProdUpd_Click();
    // The writes of an update: the price row from the entries, then the restock of the stock
    // row, as one unit of work.
    void rewriteProduct(store::Currency salePrice, store::Currency buyingPrice, std::int16_t quantity);

    // CHANGE TAX RATE (tax_rate.cpp).
    void Command1_Click();

    void cmdSair_Click();
    void cmdajuda_Click();

    std::unique_ptr<help::HTMLHelp> m_help;
};

} // namespace catalogue
