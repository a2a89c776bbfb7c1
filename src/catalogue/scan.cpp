#include "catalogue/scan.h"

#include "store/convert.h"
#include "store/record_source.h"
#include "store/value.h"

namespace catalogue {
namespace {

void walk(store::RecordSource& lead, store::RecordSource* beside, const std::function<bool()>& matches)
{
    namespace convert = store::convert;
    lead.moveFirst();
    if (beside)
        beside->moveFirst();
    // Rows 1 to n-1 are looked at here; the row the walk stops on is the caller's to test again.
    const std::int16_t rows = convert::numberToWhole(lead.recordCount());
    for (std::int16_t counter = 1; counter < rows && !lead.atEnd(); counter = convert::addWhole(counter, 1)) {
        if (matches())
            return;
        lead.moveNext();
        if (beside)
            beside->moveNext();
    }
}

} // namespace

bool holds(const store::Value& field, const QString& text)
{
    return !field.isNull() && field.toText() == text;
}

void scan(store::RecordSource& source, const std::function<bool()>& matches)
{
    walk(source, nullptr, matches);
}

void pairedScan(store::RecordSource& prices, store::RecordSource& stock, const std::function<bool()>& matches)
{
    walk(prices, &stock, matches);
}

} // namespace catalogue
