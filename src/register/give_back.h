#pragma once

#include <QString>
#include <QStringList>

namespace store {
class RecordSource;
}

namespace cashregister {

// The record sources through which an abandoned sale's lines go back where item entry took them
// from.
struct GiveBackSources {
    store::RecordSource& lines;     // tblReceipt
    store::RecordSource& prices;    // tblProductPrice
    store::RecordSource& stock;     // tblProductQuantity
    store::RecordSource& soldLines; // daillySale
    store::RecordSource& dayTotals; // tblDailySale
};

// Gives every line of tblReceipt back (its units into the stock row paired with the price row it
// was rung up from, today's sold line and its units out of the day's count) and deletes every row
// of tblReceipt, the cashier's row too, inside the caller's unit of work. Returns the lines that
// could not be given back, described. Throws when the store fails.
QStringList giveBackLines(const GiveBackSources& sources);

// True when the current row of tblReceipt holds goods: a product's code or name. The row the
// cash gate writes holds only the cashier's name and has nothing to give back.
bool isSaleLine(const store::RecordSource& row);

// The current line of tblReceipt as the cashier saw it: code, name and units.
QString describeLine(const store::RecordSource& line);

} // namespace cashregister
