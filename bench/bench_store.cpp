// Record sources beside the same work done with plain SQLite calls, on one catalogue of 32,767
// products: a refresh of both product tables followed by the paired scan to the last row, one
// durable single-field update, and opening the store (which checks every page of the file)
// beside a plain open and a plain open followed by the same check.
#include "bench_main.h"
#include "catalogue.h"

#include "store/error.h"
#include "store/record_source.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>

#include <cstring>

namespace {



void RecordSource_RefreshAndPairedScan(benchmark::State& state)
{
    Catalogue& c = catalogue();
    store::RecordSource prices(*c.store, QStringLiteral("DatatblPPrice"), QStringLiteral("tblProductPrice"));
    store::RecordSource stock(*c.store, QStringLiteral("DataPQty"), QStringLiteral("tblProductQuantity"));
    const int code = prices.fieldIndex(u"Code");
    const int onHand = stock.fieldIndex(u"QuantityOnHand");
    // Another screen's writes before every refresh, so that each refresh reads both tables again.
    store::RecordSource otherPrices(*c.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
    store::RecordSource otherStock(*c.store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"));
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (store::RecordSource* other : {&otherPrices, &otherStock}) {
            other->edit();
            other->setField(u"Code", QStringLiteral("P%1").arg(n % 10, 5, 10, QLatin1Char('0')));
            other->update();
        }
        ++n;
        state.ResumeTiming();
        stock.refresh();
        prices.refresh();
        int rows = 0;
        while (!prices.atEnd() && !stock.atEnd()) {
            benchmark::DoNotOptimize(prices.field(code));
            benchmark::DoNotOptimize(stock.field(onHand));
            prices.moveNext();
            stock.moveNext();
            ++rows;
        }
        if (rows != Catalogue::kProducts)
            state.SkipWithError("the scan missed rows");
    }
}

void PlainSqlite_RefreshAndPairedScan(benchmark::State& state)
{
    Catalogue& c = catalogue();
    sqlite3* db = openPlain(c.path);
    for (auto _ : state) {
        sqlite3_stmt* prices = nullptr;
        sqlite3_stmt* stock = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, Code, ProductName, ProductPrice, VPrice, ProdCathegory FROM tblProductPrice ORDER BY rowid", -1, &prices, nullptr);
        sqlite3_prepare_v2(db, "SELECT rowid, Code, QuantityBought, QuantityOnHand, QuantitySold FROM tblProductQuantity ORDER BY rowid", -1, &stock, nullptr);
        int rows = 0;
        while (sqlite3_step(prices) == SQLITE_ROW && sqlite3_step(stock) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(prices, 1));
            benchmark::DoNotOptimize(sqlite3_column_text(prices, 2));
            benchmark::DoNotOptimize(sqlite3_column_int64(prices, 3));
            benchmark::DoNotOptimize(sqlite3_column_int64(prices, 4));
            benchmark::DoNotOptimize(sqlite3_column_text(prices, 5));
            benchmark::DoNotOptimize(sqlite3_column_text(stock, 1));
            benchmark::DoNotOptimize(sqlite3_column_int(stock, 2));
            benchmark::DoNotOptimize(sqlite3_column_int(stock, 3));
            benchmark::DoNotOptimize(sqlite3_column_int(stock, 4));
            ++rows;
        }
        sqlite3_finalize(prices);
        sqlite3_finalize(stock);
        if (rows != Catalogue::kProducts)
            state.SkipWithError("the scan missed rows");
    }
    sqlite3_close(db);
}

void RecordSource_DurableUpdate(benchmark::State& state)
{
    Catalogue& c = catalogue();
    store::RecordSource stock(*c.store, QStringLiteral("DataPQty"), QStringLiteral("tblProductQuantity"));
    for (int i = 1; i < stock.recordCount(); ++i)
        stock.moveNext();
    int n = 0;
    for (auto _ : state) {
        stock.edit();
        stock.setField(u"QuantityOnHand", 500 + (n++ % 100));
        stock.update();
    }
}

void PlainSqlite_DurableUpdate(benchmark::State& state)
{
    Catalogue& c = catalogue();
    sqlite3* db = openPlain(c.path);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE tblProductQuantity SET QuantityOnHand = ? WHERE rowid = (SELECT max(rowid) FROM tblProductQuantity)", -1, &update, nullptr);
    int n = 0;
    for (auto _ : state) {
        sqlite3_bind_int(update, 1, 500 + (n++ % 100));
        if (sqlite3_step(update) != SQLITE_DONE)
            state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    sqlite3_close(db);
}

void Store_Open(benchmark::State& state)
{
    Catalogue& c = catalogue();
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(store::Store::open(c.path, QDate(2026, 12, 10)));
        } catch (const store::Error& e) {
            state.SkipWithError(qPrintable(e.message()));
            break;
        }
    }
}

// Opens the file as the store does (WAL, full synchronous writes) and reads its layout version,
// with or without SQLite's quick check of every page.
void plainOpen(benchmark::State& state, bool quickCheck)
{
    Catalogue& c = catalogue();
    for (auto _ : state) {
        sqlite3* db = openPlain(c.path);
        sqlite3_stmt* read = nullptr;
        sqlite3_prepare_v2(db, quickCheck ? "PRAGMA quick_check(1)" : "PRAGMA user_version", -1, &read, nullptr);
        const bool answered = sqlite3_step(read) == SQLITE_ROW;
        if (!answered || (quickCheck && std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(read, 0)), "ok") != 0))
            state.SkipWithError("the store did not answer");
        sqlite3_finalize(read);
        sqlite3_close(db);
        if (!answered)
            break;
    }
}

void PlainSqlite_Open(benchmark::State& state)
{
    plainOpen(state, false);
}

void PlainSqlite_OpenAndQuickCheck(benchmark::State& state)
{
    plainOpen(state, true);
}

} // namespace

BENCHMARK(RecordSource_RefreshAndPairedScan)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainSqlite_RefreshAndPairedScan)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordSource_DurableUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainSqlite_DurableUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(Store_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainSqlite_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainSqlite_OpenAndQuickCheck)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
