#include "store/schema.h"

namespace store::schema {

// The receipt a new store prints: the store's heading, the sale's number, the date and time and
// the cashier, every line of the sale (code, name, quantity and line total), then the sale's
// figures. It is narrow, for a till roll, and uses the form the receipt's renderer reads: {{Field}}
// for a field of the sale's first row, {{#lines}}...{{/lines}} for every row, {{SaleNumber}},
// {{Date}} and {{Time}}.
QString defaultReceiptLayout()
{
    return QStringLiteral(R"layout(<html>
<body style="font-family: 'DejaVu Sans Mono', 'Liberation Mono', monospace; font-size: 9pt;">
<p align="center" style="font-size: 12pt;"><b>Point of Sale</b></p>
<p align="center">SALES RECEIPT<br/>Sale No. {{SaleNumber}}<br/>{{Date}}  {{Time}}<br/>Cashier: {{Cashier}}</p>
<table width="100%" cellspacing="0" cellpadding="1">
<tr><th align="left">Code</th><th align="left">Item</th><th align="right">Qty</th><th align="right">Amount</th></tr>
{{#lines}}<tr><td>{{Code}}</td><td>{{ProdName}}</td><td align="right">{{pQty}}</td><td align="right">{{ProdPrice}}</td></tr>
{{/lines}}</table>
<hr/>
<table width="100%" cellspacing="0" cellpadding="1">
<tr><td>Subtotal</td><td align="right">{{Subtotal}}</td></tr>
<tr><td>Tax</td><td align="right">{{Tax}}</td></tr>
<tr><td><b>Total</b></td><td align="right"><b>{{Total}}</b></td></tr>
<tr><td>Amount tendered</td><td align="right">{{AmountTendered}}</td></tr>
<tr><td>Change</td><td align="right">{{Change}}</td></tr>
</table>
<hr/>
<p align="center">Thank you for shopping with us!</p>
</body>
</html>
)layout");
}

} // namespace store::schema
