#include "failing_disk.h"

#include <sqlite3.h>

#include <array>
#include <cstring>

namespace testing {
namespace {

struct State {
    bool armed = false;
    FailingDisk::Call call = FailingDisk::Call::Write;
    FailingDisk::Error error = FailingDisk::Error::Full;
    int nth = 0;
    FailingDisk::Lasting lasting = FailingDisk::Lasting::Once;
    std::array<int, 3> seen{};
    int failed = 0;
    bool full = false; // every call fails
};

State state;
sqlite3_vfs* real = nullptr;
sqlite3_vfs shim;

// A file of the shim: the real file follows it in the same allocation.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realOf(sqlite3_file* file)
{
    return reinterpret_cast<ShimFile*>(file)->real;
}

// Counts a call, and answers the error it is to fail with (SQLITE_OK to let it through).
int verdict(FailingDisk::Call call)
{
    const int seen = ++state.seen[std::size_t(call)];
    if (state.full) {
        ++state.failed;
        return SQLITE_FULL;
    }
    if (!state.armed || call != state.call)
        return SQLITE_OK;
    const bool fails = state.lasting == FailingDisk::Lasting::Once ? seen == state.nth : seen >= state.nth;
    if (!fails)
        return SQLITE_OK;
    ++state.failed;
    if (state.error == FailingDisk::Error::Full)
        return SQLITE_FULL;
    switch (call) {
    case FailingDisk::Call::Write:
        return SQLITE_IOERR_WRITE;
    case FailingDisk::Call::Sync:
        return SQLITE_IOERR_FSYNC;
    case FailingDisk::Call::Truncate:
        return SQLITE_IOERR_TRUNCATE;
    }
    return SQLITE_IOERR;
}

int shimClose(sqlite3_file* f)
{
    sqlite3_file* r = realOf(f);
    const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
    f->pMethods = nullptr;
    return rc;
}
int shimRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    return realOf(f)->pMethods->xRead(realOf(f), buffer, amount, offset);
}
int shimWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    if (const int rc = verdict(FailingDisk::Call::Write))
        return rc;
    return realOf(f)->pMethods->xWrite(realOf(f), buffer, amount, offset);
}
int shimTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    if (const int rc = verdict(FailingDisk::Call::Truncate))
        return rc;
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int shimSync(sqlite3_file* f, int flags)
{
    if (const int rc = verdict(FailingDisk::Call::Sync))
        return rc;
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int shimFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int shimLock(sqlite3_file* f, int lock)
{
    return realOf(f)->pMethods->xLock(realOf(f), lock);
}
int shimUnlock(sqlite3_file* f, int lock)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), lock);
}
int shimCheckReservedLock(sqlite3_file* f, int* out)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int shimFileControl(sqlite3_file* f, int op, void* arg)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int shimSectorSize(sqlite3_file* f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int shimDeviceCharacteristics(sqlite3_file* f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}
int shimShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, out);
}
int shimShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}
void shimShmBarrier(sqlite3_file* f)
{
    realOf(f)->pMethods->xShmBarrier(realOf(f));
}
int shimShmUnmap(sqlite3_file* f, int deleteFlag)
{
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}
// Version 2 methods: the shim does not offer memory-mapped reads, so that every page read goes
// through the calls above as well.
const sqlite3_io_methods shimMethods = {
    2,
    shimClose,
    shimRead,
    shimWrite,
    shimTruncate,
    shimSync,
    shimFileSize,
    shimLock,
    shimUnlock,
    shimCheckReservedLock,
    shimFileControl,
    shimSectorSize,
    shimDeviceCharacteristics,
    shimShmMap,
    shimShmLock,
    shimShmBarrier,
    shimShmUnmap,
    nullptr,
    nullptr,
};

// Only the files of a database fail: the file itself, its write-ahead log and its journals.
constexpr int kStoreFiles = SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_SUPER_JOURNAL;

int shimOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    // Other files (temporary ones) are the real ones: nothing of them is counted.
    if (!(flags & kStoreFiles))
        return real->xOpen(real, name, file, flags, outFlags);
    auto* mine = reinterpret_cast<ShimFile*>(file);
    mine->real = reinterpret_cast<sqlite3_file*>(mine + 1);
    std::memset(mine->real, 0, std::size_t(real->szOsFile));
    const int rc = real->xOpen(real, name, mine->real, flags, outFlags);
    file->pMethods = mine->real->pMethods ? &shimMethods : nullptr;
    return rc;
}

} // namespace

void FailingDisk::install()
{
    if (real)
        return;
    real = sqlite3_vfs_find(nullptr);
    shim = *real;
    shim.zName = "failing-disk";
    shim.pAppData = nullptr;
    shim.szOsFile = int(sizeof(ShimFile)) + real->szOsFile;
    shim.xOpen = shimOpen;
    sqlite3_vfs_register(&shim, 1);
}

void FailingDisk::arm(Call call, Error error, int nth, Lasting lasting)
{
    state = State{true, call, error, nth, lasting, {}, 0, false};
}

void FailingDisk::fill()
{
    state = State{};
    state.full = true;
}

void FailingDisk::disarm()
{
    state = State{};
}

void FailingDisk::count()
{
    state = State{};
}

int FailingDisk::calls(Call call)
{
    return state.seen[std::size_t(call)];
}

int FailingDisk::failed()
{
    return state.failed;
}

QString FailingDisk::describe(Call call)
{
    switch (call) {
    case Call::Write:
        return QStringLiteral("write");
    case Call::Sync:
        return QStringLiteral("sync");
    case Call::Truncate:
        return QStringLiteral("truncate");
    }
    return {};
}

QString FailingDisk::describe(Error error)
{
    return error == Error::Full ? QStringLiteral("disk full") : QStringLiteral("I/O error");
}

} // namespace testing
