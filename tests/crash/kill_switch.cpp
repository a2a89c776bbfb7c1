#include "kill_switch.h"

#include <sqlite3.h>

#include <csignal>
#include <cstring>

namespace crashtest {
namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_layer;
sqlite3_io_methods g_methods;
KillAt g_when = KillAt::Never;
int g_n = 0;
int g_writes = 0;
int g_syncs = 0;

struct File {
    sqlite3_file base;
    sqlite3_file* real; // the default file system's file, in the same allocation
};

sqlite3_file* real(sqlite3_file* file)
{
    return reinterpret_cast<File*>(file)->real;
}

void killIf(KillAt when, int count)
{
    if (g_when == when && count == g_n)
        std::raise(SIGKILL);
}

int layerWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
{
    const int count = ++g_writes;
    killIf(KillAt::BeforeWrite, count);
    const int rc = real(file)->pMethods->xWrite(real(file), data, amount, offset);
    killIf(KillAt::AfterWrite, count);
    return rc;
}

int layerSync(sqlite3_file* file, int flags)
{
    const int count = ++g_syncs;
    killIf(KillAt::BeforeSync, count);
    const int rc = real(file)->pMethods->xSync(real(file), flags);
    killIf(KillAt::AfterSync, count);
    return rc;
}

int layerClose(sqlite3_file* file)
{
    return real(file)->pMethods->xClose(real(file));
}
int layerRead(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset)
{
    return real(file)->pMethods->xRead(real(file), data, amount, offset);
}
int layerTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    return real(file)->pMethods->xTruncate(real(file), size);
}
int layerFileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return real(file)->pMethods->xFileSize(real(file), size);
}
int layerLock(sqlite3_file* file, int lock)
{
    return real(file)->pMethods->xLock(real(file), lock);
}
int layerUnlock(sqlite3_file* file, int lock)
{
    return real(file)->pMethods->xUnlock(real(file), lock);
}
int layerCheckReservedLock(sqlite3_file* file, int* out)
{
    return real(file)->pMethods->xCheckReservedLock(real(file), out);
}
int layerFileControl(sqlite3_file* file, int op, void* arg)
{
    return real(file)->pMethods->xFileControl(real(file), op, arg);
}
int layerSectorSize(sqlite3_file* file)
{
    return real(file)->pMethods->xSectorSize(real(file));
}
int layerDeviceCharacteristics(sqlite3_file* file)
{
    return real(file)->pMethods->xDeviceCharacteristics(real(file));
}
int layerShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out)
{
    return real(file)->pMethods->xShmMap(real(file), page, size, extend, out);
}
int layerShmLock(sqlite3_file* file, int offset, int n, int flags)
{
    return real(file)->pMethods->xShmLock(real(file), offset, n, flags);
}
void layerShmBarrier(sqlite3_file* file)
{
    real(file)->pMethods->xShmBarrier(real(file));
}
int layerShmUnmap(sqlite3_file* file, int deleteFlag)
{
    return real(file)->pMethods->xShmUnmap(real(file), deleteFlag);
}
int layerFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out)
{
    return real(file)->pMethods->xFetch(real(file), offset, amount, out);
}
int layerUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* page)
{
    return real(file)->pMethods->xUnfetch(real(file), offset, page);
}

int layerOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* layered = reinterpret_cast<File*>(file);
    layered->real = reinterpret_cast<sqlite3_file*>(layered + 1);
    const int rc = g_real->xOpen(g_real, name, layered->real, flags, outFlags);
    if (rc != SQLITE_OK || !layered->real->pMethods) {
        file->pMethods = nullptr;
        return rc;
    }
    file->pMethods = &g_methods;
    return rc;
}

} // namespace

void armKillSwitch(KillAt when, int n)
{
    g_when = when;
    g_n = n;
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    g_layer = *g_real;
    g_layer.zName = "crash-switch";
    g_layer.szOsFile = int(sizeof(File)) + g_real->szOsFile;
    g_layer.xOpen = layerOpen;
    g_layer.pNext = nullptr;
    g_methods = sqlite3_io_methods{};
    g_methods.iVersion = 3;
    g_methods.xClose = layerClose;
    g_methods.xRead = layerRead;
    g_methods.xWrite = layerWrite;
    g_methods.xTruncate = layerTruncate;
    g_methods.xSync = layerSync;
    g_methods.xFileSize = layerFileSize;
    g_methods.xLock = layerLock;
    g_methods.xUnlock = layerUnlock;
    g_methods.xCheckReservedLock = layerCheckReservedLock;
    g_methods.xFileControl = layerFileControl;
    g_methods.xSectorSize = layerSectorSize;
    g_methods.xDeviceCharacteristics = layerDeviceCharacteristics;
    g_methods.xShmMap = layerShmMap;
    g_methods.xShmLock = layerShmLock;
    g_methods.xShmBarrier = layerShmBarrier;
    g_methods.xShmUnmap = layerShmUnmap;
    g_methods.xFetch = layerFetch;
    g_methods.xUnfetch = layerUnfetch;
    sqlite3_vfs_register(&g_layer, 1);
}

int writesSeen()
{
    return g_writes;
}

int syncsSeen()
{
    return g_syncs;
}

} // namespace crashtest
