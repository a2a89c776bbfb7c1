#pragma once

// A switch that kills the process (SIGKILL, nothing flushed, nothing cleaned up) just before or
// just after the n-th write or the n-th sync that SQLite hands to the file system, whichever file
// it is for: the store, its write-ahead log, a replica. It is a file-system layer of SQLite's own
// (a VFS) put in front of the default one, so it sees every connection the process opens.
namespace crashtest {

enum class KillAt { Never, BeforeWrite, AfterWrite, BeforeSync, AfterSync };

// Installs the layer as SQLite's default file system; `n` counts from 1. Call before the first
// connection is opened.
void armKillSwitch(KillAt when, int n);

// How many writes and syncs went through the layer so far.
int writesSeen();
int syncsSeen();

} // namespace crashtest
