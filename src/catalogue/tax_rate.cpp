// CHANGE TAX RATE: the one rate every completed sale charges, typed in percent.
#include "catalogue/product_update_window.h"

#include "app/context.h"
#include "store/convert.h"
#include "store/record_source.h"
#include "ui/services.h"

#include <optional>

namespace catalogue {
namespace {

constexpr QStringView kPrompt = u"Please enter the new tax rate. '30' for 30%, '6' for 6%:";
constexpr QStringView kTitle = u" Tax Rate:";

} // namespace

void ProductUpdateWindow::Command1_Click()
{
    namespace convert = store::convert;
    try {
        const QString answer = context().ui.input(kPrompt.toString(), kTitle.toString(), QStringLiteral("0"));
        // A cancelled box answers the empty text, which is no number: the rate stays.
        std::optional<convert::Decimal> rate = convert::readDecimal(answer, context().locale);
        if (!rate)
            return;
        // Percent to a fraction, exactly: 7.5 is 0.075.
        rate->scale += 2;
        const double fraction = convert::decimalToNumber(*rate);
        if (DataTax->recordCount() < 1) {
            DataTax->addNew();
            DataTax->setField(u"Tax", fraction);
            DataTax->update();
            // Stand on the row just made, which the next change edits.
            DataTax->refresh();
        } else {
            DataTax->edit();
            DataTax->setField(u"Tax", fraction);
            DataTax->update();
        }
    } catch (const std::exception&) {
        // The rate stays as it was, without a word.
    }
}

} // namespace catalogue
