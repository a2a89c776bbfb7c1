#include "ui_test.h"

#include "ui/captions.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

void UiTest::captions_readableCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("readable");
    QTest::newRow("access key") << "&Quantity" << "Quantity";
    QTest::newRow("access key inside") << "E&xit" << "Exit";
    QTest::newRow("doubled ampersand") << "Fish && Chips" << "Fish & Chips";
    QTest::newRow("plain") << "Code:" << "Code:";
    QTest::newRow("blanks around") << "  &Total " << "Total";
}

void UiTest::captions_readableCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, readable);
    QCOMPARE(ui::readableCaption(caption), readable);
}

void UiTest::captions_controlsAreNamedFromTheirCaptions()
{
    QWidget window;
    auto* codeLabel = new QLabel(QStringLiteral("&Code:"), &window);
    auto* code = new QLineEdit(&window);
    ui::setCaption(codeLabel, code);
    QCOMPARE(code->accessibleName(), QStringLiteral("Code:"));
    QCOMPARE(codeLabel->buddy(), code);

    auto* quantityLabel = new QLabel(QStringLiteral("&Quantity"), &window);
    auto* quantity = new QLineEdit(&window);
    quantityLabel->setBuddy(quantity);
    auto* named = new QLineEdit(&window);
    (new QLabel(QStringLiteral("&Price"), &window))->setBuddy(named);
    named->setAccessibleName(QStringLiteral("Unit price"));
    auto* accept = new QPushButton(QStringLiteral("&Accept"), &window);
    auto* tax = new QCheckBox(QStringLiteral("&Tax && fees"), &window);
    auto* unlabelled = new QLineEdit(&window);

    ui::nameControls(&window);
    QCOMPARE(quantity->accessibleName(), QStringLiteral("Quantity"));
    QCOMPARE(named->accessibleName(), QStringLiteral("Unit price"));
    QCOMPARE(accept->accessibleName(), QStringLiteral("Accept"));
    QCOMPARE(tax->accessibleName(), QStringLiteral("Tax & fees"));
    QCOMPARE(unlabelled->accessibleName(), QString());
}
