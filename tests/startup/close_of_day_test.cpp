// Closing the day from the main menu's exit: the two questions, booking the day into the year,
// the year roll-over, and what a failure part-way leaves in the store.
#include "startup/main_window.h"
#include "startup/windows.h"
#include "store/record_source.h"
#include "support/test_context.h"

#include <QPushButton>
#include <QTest>

#include <sqlite3.h>

using store::Currency;
using store::RecordSource;
using store::Value;
using testing::TestContext;

namespace {

Currency dollars(double amount) { return Currency::fromCents(qRound64(amount * 100)); }

const QString kFirstQuestion = QStringLiteral("Are you sure you want to shut the system down?");
const QString kFirstTitle = QStringLiteral("                 ARE YOU SURE?");
const QString kSecondQuestion = QStringLiteral(
    "Are you closing for the day? If you press, 'yes', the system will update the database to prepare You to open you point of "
    "sale safely tomorrow. If you press 'No', the system will keep the daily settings and you will still see the data as you if "
    "you have not exited the system ");
const QString kSecondTitle = QStringLiteral("                         ARE YOU CLOSING FOR THE DAY?");

// A store at the end of a business day: the day's totals, three lines sold, this year's row
// (November 50.00, December 100.00) and last year's row from an earlier roll-over.
struct DayFixture : TestContext {
    DayFixture(QDate businessDate, QDate today, int storedYear, Currency daily, bool dailyRow = true)
        : TestContext(today)
    {
        startup::registerWindows(windows);
        RecordSource day(*store, QStringLiteral("d"), QStringLiteral("tblDailySale"));
        if (dailyRow) {
            day.edit();
            day.setField(u"tDate", businessDate);
            day.setField(u"DailySale", daily);
            day.setField(u"totalItems", std::int16_t(3));
            day.update();
        } else {
            day.remove();
        }
        RecordSource lines(*store, QStringLiteral("l"), QStringLiteral("daillySale"));
        for (int line = 1; line <= 3; ++line) {
            lines.addNew();
            lines.setField(u"Codigo", QStringLiteral("P%1").arg(line));
            lines.setField(u"Nome_Produto", QStringLiteral("Product %1").arg(line));
            lines.setField(u"Quantidade", std::int16_t(1));
            lines.setField(u"Preco", dollars(line));
            lines.update();
        }
        if (storedYear != 0) {
            RecordSource year(*store, QStringLiteral("y"), QStringLiteral("YearSales"));
            year.addNew();
            year.setField(u"Ano", std::int16_t(storedYear));
            year.setField(u"November", dollars(50));
            year.setField(u"December", dollars(100));
            year.setField(u"AnualTotal", dollars(150));
            year.update();
        }
        RecordSource last(*store, QStringLiteral("ly"), QStringLiteral("LastYearSales"));
        last.addNew();
        last.setField(u"January", dollars(7));
        last.setField(u"AnualTotal", dollars(7));
        last.update();
    }

    startup::MainWindow* menu()
    {
        return static_cast<startup::MainWindow*>(windows.show(QStringLiteral("frmMain")));
    }

    // Every row of a table, each field as "name=value", for comparing whole tables.
    QStringList rows(const QString& table)
    {
        RecordSource source(*store, QStringLiteral("read"), table);
        QStringList result;
        for (source.moveFirst(); !source.atEnd(); source.moveNext()) {
            QStringList fields;
            for (int field = 0; field < int(source.table().fields.size()); ++field) {
                const Value value = source.field(field);
                if (!value.isNull() && value != Value(Currency()))
                    fields << QStringLiteral("%1=%2").arg(QString::fromUtf16(source.table().fields[std::size_t(field)].name), value.display());
            }
            result << fields.join(u' ');
        }
        return result;
    }

    Value field(const QString& table, QStringView name)
    {
        RecordSource source(*store, QStringLiteral("check"), table);
        return source.atEnd() ? Value(QStringLiteral("<no row>")) : source.field(name);
    }
};

} // namespace

class TestCloseOfDay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void paths_data();
    void paths();
    void questions_textsTitlesAndIcons();
    void closeButton_closesTheDayToo();
    void missingValues_data();
    void missingValues();
    void failurePartWay_leavesTheStoreAsItWas_data();
    void failurePartWay_leavesTheStoreAsItWas();
    void unreadableDay_isToldAndTheMenuStays();
};

void TestCloseOfDay::paths_data()
{
    QTest::addColumn<QString>("answers");      // Y and N, in the order asked
    QTest::addColumn<QDate>("businessDate");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("storedYear");       // 0: YearSales empty
    QTest::addColumn<double>("daily");
    QTest::addColumn<bool>("dailyRow");        // false: tblDailySale empty
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QStringList>("yearAfter");
    QTest::addColumn<QStringList>("lastYearAfter");
    QTest::addColumn<int>("linesAfter");
    QTest::addColumn<QStringList>("dayAfter");

    const QDate dec10(2026, 12, 10);
    const QStringList year2026{QStringLiteral("Ano=2026 November=50 December=100 AnualTotal=150")};
    const QStringList lastYearBefore{QStringLiteral("January=7 AnualTotal=7")};
    const QStringList dayBefore{QStringLiteral("tDate=2026-12-10 DailySale=12.5 totalItems=3")};
    const QStringList cleared{QStringLiteral("tDate=2026-12-11 totalItems=0")};

    QTest::newRow("first question No") << "N" << dec10 << dec10.addDays(1) << 2026 << 12.5 << true << false << year2026
                                       << lastYearBefore << 3 << dayBefore;
    QTest::newRow("second question No") << "YN" << dec10 << dec10.addDays(1) << 2026 << 12.5 << true << true << year2026
                                        << lastYearBefore << 3 << dayBefore;
    QTest::newRow("empty tblDailySale, empty YearSales") << "YY" << dec10 << dec10 << 0 << 12.5 << false << true
                                                         << QStringList{QStringLiteral("Ano=2026")} << lastYearBefore << 3
                                                         << QStringList{};
    QTest::newRow("normal close") << "YY" << dec10 << dec10.addDays(1) << 2026 << 12.5 << true << true
                                  << QStringList{QStringLiteral("Ano=2026 November=50 December=112.5 AnualTotal=162.5")}
                                  << lastYearBefore << 0 << cleared;
    QTest::newRow("DailySale of 0") << "YY" << dec10 << dec10.addDays(1) << 2026 << 0.0 << true << true << year2026
                                    << lastYearBefore << 0 << cleared;
    QTest::newRow("first run, empty YearSales") << "YY" << dec10 << dec10.addDays(1) << 0 << 12.5 << true << true
                                                << QStringList{QStringLiteral("Ano=2026 December=12.5 AnualTotal=12.5")}
                                                << lastYearBefore << 0 << cleared;
    QTest::newRow("started 31 December, closed after midnight")
        << "YY" << QDate(2026, 12, 31) << QDate(2027, 1, 1) << 2026 << 12.5 << true << true
        << QStringList{QStringLiteral("Ano=2026 November=50 December=112.5 AnualTotal=162.5")} << lastYearBefore << 0
        << QStringList{QStringLiteral("tDate=2027-01-01 totalItems=0")};
    QTest::newRow("year roll-over") << "YY" << QDate(2027, 1, 2) << QDate(2027, 1, 2) << 2026 << 12.5 << true << true
                                    << QStringList{}
                                    << QStringList{QStringLiteral("November=50 December=100 AnualTotal=150")} << 3
                                    << QStringList{QStringLiteral("tDate=2027-01-02 DailySale=12.5 totalItems=3")};
    QTest::newRow("a year long past") << "YY" << dec10 << dec10.addDays(1) << 2024 << 12.5 << true << true
                                      << QStringList{QStringLiteral("Ano=2024 November=50 December=100 AnualTotal=150")}
                                      << lastYearBefore << 3 << dayBefore;
    QTest::newRow("a year ahead (clock set back)") << "YY" << dec10 << dec10.addDays(1) << 2027 << 12.5 << true << true
                                                   << QStringList{QStringLiteral("Ano=2027 November=50 December=100 AnualTotal=150")}
                                                   << lastYearBefore << 3 << dayBefore;
}

void TestCloseOfDay::paths()
{
    QFETCH(QString, answers);
    QFETCH(QDate, businessDate);
    QFETCH(QDate, today);
    QFETCH(int, storedYear);
    QFETCH(double, daily);
    QFETCH(bool, dailyRow);
    QFETCH(bool, ends);
    QFETCH(QStringList, yearAfter);
    QFETCH(QStringList, lastYearAfter);
    QFETCH(int, linesAfter);
    QFETCH(QStringList, dayAfter);

    DayFixture t(businessDate, today, storedYear, dollars(daily), dailyRow);
    if (!dailyRow) {
        // The business date of a store without its day row is the picker's own: the day it opened.
        QCOMPARE(today, businessDate);
    }
    startup::MainWindow* menu = t.menu();
    for (QChar answer : answers)
        t.ui.answerMessage(answer == u'Y' ? ui::Button::Yes : ui::Button::No);
    QTest::mouseClick(menu->cmdSair, Qt::LeftButton);

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(int(t.ui.boxes().size()), int(answers.size()));
    QCOMPARE(t.ui.ended(), ends);
    QCOMPARE(menu->isVisible(), true);
    QCOMPARE(t.rows(QStringLiteral("YearSales")), yearAfter);
    QCOMPARE(t.rows(QStringLiteral("LastYearSales")), lastYearAfter);
    QCOMPARE(int(t.rows(QStringLiteral("daillySale")).size()), linesAfter);
    QCOMPARE(t.rows(QStringLiteral("tblDailySale")), dayAfter);
}

void TestCloseOfDay::questions_textsTitlesAndIcons()
{
    DayFixture t(QDate(2026, 12, 10), QDate(2026, 12, 10), 2026, dollars(1));
    t.ui.answerMessage(ui::Button::Yes);
    t.ui.answerMessage(ui::Button::No);
    QTest::mouseClick(t.menu()->cmdSair, Qt::LeftButton);
    const auto& boxes = t.ui.boxes();
    QCOMPARE(int(boxes.size()), 2);
    QCOMPARE(boxes[0].text, kFirstQuestion);
    QCOMPARE(boxes[0].title, kFirstTitle);
    QCOMPARE(boxes[1].text, kSecondQuestion);
    QCOMPARE(boxes[1].title, kSecondTitle);
    for (const auto& box : boxes) {
        QCOMPARE(box.icon, ui::Icon::Question);
        QCOMPARE(box.buttons, ui::Buttons::YesNo);
    }
}

void TestCloseOfDay::closeButton_closesTheDayToo()
{
    DayFixture t(QDate(2026, 12, 10), QDate(2026, 12, 11), 2026, dollars(12.5));
    startup::MainWindow* menu = t.menu();
    t.ui.answerMessage(ui::Button::No);
    menu->close();
    QVERIFY(!t.ui.ended());
    QVERIFY(menu->isVisible());
    t.ui.answerMessage(ui::Button::Yes);
    t.ui.answerMessage(ui::Button::Yes);
    menu->close();
    QVERIFY(t.ui.ended());
    QCOMPARE(t.field(QStringLiteral("YearSales"), u"December"), Value(dollars(112.5)));
    QCOMPARE(t.field(QStringLiteral("tblDailySale"), u"DailySale"), Value(Currency()));
}

void TestCloseOfDay::missingValues_data()
{
    QTest::addColumn<QString>("sql"); // run on the store before the close
    QTest::addColumn<QStringList>("yearAfter");
    QTest::addColumn<QStringList>("dayAfter");

    const QStringList untouchedYear{QStringLiteral("November=50 December=100 AnualTotal=150")};
    const QStringList untouchedDay{QStringLiteral("tDate=2026-12-10 DailySale=12.5 totalItems=3")};
    const QStringList cleared{QStringLiteral("tDate=2026-12-11 totalItems=0")};
    // A year row for no year is left, as one of a year long past is, and the program ends.
    QTest::newRow("Ano without a value") << QStringLiteral("UPDATE YearSales SET Ano = NULL") << untouchedYear << untouchedDay;
    // A figure without a value counts as 0.
    QTest::newRow("DailySale without a value") << QStringLiteral("UPDATE tblDailySale SET DailySale = NULL")
                                               << QStringList{QStringLiteral("Ano=2026 November=50 December=100 AnualTotal=150")}
                                               << cleared;
    QTest::newRow("December without a value") << QStringLiteral("UPDATE YearSales SET December = NULL")
                                              << QStringList{QStringLiteral("Ano=2026 November=50 December=12.5 AnualTotal=162.5")}
                                              << cleared;
    QTest::newRow("AnualTotal without a value") << QStringLiteral("UPDATE YearSales SET AnualTotal = NULL")
                                                << QStringList{QStringLiteral("Ano=2026 November=50 December=112.5 AnualTotal=12.5")}
                                                << cleared;
}

void TestCloseOfDay::missingValues()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, yearAfter);
    QFETCH(QStringList, dayAfter);

    DayFixture t(QDate(2026, 12, 10), QDate(2026, 12, 11), 2026, dollars(12.5));
    t.store->exec(sql);
    startup::MainWindow* menu = t.menu();
    t.ui.answerMessage(ui::Button::Yes);
    t.ui.answerMessage(ui::Button::Yes);
    QTest::mouseClick(menu->cmdSair, Qt::LeftButton);
    QVERIFY(t.ui.ended());
    QCOMPARE(int(t.ui.boxes().size()), 2);
    QCOMPARE(t.rows(QStringLiteral("YearSales")), yearAfter);
    QCOMPARE(t.rows(QStringLiteral("tblDailySale")), dayAfter);
}

void TestCloseOfDay::failurePartWay_leavesTheStoreAsItWas_data()
{
    QTest::addColumn<QDate>("businessDate");
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<QStringList>("mend");

    const auto failing = [](const char* write) {
        return QStringList{QStringLiteral("CREATE TRIGGER fail_write %1 BEGIN SELECT RAISE(ABORT, 'disk gone'); END").arg(QLatin1String(write))};
    };
    const QStringList dropTrigger{QStringLiteral("DROP TRIGGER fail_write")};
    // A row that must stay, checked only when the unit commits: every write is made, then undone.
    const auto pinned = [](const char* table) {
        return QStringList{QStringLiteral("PRAGMA foreign_keys = ON"),
            QStringLiteral("CREATE TABLE pin (k INTEGER REFERENCES %1(RowKey) DEFERRABLE INITIALLY DEFERRED)").arg(QLatin1String(table)),
            QStringLiteral("INSERT INTO pin SELECT RowKey FROM %1").arg(QLatin1String(table))};
    };
    const QStringList unpin{QStringLiteral("DROP TABLE pin"), QStringLiteral("PRAGMA foreign_keys = OFF")};

    // The last write of each, or the commit: everything before it is undone with it.
    QTest::newRow("normal close: clearing the daily totals") << QDate(2026, 12, 10) << failing("BEFORE UPDATE ON tblDailySale")
                                                             << dropTrigger;
    QTest::newRow("normal close: emptying the day's lines") << QDate(2026, 12, 10) << failing("BEFORE DELETE ON daillySale")
                                                            << dropTrigger;
    QTest::newRow("normal close: the commit") << QDate(2026, 12, 10) << pinned("daillySale") << unpin;
    QTest::newRow("roll-over: removing the year row") << QDate(2027, 1, 2) << failing("BEFORE DELETE ON YearSales") << dropTrigger;
    QTest::newRow("roll-over: the commit") << QDate(2027, 1, 2) << pinned("YearSales") << unpin;
}

void TestCloseOfDay::failurePartWay_leavesTheStoreAsItWas()
{
    QFETCH(QDate, businessDate);
    QFETCH(QStringList, fault);
    QFETCH(QStringList, mend);

    DayFixture t(businessDate, businessDate, 2026, dollars(12.5));
    const QStringList tables{QStringLiteral("YearSales"), QStringLiteral("LastYearSales"), QStringLiteral("daillySale"),
        QStringLiteral("tblDailySale")};
    QList<QStringList> before;
    for (const QString& table : tables)
        before << t.rows(table);
    for (const QString& sql : fault)
        t.store->exec(sql);

    startup::MainWindow* menu = t.menu();
    t.ui.answerMessage(ui::Button::Yes);
    t.ui.answerMessage(ui::Button::Yes);
    QTest::mouseClick(menu->cmdSair, Qt::LeftButton);

    QVERIFY(!t.ui.ended());
    QVERIFY(menu->isVisible());
    QCOMPARE(int(t.ui.boxes().size()), 2);
    for (int table = 0; table < tables.size(); ++table)
        QCOMPARE(t.rows(tables[table]), before[table]);

    // With the fault gone, the same close, by the exit or the close button, books the day once.
    for (const QString& sql : mend)
        t.store->exec(sql);
    t.ui.answerMessage(ui::Button::Yes);
    t.ui.answerMessage(ui::Button::Yes);
    menu->close();
    QVERIFY(t.ui.ended());
    if (businessDate.year() == 2026) {
        QCOMPARE(t.field(QStringLiteral("YearSales"), u"December"), Value(dollars(112.5)));
        QCOMPARE(t.rows(QStringLiteral("daillySale")), QStringList{});
    } else {
        QCOMPARE(t.field(QStringLiteral("LastYearSales"), u"AnualTotal"), Value(dollars(150)));
        QCOMPARE(t.rows(QStringLiteral("YearSales")), QStringList{});
    }
}

void TestCloseOfDay::unreadableDay_isToldAndTheMenuStays()
{
    DayFixture t(QDate(2026, 12, 10), QDate(2026, 12, 11), 2026, dollars(12.5));
    startup::MainWindow* menu = t.menu();
    // Another program has taken today's lines away.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(t.store->path().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "ALTER TABLE daillySale RENAME TO lines_elsewhere", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    QTest::mouseClick(menu->cmdSair, Qt::LeftButton);
    QVERIFY(!t.ui.ended());
    QVERIFY(menu->isVisible());
    QCOMPARE(int(t.ui.boxes().size()), 1);
    QVERIFY(t.ui.boxes()[0].text.contains(u"daillySale"));
    QCOMPARE(t.ui.boxes()[0].icon, ui::Icon::Critical);
    QCOMPARE(t.ui.boxes()[0].buttons, ui::Buttons::Ok);
    QCOMPARE(t.rows(QStringLiteral("tblDailySale")), QStringList{QStringLiteral("tDate=2026-12-10 DailySale=12.5 totalItems=3")});
}

QTEST_MAIN(TestCloseOfDay)
#include "close_of_day_test.moc"
