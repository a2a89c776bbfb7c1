#include "ui_test.h"

#include "store/error.h"
#include "store/record_source.h"
#include "support/read_aloud.h"
#include "support/test_context.h"
#include "ui/bound_date_picker.h"
#include "ui/bound_label.h"
#include "ui/bound_list.h"

#include <QLineEdit>
#include <QTest>

namespace {

// A fresh store whose price list holds Milk, Apple and Bread, in that order, and a record
// source over it for the controls to be bound to.
struct PriceList {
    PriceList()
    {
        for (const char* name : {"Milk", "Apple", "Bread"})
            add(QString::fromLatin1(name));
        products.refresh();
    }

    // Adds a product through a record source of its own, as another window would.
    void add(const QString& name)
    {
        store::RecordSource writer(*context.store, QStringLiteral("writer"), QStringLiteral("tblProductPrice"));
        writer.addNew();
        writer.setField(u"Code", name.toUpper());
        writer.setField(u"ProductName", name);
        writer.update();
    }

    void rename(int row, const QString& name)
    {
        store::RecordSource writer(*context.store, QStringLiteral("writer"), QStringLiteral("tblProductPrice"));
        for (int i = 0; i < row; ++i)
            writer.moveNext();
        writer.edit();
        writer.setField(u"ProductName", name);
        writer.update();
    }

    QStringList listed(const QComboBox& list) const
    {
        QStringList items;
        for (int i = 0; i < list.count(); ++i)
            items.append(list.itemText(i));
        return items;
    }

    testing::TestContext context;
    store::RecordSource products{*context.store, QStringLiteral("products"), QStringLiteral("tblProductPrice")};
};

} // namespace

void UiTest::boundLabel_followsTheCurrentRow()
{
    PriceList fixture;
    ui::BoundLabel label(fixture.products, QStringLiteral("productname"));
    QCOMPARE(label.text(), QStringLiteral("Milk"));

    fixture.products.moveNext();
    QCOMPARE(label.text(), QStringLiteral("Apple"));
    fixture.products.moveNext();
    fixture.products.moveNext();
    QVERIFY(fixture.products.atEnd());
    QCOMPARE(label.text(), QString());

    // A change made elsewhere shows once the source is refreshed.
    fixture.rename(0, QStringLiteral("Skim milk"));
    QCOMPARE(label.text(), QString());
    fixture.products.refresh();
    QCOMPARE(label.text(), QStringLiteral("Skim milk"));

    // And a change made through the source shows once it is written.
    fixture.products.edit();
    fixture.products.setField(u"ProductName", QStringLiteral("Whole milk"));
    fixture.products.update();
    QCOMPARE(label.text(), QStringLiteral("Whole milk"));
}

// A bound label is a value label: it reads as its caption, then the field it shows.
void UiTest::boundLabel_readsAsItsCaptionThenTheField()
{
    PriceList fixture;
    ui::BoundLabel label(fixture.products, QStringLiteral("ProductName"));
    label.setAccessibleName(QStringLiteral("Product"));
    QCOMPARE(testing::readAloud(&label), std::pair(QStringLiteral("Product"), QStringLiteral("Milk")));
    fixture.products.moveNext();
    QCOMPARE(testing::readAloud(&label), std::pair(QStringLiteral("Product"), QStringLiteral("Apple")));
    fixture.products.moveNext();
    fixture.products.moveNext();
    QVERIFY(fixture.products.atEnd());
    QCOMPARE(testing::readAloud(&label), std::pair(QStringLiteral("Product"), QString()));
}

void UiTest::boundLabel_unknownFieldIsRefused()
{
    PriceList fixture;
    try {
        ui::BoundLabel label(fixture.products, QStringLiteral("Colour"));
        QFAIL("a label bound to a field the table lacks was made");
    } catch (const store::Error& error) {
        QCOMPARE(error.kind(), store::ErrorKind::NoSuchField);
    }
}

void UiTest::boundList_listsTheFieldInRowOrderWithoutMovingTheCursor()
{
    PriceList fixture;
    fixture.products.moveNext();
    int moves = 0;
    QObject::connect(&fixture.products, &store::RecordSource::currentChanged, [&] { ++moves; });

    ui::BoundList list(fixture.products, QStringLiteral("ProductName"));
    QCOMPARE(fixture.listed(list), (QStringList{"Milk", "Apple", "Bread"}));
    QCOMPARE(list.text(), QString());
    QCOMPARE(fixture.products.field(u"ProductName").toText(), QStringLiteral("Apple"));
    QCOMPARE(moves, 0);
}

void UiTest::boundList_rebuiltOnRefreshKeepingTypedText()
{
    PriceList fixture;
    ui::BoundList list(fixture.products, QStringLiteral("ProductName"));
    list.show();
    list.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTest::keyClicks(list.lineEdit(), "Ban");

    fixture.add(QStringLiteral("Banana"));
    QCOMPARE(list.count(), 3);
    fixture.products.refresh();
    QCOMPARE(fixture.listed(list), (QStringList{"Milk", "Apple", "Bread", "Banana"}));
    QCOMPARE(list.text(), QStringLiteral("Ban"));

    // Typed text reads like a text box: nothing completes it, Return does not add it to the list.
    QTest::keyClicks(list.lineEdit(), "a");
    QTest::keyClick(list.lineEdit(), Qt::Key_Return);
    QCOMPARE(list.text(), QStringLiteral("Bana"));
    QCOMPARE(list.count(), 4);

    // Picking an entry puts its text in the box.
    list.setCurrentIndex(1);
    QCOMPARE(list.text(), QStringLiteral("Apple"));
}

void UiTest::boundDatePicker_showsTheCurrentRowsDate()
{
    testing::TestContext context;
    {
        store::RecordSource writer(*context.store, QStringLiteral("writer"), QStringLiteral("tblDailySale"));
        writer.addNew();
        writer.setField(u"tDate", QDate(2026, 12, 11));
        writer.update();
    }
    // A first start leaves one day in the store: today's.
    store::RecordSource days(*context.store, QStringLiteral("days"), QStringLiteral("tblDailySale"));
    ui::BoundDatePicker picker(days, QStringLiteral("tDate"));
    QCOMPARE(picker.date(), QDate(2026, 12, 10));

    days.moveNext();
    QCOMPARE(picker.date(), QDate(2026, 12, 11));
    days.moveNext();
    QCOMPARE(picker.date(), QDate(2026, 12, 11));
}
