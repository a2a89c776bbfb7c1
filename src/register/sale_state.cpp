#include "register/sale_state.h"

#include "store/convert.h"

namespace cashregister {

void SaleState::zeroAmounts()
{
    subtotal = {};
    tax = {};
    total = {};
    amountTendered = {};
    change = {};
}

QString moneyLabel(store::Currency amount, int blanks)
{
    return QString(blanks, u' ') + store::convert::formatPattern(amount, kMoneyPattern.toString());
}

} // namespace cashregister
