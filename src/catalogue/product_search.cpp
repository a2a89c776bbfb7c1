#include "catalogue/product_search.h"

#include "catalogue/scan.h"
#include "store/record_source.h"
#include "ui/bound_list.h"

namespace catalogue {

bool ProductSearch::onCode() const
{
    return holds(prices.field(u"Code"), code.text());
}

bool ProductSearch::onName() const
{
    return holds(prices.field(u"ProductName"), name.text());
}

bool ProductSearch::show(ui::Services& boxes, const Warning& missByCode, const Warning& missByName, bool* found) const
{
    bool hit = false;
    if (!code.text().isEmpty()) {
        pairedScan(prices, stock, [this] { return onCode(); });
        hit = onCode();
        if (!hit)
            warn(boxes, missByCode);
        else
            name.setText(prices.field(u"ProductName").toText());
    } else {
        pairedScan(prices, stock, [this] { return onName(); });
        hit = onName();
        if (!hit)
            warn(boxes, missByName);
        else
            code.setText(prices.field(u"Code").toText());
    }
    if (found)
        *found = hit && onCode();
    return onCode();
}

bool ProductSearch::findCodeOrName() const
{
    pairedScan(prices, stock, [this] { return onCode() || onName(); });
    return onCode() || onName();
}

} // namespace catalogue
