// Closing the day after 10,000 lines sold: the real main menu's exit, answered Yes twice, from the
// click to the program told to end, beside plain SQLite calls on the same store making the same
// writes in one transaction (the month and the year total booked, the lines deleted, the daily
// totals cleared). Each iteration starts from a fresh store outside the timing.
#include "bench_main.h"

#include "startup/main_window.h"
#include "startup/windows.h"
#include "store/store.h"
#include "support/test_context.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

constexpr int kLines = 10000;

// A store at the end of a busy day: this year's row, the day's totals and kLines lines.
std::unique_ptr<testing::TestContext> busyDay()
{
    auto t = std::make_unique<testing::TestContext>();
    store::Store& s = *t->store;
    s.exec(QStringLiteral("INSERT INTO YearSales (Ano, December, AnualTotal) VALUES (2026, 1000000, 1000000)"));
    s.exec(QStringLiteral("UPDATE tblDailySale SET DailySale = 12345678, totalItems = 10000"));
    s.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO daillySale (Codigo, Nome_Produto, Quantidade, Preco) "
                          "SELECT 'P' || i, 'Product ' || i, 1, 12345 FROM n")
               .arg(kLines));
    return t;
}

int count(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    int result = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        result = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return result;
}

void CloseOfDay_MainMenuExit(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<testing::TestContext> t = busyDay();
        startup::registerWindows(t->windows);
        auto* menu = static_cast<startup::MainWindow*>(t->windows.show(QStringLiteral("frmMain")));
        t->ui.answerMessage(ui::Button::Yes);
        t->ui.answerMessage(ui::Button::Yes);
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(menu->cmdSair, Qt::LeftButton);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);

        const int left = count(t->store->handle(), "SELECT COUNT(*) FROM daillySale");
        if (!t->ui.ended() || left != 0) {
            state.SkipWithError("the close of day did not finish: the program was not ended or lines were left");
            break;
        }
    }
}

void CloseOfDay_PlainSqlite(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<testing::TestContext> t = busyDay();
        sqlite3* db = nullptr;
        sqlite3_open_v2(t->store->path().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        const int rc = sqlite3_exec(db,
            "BEGIN IMMEDIATE;"
            "UPDATE YearSales SET December = December + (SELECT DailySale FROM tblDailySale), "
            "  AnualTotal = AnualTotal + (SELECT DailySale FROM tblDailySale);"
            "DELETE FROM daillySale;"
            "UPDATE tblDailySale SET DailySale = 0, tDate = '2026-12-11', totalItems = 0;"
            "COMMIT;",
            nullptr, nullptr, nullptr);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        const int left = count(db, "SELECT COUNT(*) FROM daillySale");
        sqlite3_close(db);
        if (rc != SQLITE_OK || left != 0) {
            state.SkipWithError("plain SQLite did not close the day");
            break;
        }
    }
}

} // namespace

BENCHMARK(CloseOfDay_MainMenuExit)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(CloseOfDay_PlainSqlite)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // The main menu is a real window: without a display it is drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
