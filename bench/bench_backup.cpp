// The backup made at every close of the day, of a store holding 32,767 products: copied through
// SQLite's backup API, checked whole, opened as a store, flushed to disk and renamed into place;
// beside a plain copy of the same store file, flushed to disk too, the least any backup costs.
// Both run in the same run; the backup reports its time as a ratio of the copy's ("vs_file_copy").
#include "bench_main.h"
#include "catalogue.h"

#include "store/backup.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <string>
#include <vector>

namespace {

// The catalogue with its write-ahead log taken in, so that its file alone is the whole store and
// a plain copy of it is a true baseline.
Catalogue& settledCatalogue()
{
    Catalogue& c = catalogue();
    static const bool settled = [&c] {
        c.store->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        return true;
    }();
    (void)settled;
    return c;
}

// A plain copy of the store file, flushed to disk: the time it took in seconds, or a negative
// number when it failed.
double copyStoreFile(const QString& path)
{
    const QString copy = path + QStringLiteral(".bench-copy");
    QFile::remove(copy);
    QElapsedTimer clock;
    clock.start();
    const bool copied = store::backup::copyFile(path, copy);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    QFile::remove(copy);
    return copied ? seconds : -1.0;
}

void Backup_CopyStoreFile(benchmark::State& state)
{
    Catalogue& c = settledCatalogue();
    for (auto _ : state) {
        const double seconds = copyStoreFile(c.path);
        if (seconds < 0) {
            state.SkipWithError("the store file could not be copied");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["store_MB"] = double(QFileInfo(c.path).size()) / 1e6;
}

void Backup_VerifiedBackupOf32767Products(benchmark::State& state)
{
    Catalogue& c = settledCatalogue();
    const QString folder = c.dir.filePath(QStringLiteral("Backups"));
    double backingUp = 0;
    double copying = 0;
    for (auto _ : state) {
        QDir(folder).removeRecursively();
        QElapsedTimer clock;
        clock.start();
        const std::vector<store::backup::Copy> copies = store::backup::make(*c.store, QDate(2026, 12, 10), {folder});
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        if (copies.size() != 1 || !copies.front().made()) {
            state.SkipWithError(("the backup was not made: " + (copies.empty() ? std::string() : copies.front().failure.toStdString())).c_str());
            break;
        }
        if (QFileInfo(copies.front().file).size() < QFileInfo(c.path).size() / 2) {
            state.SkipWithError("the backup is not whole: it is less than half the store's size");
            break;
        }
        state.SetIterationTime(seconds);
        backingUp += seconds;
        const double copy = copyStoreFile(c.path);
        if (copy < 0) {
            state.SkipWithError("the store file could not be copied");
            break;
        }
        copying += copy;
    }
    QDir(folder).removeRecursively();
    if (copying > 0)
        state.counters["vs_file_copy"] = backingUp / copying;
}

} // namespace

BENCHMARK(Backup_CopyStoreFile)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(Backup_VerifiedBackupOf32767Products)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
