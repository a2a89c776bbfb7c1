#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace store {
class Store;
}
namespace platform {
class Printer;
}

namespace cashregister {

// A sale left in tblReceipt by a program that stopped before the sale was finished (a crash, a
// power cut, the program killed) is settled at the next start, before any window opens, so that
// its lines never reach the next customer's receipt and the next cashier's name is never read
// from one of them:
// - paid, its first row holding the amount tendered: its money is already in the day's takings.
//   The sale is completed as the till completes one: tblReceipt is emptied and the sale kept in
//   the sales journal, and once that is done the receipt is printed (or kept as a PDF file). The
//   money is not booked again.
// - not paid: its lines are given back as an abandoned sale's are, and tblReceipt is emptied.
//   Lines that cannot be given back are named for the manager to restock by hand.
// - the cash gate's row alone (only the cashier's name, written just before the till opens): no
//   sale. It is taken out, and nobody needs telling.
// Each is one unit of work.
//
// What was done with a sale is kept in the recovery note, a text file beside the store
// (recoveryNotePath), written before the unit commits as a new file that takes the note's place
// once it has: a program that stops in between leaves the new file, which the next start puts in
// place when the sale is gone from tblReceipt and drops when the sale is still there (and is then
// settled again). The cash register shows the note in one message when it next opens and then
// deletes it; notes of several starts before that are shown together.
struct SaleRecovery {
    enum class Outcome {
        Nothing,          // tblReceipt was empty
        CashierRowRemoved, // tblReceipt held the cash gate's row, no sale
        Completed,        // a paid sale
        GivenBack,        // a sale not paid
        NotRecovered,     // the store or the note failed: nothing was changed
    };
    Outcome outcome = Outcome::Nothing;
    // What this start added to the note; empty when it added nothing.
    QString note;
    // NotRecovered: what failed and what comes of it, to be shown at once.
    QString failure;
};

SaleRecovery recoverInterruptedSale(store::Store& store, platform::Printer& printer, const QDateTime& now, const QLocale& locale);

// The title of the start-up's message when a sale could not be settled.
inline constexpr QStringView kNotRecoveredTitle = u"Interrupted Sale Not Settled";
// The title of the cash register's message that shows the note.
inline constexpr QStringView kRecoveredTitle = u"Interrupted Sale Recovered";

// The recovery note of the store at `storePath`: the store's file name followed by
// ".recovered.txt", in the store's folder.
QString recoveryNotePath(const QString& storePath);

} // namespace cashregister
