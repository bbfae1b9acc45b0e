#include "CrashVfs.h"

#include <csignal>
#include <cstring>
#include <sqlite3.h>

namespace {

sqlite3_vfs* g_base = nullptr;
sqlite3_vfs g_vfs;
CrashTarget g_target = CrashTarget::Database;
int g_left = 0;

struct ShimFile
{
    sqlite3_file base; // must come first: SQLite sees this
    bool counted;
    sqlite3_file* real;
};

sqlite3_file* real(sqlite3_file* f)
{
    return reinterpret_cast<ShimFile*>(f)->real;
}

int shimClose(sqlite3_file* f)
{
    const int rc = real(f)->pMethods ? real(f)->pMethods->xClose(real(f)) : SQLITE_OK;
    sqlite3_free(real(f));
    return rc;
}
int shimRead(sqlite3_file* f, void* p, int n, sqlite3_int64 o)
{
    return real(f)->pMethods->xRead(real(f), p, n, o);
}
int shimWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 o)
{
    if (reinterpret_cast<ShimFile*>(f)->counted && --g_left <= 0)
        std::raise(SIGKILL);
    return real(f)->pMethods->xWrite(real(f), p, n, o);
}
int shimTruncate(sqlite3_file* f, sqlite3_int64 s)
{
    return real(f)->pMethods->xTruncate(real(f), s);
}
int shimSync(sqlite3_file* f, int flags)
{
    return real(f)->pMethods->xSync(real(f), flags);
}
int shimSize(sqlite3_file* f, sqlite3_int64* s)
{
    return real(f)->pMethods->xFileSize(real(f), s);
}
int shimLock(sqlite3_file* f, int l)
{
    return real(f)->pMethods->xLock(real(f), l);
}
int shimUnlock(sqlite3_file* f, int l)
{
    return real(f)->pMethods->xUnlock(real(f), l);
}
int shimCheck(sqlite3_file* f, int* r)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), r);
}
int shimControl(sqlite3_file* f, int op, void* a)
{
    return real(f)->pMethods->xFileControl(real(f), op, a);
}
int shimSector(sqlite3_file* f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int shimCaps(sqlite3_file* f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}

const sqlite3_io_methods kMethods = {1,           shimClose,  shimRead, shimWrite,  shimTruncate,
                                     shimSync,    shimSize,   shimLock, shimUnlock, shimCheck,
                                     shimControl, shimSector, shimCaps, nullptr,    nullptr,
                                     nullptr,     nullptr,    nullptr,  nullptr};

int shimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags)
{
    auto* shim = reinterpret_cast<ShimFile*>(f);
    shim->real = static_cast<sqlite3_file*>(sqlite3_malloc(g_base->szOsFile));
    if (!shim->real)
        return SQLITE_NOMEM;
    std::memset(shim->real, 0, size_t(g_base->szOsFile));
    const int rc = g_base->xOpen(g_base, name, shim->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        sqlite3_free(shim->real);
        shim->base.pMethods = nullptr;
        return rc;
    }
    const int want = g_target == CrashTarget::Database ? SQLITE_OPEN_MAIN_DB : SQLITE_OPEN_MAIN_JOURNAL;
    shim->counted = (flags & want) != 0;
    shim->base.pMethods = &kMethods;
    return SQLITE_OK;
}

} // namespace

void installCrashVfs(CrashTarget target, int nthWrite)
{
    g_base = sqlite3_vfs_find(nullptr);
    g_vfs = *g_base;
    g_vfs.zName = "crash";
    g_vfs.szOsFile = int(sizeof(ShimFile));
    g_vfs.xOpen = shimOpen;
    g_target = target;
    g_left = nthWrite;
    sqlite3_vfs_register(&g_vfs, 1);
}
