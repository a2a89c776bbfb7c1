#include "register_test.h"

using namespace registertest;

// ---------------------------------------------------------------------------------------------
// Cancelling

void TestRegister::cancel_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("boxTitle"); // the not-found box; empty: none
    QTest::newRow("by code") << "code" << "ABC" << true << "";
    QTest::newRow("by code, lower case") << "code" << "abc" << true << "";
    QTest::newRow("by name, any case") << "name" << "mIlK" << true << "";
    QTest::newRow("by code, the default blank") << "code" << " " << false << "No product found with this code ";
    QTest::newRow("by name, the default blank") << "name" << " " << false << "No product found ";
    QTest::newRow("by code, a name") << "code" << "Milk" << false << "No product found with this code ";
    QTest::newRow("by name, a code") << "name" << "ABC" << false << "No product found ";
    QTest::newRow("by code, answer cleared") << "code" << "" << false << "";
    QTest::newRow("by name, box cancelled") << "name" << "" << false << "";
}

void TestRegister::cancel()
{
    QFETCH(QString, by);
    QFETCH(QString, answer);
    QFETCH(bool, cancelled);
    QFETCH(QString, boxTitle);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    const QString before = t.snapshot();
    t.ui.answerInput(answer);

    pressCancel(w, by);

    QVERIFY(!t.ui.boxes().empty());
    const ShownBox& question = t.ui.boxes()[0];
    QCOMPARE(question.kind, ShownBox::Kind::Input);
    QCOMPARE(question.defaultText, QStringLiteral(" "));
    if (by == QStringLiteral("code")) {
        QCOMPARE(question.text, QStringLiteral("Please Enter Code of Product to be Canceled:"));
        QCOMPARE(question.title, QStringLiteral(" Enter Product Code"));
    } else {
        QCOMPARE(question.text, QStringLiteral("Please enter name of product to be candceled:"));
        QCOMPARE(question.title, QStringLiteral(" Enter Product Name"));
    }
    QCOMPARE(t.ui.failures(), QString());

    if (!cancelled) {
        QCOMPARE(int(t.ui.boxes().size()), boxTitle.isEmpty() ? 1 : 2);
        if (!boxTitle.isEmpty()) {
            QCOMPARE(t.ui.boxes()[1].text, QStringLiteral("No product to be canceled"));
            QCOMPARE(t.ui.boxes()[1].title, boxTitle);
            QCOMPARE(t.ui.boxes()[1].icon, ui::Icon::None);
        }
        QCOMPARE(t.snapshot(), before);
        QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
        QCOMPARE(w->sale().itemCount, std::int16_t(3));
        return;
    }
    QCOMPARE(int(t.ui.boxes().size()), 1);
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code"), Value(QStringLiteral("B12")));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantitySold"), whole(2)); // kept
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(1));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 1);
    QCOMPARE(t.field(QStringLiteral("daillySale"), u"Codigo"), Value(QStringLiteral("B12")));
    QCOMPARE(t.field(QStringLiteral("tblCathegory"), u"Dairy"), whole(2)); // kept
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("$1.25"));
    QCOMPARE(w->sale().subtotal, Currency::fromCents(125));
    QCOMPARE(w->sale().itemCount, std::int16_t(1));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("-  ABC Milk 2 X $3.00"));
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.00"));
}

void TestRegister::cancel_emptySale_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("title");
    QTest::newRow("by code") << "code" << "No product found with this code ";
    QTest::newRow("by name") << "name" << "Not product found with this name ";
}

void TestRegister::cancel_emptySale()
{
    QFETCH(QString, by);
    QFETCH(QString, title);
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.openActive();
    t.ui.answerInput(QStringLiteral("ABC"));
    pressCancel(w, by);
    QCOMPARE(t.ui.texts(), (QStringList{t.ui.boxes()[0].text, QStringLiteral("No product to be canceled")}));
    QCOMPARE(t.ui.boxes()[1].title, title);
    QCOMPARE(t.ui.boxes()[1].icon, ui::Icon::None);
}

void TestRegister::cancel_missingSoldLine_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("itemCountAfter");
    QTest::newRow("by code: the count goes down all the same") << "code" << "abc" << -2;
    QTest::newRow("by name: the count stays") << "name" << "milk" << 0;
}

// A line whose sold line is not there (its quantity differs): the stock comes back and the line
// goes, the day's count and the sold lines stay.
void TestRegister::cancel_missingSoldLine()
{
    QFETCH(QString, by);
    QFETCH(QString, answer);
    QFETCH(int, itemCountAfter);
    RegisterFixture t;
    t.catalogue();
    CashRegisterWindow* w = t.openActive();
    t.addRow(QStringLiteral("tblReceipt"), {{u"Code", QStringLiteral("ABC")}, {u"ProdName", QStringLiteral("Milk")}, {u"pQty", whole(2)}, {u"ProdPrice", money(300)}});
    t.addRow(QStringLiteral("daillySale"), {{u"Codigo", QStringLiteral("ABC")}, {u"Nome_Produto", QStringLiteral("Milk")}, {u"Quantidade", whole(1)}, {u"Preco", money(150)}});
    t.setField(QStringLiteral("tblDailySale"), u"totalItems", whole(7));
    t.ui.answerInput(answer);
    pressCancel(w, by);

    QCOMPARE(t.ui.boxes().size(), std::size_t(1));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(12));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(7));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 1);
    QCOMPARE(w->sale().itemCount, std::int16_t(itemCountAfter));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("-$3.00"));
}

void TestRegister::cancel_stockRowWithAnOldCode_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<QString>("answer");
    QTest::newRow("by code") << "code" << "abc";
    QTest::newRow("by name") << "name" << "Milk";
}

// The product's code was changed after it was added: its stock row keeps the old code, the
// cancel finds no stock row and leaves the line in the sale, without a word.
void TestRegister::cancel_stockRowWithAnOldCode()
{
    QFETCH(QString, by);
    QFETCH(QString, answer);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    t.setField(QStringLiteral("tblProductQuantity"), u"Code", QStringLiteral("OLD"));
    w->DataPQty->refresh();
    const QString before = t.snapshot();
    t.ui.answerInput(answer);
    pressCancel(w, by);
    QCOMPARE(t.ui.boxes().size(), std::size_t(1));
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
}

void TestRegister::cancel_twoLinesOfOneProduct()
{
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("1"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 3);

    t.ui.answerInput(QStringLiteral("ABC"));
    pressCancel(w, QStringLiteral("code"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 2);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code", 1), Value(QStringLiteral("ABC")));
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"pQty", 1), whole(1));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("-  ABC Milk 2 X $3.00"));

    t.ui.answerInput(QStringLiteral("milk"));
    pressCancel(w, QStringLiteral("name"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"Code"), Value(QStringLiteral("B12")));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(1));
    QCOMPARE(t.rows(QStringLiteral("daillySale")), 1);
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("$1.25"));
    QCOMPARE(w->sale().itemCount, std::int16_t(1));
    QCOMPARE(t.ui.failures(), QString());
}

void TestRegister::cancel_isOneUnitOfWork_data()
{
    QTest::addColumn<QString>("by");
    QTest::addColumn<int>("failAt"); // 0: none fails
    QTest::addColumn<bool>("fullStock");
    QTest::newRow("by code, fails on the day's count") << "code" << 1 << false;
    QTest::newRow("by code, fails on the sold line") << "code" << 2 << false;
    QTest::newRow("by code, fails on the stock") << "code" << 3 << false;
    QTest::newRow("by name, fails on the stock") << "name" << 3 << false;
    QTest::newRow("by code, fails on the receipt line") << "code" << 4 << false;
    QTest::newRow("by name, stock would pass 32767") << "name" << 0 << true;
}

void TestRegister::cancel_isOneUnitOfWork()
{
    QFETCH(QString, by);
    QFETCH(int, failAt);
    QFETCH(bool, fullStock);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    if (fullStock)
        t.setField(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", whole(32767));
    const QString before = t.snapshot();
    QStringList written;
    t.store->setWriteHook([&](const QString& name) {
        written << name;
        if (written.size() == failAt)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"), true);
    });
    t.ui.answerInput(by == QStringLiteral("code") ? QStringLiteral("ABC") : QStringLiteral("Milk"));
    pressCancel(w, by);
    t.store->setWriteHook(nullptr);

    // The question, then what failed, when something did.
    QCOMPARE(t.ui.boxes().size(), std::size_t(failAt == 0 ? 1 : 2));
    if (failAt != 0) {
        QCOMPARE(t.ui.boxes()[1].text, QStringLiteral("The line could not be taken back, so the sale stays as it was. disk full"));
        QCOMPARE(t.ui.boxes()[1].shownTitle, QStringLiteral("Product Not Canceled"));
        QCOMPARE(t.ui.boxes()[1].icon, ui::Icon::Warning);
    }
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
    QCOMPARE(w->sale().itemCount, std::int16_t(3));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral("  B12 Bread 1 X $1.25"));

    // With the store writing again, the cancel goes through from what is stored.
    if (fullStock)
        t.setField(QStringLiteral("tblProductQuantity"), u"QuantityOnHand", whole(8));
    written.clear();
    t.store->setWriteHook([&](const QString& name) { written << name; });
    t.ui.answerInput(QStringLiteral("abc"));
    pressCancel(w, QStringLiteral("code"));
    t.store->setWriteHook(nullptr);
    QCOMPARE(written, (QStringList{QStringLiteral("tblDailySale"), QStringLiteral("daillySale"), QStringLiteral("tblProductQuantity"),
                          QStringLiteral("tblReceipt")}));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(10));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems"), whole(1));
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral("$1.25"));
}
