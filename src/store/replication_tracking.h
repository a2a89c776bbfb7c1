#pragma once

struct sqlite3;

// How a replicable store tracks its rows, shared by the store's open and the replication engine.
// Every function throws store::Error when SQLite fails.
namespace store::tracking {

// True when the file carries the property "Replicable" with the value "T".
bool isReplicable(sqlite3* db);
// True when the bookkeeping tables and the triggers of every table of the store are in place.
bool installed(sqlite3* db);
// Makes the bookkeeping tables and the triggers of every table, and brings the bookkeeping in
// line with the rows (a row it does not know is tracked as changed, a row it knows that is gone
// becomes a tombstone). Runs inside the caller's transaction.
void install(sqlite3* db);

} // namespace store::tracking
