#include "catalogue_test.h"

using namespace cataloguetest;

// ---------------------------------------------------------------------------------------------
// The product update window

namespace {

const Box kCodeOrName{QStringLiteral("Please select the name OR code of the product to be shown"), QStringLiteral("Please enter product code or name")};
const Box kNotFoundByCode{QStringLiteral("Product was not found "), QStringLiteral("Product not found")};
const Box kNotFoundByName{QStringLiteral("Product was not found."), QStringLiteral("Product not found")};
const Box kIncomplete{QStringLiteral("Please enter the complete product information before you trying to put it in the database."),
    QStringLiteral("Please fill all the information")};
const Box kZeroPrice{QStringLiteral("The product prices prices must be greater than zero."), QStringLiteral(" Enter a valid price")};
const Box kDeleteNotFound{QStringLiteral("Code or product name was not found."), QStringLiteral("     Product not found ")};
const Box kConfirmDelete{QStringLiteral("Are sure you want to delete this product from the database"), QStringLiteral("Delete product?"),
    ui::Icon::Question, ui::Buttons::YesNo};

// Tea (T1) at $1.99, bought at $0.99: 6 bought, 8 on hand, 3 sold.
const Product kTea{"T1", "Tea", 199, 99, "Beverage", 6, 8, 3};
const QString kTeaPrice = QStringLiteral("T1|Tea|1.99|0.99|Beverage");
const QString kTeaStock = QStringLiteral("T1|6|8|3");

QList<Box> boxes(const QString& text, const QString& title)
{
    return text.isEmpty() ? QList<Box>{} : QList<Box>{{text, title}};
}

// What the update window shows: code, name, category, sale price, buying price, quantity bought,
// on hand, sold.
QStringList shownOn(ProductUpdateWindow* w)
{
    return {w->dbcboProdCode->text(), w->dbcboProdName->text(), w->txtCategory->text(), w->txtProdPrice->text(), w->txtVend->text(),
        w->txtQtyBought->text(), w->lblQOnHand->text(), w->lblQSold->text()};
}

// One edit as a person makes it: "box=text" types the text over the box's; "box-2+49" goes to
// the end of the box, rubs out two characters and types 49; "box:=text" puts text into the box
// without typing it, as assistive technology can, past the digits-only filter.
void edit(QWidget* window, const QString& how)
{
    if (const qsizetype put = how.indexOf(QStringLiteral(":=")); put > 0) {
        auto* box = window->findChild<QLineEdit*>(how.left(put));
        QVERIFY2(box, qPrintable(how));
        box->setText(how.mid(put + 2));
        return;
    }
    const qsizetype at = how.indexOf(QRegularExpression(QStringLiteral("[=-]")));
    auto* box = window->findChild<QLineEdit*>(how.left(at));
    if (!box)
        box = window->findChild<QComboBox*>(how.left(at))->lineEdit();
    QVERIFY2(box, qPrintable(how));
    if (how.at(at) == u'=') {
        type(box, how.mid(at + 1));
        return;
    }
    const qsizetype plus = how.indexOf(u'+', at);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    for (int i = how.mid(at + 1, plus - at - 1).toInt(); i > 0; --i)
        QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, how.mid(plus + 1));
}

void showByCode(ProductUpdateWindow* w, const QString& code)
{
    type(w->dbcboProdCode, code);
    type(w->dbcboProdName, QString());
    click(w->cmdShowProd);
}

} // namespace

void TestCatalogue::updateWindow_controls_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("captionText");
    QTest::addColumn<QString>("control");
    QTest::newRow("code") << "LblProdCode" << "Code:" << "dbcboProdCode";
    QTest::newRow("name") << "lblProdName" << "Name:" << "dbcboProdName";
    QTest::newRow("category") << "lblCategory" << "Cathegory:" << "txtCategory";
    QTest::newRow("sale price") << "lblProdPrice" << "Sale Price:" << "txtProdPrice";
    QTest::newRow("buying price") << "lblVend" << "Buying Price:" << "txtVend";
    QTest::newRow("quantity bought") << "lblQtyBought" << "Quantity Bought:" << "txtQtyBought";
    QTest::newRow("quantity on hand") << "lblQtyOnHand" << "Quantity On Hand:" << "lblQOnHand";
    QTest::newRow("quantity sold") << "lblQtySold" << "Quantity Sold:" << "lblQSold";
}

void TestCatalogue::updateWindow_controls()
{
    QFETCH(QString, caption);
    QFETCH(QString, captionText);
    QFETCH(QString, control);
    CatalogueFixture t;
    auto* w = t.open<ProductUpdateWindow>();
    auto* label = w->findChild<QLabel*>(caption);
    QVERIFY(label);
    QCOMPARE(label->text(), captionText);
    QWidget* named = w->findChild<QWidget*>(control);
    QVERIFY(named);
    QCOMPARE(label->buddy(), named);
    QCOMPARE(named->accessibleName(), captionText);

    // The window, its buttons and menu, once for all rows.
    QCOMPARE(w->windowTitle(), QStringLiteral("          ************WELCOME TO VANTORAL\u00ae  POINT OF SALE SYSTEM ************"));
    const std::pair<QPushButton*, QString> buttons[] = {{w->cmdShowProd, "SHOW PRODUCT"}, {w->cmdProdUpd, "UPDATE PRODUCT"},
        {w->cmdDelProd, "DELETE THIS PRODUCT"}, {w->cmdClearProd, "CLEAR SCREEN"}, {w->Command1, "CHANGE TAX RATE"},
        {w->cmdSair, "&RETURN"}, {w->cmdajuda, "&HELP"}};
    for (const auto& [button, text] : buttons) {
        QCOMPARE(button->text(), text);
        QCOMPARE(button->isEnabled(), button != w->cmdProdUpd);
        QVERIFY(!button->accessibleName().isEmpty());
    }
    QCOMPARE(w->mneuhlp->title(), QStringLiteral("Update System"));
    QCOMPARE(w->mneuhlp->actions(), (QList<QAction*>{w->hlp, w->rturn}));
    QCOMPARE(w->hlp->text(), QStringLiteral("Help"));
    QCOMPARE(w->hlp->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(w->rturn->text(), QStringLiteral("Return"));
    QCOMPARE(w->rturn->shortcut(), QKeySequence(Qt::Key_F2));
    for (const char* name : {"datProdPrice", "datProdQty", "DataTax", "datSupplier", "Frame1", "Image1", "Line1"})
        QVERIFY2(w->findChild<QObject*>(QString::fromLatin1(name)), name);
    QCOMPARE(w->DataTax->table().qName(), kTax);
    QCOMPARE(w->datSupplier->table().qName(), kSuppliers);
    for (QLineEdit* box : std::initializer_list<QLineEdit*>{w->txtProdPrice, w->txtVend, w->txtQtyBought}) {
        QTest::keyClicks(box, "1.9a$9");
        QCOMPARE(box->text(), QStringLiteral("199"));
    }
}

void TestCatalogue::showForUpdate_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("boxText"); // empty: no box
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QStringList>("shown"); // code, name, category, sale, buying, bought, on hand, sold
    QTest::addColumn<bool>("updateEnabled");

    // The quantity box is readied for the restock to come, whatever was bought last.
    QTest::newRow("by code") << "ABC" << "" << "" << "" << QStringList{"ABC", "Milk", "Dairy", "$1.50", "$0.75", "0", "10", "2"} << true;
    QTest::newRow("by a name two products have: the first") << "" << "Milk" << "" << ""
                                                            << QStringList{"ABC", "Milk", "Dairy", "$1.50", "$0.75", "0", "10", "2"} << true;
    QTest::newRow("by name") << "" << "Bread" << "" << "" << QStringList{"B12", "Bread", "Bakery", "$1.25", "$0.60", "0", "5", "2"} << true;
    QTest::newRow("a code not there: the text ends in a blank") << "ZZ" << "" << kNotFoundByCode.text << kNotFoundByCode.title
                                                                << QStringList{"ZZ", "", "", "", "", "", "", ""} << false;
    QTest::newRow("a name not there: the text ends in a full stop") << "" << "Tea" << kNotFoundByName.text << kNotFoundByName.title
                                                                    << QStringList{"", "Tea", "", "", "", "", "", ""} << false;
    QTest::newRow("both boxes") << "ABC" << "Milk" << kCodeOrName.text << kCodeOrName.title
                                << QStringList{"ABC", "Milk", "", "", "", "", "", ""} << false;
    QTest::newRow("neither box") << "" << "" << kCodeOrName.text << kCodeOrName.title << QStringList{"", "", "", "", "", "", "", ""} << false;
}

void TestCatalogue::showForUpdate()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(QStringList, shown);
    QFETCH(bool, updateEnabled);
    CatalogueFixture t;
    t.catalogue();
    const QString before = t.snapshot();
    auto* w = t.open<ProductUpdateWindow>();
    type(w->dbcboProdCode, code);
    type(w->dbcboProdName, name);
    click(w->cmdShowProd);
    t.expectBoxes(boxes(boxText, boxTitle));
    QCOMPARE(shownOn(w), shown);
    QCOMPARE(w->cmdProdUpd->isEnabled(), updateEnabled);
    if (updateEnabled)
        QCOMPARE(QApplication::focusWidget(), w->dbcboProdCode);
    QCOMPARE(t.snapshot(), before);
}

void TestCatalogue::updateProduct_data()
{
    QTest::addColumn<QStringList>("edits"); // made after Tea is shown by its code
    QTest::addColumn<QString>("boxText");   // empty: no box
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("priceRow");  // Tea's rows after; empty: as they were
    QTest::addColumn<QString>("stockRow");

    QTest::newRow("a restock of 12") << QStringList{"txtQtyBought=12"} << "" << "" << kTeaPrice << "T1|12|20|0";
    QTest::newRow("$1.99 edited to $1.49") << QStringList{"txtProdPrice-2+49", "txtQtyBought=1"} << "" << ""
                                           << "T1|Tea|1.49|0.99|Beverage" << "T1|1|9|0";
    QTest::newRow("149 typed in place of the price") << QStringList{"txtProdPrice=149", "txtQtyBought=1"} << "" << ""
                                                     << "T1|Tea|149|0.99|Beverage" << "T1|1|9|0";
    QTest::newRow("2 typed in place of the buying price") << QStringList{"txtVend=2", "txtQtyBought=1"} << "" << ""
                                                          << "T1|Tea|1.99|2|Beverage" << "T1|1|9|0";
    QTest::newRow("a quantity of 0: prices rewritten, sold back to 0") << QStringList{"txtProdPrice-2+49"} << "" << ""
                                                                       << "T1|Tea|1.49|0.99|Beverage" << "T1|0|8|0";
    QTest::newRow("the name and category changed") << QStringList{"dbcboProdName=Green Tea", "txtCategory=Herbal", "txtQtyBought=2"}
                                                   << "" << "" << "T1|Green Tea|1.99|0.99|Herbal" << "T1|2|10|0";
    QTest::newRow("the category emptied") << QStringList{"txtCategory=", "txtQtyBought=2"} << "" << "" << "T1|Tea|1.99|0.99|"
                                          << "T1|2|10|0";
    QTest::newRow("the quantity emptied") << QStringList{"txtQtyBought="} << kIncomplete.text << kIncomplete.title << "" << "";
    QTest::newRow("the sale price emptied") << QStringList{"txtProdPrice="} << kIncomplete.text << kIncomplete.title << "" << "";
    QTest::newRow("the name emptied") << QStringList{"dbcboProdName="} << kIncomplete.text << kIncomplete.title << "" << "";
    QTest::newRow("the buying price emptied: nothing, without a word") << QStringList{"txtVend=", "txtQtyBought=5"} << "" << "" << ""
                                                                       << "";
    QTest::newRow("a zero sale price") << QStringList{"txtProdPrice=0"} << kZeroPrice.text << kZeroPrice.title << "" << "";
    QTest::newRow("a buying price of $0.00") << QStringList{"txtVend-2+00"} << kZeroPrice.text << kZeroPrice.title << "" << "";
    QTest::newRow("more on hand than can be counted: nothing") << QStringList{"txtQtyBought=32760"} << "" << "" << "" << "";
    QTest::newRow("a quantity below zero put in the box: nothing, without a word") << QStringList{"txtQtyBought:=-5"} << "" << ""
                                                                                   << "" << "";
    QTest::newRow("a quantity in parentheses put in the box: nothing, without a word") << QStringList{"txtQtyBought:=(5)"} << ""
                                                                                       << "" << "" << "";
}

// UPDATE PRODUCT rewrites the shown product's price row from the entries and books the quantity
// as a restock; a refusal writes nothing to either row.
void TestCatalogue::updateProduct()
{
    QFETCH(QStringList, edits);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(QString, priceRow);
    QFETCH(QString, stockRow);
    CatalogueFixture t;
    t.catalogue();
    t.addProduct(kTea);
    auto* w = t.open<ProductUpdateWindow>();
    showByCode(w, QStringLiteral("T1"));
    QCOMPARE(shownOn(w), (QStringList{"T1", "Tea", "Beverage", "$1.99", "$0.99", "0", "8", "3"}));
    for (const QString& how : edits)
        edit(w, how);
    const QStringList typed = shownOn(w);
    click(w->cmdProdUpd);

    t.expectBoxes(boxes(boxText, boxTitle));
    const bool written = !priceRow.isEmpty();
    QStringList prices = t.rowsOf(kPrices);
    QStringList stock = t.rowsOf(kStock);
    QCOMPARE(prices.takeLast(), written ? priceRow : kTeaPrice);
    QCOMPARE(stock.takeLast(), written ? stockRow : kTeaStock);
    QCOMPARE(prices, (QStringList{"ABC|Milk|1.5|0.75|Dairy", "B12|Bread|1.25|0.6|Bakery", "M2|Milk|1.8|0.9|Dairy"}));
    QCOMPARE(stock, (QStringList{"ABC|12|10|2", "B12|5|5|2", "M2|4|4|0"}));
    if (written) {
        // Everything but the category is emptied for the next product.
        QCOMPARE(shownOn(w), (QStringList{"", "", typed[2], "", "", "", "", ""}));
        QVERIFY(!w->cmdProdUpd->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w->dbcboProdCode);
    } else {
        QCOMPARE(shownOn(w), typed);
        QVERIFY(w->cmdProdUpd->isEnabled());
    }
}

void TestCatalogue::updateProduct_onlyTheProductLastShown_data()
{
    QTest::addColumn<QString>("then");     // what is done after Tea is shown
    QTest::addColumn<bool>("enabled");     // UPDATE PRODUCT after it
    QTest::addColumn<QString>("updated");  // the product a restock of 5 then goes to; empty: none

    QTest::newRow("nothing: Tea") << "" << true << "T1";
    QTest::newRow("a SHOW with both boxes: still Tea") << "show both" << true << "T1";
    QTest::newRow("a SHOW of another: that one") << "show B12" << true << "B12";
    QTest::newRow("a SHOW that misses") << "show miss" << false << "";
    // The miss stands on the last product, whose empty code equals the emptied code box.
    QTest::newRow("a SHOW by a name not there, the last product without a code") << "show name miss" << false << "";
    QTest::newRow("CLEAR SCREEN") << "clear" << false << "";
    QTest::newRow("a DELETE that misses") << "delete miss" << false << "";
    QTest::newRow("a DELETE of another answered No") << "delete no" << false << "";
    QTest::newRow("UPDATE PRODUCT") << "update" << false << "";
}

// UPDATE PRODUCT writes only into the rows of the product last shown: whatever moves the record
// sources off it disables the button until a SHOW PRODUCT finds a product again.
void TestCatalogue::updateProduct_onlyTheProductLastShown()
{
    QFETCH(QString, then);
    QFETCH(bool, enabled);
    QFETCH(QString, updated);
    CatalogueFixture t;
    t.catalogue();
    t.addProduct(kTea);
    if (then == u"show name miss")
        t.addProduct(Product{QStringLiteral(""), QStringLiteral("Nameless"), 100, 50, QStringLiteral("Dairy"), 1, 1, 0});
    auto* w = t.open<ProductUpdateWindow>();
    showByCode(w, QStringLiteral("T1"));
    if (then == u"show name miss") {
        type(w->dbcboProdCode, QString());
        type(w->dbcboProdName, QStringLiteral("Tea leaves"));
        click(w->cmdShowProd);
    } else if (then == u"show both") {
        click(w->cmdShowProd);
    } else if (then == u"show B12") {
        showByCode(w, QStringLiteral("B12"));
    } else if (then == u"show miss") {
        showByCode(w, QStringLiteral("ZZ"));
    } else if (then == u"clear") {
        click(w->cmdClearProd);
    } else if (then == u"delete miss" || then == u"delete no") {
        type(w->dbcboProdName, QString());
        type(w->dbcboProdCode, then == u"delete miss" ? QStringLiteral("ZZ") : QStringLiteral("M2"));
        if (then == u"delete no")
            t.ui.answerMessage(ui::Button::No);
        click(w->cmdDelProd);
    } else if (then == u"update") {
        type(w->txtQtyBought, QStringLiteral("1"));
        click(w->cmdProdUpd);
    }
    QCOMPARE(w->cmdProdUpd->isEnabled(), enabled);

    // Whatever the entries hold now, a restock of 5 goes at most to the product last shown.
    const QStringList pricesBefore = t.rowsOf(kPrices);
    QStringList stockExpected = t.rowsOf(kStock);
    type(w->dbcboProdCode, updated.isEmpty() ? QStringLiteral("T1") : updated);
    type(w->dbcboProdName, QStringLiteral("Something"));
    type(w->txtProdPrice, QStringLiteral("3"));
    type(w->txtVend, QStringLiteral("2"));
    type(w->txtQtyBought, QStringLiteral("5"));
    click(w->cmdProdUpd);
    QCOMPARE(t.ui.failures(), QString());
    if (updated.isEmpty()) {
        QCOMPARE(t.rowsOf(kPrices), pricesBefore);
        QCOMPARE(t.rowsOf(kStock), stockExpected);
        return;
    }
    const int row = updated == u"T1" ? 3 : 1;
    QCOMPARE(t.rowsOf(kPrices)[row], updated + QStringLiteral("|Something|3|2|") + w->txtCategory->text());
    const QStringList old = stockExpected[row].split(u'|');
    stockExpected[row] = QStringList{updated, "5", QString::number(old[2].toInt() + 5), "0"}.join(u'|');
    QCOMPARE(t.rowsOf(kStock), stockExpected);
}

// A code changed on the update screen is the code of both rows, so that a sale line of the
// product taken back by its new code finds the product's stock.
void TestCatalogue::updateProduct_changedCodeIsCarriedToTheStock()
{
    CatalogueFixture t;
    t.catalogue();
    t.addProduct(kTea);
    auto* w = t.open<ProductUpdateWindow>();
    showByCode(w, QStringLiteral("T1"));
    type(w->dbcboProdCode, QStringLiteral("T2"));
    type(w->txtQtyBought, QStringLiteral("2"));
    click(w->cmdProdUpd);
    t.expectBoxes({});
    QCOMPARE(t.rowsOf(kPrices).last(), QStringLiteral("T2|Tea|1.99|0.99|Beverage"));
    QCOMPARE(t.rowsOf(kStock).last(), QStringLiteral("T2|2|10|0"));

    Till till(t);
    till.ringUp(QStringLiteral("T2"), QStringLiteral("3"));
    QCOMPARE(t.field(kStock, u"QuantityOnHand", 3), whole(7));
    t.ui.answerInput(QStringLiteral("T2"));
    till.window->txtProductCode->setFocus();
    QTest::keyClick(till.window->txtProductCode, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(t.field(kStock, u"QuantityOnHand", 3), whole(10));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
}

void TestCatalogue::updateProduct_pricesReadBackAsShown_data()
{
    QTest::addColumn<qint64>("units"); // the price stored, in ten-thousandths
    QTest::addColumn<QString>("shown");
    QTest::newRow("$1.99") << qint64(19900) << "$1.99";
    QTest::newRow("thousands") << qint64(12345000) << "$1,234.50";
    QTest::newRow("four decimals") << qint64(12345) << "$1.2345";
    QTest::newRow("the smallest amount") << qint64(1) << "$0.0001";
    QTest::newRow("below zero") << qint64(-15000) << "($1.50)";
}

// The prices SHOW PRODUCT puts into the boxes are stored back as the same amounts.
void TestCatalogue::updateProduct_pricesReadBackAsShown()
{
    QFETCH(qint64, units);
    QFETCH(QString, shown);
    CatalogueFixture t;
    const Value price(Currency::fromUnits(units));
    t.addRow(kPrices, {{u"Code", QStringLiteral("P1")}, {u"ProductName", QStringLiteral("Odd")}, {u"ProductPrice", price},
                          {u"VPrice", price}, {u"ProdCathegory", QStringLiteral("Grocery")}});
    t.addRow(kStock, {{u"Code", QStringLiteral("P1")}});
    auto* w = t.open<ProductUpdateWindow>();
    showByCode(w, QStringLiteral("P1"));
    QCOMPARE(w->txtProdPrice->text(), shown);
    QCOMPARE(w->txtVend->text(), shown);
    type(w->txtQtyBought, QStringLiteral("1"));
    click(w->cmdProdUpd);
    t.expectBoxes({});
    QCOMPARE(t.field(kPrices, u"ProductPrice"), price);
    QCOMPARE(t.field(kPrices, u"VPrice"), price);
    QCOMPARE(t.field(kStock, u"QuantityOnHand"), whole(1));
}

void TestCatalogue::deleteThisProduct_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer"); // -1: no question asked; else the answer, a ui::Button
    QTest::addColumn<QString>("remaining");

    const int yes = int(ui::Button::Yes);
    QTest::newRow("by name: the first of two") << "" << "Milk" << yes << "B12,M2";
    QTest::newRow("by code") << "M2" << "" << yes << "ABC,B12";
    QTest::newRow("a code and a name of two: the first in order") << "M2" << "Bread" << yes << "ABC,M2";
    QTest::newRow("answered No") << "M2" << "" << int(ui::Button::No) << "ABC,B12,M2";
    QTest::newRow("not found") << "ZZ" << "Tea" << -1 << "ABC,B12,M2";
}

void TestCatalogue::deleteThisProduct()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(QString, remaining);
    CatalogueFixture t;
    t.catalogue();
    const QStringList stockBefore = t.rowsOf(kStock);
    auto* w = t.open<ProductUpdateWindow>();
    type(w->txtCategory, QStringLiteral("Dairy"));
    type(w->dbcboProdCode, code);
    type(w->dbcboProdName, name);
    if (answer >= 0)
        t.ui.answerMessage(ui::Button(answer));
    click(w->cmdDelProd);

    t.expectBoxes({answer >= 0 ? kConfirmDelete : kDeleteNotFound});
    QStringList codes;
    for (const QString& row : t.rowsOf(kPrices))
        codes << row.section(u'|', 0, 0);
    QCOMPARE(codes.join(u','), remaining);
    QStringList stockKept;
    for (const QString& row : stockBefore) {
        if (codes.contains(row.section(u'|', 0, 0)))
            stockKept << row;
    }
    QCOMPARE(t.rowsOf(kStock), stockKept);
    const bool deleted = answer == int(ui::Button::Yes);
    QCOMPARE(shownOn(w).mid(0, 3), (deleted ? QStringList{"", "", ""} : QStringList{code, name, "Dairy"}));
    QVERIFY(!w->cmdProdUpd->isEnabled());
}
