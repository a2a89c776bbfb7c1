#include "catalogue_test.h"

using namespace cataloguetest;

// ---------------------------------------------------------------------------------------------
// The tax rate

void TestCatalogue::taxRate_data()
{
    QTest::addColumn<bool>("taxRow");        // tblTax starts with its row (at 5 %), or empty
    QTest::addColumn<QStringList>("answers"); // one change of the rate for each
    QTest::addColumn<QList<double>>("rates"); // what tblTax holds after

    QTest::newRow("6") << true << QStringList{"6"} << QList<double>{0.06};
    QTest::newRow("0") << true << QStringList{"0"} << QList<double>{0.0};
    QTest::newRow("7.5") << true << QStringList{"7.5"} << QList<double>{0.075};
    QTest::newRow("30") << true << QStringList{"30"} << QList<double>{0.3};
    QTest::newRow("0.7, exactly") << true << QStringList{"0.7"} << QList<double>{0.007};
    QTest::newRow("cancel") << true << QStringList{""} << QList<double>{0.05};
    QTest::newRow("abc") << true << QStringList{"abc"} << QList<double>{0.05};
    QTest::newRow("a percent sign") << true << QStringList{"6%"} << QList<double>{0.05};
    QTest::newRow("an empty tblTax gains its row, which the next change edits") << false << QStringList{"6", "8"} << QList<double>{0.08};
    QTest::newRow("an empty tblTax stays empty on cancel") << false << QStringList{""} << QList<double>{};
}

// CHANGE TAX RATE asks for the rate in percent and stores it as a fraction in the one row of
// tblTax; an answer that is no number changes nothing, without a word.
void TestCatalogue::taxRate()
{
    QFETCH(bool, taxRow);
    QFETCH(QStringList, answers);
    QFETCH(QList<double>, rates);
    CatalogueFixture t;
    t.emptyTable(kTax);
    if (taxRow)
        t.addRow(kTax, {{u"Tax", Value(0.05)}});
    auto* w = t.open<ProductUpdateWindow>();
    for (const QString& answer : answers) {
        t.ui.answerInput(answer);
        click(w->Command1);
    }

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(int(t.ui.boxes().size()), int(answers.size()));
    for (const ShownBox& box : t.ui.boxes()) {
        QCOMPARE(box.kind, ShownBox::Kind::Input);
        QCOMPARE(box.text, QStringLiteral("Please enter the new tax rate. '30' for 30%, '6' for 6%:"));
        QCOMPARE(box.title, QStringLiteral(" Tax Rate:"));
        QCOMPARE(box.defaultText, QStringLiteral("0"));
    }
    QList<double> stored;
    for (RecordSource tax(*t.store, QStringLiteral("check"), kTax); !tax.atEnd(); tax.moveNext())
        stored << tax.field(u"Tax").toNumber();
    QCOMPARE(stored, rates);
}
