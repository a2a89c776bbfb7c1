#include "register_test.h"

#include "support/read_aloud.h"

using namespace registertest;

// ---------------------------------------------------------------------------------------------
// The value labels as a screen reader reads them

namespace {

// Where the cashier has got to when the labels are read.
enum class Step { Opened, LineRungUp, LineCancelled, SaleCompleted, NewSale, ReferenceShown };

// Every label of the till that shows a value, with the caption it is read by.
const std::pair<const char*, QString> kValueLabels[] = {
    {"lblSubtotal", QStringLiteral("Subtotal")},
    {"lblTax", QStringLiteral("Tax:")},
    {"lblTotal", QStringLiteral("Total:")},
    {"lblAmount", QStringLiteral("Amt. Tend:")},
    {"lblChange", QStringLiteral("Change:")},
    {"lblProductDescription", QStringLiteral("Last action")},
    {"lblQty", QStringLiteral("Quantity:")},
};

using Shown = QList<std::pair<QString, QString>>; // label, the text it shows

} // namespace

Q_DECLARE_METATYPE(Step)

void TestRegister::valueLabels_readAsCaptionThenTheShownText_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<Shown>("shown");
    QTest::newRow("opened") << Step::Opened << Shown{{"lblSubtotal", " $0.00"}, {"lblProductDescription", ""}};
    QTest::newRow("a line rung up") << Step::LineRungUp << Shown{{"lblSubtotal", " $4.25"}, {"lblProductDescription", "  B12 Bread 1 X $1.25"}};
    QTest::newRow("a line cancelled") << Step::LineCancelled << Shown{{"lblSubtotal", "$1.25"}, {"lblProductDescription", "-  ABC Milk 2 X $3.00"}};
    QTest::newRow("a sale completed") << Step::SaleCompleted
                                      << Shown{{"lblTax", " $0.26"}, {"lblTotal", " $4.51"}, {"lblAmount", " $5.00"},
                                             {"lblChange", " $0.50"}, {"lblProductDescription", " 3 items sold"}};
    QTest::newRow("a new sale") << Step::NewSale << Shown{{"lblChange", "  $0.00"}, {"lblProductDescription", ""}};
    QTest::newRow("a product shown") << Step::ReferenceShown << Shown{{"lblQty", "10"}};
}

// Each label that shows a value is read as its caption, then exactly the text on the screen.
void TestRegister::valueLabels_readAsCaptionThenTheShownText()
{
    QFETCH(Step, step);
    QFETCH(Shown, shown);
    RegisterFixture t;
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    CashRegisterWindow* w = nullptr;
    switch (step) {
    case Step::Opened:
        t.catalogue();
        w = t.openActive();
        break;
    case Step::LineRungUp:
        w = saleOfMilkAndBread(t);
        break;
    case Step::LineCancelled:
        w = saleOfMilkAndBread(t);
        t.ui.answerInput(QStringLiteral("ABC"));
        pressCancel(w, QStringLiteral("code"));
        break;
    case Step::SaleCompleted:
    case Step::NewSale:
        w = saleOfMilkAndBread(t);
        t.ui.answerInput(QStringLiteral("500"));
        pressEnd(w);
        if (step == Step::NewSale)
            QTest::mouseClick(w->cmdNewSale, Qt::LeftButton);
        break;
    case Step::ReferenceShown:
        t.catalogue();
        w = t.openActive();
        QTest::keyClicks(w->dbcboProdCode, "abc");
        QTest::mouseClick(w->cmdMostrar, Qt::LeftButton);
        break;
    }
    QCOMPARE(t.ui.failures(), QString());
    for (const auto& [name, text] : shown)
        QCOMPARE(w->findChild<QLabel*>(name)->text(), text);

    for (const auto& [name, caption] : kValueLabels) {
        auto* label = w->findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label, name);
        QCOMPARE(testing::readAloud(label), std::pair(caption, label->text()));
    }
}
