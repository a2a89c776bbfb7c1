#include "review_test.h"

#include "review/query_connection.h"
#include "store/error.h"
#include "store/query_source.h"
#include "ui/bound_label.h"
#include "ui/value_label.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

#include <optional>

using review::ItemsSoldWindow;
using namespace reviewtest;

namespace {

const QString kLines = QStringLiteral("daillySale");
const QString kTotals = QStringLiteral("tblDailySale");
const QString kItemsSold = QString::fromLatin1(ItemsSoldWindow::kName);

// A line as the cash register writes it.
struct Line {
    QString code;
    QString name;
    int quantity = 0;
    std::int64_t priceUnits = 0; // ten-thousandths of a dollar
};

void addLine(ReviewFixture& f, const Line& line)
{
    f.addRow(kLines, {{QStringLiteral("Codigo"), line.code}, {QStringLiteral("Nome_Produto"), line.name},
                         {QStringLiteral("Quantidade"), whole(line.quantity)}, {QStringLiteral("Preco"), money(line.priceUnits)}});
}

QStringList gridRow(const QTableView* grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        cells << grid->model()->index(row, column).data().toString();
    return cells;
}

QString currentCode(const ItemsSoldWindow* w)
{
    return w->produto->atEnd() ? QStringLiteral("<end>") : w->produto->field(u"Codigo").display();
}

} // namespace

void TestReview::gridShowsLines_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<qint64>("priceUnits");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("thousands") << "ABC" << "Milk" << 3 << qint64(12345000) << QStringList{"ABC", "Milk", "3", "$1,234.50"};
    QTest::newRow("under a dollar") << "B12" << "Bread" << 1 << qint64(5000) << QStringList{"B12", "Bread", "1", "$0.50"};
    QTest::newRow("millions") << "T1" << "Truffle" << 2 << qint64(10000000000) << QStringList{"T1", "Truffle", "2", "$1,000,000.00"};
    // 2.005 is exact in the store; a binary float would hold a hair less and round it down.
    QTest::newRow("half cent rounds up") << "H1" << "Honey" << 1 << qint64(20050) << QStringList{"H1", "Honey", "1", "$2.01"};
    // Past the digits a binary float holds: the last cent is read from the stored amount.
    QTest::newRow("beyond a float's digits") << "BIG" << "Bulk order" << 1 << qint64(1234567890123456750)
                                             << QStringList{"BIG", "Bulk order", "1", "$123,456,789,012,345.68"};
    QTest::newRow("zero") << "Z0" << "Free sample" << 1 << qint64(0) << QStringList{"Z0", "Free sample", "1", "$0.00"};
    QTest::newRow("code with leading zeros") << "007" << "Olive oil" << 12 << qint64(4500) << QStringList{"007", "Olive oil", "12", "$0.45"};
    QTest::newRow("largest quantity") << "Q9" << "Rice" << 32767 << qint64(10000) << QStringList{"Q9", "Rice", "32767", "$1.00"};
}

void TestReview::gridShowsLines()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(int, quantity);
    QFETCH(qint64, priceUnits);
    QFETCH(QStringList, shown);

    ReviewFixture f;
    addLine(f, {code, name, quantity, priceUnits});
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);

    QTableView* grid = w->findChild<QTableView*>(QStringLiteral("DataGrid1"));
    QVERIFY(grid);
    QCOMPARE(grid->model()->rowCount(), 1);
    QStringList headers;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        headers << grid->model()->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"Code", "Product Name", "Quantity", "Product Price"}));
    QCOMPARE(gridRow(grid, 0), shown);
    // The grid only shows: no cell can be edited.
    QVERIFY(!(grid->model()->flags(grid->model()->index(0, 3)) & Qt::ItemIsEditable));
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void TestReview::gridKeepsTableOrder()
{
    ReviewFixture f;
    addLine(f, {"Z9", "Zucchini", 1, 10000});
    addLine(f, {"A1", "Apple", 2, 20000});
    addLine(f, {"M5", "Mango", 3, 30000});
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);

    QCOMPARE(w->DataGrid1->model()->rowCount(), 3);
    QCOMPARE(gridRow(w->DataGrid1, 0), (QStringList{"Z9", "Zucchini", "1", "$1.00"}));
    QCOMPARE(gridRow(w->DataGrid1, 1), (QStringList{"A1", "Apple", "2", "$2.00"}));
    QCOMPARE(gridRow(w->DataGrid1, 2), (QStringList{"M5", "Mango", "3", "$3.00"}));
    QCOMPARE(w->windowTitle(), QStringLiteral("                                          ****LIST OF ALL PRODUCTS SOLD TODAY*****"));
}

void TestReview::navigationMovesCurrentRow_data()
{
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QString>("code");

    QTest::newRow("opens on the first") << QStringList{} << "R1";
    QTest::newRow("next") << QStringList{"cmdNext"} << "R2";
    QTest::newRow("last") << QStringList{"cmdLast"} << "R4";
    QTest::newRow("next stops at the last") << QStringList{"cmdLast", "cmdNext"} << "R4";
    QTest::newRow("previous after last") << QStringList{"cmdLast", "cmdPrevious"} << "R3";
    QTest::newRow("previous stops at the first") << QStringList{"cmdPrevious"} << "R1";
    QTest::newRow("first after moving on") << QStringList{"cmdNext", "cmdNext", "cmdFirst"} << "R1";
    // "source" moves the query source itself, not through the bar.
    QTest::newRow("first after the source moved by itself") << QStringList{"source", "cmdFirst"} << "R1";
}

void TestReview::navigationMovesCurrentRow()
{
    QFETCH(QStringList, presses);
    QFETCH(QString, code);

    ReviewFixture f;
    for (int i = 1; i <= 4; ++i)
        addLine(f, {QStringLiteral("R%1").arg(i), QStringLiteral("Row %1").arg(i), i, i * 10000});
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);

    QWidget* bar = w->findChild<review::NavigationBar*>(QStringLiteral("produto"));
    QVERIFY(bar);
    QVERIFY(bar->findChild<QLabel*>() && bar->findChild<QLabel*>()->text() == u"NAVIGATION");
    for (const QString& press : presses) {
        if (press == u"source")
            w->findChild<store::QuerySource*>(QStringLiteral("produto"))->moveNext();
        else
            click(bar->findChild<QPushButton*>(press));
    }

    QCOMPARE(currentCode(w), code);
    // The grid marks the row the bar is on.
    const int row = code.mid(1).toInt() - 1;
    QCOMPARE(w->DataGrid1->currentIndex().row(), row);
    QCOMPARE(w->DataGrid1->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(w->DataGrid1->selectionModel()->selectedRows().first().row(), row);
}

void TestReview::totalsShowStoredNumbers_data()
{
    QTest::addColumn<qint64>("dailySaleUnits");
    QTest::addColumn<int>("items");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("count");

    QTest::newRow("after a close of day") << qint64(0) << 0 << "0" << "0";
    QTest::newRow("no currency format") << qint64(12345000) << 7 << "1234.5" << "7";
    QTest::newRow("four decimals") << qint64(12345) << 1 << "1.2345" << "1";
    QTest::newRow("whole dollars") << qint64(990000) << 32767 << "99" << "32767";
}

void TestReview::totalsShowStoredNumbers()
{
    QFETCH(qint64, dailySaleUnits);
    QFETCH(int, items);
    QFETCH(QString, total);
    QFETCH(QString, count);

    ReviewFixture f;
    f.setFirstRow(kTotals, {{QStringLiteral("DailySale"), money(dailySaleUnits)}, {QStringLiteral("totalItems"), whole(items)}});
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);

    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblTotal"))->text(), total);
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("totalItems"))->text(), count);
}

void TestReview::dateAndTimeOfOpening()
{
    ReviewFixture f;
    f.clock.setToday(QDate(2027, 3, 4));
    f.clock.setNow(QTime(9, 7, 5));
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblDate"))->text(), QStringLiteral("04-Mar-27   9:07:05 AM"));

    // Nothing repaints it while the window is open.
    f.clock.setNow(QTime(23, 59, 59));
    click(w->cmdSair);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Each opening reads the clock afresh.
    w = f.open<ItemsSoldWindow>(kItemsSold);
    QCOMPARE(w->lblDate->text(), QStringLiteral("04-Mar-27   11:59:59 PM"));
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblData"))->text(), QStringLiteral("Today's Date:"));
}

void TestReview::emptyDay()
{
    ReviewFixture f;
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);
    QCOMPARE(w->DataGrid1->model()->rowCount(), 0);
    QCOMPARE(w->DataGrid1->model()->columnCount(), 4);
    // The navigation bar has nowhere to go and fails nothing.
    for (const char* button : {"cmdNext", "cmdLast", "cmdPrevious", "cmdFirst"})
        click(w->produtoBar->findChild<QPushButton*>(QString::fromLatin1(button)));
    QVERIFY(w->produto->atEnd());
    QCOMPARE(w->totalItems->text(), QStringLiteral("0"));
    QCOMPARE(w->lblTotal->text(), QStringLiteral("0"));
    QCOMPARE(f.ui.boxes().size(), std::size_t(0));
}

void TestReview::emptyDailyTotals()
{
    ReviewFixture f;
    addLine(f, {"ABC", "Milk", 1, 15000});
    f.emptyTable(kTotals);
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);
    QCOMPARE(w->totalItems->text(), QString());
    QCOMPARE(w->lblTotal->text(), QString());
    QCOMPARE(w->totalItems->accessibleDescription(), QString());
    QCOMPARE(w->DataGrid1->model()->rowCount(), 1);
}

void TestReview::backToMain_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("BACK TO MAIN") << false;
    QTest::newRow("close button") << true;
}

void TestReview::backToMain()
{
    QFETCH(bool, closeButton);

    ReviewFixture f;
    f.open(QStringLiteral("frmMain"));
    f.windows.hide(QStringLiteral("frmMain"));
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);
    QCOMPARE(w->cmdSair->text(), QStringLiteral("BACK TO MAIN"));

    if (closeButton)
        w->close();
    else
        click(w->cmdSair);

    QVERIFY(f.isShown(QStringLiteral("frmMain")));
    // Unloaded: the next opening is a new window that reads the store again.
    QVERIFY(!f.windows.isLoaded(kItemsSold));
    addLine(f, {"NEW", "Newly sold", 1, 10000});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w = f.open<ItemsSoldWindow>(kItemsSold);
    QCOMPARE(w->DataGrid1->model()->rowCount(), 1);
}

void TestReview::valueLabelsReadCaptionThenValue()
{
    ReviewFixture f;
    f.setFirstRow(kTotals, {{QStringLiteral("DailySale"), money(12345000)}, {QStringLiteral("totalItems"), whole(7)}});
    auto* w = f.open<ItemsSoldWindow>(kItemsSold);

    struct Expected {
        const char* name;
        QString caption;
        QString value;
    };
    const Expected expected[] = {
        {"lblDate", QStringLiteral("Today's Date:"), QStringLiteral("10-Dec-26   2:05:09 PM")},
        {"totalItems", QStringLiteral("No. of Items Sold Today:"), QStringLiteral("7")},
        {"lblTotal", QStringLiteral("Amount Sold US$:"), QStringLiteral("1234.5")},
    };
    for (const Expected& e : expected) {
        auto* label = w->findChild<ui::ValueLabel*>(QString::fromLatin1(e.name));
        QVERIFY2(label, e.name);
        QCOMPARE(label->accessibleName(), e.caption);
        QCOMPARE(label->accessibleDescription(), e.value);
        QCOMPARE(label->text(), e.value);
    }
}

void TestReview::connectionMustNameTheStore_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<bool>("opens");

    QTest::newRow("the store") << review::kQueryConnection.toString() << true;
    QTest::newRow("key in another case, forward slashes") << "Provider=X;data source = c:/Program Files/Point of Sale/Grocery.mdb" << true;
    QTest::newRow("another file") << "Provider=X;Data Source=C:\\Program Files\\Point of Sale\\Other.mdb" << false;
    QTest::newRow("another drive") << "Provider=X;Data Source=D:\\Program Files\\Point of Sale\\Grocery.mdb" << false;
    QTest::newRow("no data source") << "Provider=Microsoft.Jet.OLEDB.3.51;Persist Security Info=False" << false;
}

void TestReview::connectionMustNameTheStore()
{
    QFETCH(QString, connection);
    QFETCH(bool, opens);

    ReviewFixture f;
    QObject owner;
    std::optional<store::ErrorKind> failure;
    store::QuerySource* source = nullptr;
    try {
        source = review::openQuerySource(f.context, QStringLiteral("produto"), connection, QStringLiteral("daillySale"), &owner);
    } catch (const store::Error& error) {
        failure = error.kind();
    }
    QCOMPARE(source != nullptr, opens);
    if (!opens)
        QCOMPARE(failure, std::optional(store::ErrorKind::IO));
    else
        QCOMPARE(source->fieldNames(), (QStringList{"Codigo", "Nome_Produto", "Quantidade", "Preco"}));
}
