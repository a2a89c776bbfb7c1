#pragma once

#include "register/receipt.h"

#include <QDate>

#include <cstdint>

class QWidget;

namespace app {
struct Context;
}

namespace cashregister {

// Prints a receipt on the till's printer. Until the printer has answered the busy pointer shows
// and `window` takes no key; then the focus goes back where it was. A receipt that could not be
// printed, or was printed with the program's own layout, is told in a message; the sale it is of
// stays completed whatever happens. With `openDrawer`, the cash drawer wired to the printer (when
// one is) is opened first; a drawer that does not open is told with the receipt. Never throws.
void printAndTell(app::Context& context, const PrintableReceipt& receipt, QWidget* window, bool openDrawer = false);

// Prints the receipt of the journal's sale `number` again, marked as a copy. Tells the cashier,
// and answers false, when the journal has no such sale or cannot be read.
bool reprintReceipt(app::Context& context, std::int64_t number, QWidget* window);

// The business day whose sales the till shows: the date of the day's takings (tDate of
// tblDailySale), or the clock's date when it has none. Throws store::Error when it cannot be read.
QDate businessDay(app::Context& context);

} // namespace cashregister
