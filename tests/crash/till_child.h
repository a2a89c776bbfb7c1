#pragma once

#include "kill_switch.h"

#include <QDate>
#include <QString>

namespace crashtest {

// The crash test's child: runs the program's windows over the store under `root` (a drive root:
// drive C is root/drive_c, drive D the folder root/disk2) through `events` business events chosen
// from `seed`, as staff would, telling its parent on standard output what it does:
//   state <text>   the store's business as it stands now (TillState::text)
//   begin <what>   an event starts; until its end the store holds the state before it or one of:
//   may <text>     a state the event may have left committed (the last one is its end state)
//   end <what>     the event is finished, and its last "may" is the state
//   done           every event is finished
//   error <what>   the program did what the child did not expect (a warning shown, a box unasked)
// With `when` other than Never, the kill switch ends the child at the n-th write or sync.
int runTillChild(const QString& root, quint32 seed, KillAt when, int n, int events);

// The host path of the store file under `root`, and of the replica on drive D.
QString storeFileUnder(const QString& root);
QString replicaFileUnder(const QString& root);

} // namespace crashtest

namespace crashtest {

// What a sale made after a kill did.
struct SaleAfterKill {
    bool sold = false;      // there was a product in stock to sell
    bool recovered = false; // the start settled a sale the kill left open
};

// The program started on the store under `root` on `today`, settling a sale the kill left open as
// the program does before any window, sells one unit of the first product in stock through the
// cash gate and the cash register, paid in full. Empty when it did, with the money booked, the
// open sale emptied and every unit still accounted for (in stock, on today's lines or on the open
// sale); otherwise what went wrong.
QString sellOneUnit(const QString& root, QDate today, SaleAfterKill& sale);

} // namespace crashtest
