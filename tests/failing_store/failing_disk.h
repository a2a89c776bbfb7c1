// A disk that fails on command, under every SQLite connection of the test process.
//
// FailingDisk::install() puts a shim over the default SQLite file system and makes it the
// default, so that the store, the record sources and the replication engine all write through it.
// The shim passes every call on, and fails the chosen kind of call (a write, a sync or a
// truncation of a store file, its log or its journal) with the chosen error, from the n-th such
// call after it is armed: once, or from then on, as a full disk does until space is freed.
#pragma once

#include <QString>

namespace testing {

class FailingDisk {
public:
    enum class Call { Write, Sync, Truncate };
    enum class Error { Full, IoError };
    enum class Lasting { Once, FromThenOn };

    // Registers the shim as the default file system; later calls do nothing.
    static void install();

    // Fails the `nth` call of `call` from now (1: the next one) with `error`.
    static void arm(Call call, Error error, int nth, Lasting lasting);
    // The disk is full from now on: every write, sync and truncation fails with SQLITE_FULL.
    static void fill();
    // Every call goes through again, as after space was freed; the counts start again.
    static void disarm();
    // Counts the calls of each kind without failing any (a dry run of an operation).
    static void count();
    static int calls(Call call);
    // How many calls were failed since the last arm().
    static int failed();

    static QString describe(Call call);
    static QString describe(Error error);
};

} // namespace testing
