#include "catalogue_test.h"

using namespace cataloguetest;

// ---------------------------------------------------------------------------------------------
// A product's life across the areas

namespace {

// The stock row of the one product: bought, on hand, sold.
QStringList stockOf(const CatalogueFixture& t)
{
    return {t.field(kStock, u"QuantityBought").display(), t.field(kStock, u"QuantityOnHand").display(),
        t.field(kStock, u"QuantitySold").display()};
}

} // namespace

// A product added on the product window, with the tax rate set on the update window, is sold at
// the cash register and then restocked: the stock is right at every step, and each window sees
// what the others wrote.
void TestCatalogue::productAddedSoldAndRestocked()
{
    CatalogueFixture t;
    t.windows.show(QStringLiteral("frmMain"));
    auto* menu = t.open<ProductsMenuWindow>();

    // Added: 10 bought, 10 on hand, none sold.
    click(menu->cmdupdateProd);
    auto* products = t.active<ProductSupplierWindow>(QStringLiteral("frmUpdate"));
    QVERIFY(products);
    addNewProduct(products, "J1", "Juice", "250", "120", "10", "Beverage");
    t.expectBoxes({});
    QCOMPARE(stockOf(t), (QStringList{"10", "10", "0"}));
    press(products, Qt::Key_F2);
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmUpdate")));

    // The tax rate: 6 %.
    click(menu->cmdUpdateCancel);
    auto* update = t.active<ProductUpdateWindow>(QStringLiteral("frmProdutosCancelados"));
    QVERIFY(update);
    t.ui.answerInput(QStringLiteral("6"));
    click(update->Command1);
    press(update, Qt::Key_F2);
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmProdutosCancelados")));
    click(menu->cmdExit);
    QVERIFY(t.shown(QStringLiteral("frmMain")));

    // Sold: 3 at 2.50 is 7.50, and 6 % of it is 0.45.
    {
        Till till(t);
        till.ringUp(QStringLiteral("J1"), QStringLiteral("3"));
        QCOMPARE(stockOf(t), (QStringList{"10", "7", "3"}));
        till.complete(t, QStringLiteral("1000"));
        QCOMPARE(till.window->lblTax->text(), QStringLiteral(" $0.45"));
        QCOMPARE(till.window->lblTotal->text(), QStringLiteral(" $7.95"));
        QCOMPARE(stockOf(t), (QStringList{"10", "7", "3"}));
        press(till.window, Qt::Key_F2);
        QVERIFY(!t.windows.isLoaded(QStringLiteral("frmCashRegister")));
    }
    // Only the two questions asked so far: the tax rate and the amount tendered.
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(int(t.ui.boxes().size()), 2);
    QCOMPARE(t.ui.boxes()[0].title, QStringLiteral(" Tax Rate:"));
    QCOMPARE(t.ui.boxes()[1].kind, ShownBox::Kind::Input);
    t.ui.clearBoxes();

    // Restocked with 12: the update window shows what the sale left, and the restock adds to it.
    menu = t.open<ProductsMenuWindow>();
    click(menu->cmdUpdateCancel);
    update = t.active<ProductUpdateWindow>(QStringLiteral("frmProdutosCancelados"));
    type(update->dbcboProdName, QStringLiteral("Juice"));
    click(update->cmdShowProd);
    QCOMPARE(update->dbcboProdCode->text(), QStringLiteral("J1"));
    QCOMPARE(update->lblQOnHand->text(), QStringLiteral("7"));
    QCOMPARE(update->lblQSold->text(), QStringLiteral("3"));
    QCOMPARE(update->txtProdPrice->text(), QStringLiteral("$2.50"));
    type(update->txtQtyBought, QStringLiteral("12"));
    click(update->cmdProdUpd);
    QCOMPARE(stockOf(t), (QStringList{"12", "19", "0"}));
    QCOMPARE(t.rowsOf(kPrices), QStringList{"J1|Juice|2.5|1.2|Beverage"});

    // The product window shows the restocked product.
    press(update, Qt::Key_F2);
    click(menu->cmdupdateProd);
    products = t.active<ProductSupplierWindow>(QStringLiteral("frmUpdate"));
    type(products->dbcboProdCode, QStringLiteral("J1"));
    click(products->cmdShowProd);
    QCOMPARE(products->lblQOnHand->text(), QStringLiteral("19"));
    QCOMPARE(products->lblQSold->text(), QStringLiteral("0"));
    QCOMPARE(products->txtQtyBought->text(), QStringLiteral("12"));
    QCOMPARE(products->txtProdPrice->text(), QStringLiteral("$2.50"));
    t.expectBoxes({});
}
