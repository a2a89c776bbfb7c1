// The day's report printed when the day is closed from the main menu's exit: its figures, the
// sales it takes in, its layout from the store, and a printer that fails.
#include "platform/fakes.h"
#include "startup/main_window.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/journal.h"
#include "store/record_source.h"
#include "store/schema.h"
#include "store/unit_of_work.h"
#include "support/test_context.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

using store::Currency;
using store::RecordSource;
using store::journal::Entry;
using store::journal::Line;
using testing::TestContext;

namespace journal = store::journal;

namespace {

Currency dollars(double amount) { return Currency::fromCents(qRound64(amount * 100)); }

const QDate kDay(2026, 12, 10);

// Every figure of the report on one line, so that a test reads them all at once.
const QString kFiguresLayout = QStringLiteral(
    "Day {{Day}} | First {{FirstSale}} | Last {{LastSale}} | Sales {{Sales}} | Units {{Units}} | Takings {{Takings}} | Tax {{Tax}}"
    "{{#cashiers}} | {{Cashier}}: {{Sales}} {{Takings}}{{/cashiers}}{{#categories}} | {{Category}}: {{Units}}{{/categories}}"
    " | printed {{Date}} {{Time}}");

// A sale as the till writes it: its lines, the tax on them, and the cash the customer gave.
Entry sale(const QString& cashier, double tax, std::vector<Line> lines, const QString& kind = journal::kSale.toString())
{
    Entry entry;
    entry.kind = kind;
    entry.cashier = cashier;
    for (const Line& line : lines)
        entry.subtotal = Currency::fromUnits(entry.subtotal.units() + line.lineTotal.units());
    entry.tax = dollars(tax);
    entry.total = Currency::fromUnits(entry.subtotal.units() + entry.tax.units());
    entry.amountTendered = entry.total;
    entry.lines = std::move(lines);
    return entry;
}

Line line(const QString& category, std::int16_t quantity, double lineTotal)
{
    return {QStringLiteral("C-") + category, QStringLiteral("A ") + category, category, quantity, dollars(lineTotal)};
}

// A store at the end of a business day, closed the morning after: this year's row, the day's
// money in tblDailySale and the sales of the day in the journal.
struct ReportFixture : TestContext {
    explicit ReportFixture(QDate businessDate = kDay, QDate today = kDay.addDays(1), int storedYear = 2026)
        : TestContext(today, QTime(7, 45, 0)), businessDate(businessDate)
    {
        startup::registerWindows(windows);
        RecordSource day(*store, QStringLiteral("d"), QStringLiteral("tblDailySale"));
        day.edit();
        day.setField(u"tDate", businessDate);
        day.update();
        RecordSource year(*store, QStringLiteral("y"), QStringLiteral("YearSales"));
        year.addNew();
        year.setField(u"Ano", std::int16_t(storedYear));
        year.update();
    }

    // Writes the sales to the journal and adds their money to the day's takings, as the till does.
    void sell(const std::vector<Entry>& sales)
    {
        store::UnitOfWork unit(*store);
        RecordSource day(*store, QStringLiteral("d"), QStringLiteral("tblDailySale"));
        Currency takings = day.field(u"DailySale").toCurrency();
        for (Entry entry : sales) {
            entry.at = QDateTime(businessDate, QTime(12, 0));
            entry.businessDate = businessDate;
            journal::record(*store, entry);
            if (entry.kind == journal::kSale)
                takings = Currency::fromUnits(takings.units() + entry.total.units());
        }
        day.edit();
        day.setField(u"DailySale", takings);
        day.update();
        unit.commit();
    }

    void setLayout(const QString& layout)
    {
        RecordSource reports(*store, QStringLiteral("r"), store::schema::kReportsTable.toString());
        for (; !reports.atEnd(); reports.moveNext()) {
            if (reports.field(u"Name").toText() == store::schema::kDayReport) {
                reports.edit();
                reports.setField(u"Layout", layout);
                reports.update();
                return;
            }
        }
        QFAIL("the store has no day report");
    }

    startup::MainWindow* menu()
    {
        return static_cast<startup::MainWindow*>(windows.show(QStringLiteral("frmMain")));
    }

    // Answers Yes to both questions of the exit and clicks it.
    void closeTheDay(startup::MainWindow* menu)
    {
        ui.answerMessage(ui::Button::Yes);
        ui.answerMessage(ui::Button::Yes);
        QTest::mouseClick(menu->cmdSair, Qt::LeftButton);
    }

    // The reports printed, as plain text.
    QStringList reports()
    {
        QStringList texts;
        for (const testing::FakePrinter::Printed& printed : printer().printed)
            texts << printed.text;
        return texts;
    }

    // The boxes shown after the exit's two questions, as "title: text".
    QStringList boxesAfterTheQuestions() const
    {
        QStringList shown;
        for (std::size_t box = 2; box < ui.boxes().size(); ++box)
            shown << ui.boxes()[box].title + QStringLiteral(": ") + ui.boxes()[box].text;
        return shown;
    }

    QString reportsFolder() const { return QFileInfo(store->path()).dir().filePath(QStringLiteral("Reports")); }

    QDate businessDate;
};

// Two cashiers' day: Ann rings up two sales, Bob two and opens the drawer once without a sale.
std::vector<Entry> twoCashiersDay()
{
    const QString ann = QStringLiteral("Ann Lee");
    const QString bob = QStringLiteral("Bob");
    return {
        sale(ann, 0.35, {line(QStringLiteral("Dairy"), 2, 3.50), line(QStringLiteral("Bakery"), 1, 2.25)}),
        sale(bob, 0.10, {line(QStringLiteral("Fruits"), 6, 1.20)}),
        sale(bob, 0, {}, journal::kNoSale.toString()),
        sale(ann, 1.05, {line(QStringLiteral("Meat"), 1, 12.99), line(QStringLiteral("Dairy"), 1, 1.75)}),
        sale(bob, 0.14, {line(QStringLiteral("Dairy"), 3, 5.40), line(QStringLiteral("Meat"), -1, -4.00)}),
    };
}

} // namespace

Q_DECLARE_METATYPE(std::vector<Entry>)

class TestDayReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void figures_data();
    void figures();
    void programsOwnLayout_showsEveryFigure();
    void twoClosesInARow_eachReportsOnlyItsOwnSales();
    void yearRollOver_printsTheReportToo();
    void brokenLayout_printsWithTheProgramsOwn_data();
    void brokenLayout_printsWithTheProgramsOwn();
    void printerFailure_keepsAPdfAndTheDayClosed_data();
    void printerFailure_keepsAPdfAndTheDayClosed();
    void closeThatFails_printsNoReport();
};

void TestDayReport::figures_data()
{
    QTest::addColumn<std::vector<Entry>>("sales");
    QTest::addColumn<QString>("expected");

    const QString printed = QStringLiteral(" | printed 11-Dec-26 7:45:00 AM");
    QTest::newRow("several sales by two cashiers")
        << twoCashiersDay()
        << QStringLiteral("Day 10-Dec-26 | First 1 | Last 5 | Sales 4 | Units 13 | Takings $24.73 | Tax $1.64"
                          " | Ann Lee: 2 $21.89 | Bob: 2 $2.84"
                          " | Meat: 0 | Bakery: 1 | Fruits: 6 | Dairy: 6")
            + printed;
    QTest::newRow("no sales") << std::vector<Entry>{}
                              << QStringLiteral("Day 10-Dec-26 | First - | Last - | Sales 0 | Units 0 | Takings $0.00 | Tax $0.00")
            + printed;
    QTest::newRow("the drawer opened, nothing sold")
        << std::vector<Entry>{sale(QStringLiteral("Bob"), 0, {}, journal::kNoSale.toString())}
        << QStringLiteral("Day 10-Dec-26 | First - | Last - | Sales 0 | Units 0 | Takings $0.00 | Tax $0.00") + printed;
    QTest::newRow("names are text, not markup; no name and no category shown as such")
        << std::vector<Entry>{sale(QStringLiteral("<b>Jo & Co</b>"), 0, {line(QStringLiteral("Health"), 1, 2)}),
               sale(QString(), 0, {line(QString(), 2, 3), line(QStringLiteral("Toys"), 1, 1)})}
        << QStringLiteral("Day 10-Dec-26 | First 1 | Last 2 | Sales 2 | Units 4 | Takings $6.00 | Tax $0.00"
                          " | (none): 1 $4.00 | <b>Jo & Co</b>: 1 $2.00 | Health: 1 | Toys: 1 | (none): 2")
            + printed;
}

void TestDayReport::figures()
{
    QFETCH(std::vector<Entry>, sales);
    QFETCH(QString, expected);

    ReportFixture t;
    t.setLayout(kFiguresLayout);
    t.sell(sales);
    t.closeTheDay(t.menu());

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.boxesAfterTheQuestions(), QStringList());
    QCOMPARE(t.reports(), QStringList{expected});
    QCOMPARE(t.printer().printed.at(0).name, QStringLiteral("Day report 2026-12-10"));
    QVERIFY(t.ui.ended());
}

void TestDayReport::programsOwnLayout_showsEveryFigure()
{
    ReportFixture t;
    t.sell(twoCashiersDay());
    t.closeTheDay(t.menu());

    QCOMPARE(t.boxesAfterTheQuestions(), QStringList());
    QCOMPARE(t.reports().size(), 1);
    // A table's cells come out one to a line.
    const QString text = u'\n' + t.reports().at(0) + u'\n';
    for (const QString& expected : {QStringLiteral("DAY REPORT\nBusiness day 10-Dec-26\nprinted 11-Dec-26 7:45:00 AM"), QStringLiteral("First sale\n1"),
             QStringLiteral("Last sale\n5"), QStringLiteral("Sales\n4"), QStringLiteral("Units sold\n13"), QStringLiteral("Takings\n$24.73"),
             QStringLiteral("Tax collected\n$1.64"), QStringLiteral("Ann Lee\n2\n$21.89"), QStringLiteral("Bob\n2\n$2.84"),
             QStringLiteral("Category\nUnits\nMeat\n0\nBakery\n1\nFruits\n6\nDairy\n6")}) {
        QVERIFY2(text.contains(u'\n' + expected + u'\n'), qPrintable(expected + QStringLiteral(" is not in:\n") + t.reports().at(0)));
    }
}

void TestDayReport::twoClosesInARow_eachReportsOnlyItsOwnSales()
{
    ReportFixture t;
    t.setLayout(kFiguresLayout);
    startup::MainWindow* menu = t.menu();
    t.sell(twoCashiersDay());
    t.closeTheDay(menu);
    // The next day's sales, closed again: only they are in its report.
    t.businessDate = kDay.addDays(1);
    t.sell({sale(QStringLiteral("Bob"), 0.20, {line(QStringLiteral("Grain"), 2, 4)})});
    t.closeTheDay(menu);
    // A close with nothing sold since.
    t.closeTheDay(menu);

    QCOMPARE(t.ui.failures(), QString());
    const QStringList reports = t.reports();
    QCOMPARE(reports.size(), 3);
    QVERIFY2(reports[0].contains(QStringLiteral("First 1 | Last 5 | Sales 4 |")), qPrintable(reports[0]));
    QVERIFY2(reports[1].contains(QStringLiteral("First 6 | Last 6 | Sales 1 | Units 2 | Takings $4.20 | Tax $0.20 | Bob: 1 $4.20 | Grain: 2 |")),
        qPrintable(reports[1]));
    QVERIFY2(reports[2].contains(QStringLiteral("First - | Last - | Sales 0 |")), qPrintable(reports[2]));
    const std::optional<journal::Close> last = journal::lastClose(*t.store);
    QVERIFY(last);
    QCOMPARE(last->number, std::int64_t(3));
    QCOMPARE(last->lastEntry, std::int64_t(6));
    QCOMPARE(last->at, QDateTime(kDay.addDays(1), QTime(7, 45, 0)));
}

void TestDayReport::yearRollOver_printsTheReportToo()
{
    const QDate secondOfJanuary(2027, 1, 2);
    ReportFixture t(secondOfJanuary, secondOfJanuary, 2026);
    t.setLayout(kFiguresLayout);
    t.sell({sale(QStringLiteral("Ann Lee"), 0.5, {line(QStringLiteral("Bakery"), 4, 8)})});
    t.closeTheDay(t.menu());

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.reports(),
        QStringList{QStringLiteral("Day 02-Jan-27 | First 1 | Last 1 | Sales 1 | Units 4 | Takings $8.50 | Tax $0.50"
                                   " | Ann Lee: 1 $8.50 | Bakery: 4 | printed 02-Jan-27 7:45:00 AM")});
    RecordSource year(*t.store, QStringLiteral("y"), QStringLiteral("YearSales"));
    QCOMPARE(year.recordCount(), 0);
    QCOMPARE(journal::lastClose(*t.store).value_or(journal::Close{}).businessDate, secondOfJanuary);
    QVERIFY(journal::sinceLastClose(*t.store, false).empty());
    QVERIFY(t.ui.ended());
}

void TestDayReport::brokenLayout_printsWithTheProgramsOwn_data()
{
    QTest::addColumn<QString>("layout");     // null: the store has no row for the report
    QTest::addColumn<QString>("problem");

    QTest::newRow("no layout in the store") << QString() << QStringLiteral("The store holds no layout for the day's report (rptDayReport).");
    QTest::newRow("a blank layout") << QStringLiteral("  \n ") << QStringLiteral("The store holds no layout for the day's report (rptDayReport).");
    QTest::newRow("a figure it does not have") << QStringLiteral("Profit {{Profit}}")
                                              << QStringLiteral("The layout of the day's report names {{Profit}}, which it has no value for.");
    QTest::newRow("a tag never closed") << QStringLiteral("Sales {{Sales")
                                        << QStringLiteral("The layout of the day's report has a \"{{\" that is never closed by \"}}\".");
    QTest::newRow("a section never closed") << QStringLiteral("{{#cashiers}}{{Cashier}}")
                                            << QStringLiteral("The layout of the day's report has a {{#cashiers}} that is never closed by {{/cashiers}}.");
    QTest::newRow("a section's end alone") << QStringLiteral("{{Cashier}}{{/cashiers}}")
                                           << QStringLiteral("The layout of the day's report names {{Cashier}}, which it has no value for.");
    QTest::newRow("a section it does not have") << QStringLiteral("{{#lines}}{{/lines}}")
                                                << QStringLiteral("The layout of the day's report names the section {{#lines}}, which it has no rows for.");
}

void TestDayReport::brokenLayout_printsWithTheProgramsOwn()
{
    QFETCH(QString, layout);
    QFETCH(QString, problem);

    ReportFixture t;
    if (layout.isNull())
        t.store->exec(QStringLiteral("DELETE FROM \"Reports\" WHERE \"Name\" = 'rptDayReport'"));
    else
        t.setLayout(layout);
    t.sell(twoCashiersDay());
    t.closeTheDay(t.menu());

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.boxesAfterTheQuestions(),
        QStringList{QStringLiteral("Day Report Layout Not Used: The day's report was printed with the program's own layout. ") + problem
            + QStringLiteral("\n\nThe store's layout for the day's report needs mending.")});
    QCOMPARE(t.ui.boxes().back().icon, ui::Icon::Warning);
    QCOMPARE(t.reports().size(), 1);
    QVERIFY(t.reports().at(0).contains(QStringLiteral("\nAnn Lee\n2\n$21.89\n")));
    QVERIFY(t.ui.ended());
}

void TestDayReport::printerFailure_keepsAPdfAndTheDayClosed_data()
{
    QTest::addColumn<bool>("folderCanBeMade");

    QTest::newRow("a copy kept in Reports") << true;
    QTest::newRow("no copy can be kept either") << false;
}

void TestDayReport::printerFailure_keepsAPdfAndTheDayClosed()
{
    QFETCH(bool, folderCanBeMade);

    ReportFixture t;
    t.sell(twoCashiersDay());
    const QString pdf = QDir(t.reportsFolder()).filePath(QStringLiteral("Day report 2026-12-10.pdf"));
    if (!folderCanBeMade) {
        // A file where the folder should be.
        QFile blocker(t.reportsFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    t.printer().failure = QStringLiteral("The printer \"Till\" is stopped.");
    t.closeTheDay(t.menu());

    QCOMPARE(t.ui.failures(), QString());
    const QStringList boxes = t.boxesAfterTheQuestions();
    QCOMPARE(boxes.size(), 1);
    const QString expected = folderCanBeMade
        ? QStringLiteral("A copy was saved as \"%1\".").arg(QDir::toNativeSeparators(pdf))
        : QStringLiteral("No copy could be saved either: The folder \"%1\" could not be created").arg(QDir::toNativeSeparators(t.reportsFolder()));
    QVERIFY2(boxes[0].startsWith(QStringLiteral("Day Report Not Printed: The day's report was not printed. The printer \"Till\" is stopped. ")
                 + expected),
        qPrintable(boxes[0]));
    QVERIFY2(boxes[0].endsWith(QStringLiteral("\n\nThe day is closed.")), qPrintable(boxes[0]));
    QCOMPARE(t.ui.boxes().back().icon, ui::Icon::Warning);

    QCOMPARE(QFileInfo(pdf).isFile(), folderCanBeMade);
    if (folderCanBeMade) {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
    }
    // The close went through and the program ends as it would have.
    RecordSource day(*t.store, QStringLiteral("d"), QStringLiteral("tblDailySale"));
    QCOMPARE(day.field(u"DailySale").toCurrency(), Currency());
    QCOMPARE(journal::lastClose(*t.store).value_or(journal::Close{}).lastEntry, std::int64_t(5));
    QVERIFY(t.ui.ended());
}

void TestDayReport::closeThatFails_printsNoReport()
{
    ReportFixture t;
    t.sell(twoCashiersDay());
    t.store->setWriteHook([](const QString& table) {
        if (table == journal::kClosesTable)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("The disk is full."), true);
    });
    startup::MainWindow* menu = t.menu();
    t.closeTheDay(menu);
    t.store->setWriteHook(nullptr);

    // The close is undone whole: the day's money stays for the next close, and so do its sales.
    QVERIFY(t.reports().isEmpty());
    QVERIFY(!t.ui.ended());
    QVERIFY(menu->isVisible());
    RecordSource day(*t.store, QStringLiteral("d"), QStringLiteral("tblDailySale"));
    QCOMPARE(day.field(u"DailySale").toCurrency(), dollars(24.73));
    QCOMPARE(journal::lastClose(*t.store), std::nullopt);
    QCOMPARE(journal::sinceLastClose(*t.store, false).size(), std::size_t(5));
}

QTEST_MAIN(TestDayReport)
#include "day_report_test.moc"
