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

bool ProductSearch::show(ui::Services& boxes, const Warning& missByCode, const Warning& missByName) const
{
    if (!code.text().isEmpty()) {
        pairedScan(prices, stock, [this] { return onCode(); });
        if (!onCode())
            warn(boxes, missByCode);
        else
            name.setText(prices.field(u"ProductName").toText());
    } else {
        pairedScan(prices, stock, [this] { return onName(); });
        if (!onName())
            warn(boxes, missByName);
        else
            code.setText(prices.field(u"Code").toText());
    }
    return onCode();
}

bool ProductSearch::findCodeOrName() const
{
    pairedScan(prices, stock, [this] { return onCode() || onName(); });
    return onCode() || onName();
}

} // namespace catalogue
