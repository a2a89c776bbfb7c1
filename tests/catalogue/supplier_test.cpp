#include "catalogue_test.h"

using namespace cataloguetest;

// ---------------------------------------------------------------------------------------------
// The product and supplier window: suppliers

namespace {

const Box kDuplicate{QStringLiteral("Supplier with this code is already in the database.  Please try another code."), QStringLiteral("Try another code")};
const Box kNotAdded{QStringLiteral("Error in trying to add this supplier to the database."), QStringLiteral("Supplier was not added")};
const Box kCodeOrName{QStringLiteral("Please select name of code of supplier to be shown."), QStringLiteral("Select code or name")};
const Box kNotFound{QStringLiteral("Supplier was not found."), QStringLiteral("Supplier not found")};
const Box kIncomplete{QStringLiteral("Please enter complete supplier information before trying to add it to the database."),
    QStringLiteral("Information incomplete")};
const Box kDeleteNotFound{QStringLiteral("Supplier was not found"), QStringLiteral("Supplier was not found")};
const Box kNotDeleted{QStringLiteral("Error in trying to delete this supplier."), QStringLiteral("Supplier was not deleted")};
const Box kConfirmDelete{QStringLiteral("Are you sure you want to delete this supplier from the database"), QStringLiteral("Point of Sale"),
    ui::Icon::None, ui::Buttons::YesNo};

// The four supplier entries: code, name, phone, address.
QStringList entries(ProductSupplierWindow* w)
{
    return {w->dbcboSupCode->text(), w->dbcboSupName->text(), w->txtSupPhone->text(), w->txtSupAddr->text()};
}

void fill(ProductSupplierWindow* w, const QStringList& entries)
{
    type(w->dbcboSupCode, entries.value(0));
    type(w->dbcboSupName, entries.value(1));
    type(w->txtSupPhone, entries.value(2));
    type(w->txtSupAddr, entries.value(3));
}

// Shows a supplier by its code.
void show(ProductSupplierWindow* w, const QString& code)
{
    fill(w, {code});
    click(w->cmdShowSup);
}

const QStringList kSuppliersRows{"S1|Acme|555-0101|1 Main St", "S2|Bolt|555-0202|2 Side St", "S3|Acme|555-0303|3 Far Rd"};

} // namespace

void TestCatalogue::newSupplier_data()
{
    QTest::addColumn<bool>("suppliers"); // the three suppliers first, or none
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("boxText"); // empty: no box
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("added");   // empty: nothing written

    QTest::newRow("the first supplier") << false << QStringList{"S9", "Zeta", "555-0909", "9 End Rd"} << "" << ""
                                        << "S9|Zeta|555-0909|9 End Rd";
    QTest::newRow("after the others") << true << QStringList{"S9", "Zeta", "555-0909", "9 End Rd"} << "" << ""
                                      << "S9|Zeta|555-0909|9 End Rd";
    QTest::newRow("a duplicate code") << true << QStringList{"S2", "Zeta", "555-0909", "9 End Rd"} << kDuplicate.text << kDuplicate.title << "";
    QTest::newRow("a code differing only in case") << true << QStringList{"s2", "Zeta", "555-0909", "9 End Rd"} << "" << ""
                                                   << "s2|Zeta|555-0909|9 End Rd";
    QTest::newRow("a name another supplier has") << true << QStringList{"S4", "Bolt", "", ""} << "" << "" << "S4|Bolt||";
    QTest::newRow("empty entries") << true << QStringList{"", "", "", ""} << "" << "" << "|||";
}

void TestCatalogue::newSupplier()
{
    QFETCH(bool, suppliers);
    QFETCH(QStringList, typed);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(QString, added);
    CatalogueFixture t;
    if (suppliers)
        t.suppliers();
    const QStringList before = t.rowsOf(kSuppliers);
    auto* w = t.open<ProductSupplierWindow>();
    fill(w, typed);
    click(w->cmdAddNewSup);

    if (added.isEmpty()) {
        t.expectBoxes({{boxText, boxTitle}});
        QCOMPARE(t.rowsOf(kSuppliers), before);
        QCOMPARE(entries(w), typed);
        return;
    }
    t.expectBoxes({});
    QCOMPARE(t.rowsOf(kSuppliers), before + QStringList{added});
    QCOMPARE(entries(w), (QStringList{"", "", "", ""}));
    QCOMPARE(QApplication::focusWidget(), w->dbcboSupCode);
    QCOMPARE(w->dbcboSupCode->itemText(w->dbcboSupCode->count() - 1), typed[0]);
    QVERIFY(!w->cmdSupUpd->isEnabled());
}

void TestCatalogue::showSupplier_data()
{
    QTest::addColumn<bool>("suppliers");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("boxText"); // empty: no box
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QStringList>("shown"); // the four entries after
    QTest::addColumn<bool>("updateEnabled");

    QTest::newRow("by code") << true << "S2" << "" << "" << "" << QStringList{"S2", "Bolt", "555-0202", "2 Side St"} << true;
    QTest::newRow("by a name two suppliers have: the first") << true << "" << "Acme" << "" << ""
                                                             << QStringList{"S1", "Acme", "555-0101", "1 Main St"} << true;
    QTest::newRow("by code, the second Acme") << true << "S3" << "" << "" << "" << QStringList{"S3", "Acme", "555-0303", "3 Far Rd"} << true;
    QTest::newRow("both boxes") << true << "S2" << "Bolt" << kCodeOrName.text << kCodeOrName.title << QStringList{"S2", "Bolt", "", ""} << false;
    QTest::newRow("neither box") << true << "" << "" << kCodeOrName.text << kCodeOrName.title << QStringList{"", "", "", ""} << false;
    QTest::newRow("a code not there") << true << "S9" << "" << kNotFound.text << kNotFound.title << QStringList{"S9", "", "", ""} << false;
    QTest::newRow("a name in another case") << true << "" << "acme" << kNotFound.text << kNotFound.title
                                            << QStringList{"", "acme", "", ""} << false;
    QTest::newRow("no suppliers: nothing happens") << false << "S1" << "" << "" << "" << QStringList{"S1", "", "", ""} << false;
}

void TestCatalogue::showSupplier()
{
    QFETCH(bool, suppliers);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    QFETCH(QStringList, shown);
    QFETCH(bool, updateEnabled);
    CatalogueFixture t;
    if (suppliers)
        t.suppliers();
    auto* w = t.open<ProductSupplierWindow>();
    fill(w, {code, name});
    click(w->cmdShowSup);
    t.expectBoxes(boxText.isEmpty() ? QList<Box>{} : QList<Box>{{boxText, boxTitle}});
    QCOMPARE(entries(w), shown);
    QCOMPARE(w->cmdSupUpd->isEnabled(), updateEnabled);
    QCOMPARE(t.rowsOf(kSuppliers), suppliers ? kSuppliersRows : QStringList{});
}

void TestCatalogue::updateSupplier_data()
{
    QTest::addColumn<QStringList>("typed"); // the four entries typed over the shown supplier
    QTest::addColumn<bool>("written");

    QTest::newRow("every entry changed") << QStringList{"S7", "Bolt & Co", "555-0777", "7 New St"} << true;
    QTest::newRow("a code another supplier has") << QStringList{"S1", "Bolt", "555-0202", "2 Side St"} << true;
    QTest::newRow("the code emptied") << QStringList{"", "Bolt", "555-0202", "2 Side St"} << false;
    QTest::newRow("the name emptied") << QStringList{"S2", "", "555-0202", "2 Side St"} << false;
    QTest::newRow("the phone emptied") << QStringList{"S2", "Bolt", "", "2 Side St"} << false;
    QTest::newRow("the address emptied") << QStringList{"S2", "Bolt", "555-0202", ""} << false;
}

// Update Supplier writes the entries into the supplier shown, and only when all four are filled.
void TestCatalogue::updateSupplier()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, written);
    CatalogueFixture t;
    t.suppliers();
    auto* w = t.open<ProductSupplierWindow>();
    show(w, QStringLiteral("S2"));
    QVERIFY(w->cmdSupUpd->isEnabled());
    fill(w, typed);
    click(w->cmdSupUpd);

    QStringList expected = kSuppliersRows;
    if (written) {
        expected[1] = typed.join(u'|');
        t.expectBoxes({});
        QCOMPARE(entries(w), (QStringList{"", "", "", ""}));
        QVERIFY(!w->cmdSupUpd->isEnabled());
        QCOMPARE(w->dbcboSupCode->itemText(1), typed[0]);
    } else {
        t.expectBoxes({kIncomplete});
        QCOMPARE(entries(w), typed);
        QVERIFY(w->cmdSupUpd->isEnabled());
    }
    QCOMPARE(t.rowsOf(kSuppliers), expected);
}

void TestCatalogue::updateSupplier_onlyTheSupplierLastShown_data()
{
    QTest::addColumn<QString>("then");    // what is done after Bolt (S2) is shown
    QTest::addColumn<bool>("enabled");    // Update Supplier after it
    QTest::addColumn<QStringList>("rows"); // the table after it and a click on Update Supplier

    const QString updatedBolt = QStringLiteral("S2|Bolt|555-9999|2 Side St");
    QTest::newRow("nothing: Bolt is updated") << "" << true << QStringList{kSuppliersRows[0], updatedBolt, kSuppliersRows[2]};
    QTest::newRow("a Show with both boxes: still Bolt") << "show both" << true
                                                        << QStringList{kSuppliersRows[0], updatedBolt, kSuppliersRows[2]};
    QTest::newRow("a Show that misses") << "show miss" << false << kSuppliersRows;
    // The miss stands on the last supplier, whose empty name equals the empty name box.
    QTest::newRow("a Show that misses, the last supplier without a name") << "show miss, nameless" << false
                                                                           << kSuppliersRows + QStringList{"S8||555-0000|Nowhere"};
    QTest::newRow("Clear Supplier") << "clear" << false << kSuppliersRows;
    QTest::newRow("New Supplier") << "new" << false << kSuppliersRows + QStringList{"S9|Zeta|555-9999|2 Side St"};
    QTest::newRow("a New Supplier refused as a duplicate") << "new duplicate" << false << kSuppliersRows;
    QTest::newRow("Delete Supplier answered No") << "delete no" << false << kSuppliersRows;
    QTest::newRow("Delete Supplier of another") << "delete other" << false << QStringList{kSuppliersRows[0], kSuppliersRows[1]};
    QTest::newRow("Update Supplier") << "update" << false << QStringList{kSuppliersRows[0], updatedBolt, kSuppliersRows[2]};
}

// Update Supplier changes only the supplier last shown: whatever moves the record source from
// it disables the button until a Show finds a supplier again.
void TestCatalogue::updateSupplier_onlyTheSupplierLastShown()
{
    QFETCH(QString, then);
    QFETCH(bool, enabled);
    QFETCH(QStringList, rows);
    CatalogueFixture t;
    t.suppliers();
    if (then == u"show miss, nameless")
        t.addSupplier(QStringLiteral("S8"), QStringLiteral(""), QStringLiteral("555-0000"), QStringLiteral("Nowhere"));
    auto* w = t.open<ProductSupplierWindow>();
    show(w, QStringLiteral("S2"));
    type(w->txtSupPhone, QStringLiteral("555-9999"));
    if (then == u"show both") {
        click(w->cmdShowSup);
    } else if (then == u"show miss, nameless") {
        type(w->dbcboSupName, QString());
        show(w, QStringLiteral("S9"));
    } else if (then == u"show miss") {
        show(w, QStringLiteral("S9"));
    } else if (then == u"clear") {
        click(w->cmdClearSup);
    } else if (then == u"new" || then == u"new duplicate") {
        type(w->dbcboSupCode, then == u"new" ? QStringLiteral("S9") : QStringLiteral("S3"));
        type(w->dbcboSupName, QStringLiteral("Zeta"));
        click(w->cmdAddNewSup);
    } else if (then == u"delete no" || then == u"delete other") {
        fill(w, {"S3"});
        t.ui.answerMessage(then == u"delete no" ? ui::Button::No : ui::Button::Yes);
        click(w->cmdDelSup);
    } else if (then == u"update") {
        click(w->cmdSupUpd);
    }
    QCOMPARE(w->cmdSupUpd->isEnabled(), enabled);

    // Whatever the entries hold now, a click on Update Supplier writes at most into Bolt.
    fill(w, {"S2", "Bolt", "555-9999", "2 Side St"});
    click(w->cmdSupUpd);
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.rowsOf(kSuppliers), rows);
}

void TestCatalogue::deleteSupplier_data()
{
    QTest::addColumn<bool>("suppliers");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer"); // -1: no question asked; else the answer, a ui::Button
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("remaining");

    const int yes = int(ui::Button::Yes);
    QTest::newRow("by name: the first of two") << true << "" << "Acme" << yes << "" << "S2,S3";
    QTest::newRow("by code") << true << "S3" << "" << yes << "" << "S1,S2";
    QTest::newRow("a code and a name of two: the first in order") << true << "S3" << "Bolt" << yes << "" << "S1,S3";
    QTest::newRow("answered No") << true << "S2" << "" << int(ui::Button::No) << "" << "S1,S2,S3";
    QTest::newRow("not found") << true << "S9" << "Zeta" << -1 << kDeleteNotFound.text << "S1,S2,S3";
    QTest::newRow("no suppliers: nothing is asked") << false << "S1" << "" << -1 << "" << "";
}

void TestCatalogue::deleteSupplier()
{
    QFETCH(bool, suppliers);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(QString, boxText);
    QFETCH(QString, remaining);
    CatalogueFixture t;
    if (suppliers)
        t.suppliers();
    auto* w = t.open<ProductSupplierWindow>();
    fill(w, {code, name});
    if (answer >= 0)
        t.ui.answerMessage(ui::Button(answer));
    click(w->cmdDelSup);

    if (answer >= 0)
        t.expectBoxes({kConfirmDelete});
    else if (!boxText.isEmpty())
        t.expectBoxes({kDeleteNotFound});
    else
        t.expectBoxes({});
    QStringList left;
    for (const QString& row : t.rowsOf(kSuppliers))
        left << row.section(u'|', 0, 0);
    QCOMPARE(left.join(u','), remaining);
    const bool deleted = answer == int(ui::Button::Yes);
    QCOMPARE(entries(w), (deleted ? QStringList{"", "", "", ""} : QStringList{code, name, "", ""}));
    QCOMPARE(w->dbcboSupCode->count(), left.size());
    // The record source is refreshed in every case: it stands on the first supplier.
    if (!left.isEmpty())
        QCOMPARE(w->datSupplier->field(u"Code"), Value(left[0]));
}

void TestCatalogue::suppliers_storeRefusals_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("boxText"); // empty: the command ends without a word
    QTest::addColumn<QString>("boxTitle");
    QTest::newRow("New Supplier") << "cmdAddNewSup" << kNotAdded.text << kNotAdded.title;
    QTest::newRow("Delete Supplier") << "cmdDelSup" << kNotDeleted.text << kNotDeleted.title;
    QTest::newRow("Update Supplier") << "cmdSupUpd" << "" << "";
}

// A supplier the store will not write is not written; the entries keep their text.
void TestCatalogue::suppliers_storeRefusals()
{
    QFETCH(QString, button);
    QFETCH(QString, boxText);
    QFETCH(QString, boxTitle);
    CatalogueFixture t;
    t.suppliers();
    auto* w = t.open<ProductSupplierWindow>();
    show(w, QStringLiteral("S3"));
    if (button == u"cmdAddNewSup")
        fill(w, {"S8", "Zeta", "555", "8 Rd"});
    t.store->setWriteHook([](const QString& table) {
        if (table == kSuppliers)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("disk full"));
    });
    if (button == u"cmdDelSup")
        t.ui.answerMessage(ui::Button::Yes);
    const QStringList before = entries(w);
    click(w->findChild<QPushButton*>(button));

    QList<Box> expected;
    if (button == u"cmdDelSup")
        expected << kConfirmDelete;
    if (!boxText.isEmpty())
        expected << Box{boxText, boxTitle};
    t.expectBoxes(expected);
    QCOMPARE(t.rowsOf(kSuppliers), kSuppliersRows);
    QCOMPARE(entries(w), before);
}
