#pragma once

#include "store/value.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace store {

class Store;

// The sales journal: every completed sale kept for good, beside the day's lines that the close of
// the day clears. A sale is written to the journal in the unit of work that books its money in
// the day's takings, so that a sale is in the journal exactly when its money is in the store.
//
// Two tables of the store's own, plain to read with any SQLite tool:
// - SalesJournal: one row per event at the till, numbered by SaleNumber, a number that only grows
//   (never handed out twice, not even after the last sale is gone); Kind is "Sale" for a completed
//   sale, "NoSale" for the cash drawer opened without one. Times are ISO 8601 text, amounts
//   integer counts of ten-thousandths, as everywhere in the store.
// - SalesJournalLines: the lines of each sale, numbered from 1 in the order they were rung up.
// - DayCloses: one row per close of the day, with the last journal number it closed; the sales
//   after it are the ones whose money is in the day's takings now.
//
// The journal is the till's own record: it is copied with the store, never merged by a
// synchronisation, and never changed once written.
namespace journal {

// The version of the store's layout that brought the journal in.
inline constexpr int kSince = 4;

inline constexpr QStringView kSalesTable = u"SalesJournal";
inline constexpr QStringView kLinesTable = u"SalesJournalLines";
inline constexpr QStringView kClosesTable = u"DayCloses";

inline constexpr QStringView kSale = u"Sale";
inline constexpr QStringView kNoSale = u"NoSale";

struct Line {
    QString code;
    QString name;
    // The product's category when it was sold (empty when it had none).
    QString category;
    std::int16_t quantity = 0;
    Currency lineTotal;
    bool operator==(const Line&) const = default;
};

struct Entry {
    std::int64_t number = 0; // given by record()
    QString kind = kSale.toString();
    QDateTime at;            // when the sale was completed, local time, to the second
    QDate businessDate;      // the day whose takings hold its money
    QString cashier;
    Currency subtotal;
    Currency tax;
    Currency total;
    Currency amountTendered;
    Currency change;
    std::vector<Line> lines;

    // The units of all the lines.
    int units() const;
    bool operator==(const Entry&) const = default;
};

// Makes the journal's tables in a store that has none (inside the caller's transaction).
void install(Store& store);
// True when the store has the journal's tables with every column the program reads.
bool installed(Store& store);

// Writes `entry` and its lines inside the caller's unit of work and returns its number. Throws
// store::Error when the store cannot take it; the caller's unit then writes nothing.
std::int64_t record(Store& store, const Entry& entry);

// The entry of that number, with its lines; none when there is no such entry.
std::optional<Entry> entry(Store& store, std::int64_t number);
// The last entry of that kind (the latest number), with its lines; none when there is none.
std::optional<Entry> last(Store& store, QStringView kind = kSale);
// The entries of a business day, in the order of their numbers; with their lines when asked.
std::vector<Entry> ofDay(Store& store, const QDate& businessDate, bool withLines);

// A close of the day: when, which business day, and the last journal number it took in.
struct Close {
    std::int64_t number = 0;
    QDateTime at;
    QDate businessDate;
    std::int64_t lastEntry = 0; // 0 when the journal was empty
    bool operator==(const Close&) const = default;
};

// The entries not closed yet (after the last close's last entry), in the order of their numbers,
// with their lines when asked: the sales whose money the day's takings hold.
std::vector<Entry> sinceLastClose(Store& store, bool withLines);
// Records a close of the business day `businessDate` at `at`, taking in every entry so far, inside
// the caller's unit of work (the close's own), and returns it.
Close recordClose(Store& store, const QDateTime& at, const QDate& businessDate);
// The last close; none before the first.
std::optional<Close> lastClose(Store& store);

} // namespace journal
} // namespace store
