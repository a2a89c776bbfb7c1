#include "catalogue_test.h"

using namespace cataloguetest;

// ---------------------------------------------------------------------------------------------
// The product and supplier window: products

namespace {

const Box kDuplicate{QStringLiteral("A product with this code is already in the database. Try another code."), QStringLiteral("Try a different code")};
const Box kNoCategory{QStringLiteral("You must select a category for this product"), QStringLiteral(" Select Category")};
const Box kZeroPrice{QStringLiteral("The product prices prices must be greater than zero."), QStringLiteral(" Enter a valid price")};
const Box kNotAdded{QStringLiteral("This product cannot be added to the database as entered.  Please check your data and try again."),
    QStringLiteral("Invalid data entry")};
const Box kCodeOrName{QStringLiteral("Please select product code or product code to be shown."), QStringLiteral("Please select code or name")};
const Box kNotFound{QStringLiteral("Product was not found."), QStringLiteral("Product not found")};
const Box kDeleteNotFound{QStringLiteral("Code or name was not found."), QStringLiteral("Product not found")};
const Box kConfirmDelete{QStringLiteral("Are you sure you want to delete this product from the database"), QStringLiteral("Point of Sale"),
    ui::Icon::None, ui::Buttons::YesNo};

QList<Box> boxes(const QString& text, const QString& title)
{
    return text.isEmpty() ? QList<Box>{} : QList<Box>{{text, title}};
}

// The product entries of frmUpdate, in the order they are cleared.
QList<QWidget*> productEntries(ProductSupplierWindow* w)
{
    return {w->dbcboProdCode, w->dbcboProdName, w->txtProdPrice, w->txtVend, w->txtQtyBought, w->cboCatheria};
}

// The codes of a table's rows, in order.
QString codes(const CatalogueFixture& t, const QString& table)
{
    QStringList out;
    for (const QString& row : t.rowsOf(table))
        out << row.section(u'|', 0, 0);
    return out.join(u',');
}

} // namespace

void TestCatalogue::productWindow_controls_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("captionText");
    QTest::addColumn<QString>("control");
    QTest::newRow("code") << "LblProdCode" << "Product Code:" << "dbcboProdCode";
    QTest::newRow("name") << "lblProdName" << "Product Name:" << "dbcboProdName";
    QTest::newRow("sale price") << "lblProdPrice" << "Sale Price:" << "txtProdPrice";
    QTest::newRow("buying price") << "lblVend" << "Buying Price:" << "txtVend";
    QTest::newRow("quantity bought") << "lblQtyBought" << "Quantity Bought:" << "txtQtyBought";
    QTest::newRow("quantity on hand") << "lblQtyOnHand" << "Quanitity on Hand:" << "lblQOnHand";
    QTest::newRow("quantity sold") << "lblQtySold" << "Quantity Sold:" << "lblQSold";
    QTest::newRow("category") << "lblCategory" << "Product Cathegory:" << "cboCatheria";
    QTest::newRow("supplier code") << "lblSupCode" << "Supplier Code :" << "dbcboSupCode";
    QTest::newRow("supplier name") << "lblSupName" << "Supplier Name:" << "dbcboSupName";
    QTest::newRow("phone") << "lblSupPhone" << "Phone#:" << "txtSupPhone";
    QTest::newRow("address") << "lblSupAddr" << "Address:" << "txtSupAddr";
}

void TestCatalogue::productWindow_controls()
{
    QFETCH(QString, caption);
    QFETCH(QString, captionText);
    QFETCH(QString, control);
    CatalogueFixture t;
    auto* w = t.open<ProductSupplierWindow>();
    auto* label = w->findChild<QLabel*>(caption);
    QVERIFY(label);
    QCOMPARE(label->text(), captionText);
    QWidget* named = w->findChild<QWidget*>(control);
    QVERIFY(named);
    QCOMPARE(label->buddy(), named);
    QCOMPARE(named->accessibleName(), captionText);

    // The window, its headings, buttons and menu, once for all rows.
    QCOMPARE(w->windowTitle(), QStringLiteral("           *****WELCOME TO VANTORAL\u00ae  PRODUCT AND SUPPLIER SYSTEM*****"));
    QCOMPARE(w->lblProdUpd->text(), QStringLiteral("Add New Product"));
    QCOMPARE(w->lblSupUpd->text(), QStringLiteral("Add New Supplier"));
    const std::pair<QPushButton*, QString> buttons[] = {{w->cmdAddNewProd, "New Product"}, {w->cmdShowProd, "Show Product"},
        {w->cmdDelProd, "Delete Product"}, {w->cmdClearProd, "Clear Product"}, {w->cmdAddNewSup, "New Supplier"},
        {w->cmdShowSup, "Show Supplier"}, {w->cmdSupUpd, "Update Supplier"}, {w->cmdDelSup, "Delete Supplier"},
        {w->cmdClearSup, "Clear Supplier"}};
    for (const auto& [button, text] : buttons) {
        QCOMPARE(button->text(), text);
        QCOMPARE(button->accessibleName(), text);
    }
    QCOMPARE(w->dbmMenu->title(), QStringLiteral("&Update System"));
    QCOMPARE(w->dbmMenu->actions(), (QList<QAction*>{w->dbmHelp, w->dbmExit}));
    QCOMPARE(w->dbmHelp->text(), QStringLiteral("&Help"));
    QCOMPARE(w->dbmHelp->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(w->dbmExit->text(), QStringLiteral("&Return"));
    QCOMPARE(w->dbmExit->shortcut(), QKeySequence(Qt::Key_F2));
    for (const char* name : {"datProdPrice", "datProdQty", "datSupplier", "MyFrame", "lblSeparate", "Line1"})
        QVERIFY2(w->findChild<QObject*>(QString::fromLatin1(name)), name);
    QCOMPARE(w->datProdPrice->table().qName(), kPrices);
    QCOMPARE(w->datProdQty->table().qName(), kStock);
    QCOMPARE(w->datSupplier->table().qName(), kSuppliers);
}

// Load: the main menu hides, Update Supplier is disabled, the category list holds the twelve
// words and the box its prompt; the price and quantity boxes take digits only.
void TestCatalogue::productWindow_load()
{
    CatalogueFixture t;
    t.windows.show(QStringLiteral("frmMain"));
    auto* w = t.open<ProductSupplierWindow>();
    QVERIFY(!t.shown(QStringLiteral("frmMain")));
    QVERIFY(!w->cmdSupUpd->isEnabled());
    QStringList words;
    for (int i = 0; i < w->cboCatheria->count(); ++i)
        words << w->cboCatheria->itemText(i);
    QCOMPARE(words, (QStringList{"Meat", "Bakery", "Beverage", "Frozen", "Vegetable", "Fruits", "Dairy", "Grain", "Grocery",
                        "Miscelaneous", "Health", "Cleaning"}));
    QCOMPARE(w->cboCatheria->currentText(), QStringLiteral("Select Cathegory"));
    QVERIFY(w->cboCatheria->isEditable());
    for (QLineEdit* box : std::initializer_list<QLineEdit*>{w->txtProdPrice, w->txtVend, w->txtQtyBought}) {
        QTest::keyClicks(box, "1.9a$9");
        QCOMPARE(box->text(), QStringLiteral("199"));
    }
    QVERIFY(t.ui.boxes().empty());
}

void TestCatalogue::newProduct_data()
{
    QTest::addColumn<bool>("catalogue"); // the three products first, or an empty catalogue
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sale");   // cents
    QTest::addColumn<QString>("buying"); // cents
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("category"); // "<prompt>": left as the box shows it
    QTest::addColumn<QString>("boxText");  // empty: no box
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("priceRow"); // the row added to each table; empty: nothing written
    QTest::addColumn<QString>("stockRow");

    QTest::newRow("an empty catalogue: the first product") << false << "P1" << "Tea" << "199" << "99" << "12" << "Beverage" << ""
                                                           << "" << "P1|Tea|1.99|0.99|Beverage" << "P1|12|12|0";
    QTest::newRow("after the others") << true << "C7" << "Cheese" << "250" << "125" << "3" << "Dairy" << "" << ""
                                      << "C7|Cheese|2.5|1.25|Dairy" << "C7|3|3|0";
    QTest::newRow("a duplicate code") << true << "B12" << "Rolls" << "199" << "99" << "12" << "Bakery" << kDuplicate.text
                                      << kDuplicate.title << "" << "";
    QTest::newRow("a code differing only in case") << true << "abc" << "Milk" << "150" << "75" << "1" << "Dairy" << "" << ""
                                                   << "abc|Milk|1.5|0.75|Dairy" << "abc|1|1|0";
    QTest::newRow("a code with a trailing blank") << true << "ABC " << "Milk" << "150" << "75" << "1" << "Dairy" << "" << ""
                                                  << "ABC |Milk|1.5|0.75|Dairy" << "ABC |1|1|0";
    QTest::newRow("a duplicate before the prompt") << true << "M2" << "Milk" << "150" << "75" << "1" << "<prompt>" << kDuplicate.text
                                                   << kDuplicate.title << "" << "";
    QTest::newRow("the category prompt") << true << "P1" << "Tea" << "199" << "99" << "12" << "<prompt>" << kNoCategory.text
                                         << kNoCategory.title << "" << "";
    QTest::newRow("the prompt before a zero price") << true << "P1" << "Tea" << "0" << "99" << "12" << "<prompt>" << kNoCategory.text
                                                    << kNoCategory.title << "" << "";
    QTest::newRow("a category of one's own") << true << "P1" << "Kite" << "500" << "300" << "2" << "Toys" << "" << ""
                                             << "P1|Kite|5|3|Toys" << "P1|2|2|0";
    QTest::newRow("a zero sale price") << true << "P1" << "Tea" << "0" << "99" << "12" << "Beverage" << kZeroPrice.text
                                       << kZeroPrice.title << "" << "";
    QTest::newRow("a zero buying price") << true << "P1" << "Tea" << "199" << "000" << "12" << "Beverage" << kZeroPrice.text
                                         << kZeroPrice.title << "" << "";
    QTest::newRow("an empty sale price") << true << "P1" << "Tea" << "" << "99" << "12" << "Beverage" << kNotAdded.text
                                         << kNotAdded.title << "" << "";
    QTest::newRow("an empty buying price") << true << "P1" << "Tea" << "199" << "" << "12" << "Beverage" << kNotAdded.text
                                           << kNotAdded.title << "" << "";
    QTest::newRow("a quantity the store refuses") << true << "P1" << "Tea" << "199" << "99" << "40000" << "Beverage" << kNotAdded.text
                                                  << kNotAdded.title << "" << "";
    QTest::newRow("an empty quantity") << true << "P1" << "Tea" << "199" << "99" << "" << "Beverage" << kNotAdded.text
                                       << kNotAdded.title << "" << "";
    QTest::newRow("the largest quantity") << true << "P1" << "Tea" << "1" << "1" << "32767" << "Beverage" << "" << ""
                                          << "P1|Tea|0.01|0.01|Beverage" << "P1|32767|32767|0";
    QTest::newRow("a price past any amount") << true << "P1" << "Tea" << QString(20, u'9') << "99" << "1" << "Beverage"
                                             << kNotAdded.text << kNotAdded.title << "" << "";
}

// New Product: the refusals write nothing and keep the entries; a product added is a row in
// each table, at the same place, and the entries are emptied for the next one.
void TestCatalogue::newProduct()
{
    QFETCH(bool, catalogue);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, sale);
    QFETCH(QString, buying);
    QFETCH(QString, quantity);
    QFETCH(QString, category);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(QString, priceRow);
    QFETCH(QString, stockRow);
    CatalogueFixture t;
    if (catalogue)
        t.catalogue();
    const QStringList pricesBefore = t.rowsOf(kPrices);
    const QStringList stockBefore = t.rowsOf(kStock);
    auto* w = t.open<ProductSupplierWindow>();

    addNewProduct(w, code, name, sale, buying, quantity, category);

    t.expectBoxes(boxes(boxText, boxTitle));
    if (priceRow.isEmpty()) {
        QCOMPARE(t.rowsOf(kPrices), pricesBefore);
        QCOMPARE(t.rowsOf(kStock), stockBefore);
        const QStringList typed{code, name, sale, buying, quantity, category == u"<prompt>" ? QStringLiteral("Select Cathegory") : category};
        for (int i = 0; i < typed.size(); ++i)
            QCOMPARE(textOf(productEntries(w)[i]), typed[i]);
        return;
    }
    QCOMPARE(t.rowsOf(kPrices), pricesBefore + QStringList{priceRow});
    QCOMPARE(t.rowsOf(kStock), stockBefore + QStringList{stockRow});
    for (QWidget* entry : productEntries(w))
        QCOMPARE(textOf(entry), QString());
    QCOMPARE(w->lblQOnHand->text(), QString());
    QCOMPARE(w->lblQSold->text(), QString());
    QCOMPARE(QApplication::focusWidget(), w->dbcboProdCode);
    // The lists show the new product at once.
    QCOMPARE(w->dbcboProdCode->itemText(w->dbcboProdCode->count() - 1), code);
    QCOMPARE(w->dbcboProdName->itemText(w->dbcboProdName->count() - 1), name);
}

// After Clear Product the category box is empty, and a product added then has an empty category.
void TestCatalogue::newProduct_emptyCategoryAfterClear()
{
    CatalogueFixture t;
    auto* w = t.open<ProductSupplierWindow>();
    click(w->cmdClearProd);
    QCOMPARE(w->cboCatheria->currentText(), QString());
    addNewProduct(w, "P1", "Tea", "199", "99", "12", "<prompt>");
    t.expectBoxes({});
    QCOMPARE(t.rowsOf(kPrices), QStringList{"P1|Tea|1.99|0.99|"});
    QCOMPARE(t.field(kPrices, u"ProdCathegory"), Value(QString()));
    QVERIFY(!t.field(kPrices, u"ProdCathegory").isNull());
    QCOMPARE(t.rowsOf(kStock), QStringList{"P1|12|12|0"});
}

void TestCatalogue::newProduct_quantityNotTypedMustBeDigits_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::newRow("below zero") << "-1";
    QTest::newRow("below zero in parentheses") << "(5)";
    QTest::newRow("a fraction") << "1.5";
}

// A quantity that reached the digits-only box without being typed (assistive technology can put
// any text there) is refused like one the store cannot take: no product opens with stock below
// zero.
void TestCatalogue::newProduct_quantityNotTypedMustBeDigits()
{
    QFETCH(QString, quantity);
    CatalogueFixture t;
    t.catalogue();
    const QString before = t.snapshot();
    auto* w = t.open<ProductSupplierWindow>();
    type(w->dbcboProdCode, QStringLiteral("P1"));
    type(w->dbcboProdName, QStringLiteral("Tea"));
    type(w->txtProdPrice, QStringLiteral("199"));
    type(w->txtVend, QStringLiteral("99"));
    type(w->cboCatheria, QStringLiteral("Beverage"));
    w->txtQtyBought->setText(quantity);
    click(w->cmdAddNewProd);
    t.expectBoxes({kNotAdded});
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->txtQtyBought->text(), quantity);
}

// The prices Show Product put in the boxes ("$1.50") are not numbers of cents: a New Product
// made from them is refused, never stored at a hundredth of the price.
void TestCatalogue::newProduct_afterShowProduct_pricesShownAreNotCents()
{
    CatalogueFixture t;
    t.catalogue();
    const QStringList pricesBefore = t.rowsOf(kPrices);
    const QStringList stockBefore = t.rowsOf(kStock);
    auto* w = t.open<ProductSupplierWindow>();
    type(w->dbcboProdCode, QStringLiteral("ABC"));
    click(w->cmdShowProd);
    QCOMPARE(w->txtProdPrice->text(), QStringLiteral("$1.50"));
    type(w->dbcboProdCode, QStringLiteral("NEW"));
    type(w->dbcboProdName, QStringLiteral("New milk"));
    click(w->cmdAddNewProd);
    t.expectBoxes({kNotAdded});
    QCOMPARE(t.rowsOf(kPrices), pricesBefore);
    QCOMPARE(t.rowsOf(kStock), stockBefore);
}

void TestCatalogue::newProduct_aProductIsBothRowsOrNeither_data()
{
    QTest::addColumn<QString>("refusedTable");
    QTest::newRow("the stock row is refused") << kStock;
    QTest::newRow("the price row is refused") << kPrices;
}

// When the store refuses either row, neither is kept, and the products added after still pair up.
void TestCatalogue::newProduct_aProductIsBothRowsOrNeither()
{
    QFETCH(QString, refusedTable);
    CatalogueFixture t;
    t.catalogue();
    const QString before = t.snapshot();
    auto* w = t.open<ProductSupplierWindow>();
    t.store->setWriteHook([&](const QString& table) {
        if (table == refusedTable)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
    });
    addNewProduct(w, "P1", "Tea", "199", "99", "12", "Beverage");
    t.expectBoxes({kNotAdded});
    QCOMPARE(t.snapshot(), before);

    t.store->setWriteHook({});
    t.ui.clearBoxes();
    click(w->cmdAddNewProd);
    t.expectBoxes({});
    QCOMPARE(codes(t, kPrices), QStringLiteral("ABC,B12,M2,P1"));
    QCOMPARE(codes(t, kStock), QStringLiteral("ABC,B12,M2,P1"));
}

void TestCatalogue::showProduct_data()
{
    QTest::addColumn<bool>("catalogue");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("boxText"); // empty: no box
    QTest::addColumn<QString>("boxTitle");
    // What the entries show after: code, name, sale price, buying price, bought, category, on
    // hand, sold.
    QTest::addColumn<QStringList>("shown");

    const QStringList untouched{"", "", "", "", "", "Select Cathegory", "", ""};
    QTest::newRow("by code") << true << "ABC" << "" << "" << "" << QStringList{"ABC", "Milk", "$1.50", "$0.75", "12", "Dairy", "10", "2"};
    QTest::newRow("by code, the second Milk") << true << "M2" << "" << "" << ""
                                              << QStringList{"M2", "Milk", "$1.80", "$0.90", "4", "Dairy", "4", "0"};
    QTest::newRow("by name") << true << "" << "Bread" << "" << "" << QStringList{"B12", "Bread", "$1.25", "$0.60", "5", "Bakery", "5", "2"};
    QTest::newRow("by a name two products have: the first") << true << "" << "Milk" << "" << ""
                                                            << QStringList{"ABC", "Milk", "$1.50", "$0.75", "12", "Dairy", "10", "2"};
    QTest::newRow("both boxes, of one product") << true << "ABC" << "Milk" << kCodeOrName.text << kCodeOrName.title
                                                << QStringList{"ABC", "Milk", "", "", "", "Select Cathegory", "", ""};
    QTest::newRow("neither box") << true << "" << "" << kCodeOrName.text << kCodeOrName.title << untouched;
    QTest::newRow("a code not there") << true << "ZZ" << "" << kNotFound.text << kNotFound.title
                                      << QStringList{"ZZ", "", "", "", "", "Select Cathegory", "", ""};
    QTest::newRow("a code in another case") << true << "abc" << "" << kNotFound.text << kNotFound.title
                                            << QStringList{"abc", "", "", "", "", "Select Cathegory", "", ""};
    QTest::newRow("a name with a trailing blank") << true << "" << "Bread " << kNotFound.text << kNotFound.title
                                                  << QStringList{"", "Bread ", "", "", "", "Select Cathegory", "", ""};
    // A product without a category is shown up to its category, and Show then ends.
    QTest::newRow("a product without a category") << true << "N1" << "" << "" << ""
                                                  << QStringList{"N1", "Nuts", "$3.00", "$2.00", "7", "Select Cathegory", "7", "0"};
    QTest::newRow("an empty catalogue does nothing") << false << "ABC" << "" << "" << ""
                                                     << QStringList{"ABC", "", "", "", "", "Select Cathegory", "", ""};
}

void TestCatalogue::showProduct()
{
    QFETCH(bool, catalogue);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(QStringList, shown);
    CatalogueFixture t;
    if (catalogue) {
        t.catalogue();
        // A product whose category field holds no value at all.
        t.addRow(kPrices, {{u"Code", QStringLiteral("N1")}, {u"ProductName", QStringLiteral("Nuts")}, {u"ProductPrice", money(300)},
                              {u"VPrice", money(200)}});
        t.addRow(kStock, {{u"Code", QStringLiteral("N1")}, {u"QuantityBought", whole(7)}, {u"QuantityOnHand", whole(7)}});
    }
    const QString before = t.snapshot();
    auto* w = t.open<ProductSupplierWindow>();
    type(w->dbcboProdCode, code);
    type(w->dbcboProdName, name);
    click(w->cmdShowProd);

    t.expectBoxes(boxes(boxText, boxTitle));
    const QStringList seen{w->dbcboProdCode->text(), w->dbcboProdName->text(), w->txtProdPrice->text(), w->txtVend->text(),
        w->txtQtyBought->text(), w->cboCatheria->currentText(), w->lblQOnHand->text(), w->lblQSold->text()};
    QCOMPARE(seen, shown);
    QCOMPARE(t.snapshot(), before);
}

void TestCatalogue::deleteProduct_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("yes");          // the answer to the question, when it is asked
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("boxText");   // a message instead of the question
    QTest::addColumn<QString>("remaining"); // the codes left in each table, in order

    QTest::newRow("by name: the first of two") << "" << "Milk" << true << true << "" << "B12,M2";
    QTest::newRow("by code") << "M2" << "" << true << true << "" << "ABC,B12";
    QTest::newRow("the middle product: the rest still pair up") << "B12" << "" << true << true << "" << "ABC,M2";
    QTest::newRow("a code and a name of two: the first in order") << "M2" << "Bread" << true << true << "" << "ABC,M2";
    QTest::newRow("a code matching, a name not") << "B12" << "Tea" << true << true << "" << "ABC,M2";
    QTest::newRow("answered No") << "B12" << "" << false << true << "" << "ABC,B12,M2";
    QTest::newRow("not found") << "ZZ" << "Tea" << false << false << kDeleteNotFound.text << "ABC,B12,M2";
    QTest::newRow("both boxes empty") << "" << "" << false << false << kDeleteNotFound.text << "ABC,B12,M2";
}

// Delete Product removes the product's two rows, those at the same place in each table.
void TestCatalogue::deleteProduct()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(bool, yes);
    QFETCH(bool, asked);
    QFETCH(QString, boxText);
    QFETCH(QString, remaining);
    CatalogueFixture t;
    t.catalogue();
    QStringList stockKept;
    auto* w = t.open<ProductSupplierWindow>();
    type(w->dbcboProdCode, code);
    type(w->dbcboProdName, name);
    if (asked)
        t.ui.answerMessage(yes ? ui::Button::Yes : ui::Button::No);
    const QStringList stockBefore = t.rowsOf(kStock);
    click(w->cmdDelProd);

    if (asked)
        t.expectBoxes({kConfirmDelete});
    else
        t.expectBoxes({{boxText, kDeleteNotFound.title}});
    QCOMPARE(codes(t, kPrices), remaining);
    // The stock rows left are those of the products left, untouched.
    for (const QString& row : stockBefore) {
        if (remaining.split(u',').contains(row.section(u'|', 0, 0)))
            stockKept << row;
    }
    QCOMPARE(t.rowsOf(kStock), stockKept);
    const bool deleted = asked && yes;
    QCOMPARE(w->dbcboProdCode->text(), deleted ? QString() : code);
    QCOMPARE(w->dbcboProdName->text(), deleted ? QString() : name);
    QCOMPARE(w->dbcboProdCode->count(), remaining.split(u',').size());
}

void TestCatalogue::deleteProduct_theOnlyProduct_leavesNothingToShowOrDelete()
{
    CatalogueFixture t;
    t.addProduct({"ABC", "Milk", 150, 75, "Dairy", 12, 10, 2});
    auto* w = t.open<ProductSupplierWindow>();
    type(w->dbcboProdName, QStringLiteral("Milk"));
    t.ui.answerMessage(ui::Button::Yes);
    click(w->cmdDelProd);
    t.expectBoxes({kConfirmDelete});
    QCOMPARE(t.rows(kPrices), 0);
    QCOMPARE(t.rows(kStock), 0);
    QCOMPARE(w->dbcboProdCode->count(), 0);

    // Show and Delete then do nothing at all.
    t.ui.clearBoxes();
    type(w->dbcboProdCode, QStringLiteral("ABC"));
    click(w->cmdShowProd);
    click(w->cmdDelProd);
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(w->dbcboProdName->text(), QString());
    QCOMPARE(w->dbcboProdCode->text(), QStringLiteral("ABC"));
}

// A price row whose stock row is missing is not deleted alone: the product's two rows go
// together or not at all.
void TestCatalogue::deleteProduct_aPriceRowWithoutItsStockRowStays()
{
    CatalogueFixture t;
    t.addProduct({"ABC", "Milk", 150, 75, "Dairy", 12, 10, 2});
    t.addRow(kPrices, {{u"Code", QStringLiteral("P4")}, {u"ProductName", QStringLiteral("Ghost")}});
    const QString before = t.snapshot();
    auto* w = t.open<ProductSupplierWindow>();
    type(w->dbcboProdCode, QStringLiteral("P4"));
    t.ui.answerMessage(ui::Button::Yes);
    click(w->cmdDelProd);
    t.expectBoxes({kConfirmDelete});
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->dbcboProdCode->text(), QStringLiteral("P4"));
}

void TestCatalogue::clearProduct_emptiesEveryEntry()
{
    CatalogueFixture t;
    t.catalogue();
    auto* w = t.open<ProductSupplierWindow>();
    type(w->dbcboProdCode, QStringLiteral("B12"));
    click(w->cmdShowProd);
    QCOMPARE(w->lblQOnHand->text(), QStringLiteral("5"));
    const QString before = t.snapshot();
    click(w->cmdClearProd);
    for (QWidget* entry : productEntries(w))
        QCOMPARE(textOf(entry), QString());
    QCOMPARE(w->lblQOnHand->text(), QString());
    QCOMPARE(w->lblQSold->text(), QString());
    // The record sources stay where Show left them.
    QCOMPARE(w->datProdPrice->field(u"Code"), Value(QStringLiteral("B12")));
    QCOMPARE(w->datProdQty->field(u"QuantityOnHand"), whole(5));
    QCOMPARE(t.snapshot(), before);
    QVERIFY(t.ui.boxes().empty());
}

void TestCatalogue::scan_countsRowsIn16Bits_data()
{
    QTest::addColumn<int>("products");
    QTest::addColumn<int>("duplicate"); // the product whose code is typed
    QTest::addColumn<QString>("boxText");
    // The scan's counter reaches the last of 32,767 rows; one row more and it cannot count them,
    // wherever the code is.
    QTest::newRow("32767 products: the last one is found") << 32767 << 32767 << kDuplicate.text;
    QTest::newRow("32768 products, the code on the last: New Product fails") << 32768 << 32768 << kNotAdded.text;
    QTest::newRow("32768 products, the code on the first: New Product fails") << 32768 << 1 << kNotAdded.text;
}

void TestCatalogue::scan_countsRowsIn16Bits()
{
    QFETCH(int, products);
    QFETCH(int, duplicate);
    QFETCH(QString, boxText);
    CatalogueFixture t;
    {
        store::UnitOfWork bulk(*t.store);
        RecordSource prices(*t.store, QStringLiteral("setup"), kPrices);
        RecordSource stock(*t.store, QStringLiteral("setup"), kStock);
        for (int i = 1; i <= products; ++i) {
            prices.addNew();
            prices.setField(u"Code", QStringLiteral("C%1").arg(i));
            prices.setField(u"ProductName", QStringLiteral("Product %1").arg(i));
            prices.update();
            stock.addNew();
            stock.setField(u"Code", QStringLiteral("C%1").arg(i));
            stock.update();
        }
        bulk.commit();
    }
    auto* w = t.open<ProductSupplierWindow>();
    addNewProduct(w, QStringLiteral("C%1").arg(duplicate), "Again", "100", "50", "1", "Grocery");
    QCOMPARE(t.ui.texts(), QStringList{boxText});
    QCOMPARE(t.rows(kPrices), products);
    QCOMPARE(t.rows(kStock), products);
}
