#include "review_test.h"

#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/windows.h"
#include "store/query_source.h"
#include "store/record_source.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QTimer>
#include <QValueAxis>

#include <set>

using namespace reviewtest;

namespace {

const QStringList kMonths{"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
    "November", "December"};
// The category columns in the order the chart's query names them.
const QStringList kCategories{"Bakery", "Beverage", "Cleaning", "Dairy", "Frozen", "Fruits", "Grain", "Grocery", "Health", "Meat",
    "Miscelaneous", "Vegetable"};

const QString kMenu = QStringLiteral("frmGraphsCall");

// What a chart window is drawn from and what it shows.
struct ChartCase {
    const char* window;
    const char* table;
    QStringList columns;
    bool money;
    QString title;
    QString categoryAxis;
    QString valueAxis;
    QString returnCaption;
    const char* menuButton;
    QString sql; // as stored, blanks and all
};

const ChartCase kCharts[] = {
    {"frmMonthSale", "YearSales", kMonths, true, "SALES ANALYSIS FOR THIS YEAR", "Months- See Color for Months on the Side",
        "Amount Sold in US$", "RETURN", "cmdGraphMonth",
        "SELECT January, February, March, April, May, June,July,August,September, October, November,December  FROM YearSales"},
    {"frmSale", "tblCathegory", kCategories, false, "SALE ANALYSIS FOR THIS MONTH", "Cathegories - See Color For Names on the Side.",
        "UNITS SOLD", "RETURN ", "cmdGraphYear",
        "SELECT Bakery,Beverage,Cleaning,Dairy,Frozen, Fruits, Grain,Grocery,Health,Meat, Miscelaneous, Vegetable  FROM tblCathegory "},
    {"frmLastYear", "LastYearSales", kMonths, true, "Sales for Last Year", "Month - See Colors for Months on the Side",
        "Amount in US$", "RETURN", "cmdLastMonth",
        "SELECT January, February, March, April, May, June,July,August,September, October, November,December  FROM  LastYearSales"},
};

void addChartRows()
{
    QTest::addColumn<int>("chart");
    for (int i = 0; i < int(std::size(kCharts)); ++i)
        QTest::newRow(kCharts[i].window) << i;
}

// The value stored in the n-th column of a case's row: money in dollars and cents, units whole.
double storedValue(const ChartCase& c, int n)
{
    return c.money ? 1000.25 * (n + 1) + 0.5 : 3 * n + 1;
}

// Fills the one row the chart reads; the store's own column order differs from the query's.
void fillRow(ReviewFixture& f, const ChartCase& c)
{
    QList<std::pair<QString, store::Value>> fields;
    for (int n = 0; n < c.columns.size(); ++n) {
        const double value = storedValue(c, n);
        fields.append({c.columns.at(n), c.money ? money(std::llround(value * 10000)) : whole(int(value))});
    }
    f.addRow(QString::fromLatin1(c.table), fields);
}

QChartView* chartView(QWidget* window)
{
    return window->findChild<QChartView*>(QStringLiteral("Gr\u00e1ficosDeVandas"));
}

QList<QBarSet*> barSets(QWidget* window)
{
    const QList<QAbstractSeries*> series = chartView(window)->chart()->series();
    if (series.size() != 1)
        return {};
    return static_cast<QBarSeries*>(series.first())->barSets();
}

QList<double> barValues(QWidget* window)
{
    QList<double> values;
    for (QBarSet* bars : barSets(window))
        values << bars->at(0);
    return values;
}

QString axisTitle(QWidget* window, Qt::Orientation orientation)
{
    const QList<QAbstractAxis*> axes = chartView(window)->chart()->axes(orientation);
    return axes.size() == 1 ? axes.first()->titleText() : QStringLiteral("<%1 axes>").arg(axes.size());
}

} // namespace

void TestReview::chartShowsStoredRow_data()
{
    addChartRows();
}

void TestReview::chartShowsStoredRow()
{
    QFETCH(int, chart);
    const ChartCase& c = kCharts[chart];

    ReviewFixture f;
    fillRow(f, c);
    QWidget* w = f.open(QString::fromLatin1(c.window));

    QCOMPARE(w->windowTitle(), QStringLiteral("                                              Graph of Sales"));
    auto* source = w->findChild<store::QuerySource*>(QStringLiteral("dataGraph"));
    QVERIFY(source);
    QCOMPARE(source->sql(), c.sql);
    QVERIFY(chartView(w));
    QChart* drawn = chartView(w)->chart();
    QCOMPARE(drawn->title(), c.title);
    QCOMPARE(axisTitle(w, Qt::Horizontal), c.categoryAxis);
    QCOMPARE(axisTitle(w, Qt::Vertical), c.valueAxis);
    QVERIFY(qobject_cast<QBarCategoryAxis*>(drawn->axes(Qt::Horizontal).value(0)));
    QVERIFY(qobject_cast<QValueAxis*>(drawn->axes(Qt::Vertical).value(0)));
    QVERIFY(drawn->legend()->isVisible());
    QCOMPARE(drawn->legend()->alignment(), Qt::AlignRight);
    QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("cmdExit"))->text(), c.returnCaption);

    // One set of bars per column, named by the column, in the query's order, each its own colour.
    QStringList names;
    std::set<QRgb> colours;
    for (QBarSet* bars : barSets(w)) {
        names << bars->label();
        colours.insert(bars->color().rgb());
        QCOMPARE(bars->count(), 1);
    }
    QCOMPARE(names, c.columns);
    QCOMPARE(int(colours.size()), c.columns.size());
    QList<double> expected;
    for (int n = 0; n < c.columns.size(); ++n)
        expected << storedValue(c, n);
    QCOMPARE(barValues(w), expected);
    // The value axis reaches the highest bar.
    QVERIFY(static_cast<QValueAxis*>(drawn->axes(Qt::Vertical).first())->max() >= expected.last());
}

void TestReview::emptyTableGivesChartWithoutData_data()
{
    addChartRows();
}

void TestReview::emptyTableGivesChartWithoutData()
{
    QFETCH(int, chart);
    const ChartCase& c = kCharts[chart];

    ReviewFixture f;
    f.emptyTable(QString::fromLatin1(c.table));
    QWidget* w = f.open(QString::fromLatin1(c.window));

    QCOMPARE(barSets(w).size(), 0);
    QCOMPARE(chartView(w)->chart()->title(), c.title);
    QCOMPARE(axisTitle(w, Qt::Horizontal), c.categoryAxis);
    QCOMPARE(axisTitle(w, Qt::Vertical), c.valueAxis);
    QCOMPARE(f.ui.boxes().size(), std::size_t(0));
}

void TestReview::chartKeepsFirstReading_data()
{
    addChartRows();
}

void TestReview::chartKeepsFirstReading()
{
    QFETCH(int, chart);
    const ChartCase& c = kCharts[chart];

    ReviewFixture f;
    fillRow(f, c);
    auto* menu = f.open<review::SalesMenuWindow>(kMenu);
    click(menu->findChild<QPushButton*>(QString::fromLatin1(c.menuButton)));
    QWidget* first = f.windows.find(QString::fromLatin1(c.window));
    QVERIFY(first && first->isVisible());
    const QList<double> firstReading = barValues(first);
    QCOMPARE(firstReading.size(), c.columns.size());

    click(first->findChild<QPushButton*>(QStringLiteral("cmdExit")));
    QVERIFY(!first->isVisible());

    // A sale, or any write, changes the stored row after the first reading.
    f.setFirstRow(QString::fromLatin1(c.table), {{c.columns.first(), c.money ? money(999990000) : whole(999)}});
    click(menu->findChild<QPushButton*>(QString::fromLatin1(c.menuButton)));

    QCOMPARE(f.windows.find(QString::fromLatin1(c.window)), first);
    QVERIFY(first->isVisible());
    QCOMPARE(barValues(first), firstReading);
}

// Through the till itself: a line of milk rung up and the sale completed after the category
// chart was first opened.
void TestReview::categoryChart_keepsFirstReadingAfterASale()
{
    ReviewFixture f;
    cashregister::registerWindows(f.windows);
    f.addRow(QStringLiteral("tblProductPrice"), {{QStringLiteral("Code"), QStringLiteral("ABC")}, {QStringLiteral("ProductName"), QStringLiteral("Milk")},
                                                   {QStringLiteral("ProductPrice"), money(15000)}, {QStringLiteral("VPrice"), money(7500)},
                                                   {QStringLiteral("ProdCathegory"), QStringLiteral("Dairy")}});
    f.addRow(QStringLiteral("tblProductQuantity"), {{QStringLiteral("Code"), QStringLiteral("ABC")}, {QStringLiteral("QuantityBought"), whole(10)},
                                                      {QStringLiteral("QuantityOnHand"), whole(10)}, {QStringLiteral("QuantitySold"), whole(0)}});
    f.addRow(QStringLiteral("tblCathegory"), {{QStringLiteral("NumberOfDays"), whole(1)}, {QStringLiteral("Dairy"), whole(6)}});

    auto* menu = f.open<review::SalesMenuWindow>(kMenu);
    click(menu->findChild<QPushButton*>(QStringLiteral("cmdGraphYear")));
    QWidget* chart = f.windows.find(QStringLiteral("frmSale"));
    const QList<double> firstReading = barValues(chart);
    click(chart->findChild<QPushButton*>(QStringLiteral("cmdExit")));

    auto* till = static_cast<cashregister::CashRegisterWindow*>(f.windows.show(QString::fromLatin1(cashregister::CashRegisterWindow::kName)));
    till->CashierTime->stop();
    QTest::keyClicks(till->txtProductCode, QStringLiteral("ABC"));
    QTest::keyClick(till->txtProductCode, Qt::Key_Return);
    f.ui.answerInput(QStringLiteral("500"));
    QTest::keyClick(till->txtProductCode, Qt::Key_End);
    store::RecordSource tallies(*f.store, QStringLiteral("check"), QStringLiteral("tblCathegory"));
    QCOMPARE(tallies.field(u"Dairy"), store::Value(std::int16_t(7)));
    // The sale is booked: the day's money has the 1.50 and the tax on it (no tax rate here).
    store::RecordSource day(*f.store, QStringLiteral("day"), QStringLiteral("tblDailySale"));
    QCOMPARE(day.field(u"DailySale"), store::Value(money(15000)));
    f.windows.unload(QString::fromLatin1(cashregister::CashRegisterWindow::kName));

    click(menu->findChild<QPushButton*>(QStringLiteral("cmdGraphYear")));
    QCOMPARE(f.windows.find(QStringLiteral("frmSale")), chart);
    QCOMPARE(barValues(chart), firstReading);
}

void TestReview::chartReturn_data()
{
    QTest::addColumn<int>("chart");
    QTest::addColumn<bool>("closeButton");
    for (int i = 0; i < int(std::size(kCharts)); ++i) {
        QTest::addRow("%s RETURN", kCharts[i].window) << i << false;
        QTest::addRow("%s close button", kCharts[i].window) << i << true;
    }
}

void TestReview::chartReturn()
{
    QFETCH(int, chart);
    QFETCH(bool, closeButton);
    const QString name = QString::fromLatin1(kCharts[chart].window);

    ReviewFixture f;
    QWidget* w = f.open(name);
    QVERIFY(!f.windows.isLoaded(kMenu));
    if (closeButton)
        w->close();
    else
        click(w->findChild<QPushButton*>(QStringLiteral("cmdExit")));

    QVERIFY(f.isShown(kMenu));
    // Hidden, not unloaded.
    QCOMPARE(f.windows.find(name), w);
    QVERIFY(!w->isVisible());
}

void TestReview::menuOpensChartsAndStaysShown()
{
    ReviewFixture f;
    auto* menu = f.open<review::SalesMenuWindow>(kMenu);
    QCOMPARE(menu->windowTitle(), QStringLiteral("            ************ WELCOME TO VANTORAL\u00ae  POINT OF SALE SYSTEM ************"));
    QVERIFY(menu->findChild<QLabel*>(QStringLiteral("Image1")));

    const std::pair<const char*, const char*> buttons[] = {
        {"cmdGraphMonth", "GRAPH FOR THIS YEAR"},
        {"cmdGraphYear", "GRAPH FOR THIS MONTH"},
        {"cmdLastMonth", "GRAPH FOR LAST YEAR"},
        {"cmdSair", "RETURN TO MAIN"},
    };
    for (const auto& [name, caption] : buttons)
        QCOMPARE(menu->findChild<QPushButton*>(QString::fromLatin1(name))->text(), QString::fromLatin1(caption));

    for (const ChartCase& c : kCharts) {
        click(menu->findChild<QPushButton*>(QString::fromLatin1(c.menuButton)));
        QVERIFY2(f.isShown(QString::fromLatin1(c.window)), c.window);
        QVERIFY(menu->isVisible());
    }
}

void TestReview::menuReturnToMain_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("RETURN TO MAIN") << false;
    QTest::newRow("close button") << true;
}

void TestReview::menuReturnToMain()
{
    QFETCH(bool, closeButton);

    ReviewFixture f;
    f.open(QStringLiteral("frmMain"));
    f.windows.hide(QStringLiteral("frmMain"));
    auto* menu = f.open<review::SalesMenuWindow>(kMenu);
    if (closeButton)
        menu->close();
    else
        click(menu->cmdSair);

    QVERIFY(f.isShown(QStringLiteral("frmMain")));
    QVERIFY(!f.windows.isLoaded(kMenu));
}

void TestReview::chartOfAnotherStoreIsReported()
{
    ReviewFixture f;
    auto* menu = f.open<review::SalesMenuWindow>(kMenu);
    // The drives now map C: elsewhere: the connection's file is no longer the open store.
    QTemporaryDir elsewhere;
    f.platform = platform::Platform(platform::Drives(elsewhere.path()), std::make_unique<platform::UnsupportedDisplaySettings>(),
        std::make_unique<testing::FakeShell>());
    f.ui.answerMessage(ui::Button::Ok);

    click(menu->cmdGraphMonth);

    QCOMPARE(f.ui.boxes().size(), std::size_t(1));
    QCOMPARE(f.ui.boxes()[0].icon, ui::Icon::Critical);
    QVERIFY2(f.ui.boxes()[0].text.contains(u"is not the open store"), qPrintable(f.ui.boxes()[0].text));
    QCOMPARE(f.ui.failures(), QString());
    QVERIFY(!f.windows.isLoaded(QStringLiteral("frmMonthSale")));
    QVERIFY(menu->isVisible());
}

// The program loads the chart windows from a module beside it when a chart is first opened; a
// program without that module says why on the menu, which stays as it was.
void TestReview::chartModuleMissingIsReported()
{
    ReviewFixture f;
    review::registerWindows(f.windows); // the module's windows, not the ones linked in here
    auto* menu = f.open<review::SalesMenuWindow>(kMenu);
    f.ui.answerMessage(ui::Button::Ok);

    click(menu->cmdGraphYear);

    QCOMPARE(f.ui.boxes().size(), std::size_t(1));
    QCOMPARE(f.ui.boxes()[0].icon, ui::Icon::Critical);
    QVERIFY2(f.ui.boxes()[0].text.startsWith(u"The sales charts cannot be shown: their module could not be loaded ("),
        qPrintable(f.ui.boxes()[0].text));
    QVERIFY(!f.windows.isLoaded(QStringLiteral("frmSale")));
    QVERIFY(menu->isVisible());
}
