#include "register_test.h"

#include <QFileInfo>

using namespace registertest;

// ---------------------------------------------------------------------------------------------
// Completing a sale

namespace {

const Box kNoSale{QStringLiteral("No sale to resume.  Sale list is empty."), QStringLiteral("No Sale to Resume"), ui::Icon::Warning};
const Box kPayInFull{QStringLiteral("Client must pay full total. Press ESC if you want to cancel this sale."),
    QStringLiteral(" Total Must be Paid in Full."), ui::Icon::Warning};

// A sale of one Tea at 10.00, at a tax rate of 6 %, on a store that holds nothing else.
CashRegisterWindow* saleOfTen(RegisterFixture& t)
{
    t.addPrice(QStringLiteral("T10"), QStringLiteral("Tea"), 1000, QStringLiteral("Beverage"));
    t.addStock(QStringLiteral("T10"), 20);
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    CashRegisterWindow* w = t.openActive();
    RegisterFixture::enter(w, QStringLiteral("T10"), {}, QStringLiteral("1"));
    t.ui.clearBoxes();
    return w;
}

// The amount boxes shown, checked, and the messages between them, as texts.
QStringList amountBoxesAndMessages(const RegisterFixture& t)
{
    QStringList seen;
    for (const ShownBox& box : t.ui.boxes()) {
        if (box.kind == ShownBox::Kind::Input) {
            if (box.text != u"Please enter amount tendered:" || box.title != u" Amount Tendered:" || box.defaultText != u"0")
                return {QStringLiteral("unexpected input box: ") + box.text + u'|' + box.title + u'|' + box.defaultText};
            seen << QStringLiteral("<amount>");
        } else {
            seen << box.text;
        }
    }
    return seen;
}


} // namespace

void TestRegister::complete_emptySale_data()
{
    QTest::addColumn<bool>("cancelEveryLine");
    QTest::newRow("nothing entered") << false;
    QTest::newRow("every line taken back") << true;
}

void TestRegister::complete_emptySale()
{
    QFETCH(bool, cancelEveryLine);
    RegisterFixture t;
    CashRegisterWindow* w = nullptr;
    if (cancelEveryLine) {
        w = saleOfMilkAndBread(t);
        for (const char* code : {"ABC", "B12"}) {
            t.ui.answerInput(QString::fromLatin1(code));
            pressCancel(w, QStringLiteral("code"));
        }
    } else {
        t.catalogue();
        w = t.openActive();
    }
    QCOMPARE(w->sale().subtotal, Currency());
    t.ui.clearBoxes();
    const QString before = t.snapshot();
    const QString subtotalShown = w->lblSubtotal->text();

    pressEnd(w);

    t.expectBoxes({kNoSale});
    QCOMPARE(t.snapshot(), before);
    QCOMPARE(w->lblSubtotal->text(), subtotalShown);
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.00"));
    QVERIFY(!w->cmdNewSale->isEnabled());
    QVERIFY(t.printer().printed.empty());
}

void TestRegister::complete_tendering_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("tendered");
    QTest::addColumn<QString>("change");
    QTest::newRow("exactly the total, in cents") << QStringList{"1060"} << " $10.60" << " $0.00";
    QTest::newRow("a cent short, then enough") << QStringList{"1059", "1060"} << " $10.60" << " $0.00";
    QTest::newRow("10.60 is 0.106: too little") << QStringList{"10.60", "1060"} << " $10.60" << " $0.00";
    QTest::newRow("short twice, then a twenty") << QStringList{"0", "-2000", "2000"} << " $20.00" << " $9.40";
    QTest::newRow("blanks around the amount") << QStringList{" 1100 "} << " $11.00" << " $0.40";
}

// 10.00 at a rate of 0.06: a tax of 0.60 and a total of 10.60, paid in full before anything is
// booked.
void TestRegister::complete_tendering()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, tendered);
    QFETCH(QString, change);
    RegisterFixture t;
    CashRegisterWindow* w = saleOfTen(t);
    for (const QString& answer : answers)
        t.ui.answerInput(answer);

    pressEnd(w);

    QStringList expected;
    for (int i = 0; i < answers.size(); ++i) {
        if (i > 0)
            expected << kPayInFull.text;
        expected << QStringLiteral("<amount>");
    }
    QCOMPARE(amountBoxesAndMessages(t), expected);
    for (const ShownBox& box : t.ui.boxes()) {
        if (box.kind == ShownBox::Kind::Message) {
            QCOMPARE(box.title, kPayInFull.title);
            QCOMPARE(box.icon, kPayInFull.icon);
        }
    }
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $10.00"));
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.60"));
    QCOMPARE(w->lblTotal->text(), QStringLiteral(" $10.60"));
    QCOMPARE(w->lblAmount->text(), tendered);
    QCOMPARE(w->lblChange->text(), change);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(1060));
    QCOMPARE(t.printer().printed.size(), std::size_t(1));
    QVERIFY(t.printer().printed[0].text.contains(QStringLiteral("$10.60")));
}

// A completed sale of three units, checked write by write.
void TestRegister::complete_saleOfThreeUnits()
{
    RegisterFixture t;
    t.addRow(QStringLiteral("tblReceipt"), {{u"Cashier", QStringLiteral("Maria Silva")}});
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    t.setField(QStringLiteral("tblDailySale"), u"DailySale", money(2000));
    CashRegisterWindow* w = saleOfMilkAndBread(t, [](CashRegisterWindow* opened) {
        opened->CashierTime_Timer();
        opened->CashierTime_Timer();
    });
    QCOMPARE(w->sale().cashierName, QStringLiteral("Maria Silva"));
    const QString stockBefore = t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory")});
    const int itemsBefore = t.field(QStringLiteral("tblDailySale"), u"totalItems").toWhole();

    // What is written, in order, and what tblReceipt holds when the sale is closed: the receipt
    // is read from it then, and printed once the money is booked and the open sale emptied.
    QStringList written;
    QString atClosing;
    t.store->setWriteHook([&](const QString& table) {
        if (table == u"tblReceipt" && written.endsWith(QStringLiteral("tblDailySale")))
            atClosing = t.snapshotOf({QStringLiteral("tblReceipt")});
        written << table;
    });
    t.printer().whilePrinting = [&] { written << QStringLiteral("<print>"); };
    t.ui.answerInput(QStringLiteral("500"));
    pressEnd(w);
    t.store->setWriteHook(nullptr);

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(amountBoxesAndMessages(t), QStringList{QStringLiteral("<amount>")});
    // The sale goes into the journal last, in the same unit as its money.
    QCOMPARE(written, (QStringList{"tblReceipt", "tblReceipt", "tblDailySale", "tblReceipt", "tblReceipt", "SalesJournal",
                          "SalesJournalLines", "SalesJournalLines", "<print>"}));
    // 4.25 at 6 %: a tax of 0.255, kept to four decimals; shown rounded.
    QCOMPARE(atClosing, QStringLiteral("tblReceipt\n"
                                        "ABC|Milk|2|3|Maria Silva|4.25|0.255|4.505|5|0.495\n"
                                        "B12|Bread|1|1.25|<null>|0|0|0|0|0"));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), Value(Currency::fromUnits(245050)));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    // Completion writes nothing to the stock, today's lines or the tallies.
    QCOMPARE(t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale"), QStringLiteral("tblCathegory")}), stockBefore);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"totalItems").toWhole(), itemsBefore);

    // The labels keep the finished sale; the sale state is back to nothing.
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
    QCOMPARE(w->lblTax->text(), QStringLiteral(" $0.26"));
    QCOMPARE(w->lblTotal->text(), QStringLiteral(" $4.51"));
    QCOMPARE(w->lblAmount->text(), QStringLiteral(" $5.00"));
    QCOMPARE(w->lblChange->text(), QStringLiteral(" $0.50"));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 3 items sold"));
    for (Currency amount : {w->sale().subtotal, w->sale().tax, w->sale().total, w->sale().amountTendered, w->sale().change})
        QCOMPARE(amount, Currency());
    QCOMPARE(w->sale().itemCount, std::int16_t(0));
    QVERIFY(w->cmdNewSale->isEnabled());
    QVERIFY(!t.ui.busy());
    // The cashier goes on in the box they were in: the next scan goes there.
    QCOMPARE(QApplication::focusWidget(), w->txtProductCode);

    // The receipt: every line and every figure of the sale, the cashier, the date and the time.
    QCOMPARE(t.printer().printed.size(), std::size_t(1));
    QCOMPARE(t.printer().printed[0].name, QStringLiteral("Receipt 2026-12-10 14-05-09"));
    const QStringList receipt = t.printer().printed[0].text.split(u'\n');
    for (const QString& expected : {QStringLiteral("Sale No. 1"), QStringLiteral("Cashier: Maria Silva"), QStringLiteral("10-Dec-26 2:05:09 PM"), QStringLiteral("ABC"),
             QStringLiteral("Milk"), QStringLiteral("2"), QStringLiteral("$3.00"), QStringLiteral("B12"), QStringLiteral("Bread"),
             QStringLiteral("1"), QStringLiteral("$1.25"), QStringLiteral("Subtotal"), QStringLiteral("$4.25"), QStringLiteral("Tax"),
             QStringLiteral("$0.26"), QStringLiteral("Total"), QStringLiteral("$4.51"), QStringLiteral("Amount tendered"),
             QStringLiteral("$5.00"), QStringLiteral("Change"), QStringLiteral("$0.50")})
        QVERIFY2(receipt.contains(expected), qPrintable(expected + QStringLiteral(" is not on the receipt:\n") + receipt.join(u'\n')));
    QVERIFY(receipt.indexOf(QStringLiteral("Milk")) < receipt.indexOf(QStringLiteral("Bread")));

    // The next key takes New Sale away; the next line starts a new sale from zero.
    t.ui.clearBoxes();
    RegisterFixture::enter(w, QStringLiteral("B12"), {}, QStringLiteral("1"));
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $1.25"));
    QCOMPARE(w->lblTotal->text(), QStringLiteral(" $0.00"));
}

// Lines taken back before End are neither on the receipt nor in the money; the sale's figures go
// into the first line that is left.
void TestRegister::complete_afterTheFirstLineIsTakenBack()
{
    RegisterFixture t;
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    t.ui.answerInput(QStringLiteral("ABC"));
    pressCancel(w, QStringLiteral("code"));
    QString atClosing;
    t.store->setWriteHook([&](const QString& table) {
        if (table == u"tblReceipt" && atClosing.isEmpty() && t.field(QStringLiteral("tblDailySale"), u"DailySale") == money(125))
            atClosing = t.snapshotOf({QStringLiteral("tblReceipt")});
    });
    t.ui.clearBoxes();
    t.ui.answerInput(QStringLiteral("125"));

    pressEnd(w);
    t.store->setWriteHook(nullptr);

    QCOMPARE(amountBoxesAndMessages(t), QStringList{QStringLiteral("<amount>")});
    QCOMPARE(atClosing, QStringLiteral("tblReceipt\nB12|Bread|1|1.25||1.25|0|1.25|1.25|0"));
    QVERIFY(t.printer().printed[0].text.contains(u"Bread"));
    QVERIFY(!t.printer().printed[0].text.contains(u"Milk"));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(125));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 1 items sold"));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
}

void TestRegister::complete_abandoned_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("failure"); // "": none; "tax": no tax row; "null tax": a tax row without a value
    QTest::newRow("Esc at the amount") << QStringList{""} << "";
    QTest::newRow("text that is not a number") << QStringList{"twenty"} << "";
    QTest::newRow("too little, then Esc") << QStringList{"1", ""} << "";
    QTest::newRow("no tax rate") << QStringList{} << "tax";
    QTest::newRow("a tax rate without a value") << QStringList{} << "null tax";
}

// A sale that ends before its money is booked gives its goods back: the stock, today's lines and
// the day's unit count are as they were before the sale; what sold and the tallies keep.
void TestRegister::complete_abandoned()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, failure);
    RegisterFixture t;
    t.setField(QStringLiteral("tblTax"), u"Tax", Value(0.06));
    t.setField(QStringLiteral("tblDailySale"), u"DailySale", money(2000));
    if (failure == u"tax")
        t.emptyTable(QStringLiteral("tblTax"));
    else if (failure == u"null tax")
        t.setField(QStringLiteral("tblTax"), u"Tax", Value());
    CashRegisterWindow* w = saleOfMilkAndBread(t);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(8));

    for (const QString& answer : answers)
        t.ui.answerInput(answer);
    pressEnd(w);

    QCOMPARE(t.ui.failures(), QString());
    for (const ShownBox& box : t.ui.boxes()) {
        if (box.kind == ShownBox::Kind::Message)
            QCOMPARE(box.text, kPayInFull.text);
    }
    expectMilkAndBreadGivenBack(t);
    QVERIFY(!QTest::currentTestFailed());
    // No money, no receipt, no New Sale; the labels keep their last values.
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(2000));
    QVERIFY(t.printer().printed.empty());
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->lblSubtotal->text(), QStringLiteral(" $4.25"));
    QCOMPARE(w->sale().subtotal, Currency());
    QCOMPARE(w->sale().itemCount, std::int16_t(0));
    if (!failure.isEmpty())
        return;

    // The till goes on: the next sale takes the whole stock given back and is completed.
    t.ui.clearBoxes();
    RegisterFixture::enter(w, QStringLiteral("ABC"), {}, QStringLiteral("10"));
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(0));
    t.ui.answerInput(QStringLiteral("1600"));
    pressEnd(w);
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 10 items sold"));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(2000 + 1590));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
}

void TestRegister::complete_receiptNotPrinted_data()
{
    using Kind = platform::PrinterState::Kind;
    QTest::addColumn<QString>("printer"); // the default printer; empty: none set up
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("jobId");
    QTest::addColumn<bool>("hangs");
    QTest::addColumn<QString>("said"); // empty: the receipt is kept without a word
    QTest::newRow("a queue that rejects jobs") << "Till" << int(Kind::NotAccepting) << 7 << false
                                               << "The printer \"Till\" is not accepting jobs (Rejecting Jobs).";
    QTest::newRow("a stopped queue") << "Till" << int(Kind::Stopped) << 7 << false << "The printer \"Till\" is stopped (Rejecting Jobs).";
    QTest::newRow("a job refused") << "Till" << int(Kind::Ready) << 0 << false
                                   << "The printer \"Till\" could not print the document (Rejecting Jobs).";
    QTest::newRow("a default printer that is gone") << "Old Till" << int(Kind::NotFound) << 7 << false << "The printer \"Old Till\" was not found.";
    QTest::newRow("a print server that hangs") << "Till" << int(Kind::Ready) << 7 << true
                                               << "The print service did not answer within 0.3 seconds.";
    QTest::newRow("no printer set up") << "" << int(Kind::Ready) << 7 << false << "";
}

// A receipt that does not reach its printer is kept as a PDF in the Receipts folder, and the
// cashier is told both what happened and where the copy is; the sale stays completed with its
// money booked. While the printer is asked, the till takes no key.
void TestRegister::complete_receiptNotPrinted()
{
    QFETCH(QString, printer);
    QFETCH(int, state);
    QFETCH(int, jobId);
    QFETCH(bool, hangs);
    QFETCH(QString, said);
    RegisterFixture t;
    auto service = std::make_shared<testing::FakePrintService>();
    service->defaultName = printer;
    service->answer = {platform::PrinterState::Kind(state), QStringLiteral("Rejecting Jobs")};
    service->job = {jobId, QStringLiteral("Rejecting Jobs")};
    if (hangs)
        service->delay = std::chrono::milliseconds(1500);
    const QString receipts = t.root.filePath(QStringLiteral("Receipts"));
    t.platform.setPrinter(std::make_unique<platform::SystemPrinter>(receipts, service, std::chrono::milliseconds(300)));
    CashRegisterWindow* w = saleOfTen(t);
    t.ui.answerInput(QStringLiteral("1060"));
    // A scanner's code and Enter arriving while the printer is asked are not rung up.
    bool busyMeanwhile = !hangs;
    if (hangs) {
        QTimer::singleShot(100, w, [&] {
            busyMeanwhile = t.ui.busy();
            RegisterFixture::enter(w, QStringLiteral("T10"), {}, QStringLiteral("1"));
            w->close(); // nor is the till closed under the receipt
        });
    }

    pressEnd(w);

    const QString copy = QDir(receipts).filePath(QStringLiteral("Receipt 2026-12-10 14-05-09.pdf"));
    QVERIFY(QFileInfo(copy).size() > 0);
    if (said.isEmpty()) {
        QCOMPARE(amountBoxesAndMessages(t), QStringList{QStringLiteral("<amount>")});
    } else {
        QCOMPARE(amountBoxesAndMessages(t),
            (QStringList{QStringLiteral("<amount>"),
                QStringLiteral("The receipt was not printed. ") + said
                    + QStringLiteral(" A copy was saved as \"%1\".\n\nThe sale is complete and its money is booked.").arg(QDir::toNativeSeparators(copy))}));
        QCOMPARE(t.ui.boxes().back().title, QStringLiteral("Receipt Not Printed"));
        QCOMPARE(t.ui.boxes().back().icon, ui::Icon::Warning);
    }
    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(1060));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.field(QStringLiteral("tblProductQuantity"), u"QuantityOnHand"), whole(19));
    QVERIFY(busyMeanwhile);
    QVERIFY(t.windows.isLoaded(QString::fromLatin1(CashRegisterWindow::kName)));
    QVERIFY(w->cmdNewSale->isEnabled());
    QVERIFY(w->isEnabled());
    QCOMPARE(w->lblChange->text(), QStringLiteral(" $0.00"));
    QCOMPARE(w->lblProductDescription->text(), QStringLiteral(" 1 items sold"));
    QVERIFY(!t.ui.busy());
}

// When the money cannot be booked, the open sale cannot be emptied or the journal cannot keep the
// sale, nothing of any is kept: the cashier is told, the sale stays open, and it is paid again
// once the trouble is gone.
void TestRegister::complete_moneyNotBooked_saleStaysOpen_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("failingWrite"); // the n-th write of the table after End
    QTest::newRow("the day's takings cannot be written") << "tblDailySale" << 1;
    QTest::newRow("the tender cannot be written") << "tblReceipt" << 2;
    QTest::newRow("the open sale cannot be emptied") << "tblReceipt" << 3;
    QTest::newRow("the journal cannot take the sale") << "SalesJournal" << 1;
    QTest::newRow("the journal cannot take its line") << "SalesJournalLines" << 1;
}

void TestRegister::complete_moneyNotBooked_saleStaysOpen()
{
    QFETCH(QString, table);
    QFETCH(int, failingWrite);
    RegisterFixture t;
    t.setField(QStringLiteral("tblDailySale"), u"DailySale", money(2000));
    CashRegisterWindow* w = saleOfTen(t);
    const QString stockBefore = t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale")});
    int writes = 0;
    t.store->setWriteHook([&](const QString& written) {
        if (written == table && ++writes == failingWrite)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("The disk is full."), true);
    });
    t.ui.answerInput(QStringLiteral("1100"));

    pressEnd(w);
    t.store->setWriteHook(nullptr);

    QCOMPARE(amountBoxesAndMessages(t),
        (QStringList{QStringLiteral("<amount>"),
            QStringLiteral("The sale could not be booked, so nothing was charged. The disk is full.\n\nThe sale is still open: press End to "
                           "take the payment again, or Esc at the amount box to cancel the sale.")}));
    QCOMPARE(t.ui.boxes().back().title, QStringLiteral("Sale Not Completed"));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(2000));
    QVERIFY(store::journal::sinceLastClose(*t.store, true).empty());
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 1);
    QCOMPARE(t.field(QStringLiteral("tblReceipt"), u"AmountTendered"), money(0));
    QCOMPARE(t.snapshotOf({QStringLiteral("tblProductQuantity"), QStringLiteral("daillySale")}), stockBefore);
    QVERIFY(t.printer().printed.empty());
    QVERIFY(!w->cmdNewSale->isEnabled());
    QCOMPARE(w->sale().subtotal, Currency::fromCents(1000));
    QCOMPARE(w->lblAmount->text(), QStringLiteral(" $0.00"));

    // Paid again, the sale completes as any other.
    t.ui.clearBoxes();
    t.ui.answerInput(QStringLiteral("1060"));
    pressEnd(w);
    QCOMPARE(amountBoxesAndMessages(t), QStringList{QStringLiteral("<amount>")});
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(2000 + 1060));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
    QCOMPARE(t.printer().printed.size(), std::size_t(1));
    QVERIFY(t.printer().printed[0].text.contains(u"Tea"));
    QVERIFY(w->cmdNewSale->isEnabled());
    // The number the failed unit did not keep is the paid sale's.
    QCOMPARE(store::journal::last(*t.store).value_or(store::journal::Entry{}).number, 1);
    QVERIFY(t.printer().printed[0].text.contains(u"Sale No. 1"));
}

// A store whose own receipt layout cannot be used still gives the customer a receipt, from the
// program's layout, and the manager is told what to mend.
void TestRegister::complete_storesLayoutUnusable_printsOurs_data()
{
    QTest::addColumn<QString>("layout"); // "<none>": the store holds no receipt row
    QTest::addColumn<QString>("problem");
    const QString none = QStringLiteral("The store holds no layout for the receipt (rptReceipt).");
    QTest::newRow("no receipt row") << "<none>" << none;
    QTest::newRow("a blank layout") << " \n\t" << none;
    QTest::newRow("a field the sale does not have") << "<p>{{Total}} {{Discount}}</p>"
                                                    << "The receipt's layout names {{Discount}}, which is not a field of the sale.";
    QTest::newRow("an unclosed field") << "{{Total" << "The receipt's layout has a \"{{\" that is never closed by \"}}\".";
}

void TestRegister::complete_storesLayoutUnusable_printsOurs()
{
    QFETCH(QString, layout);
    QFETCH(QString, problem);
    RegisterFixture t;
    if (layout == u"<none>")
        t.emptyTable(QStringLiteral("Reports"));
    else
        t.setField(QStringLiteral("Reports"), u"Layout", layout);
    CashRegisterWindow* w = saleOfTen(t);
    t.ui.answerInput(QStringLiteral("1060"));

    pressEnd(w);

    QCOMPARE(t.printer().printed.size(), std::size_t(1));
    const QString printed = t.printer().printed[0].text;
    QVERIFY2(printed.contains(u"Tea") && printed.contains(u"$10.60"), qPrintable(printed));
    QCOMPARE(amountBoxesAndMessages(t),
        (QStringList{QStringLiteral("<amount>"),
            QStringLiteral("The receipt was printed with the program's own layout. ") + problem
                + QStringLiteral("\n\nThe store's layout for the receipt needs mending.")}));
    QCOMPARE(t.ui.boxes().back().title, QStringLiteral("Receipt Layout Not Used"));
    QCOMPARE(t.ui.boxes().back().icon, ui::Icon::Warning);
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), money(1060));
    QCOMPARE(t.rows(QStringLiteral("tblReceipt")), 0);
}

void TestRegister::receipt_layout_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("filled"); // or the error
    const QString lines = QStringLiteral("{{#lines}}[{{code}} {{ProdName}} {{PQTY}} {{ProdPrice}}]{{/lines}}");
    QTest::newRow("every line, the first row's figures, date and time")
        << QStringLiteral("{{Cashier}}|") + lines + QStringLiteral("|{{ Total }}|{{Date}} {{Time}}")
        << "Ana &lt;b&gt;&amp;|[ABC Milk 2 $3.00][S&amp;P Salt &amp; &lt;i&gt;Pepper&lt;/i&gt; 1 $1,234.50]|$1,237.50|10-Dec-26 2:05:09 PM";
    QTest::newRow("a field without a value is nothing") << "<{{AmountTendered}}><{{#lines}}{{Change}}.{{/lines}}>" << "<><$0.00..>";
    QTest::newRow("a lines' part may stand twice") << "{{#lines}}{{pQty}}{{/lines}}-{{#LINES}}{{Code}}{{/LINES}}" << "21-ABCS&amp;P";
    QTest::newRow("no fields at all") << "<p>Thank you</p>" << "<p>Thank you</p>";
    QTest::newRow("a field the sale does not have") << "{{Discount}}" << "error: The receipt's layout names {{Discount}}, which is not a field of the sale.";
    QTest::newRow("an unclosed field") << "{{Total" << "error: The receipt's layout has a \"{{\" that is never closed by \"}}\".";
    QTest::newRow("lines never closed") << "{{#lines}}{{Code}}" << "error: The receipt's layout has a {{#lines}} that is never closed by {{/lines}}.";
    QTest::newRow("lines closed before opened") << "{{/lines}}" << "error: The receipt's layout has a {{/lines}} without its {{#lines}}.";
    QTest::newRow("lines within lines") << "{{#lines}}{{#lines}}{{/lines}}{{/lines}}" << "error: The receipt's layout has a {{#lines}} inside another.";
}

// The receipt's layout is filled from the rows tblReceipt holds; what the store holds is shown as
// text, never read as markup.
void TestRegister::receipt_layout()
{
    QFETCH(QString, layout);
    QFETCH(QString, filled);
    RegisterFixture t;
    t.addRow(QStringLiteral("tblReceipt"), {{u"Code", QStringLiteral("ABC")}, {u"ProdName", QStringLiteral("Milk")}, {u"pQty", whole(2)},
                                               {u"ProdPrice", money(300)}, {u"Cashier", QStringLiteral("Ana <b>&")},
                                               {u"Total", money(123750)}, {u"AmountTendered", Value()}});
    t.addRow(QStringLiteral("tblReceipt"), {{u"Code", QStringLiteral("S&P")}, {u"ProdName", QStringLiteral("Salt & <i>Pepper</i>")},
                                               {u"pQty", whole(1)}, {u"ProdPrice", money(123450)}, {u"Change", Value()}});
    const QDateTime printedAt(t.clock.today(), t.clock.now());
    QString result;
    try {
        result = cashregister::fillReceiptLayout(*t.store, layout, printedAt, t.context.locale);
    } catch (const cashregister::ReceiptLayoutError& e) {
        result = QStringLiteral("error: ") + e.message();
    }
    QCOMPARE(result, filled);
}
