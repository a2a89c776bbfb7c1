#include "store/schema.h"

namespace store::schema {

// The day's report a new store prints when the day is closed: the day, the sales it holds, its
// takings and tax, the takings of each cashier and the units of each category. It is narrow, for
// a till roll, and uses the form the day report's renderer reads: {{Field}} for a figure of the
// day, {{#cashiers}}...{{/cashiers}} for every cashier, {{#categories}}...{{/categories}} for
// every category, {{Date}} and {{Time}} for when it was printed.
QString defaultDayReportLayout()
{
    return QStringLiteral(R"layout(<html>
<body style="font-family: 'DejaVu Sans Mono', 'Liberation Mono', monospace; font-size: 9pt;">
<p align="center" style="font-size: 12pt;"><b>Point of Sale</b></p>
<p align="center">DAY REPORT<br/>Business day {{Day}}<br/>printed {{Date}}  {{Time}}</p>
<table width="100%" cellspacing="0" cellpadding="1">
<tr><td>First sale</td><td align="right">{{FirstSale}}</td></tr>
<tr><td>Last sale</td><td align="right">{{LastSale}}</td></tr>
<tr><td>Sales</td><td align="right">{{Sales}}</td></tr>
<tr><td>Units sold</td><td align="right">{{Units}}</td></tr>
<tr><td><b>Takings</b></td><td align="right"><b>{{Takings}}</b></td></tr>
<tr><td>Tax collected</td><td align="right">{{Tax}}</td></tr>
</table>
<hr/>
<p><b>Takings by cashier</b></p>
<table width="100%" cellspacing="0" cellpadding="1">
<tr><th align="left">Cashier</th><th align="right">Sales</th><th align="right">Takings</th></tr>
{{#cashiers}}<tr><td>{{Cashier}}</td><td align="right">{{Sales}}</td><td align="right">{{Takings}}</td></tr>
{{/cashiers}}</table>
<hr/>
<p><b>Units by category</b></p>
<table width="100%" cellspacing="0" cellpadding="1">
<tr><th align="left">Category</th><th align="right">Units</th></tr>
{{#categories}}<tr><td>{{Category}}</td><td align="right">{{Units}}</td></tr>
{{/categories}}</table>
<hr/>
</body>
</html>
)layout");
}

} // namespace store::schema
