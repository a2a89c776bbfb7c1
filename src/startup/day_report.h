#pragma once

#include "store/journal.h"
#include "store/value.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

namespace app {
struct Context;
}
namespace store {
class Store;
}

namespace startup {

// The day's report, printed once a close of the day is in the store: what the till took in since
// the close before. Its layout is kept in the store, in the row named rptDayReport of the table
// of reports, so that a store can carry its own; a new store starts with ours.
//
// A layout is HTML (as far as Qt's rich text goes), filled in as ui::fillLayout describes, with:
// - {{Day}}: the business day closed; {{FirstSale}} and {{LastSale}}: the numbers of its first
//   and last sales ("-" when there were none); {{Sales}}: how many; {{Units}}: the units sold;
//   {{Takings}}: the sales' totals added up; {{Tax}}: the tax in them;
// - {{#cashiers}} ... {{/cashiers}}: a row per cashier, by name, with {{Cashier}}, {{Sales}} and
//   {{Takings}};
// - {{#categories}} ... {{/categories}}: a row per category sold, in the categories' own order,
//   with {{Category}} and {{Units}};
// - {{Date}} and {{Time}}: when it was printed, in the staff's medium date and long time formats.
// Amounts are shown in the staff's currency format; only completed sales count.

// What a close took in: the business day it booked and the journal's entries since the close
// before, with their lines.
struct DaySales {
    QDate day;
    std::vector<store::journal::Entry> entries;
};

// The day's figures, from the completed sales among the entries.
struct DayFigures {
    struct Cashier {
        QString name;
        int sales = 0;
        store::Currency takings;
        bool operator==(const Cashier&) const = default;
    };
    struct Category {
        QString name;
        int units = 0;
        bool operator==(const Category&) const = default;
    };

    QDate day;
    std::int64_t firstSale = 0; // 0 when there were no sales
    std::int64_t lastSale = 0;
    int sales = 0;
    int units = 0;
    store::Currency takings;
    store::Currency tax;
    std::vector<Cashier> cashiers;     // by name
    std::vector<Category> categories;  // the store's categories in their order, then any other by name
};

DayFigures dayFigures(const DaySales& sales);

// The folder beside the store where reports that are not printed on paper are kept.
QString reportsFolder(const QString& storePath);

// The report as it is printed: from the store's layout, or, when that cannot be used (none,
// blank, broken, or the store cannot be read), from the program's own. `problem` then says what
// is wrong with the store's layout.
struct PrintableDayReport {
    QString html;
    QString problem;
};
PrintableDayReport printableDayReport(store::Store& store, const DayFigures& figures, const QDateTime& printedAt, const QLocale& locale);

// Fills a day report's layout. Throws ui::LayoutError.
QString fillDayReportLayout(const QString& layout, const DayFigures& figures, const QDateTime& printedAt, const QLocale& locale);

// Prints the day's report on the reports' printer. `window` takes no input while it prints. A
// report that cannot be printed is kept as a PDF in the reports' folder and the manager is told;
// nothing here throws, so that the close it follows always goes on to its end.
void printDayReport(app::Context& context, const DaySales& sales, QWidget& window);

} // namespace startup
