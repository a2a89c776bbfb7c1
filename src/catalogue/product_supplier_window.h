#pragma once

#include "app/window.h"
#include "catalogue/product_search.h"
#include "store/value.h"

#include <cstdint>

#include <memory>

class QAction;
class QComboBox;
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

// frmUpdate: products on the left, suppliers on the right. A manager adds a product (its price
// row and its stock row together), shows one by code or by name, and deletes one; and adds,
// shows, corrects and deletes suppliers. Prices are typed in cents. Opened from the products
// menu, to which "&Return" goes back.
//
// product_supplier_window.cpp holds the window's life, its menu and its layout;
// product_entries.cpp the product buttons; supplier_entries.cpp the supplier buttons.
class ProductSupplierWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmUpdate";
    // The category box's text until a category is chosen.
    static constexpr QStringView kCategoryPrompt = u"Select Cathegory";

    explicit ProductSupplierWindow(app::Context& context);
    ~ProductSupplierWindow() override;

    void load() override;
    // The close button goes back to the products menu, as "&Return" does.
    void closeRequested() override;

    // Menu.
    QMenuBar* menuBar;
    QMenu* dbmMenu;
    QAction* dbmHelp;
    QAction* dbmExit;

    // Products.
    QLabel* lblProdUpd;
    QLabel* LblProdCode;
    ui::BoundList* dbcboProdCode;
    QLabel* lblProdName;
    ui::BoundList* dbcboProdName;
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
    QLabel* lblCategory;
    QComboBox* cboCatheria;
    QPushButton* cmdAddNewProd;
    QPushButton* cmdShowProd;
    QPushButton* cmdDelProd;
    QPushButton* cmdClearProd;

    // What divides the two sides.
    QFrame* MyFrame;
    QLabel* lblSeparate;
    QWidget* Line1;

    // Suppliers.
    QLabel* lblSupUpd;
    QLabel* lblSupCode;
    ui::BoundList* dbcboSupCode;
    QLabel* lblSupName;
    ui::BoundList* dbcboSupName;
    QLabel* lblSupPhone;
    QLineEdit* txtSupPhone;
    QLabel* lblSupAddr;
    QLineEdit* txtSupAddr;
    QPushButton* cmdAddNewSup;
    QPushButton* cmdShowSup;
    QPushButton* cmdSupUpd;
    QPushButton* cmdDelSup;
    QPushButton* cmdClearSup;

    // Record sources.
    store::RecordSource* datProdPrice; // tblProductPrice
    store::RecordSource* datProdQty;   // tblProductQuantity
    store::RecordSource* datSupplier;  // tblSuplier

private:
    void buildProductSide();
    void buildSupplierSide();
    void layOut();

    void dbmHelp_Click();
    void dbmExit_Click();

    // Products (product_entries.cpp).
    void cmdAddNewProd_Click();
    // The writes of a new product: its price row, then its stock row, as one unit of work.
    void addProduct(store::Currency buyingPrice, store::Currency salePrice, std::int16_t quantity);
    void cmdShowProd_Click();
    void cmdDelProd_Click();
    void cmdClearProd_Click();
    void clearProductEntries();
    ProductSearch products() const;

    // Suppliers (supplier_entries.cpp).
    void cmdAddNewSup_Click();
    void cmdShowSup_Click();
    void cmdSupUpd_Click();
    void cmdDelSup_Click();
    void cmdClearSup_Click();
    void clearSupplierEntries();
    // True when datSupplier stands on a supplier whose code is the code box's text, or whose
    // name is the name box's text.
    bool onSupplierCode() const;
    bool onSupplierName() const;

    std::unique_ptr<help::HTMLHelp> m_help;
};

} // namespace catalogue
