#pragma once

#include "store/value.h"

#include <QString>

#include <cstdint>

namespace cashregister {

// What the cash register knows about the sale being rung up. It lives as long as the window is
// loaded and is never stored as such: the sale's lines are in tblReceipt.
struct SaleState {
    store::Currency subtotal;       // the line totals of the lines entered so far
    store::Currency tax;            // set when the sale is completed
    store::Currency total;          // subtotal plus tax, set when the sale is completed
    store::Currency amountTendered; // what the customer hands over, set when the sale is completed
    store::Currency change;         // amountTendered minus total, set when the sale is completed
    std::int16_t itemCount = 0;     // units entered in the sale
    QString cashierName;            // empty until the pick-up timer has read it
    std::int16_t ticks = 0;         // ticks of the pick-up timer since the window was loaded

    // The five amounts back to zero; the item count, the cashier and the ticks stay.
    void zeroAmounts();
};

// An amount as the till's money labels show it: `blanks` blanks, then the amount with the
// pattern "$0.00". One blank is the usual form; New Sale puts two before most amounts and a
// cancelled line none before the subtotal.
QString moneyLabel(store::Currency amount, int blanks = 1);

// The pattern every amount of the till is shown with.
inline constexpr QStringView kMoneyPattern = u"$0.00";

} // namespace cashregister
