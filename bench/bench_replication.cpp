// Synchronising a store of 32,767 products with its replica after 1,000 rows were changed on each
// side, beside copying the store file once, the least a synchronisation that rewrites the replica
// can cost. The synchronisation reports its time as a ratio of the copy's, measured in the same
// run ("vs_file_copy").
#include "bench_main.h"
#include "catalogue.h"

#include "store/error.h"
#include "store/replication.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <exception>
#include <string>

namespace {

constexpr int kChanged = 1000;

// The catalogue made replicable, with a replica beside it.
struct Replicated {
    Catalogue& c = catalogue();
    QString replica = c.dir.filePath(QStringLiteral("D/Grocery.mdb"));

    Replicated()
    {
        QDir().mkpath(QFileInfo(replica).absolutePath());
        auto db = store::ReplicaDatabase::open(c.path, store::ReplicaDatabase::Use::Exclusive, c.store.get());
        db->appendProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
        db->makeReplica(replica, QStringLiteral("MyReplica"));
    }
};

Replicated& replicated()
{
    static Replicated instance;
    return instance;
}

// Copies the store file to a new file beside it; the time it took in seconds, or a negative
// number when it failed.
double copyStoreFile(const QString& path)
{
    const QString copy = path + QStringLiteral(".bench-copy");
    QFile::remove(copy);
    QElapsedTimer clock;
    clock.start();
    const bool copied = QFile::copy(path, copy);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    QFile::remove(copy);
    return copied ? seconds : -1.0;
}

std::string sumsOf(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, "SELECT (SELECT total(ProductPrice) FROM tblProductPrice) || '/' || (SELECT total(QuantityOnHand) FROM tblProductQuantity)", -1,
            &statement, nullptr)
            == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        out = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return out;
}

void Replication_CopyStoreFile(benchmark::State& state)
{
    Replicated& r = replicated();
    for (auto _ : state) {
        const double seconds = copyStoreFile(r.c.path);
        if (seconds < 0) {
            state.SkipWithError("the store file could not be copied");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

void Replication_Synchronize1000ChangedRowsEachWay(benchmark::State& state)
{
    Replicated& r = replicated();
    sqlite3* replica = nullptr;
    sqlite3_open_v2(QFile::encodeName(r.replica).constData(), &replica, SQLITE_OPEN_READWRITE, nullptr);
    double synchronizing = 0;
    double copying = 0;
    int round = 0;
    for (auto _ : state) {
        // 1,000 stock rows changed in the store, 1,000 price rows in the replica, each round on
        // other rows.
        const int first = 1 + (round * kChanged) % (Catalogue::kProducts - kChanged);
        ++round;
        r.c.store->exec(QStringLiteral("UPDATE tblProductQuantity SET QuantityOnHand = QuantityOnHand - 1 WHERE RowKey BETWEEN %1 AND %2")
                            .arg(first)
                            .arg(first + kChanged - 1));
        const std::string change = QStringLiteral("UPDATE tblProductPrice SET ProductPrice = ProductPrice + 100 WHERE RowKey BETWEEN %1 AND %2")
                                       .arg(first)
                                       .arg(first + kChanged - 1)
                                       .toStdString();
        if (sqlite3_exec(replica, change.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError("the replica could not be changed");
            break;
        }
        sqlite3_close(replica); // the synchronisation needs the replica to itself
        replica = nullptr;

        QElapsedTimer clock;
        clock.start();
        try {
            auto db = store::ReplicaDatabase::open(r.c.path, store::ReplicaDatabase::Use::Shared, r.c.store.get());
            db->synchronize(r.replica);
        } catch (const std::exception& e) {
            state.SkipWithError((std::string("the synchronisation failed: ") + e.what()).c_str());
            break;
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        synchronizing += seconds;
        const double copy = copyStoreFile(r.c.path);
        if (copy < 0) {
            state.SkipWithError("the store file could not be copied");
            break;
        }
        copying += copy;

        sqlite3_open_v2(QFile::encodeName(r.replica).constData(), &replica, SQLITE_OPEN_READWRITE, nullptr);
        if (sumsOf(replica).empty() || sumsOf(replica) != sumsOf(r.c.store->handle())) {
            state.SkipWithError("the synchronisation did not finish: the store and the replica differ");
            break;
        }
    }
    sqlite3_close(replica);
    if (copying > 0)
        state.counters["vs_file_copy"] = synchronizing / copying;
}

} // namespace

BENCHMARK(Replication_CopyStoreFile)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(Replication_Synchronize1000ChangedRowsEachWay)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
