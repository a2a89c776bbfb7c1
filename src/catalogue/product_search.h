#pragma once

#include "catalogue/controls.h"

namespace store {
class RecordSource;
}
namespace ui {
class BoundList;
class Services;
}

namespace catalogue {

// The searches of the two product windows: their code and name boxes over their price and stock
// record sources. Every search walks both sources in step from their first rows, so that they end
// on the two rows of one product: the one found, or the last one after a miss.
struct ProductSearch {
    store::RecordSource& prices;
    store::RecordSource& stock;
    ui::BoundList& code;
    ui::BoundList& name;

    // The search of Show, by the one box that is filled. By code: the first product with that
    // code, whose name goes into the name box; by name: the first product of that name, whose
    // code goes into the code box. A miss is told with `missByCode` or `missByName`. Then true
    // when the code box holds the code of the product the sources stand on, that is, when the
    // product is there to be shown.
    // `found`, when given, says whether the search's own final test found the product: a miss
    // can still leave the code box equal to the last row's code (both empty, say).
    bool show(ui::Services& boxes, const Warning& missByCode, const Warning& missByName, bool* found = nullptr) const;

    // The search of Delete: the first product whose code is the code box's text or whose name is
    // the name box's text; true when there is one.
    bool findCodeOrName() const;

    // True when the price row the sources stand on has the code box's text as its code.
    bool onCode() const;
    bool onName() const;
};

} // namespace catalogue
