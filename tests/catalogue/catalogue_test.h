// The products area's tests: one fixture, one test class, its tests split by window and
// behaviour as the windows are.
#pragma once

#include "access/gates.h"
#include "app/window_manager.h"
#include "catalogue/product_supplier_window.h"
#include "catalogue/product_update_window.h"
#include "catalogue/products_menu.h"
#include "catalogue/windows.h"
#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/windows.h"
#include "startup/main_window.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/unit_of_work.h"
#include "support/typing.h"
#include "support/test_context.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"
#include "ui/value_label.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using catalogue::ProductsMenuWindow;
using catalogue::ProductSupplierWindow;
using catalogue::ProductUpdateWindow;
using store::Currency;
using store::RecordSource;
using store::Value;
using testing::ShownBox;
using testing::TestContext;

namespace cataloguetest {

inline const QString kPrices = QStringLiteral("tblProductPrice");
inline const QString kStock = QStringLiteral("tblProductQuantity");
inline const QString kSuppliers = QStringLiteral("tblSuplier");
inline const QString kTax = QStringLiteral("tblTax");

inline Value whole(int n)
{
    return Value(std::int16_t(n));
}

inline Value money(std::int64_t cents)
{
    return Value(Currency::fromCents(cents));
}

// A box as a test expects it: text, shown title, icon and buttons.
struct Box {
    QString text;
    QString title;
    ui::Icon icon = ui::Icon::Warning;
    ui::Buttons buttons = ui::Buttons::Ok;
};

// One product as its two rows hold it.
struct Product {
    QString code;
    QString name;
    std::int64_t cents = 0;       // ProductPrice
    std::int64_t buyingCents = 0; // VPrice
    QString category;
    int bought = 0;
    int onHand = 0;
    int sold = 0;
};

// A fresh store with every window of the products area, the main menu, the password gates and
// the cash register, and what a test reads back.
struct CatalogueFixture : TestContext {
    CatalogueFixture()
    {
        catalogue::registerWindows(windows);
        startup::registerWindows(windows);
        access_control::registerWindows(windows);
        cashregister::registerWindows(windows);
    }

    void addRow(const QString& table, const QList<std::pair<const char16_t*, Value>>& fields)
    {
        RecordSource source(*store, QStringLiteral("setup"), table);
        source.addNew();
        for (const auto& [name, value] : fields)
            source.setField(name, value);
        source.update();
    }

    void addProduct(const Product& p)
    {
        addRow(kPrices, {{u"Code", p.code}, {u"ProductName", p.name}, {u"ProductPrice", money(p.cents)}, {u"VPrice", money(p.buyingCents)},
                            {u"ProdCathegory", p.category}});
        addRow(kStock, {{u"Code", p.code}, {u"QuantityBought", whole(p.bought)}, {u"QuantityOnHand", whole(p.onHand)},
                           {u"QuantitySold", whole(p.sold)}});
    }

    // Milk (ABC, 1.50, bought at 0.75, 10 on hand), Bread (B12, 1.25, 5 on hand, 2 sold) and a
    // second Milk (M2, 1.80, 4 on hand), in that order.
    void catalogue()
    {
        addProduct({"ABC", "Milk", 150, 75, "Dairy", 12, 10, 2});
        addProduct({"B12", "Bread", 125, 60, "Bakery", 5, 5, 2});
        addProduct({"M2", "Milk", 180, 90, "Dairy", 4, 4, 0});
    }

    void addSupplier(const QString& code, const QString& name, const QString& phone, const QString& address)
    {
        addRow(kSuppliers, {{u"Code", code}, {u"Supplier", name}, {u"Phone#", phone}, {u"Address", address}});
    }

    // Acme (S1), Bolt (S2) and a second Acme (S3), in that order.
    void suppliers()
    {
        addSupplier("S1", "Acme", "555-0101", "1 Main St");
        addSupplier("S2", "Bolt", "555-0202", "2 Side St");
        addSupplier("S3", "Acme", "555-0303", "3 Far Rd");
    }

    void emptyTable(const QString& table)
    {
        RecordSource source(*store, QStringLiteral("setup"), table);
        while (!source.atEnd()) {
            source.remove();
            source.moveNext();
        }
    }

    template <class W>
    W* open()
    {
        auto* window = static_cast<W*>(windows.show(QString::fromLatin1(W::kName)));
        if (!QTest::qWaitForWindowActive(window))
            qWarning("%s did not become the active window", W::kName);
        return window;
    }

    // The window of that name once it is shown and active; null when it is not shown.
    template <class W = QWidget>
    W* active(const QString& name) const
    {
        QWidget* window = shown(name);
        if (window && !QTest::qWaitForWindowActive(window))
            qWarning("%s did not become the active window", qPrintable(name));
        return static_cast<W*>(window);
    }

    QWidget* shown(const QString& name) const
    {
        QWidget* window = windows.find(name);
        return window && window->isVisible() ? window : nullptr;
    }

    // Every row of the tables, as text: equal snapshots are equal tables.
    QString snapshot(const QStringList& tables = {kPrices, kStock}) const
    {
        QStringList lines;
        for (const QString& table : tables) {
            RecordSource source(*store, QStringLiteral("check"), table);
            lines << table;
            for (; !source.atEnd(); source.moveNext()) {
                QStringList cells;
                for (int f = 0; f < int(source.table().fields.size()); ++f)
                    cells << (source.field(f).isNull() ? QStringLiteral("<null>") : source.field(f).display());
                lines << cells.join(u'|');
            }
        }
        return lines.join(u'\n');
    }

    // The rows of one table, each as its fields' texts joined by "|".
    QStringList rowsOf(const QString& table) const
    {
        const QStringList lines = snapshot({table}).split(u'\n');
        return lines.mid(1);
    }

    Value field(const QString& table, const char16_t* name, int row = 0) const
    {
        RecordSource source(*store, QStringLiteral("check"), table);
        for (int i = 0; i < row && !source.atEnd(); ++i)
            source.moveNext();
        return source.atEnd() ? Value(QStringLiteral("<no row>")) : source.field(name);
    }

    int rows(const QString& table) const { return RecordSource(*store, QStringLiteral("check"), table).recordCount(); }

    void expectBoxes(const QList<Box>& expected) const
    {
        QCOMPARE(int(ui.boxes().size()), int(expected.size()));
        for (int i = 0; i < expected.size(); ++i) {
            const ShownBox& box = ui.boxes()[std::size_t(i)];
            QCOMPARE(box.text, expected[i].text);
            QCOMPARE(box.shownTitle, expected[i].title);
            QCOMPARE(box.icon, expected[i].icon);
            QCOMPARE(box.buttons, expected[i].buttons);
        }
        QCOMPARE(ui.failures(), QString());
    }
};

using testing::type;

// A key pressed in a window goes to the control that has the focus there.
inline void press(QWidget* window, Qt::Key key)
{
    QWidget* focused = window->focusWidget();
    QTest::keyClick(focused ? focused : window, key);
}

inline void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// The text of a box or list, as the window reads it.
inline QString textOf(QWidget* box)
{
    if (auto* list = qobject_cast<QComboBox*>(box))
        return list->currentText();
    return qobject_cast<QLineEdit*>(box)->text();
}

// Fills frmUpdate's product entries and presses New Product. A category of "<prompt>" leaves the
// box's prompt as it is.
inline void addNewProduct(ProductSupplierWindow* w, const QString& code, const QString& name, const QString& saleCents,
    const QString& buyingCents, const QString& quantity, const QString& category)
{
    type(w->dbcboProdCode, code);
    type(w->dbcboProdName, name);
    type(w->txtProdPrice, saleCents);
    type(w->txtVend, buyingCents);
    type(w->txtQtyBought, quantity);
    if (category != u"<prompt>")
        type(w->cboCatheria, category);
    click(w->cmdAddNewProd);
}

// The cash register, ringing up and completing sales as the cashier does.
struct Till {
    cashregister::CashRegisterWindow* window;

    explicit Till(CatalogueFixture& t)
    {
        window = static_cast<cashregister::CashRegisterWindow*>(t.windows.show(QStringLiteral("frmCashRegister")));
        window->CashierTime->stop();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the cash register did not become the active window");
    }

    void ringUp(const QString& code, const QString& quantity) const
    {
        type(window->txtProductCode, code);
        window->txtProductName->clear();
        type(window->txtQuantity, quantity);
        QTest::keyClick(window->txtProductCode, Qt::Key_Return);
    }

    // End, with the amount tendered answered in cents.
    void complete(CatalogueFixture& t, const QString& tenderedCents) const
    {
        t.ui.answerInput(tenderedCents);
        QTest::keyClick(window->txtProductCode, Qt::Key_End);
    }
};

} // namespace cataloguetest

class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    // The products menu and the way through the area.
    void menu_controls();
    void menu_openedByTheProductsGate();
    void menu_buttons_data();
    void menu_buttons();
    void menu_backToMain_data();
    void menu_backToMain();
    void windows_fitTheScreenAndKeepTheirSize_data();
    void windows_fitTheScreenAndKeepTheirSize();
    void windows_return_data();
    void windows_return();
    void windows_help_data();
    void windows_help();
    void valueLabels_readAsCaptionThenTheShownText_data();
    void valueLabels_readAsCaptionThenTheShownText();

    // The product and supplier window: products.
    void productWindow_controls_data();
    void productWindow_controls();
    void productWindow_load();
    void newProduct_data();
    void newProduct();
    void newProduct_emptyCategoryAfterClear();
    void newProduct_quantityNotTypedMustBeDigits_data();
    void newProduct_quantityNotTypedMustBeDigits();
    void newProduct_afterShowProduct_pricesShownAreNotCents();
    void newProduct_aProductIsBothRowsOrNeither_data();
    void newProduct_aProductIsBothRowsOrNeither();
    void showProduct_data();
    void showProduct();
    void deleteProduct_data();
    void deleteProduct();
    void deleteProduct_theOnlyProduct_leavesNothingToShowOrDelete();
    void deleteProduct_aPriceRowWithoutItsStockRowStays();
    void clearProduct_emptiesEveryEntry();
    void scan_countsRowsIn16Bits_data();
    void scan_countsRowsIn16Bits();

    // The product and supplier window: suppliers.
    void newSupplier_data();
    void newSupplier();
    void showSupplier_data();
    void showSupplier();
    void updateSupplier_data();
    void updateSupplier();
    void updateSupplier_onlyTheSupplierLastShown_data();
    void updateSupplier_onlyTheSupplierLastShown();
    void deleteSupplier_data();
    void deleteSupplier();
    void suppliers_storeRefusals_data();
    void suppliers_storeRefusals();

    // The product update window.
    void updateWindow_controls_data();
    void updateWindow_controls();
    void showForUpdate_data();
    void showForUpdate();
    void updateProduct_data();
    void updateProduct();
    void updateProduct_onlyTheProductLastShown_data();
    void updateProduct_onlyTheProductLastShown();
    void updateProduct_changedCodeIsCarriedToTheStock();
    void updateProduct_pricesReadBackAsShown_data();
    void updateProduct_pricesReadBackAsShown();
    void deleteThisProduct_data();
    void deleteThisProduct();

    // The tax rate.
    void taxRate_data();
    void taxRate();

    // A product's life across the areas.
    void productAddedSoldAndRestocked();
};
