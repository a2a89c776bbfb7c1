#include "till_state.h"

#include "store/record_source.h"
#include "store/store.h"
#include "store/value.h"

#include <QStringList>

#include <algorithm>

namespace crashtest {
namespace {

constexpr std::array<const char16_t*, 12> kMonths{u"January", u"February", u"March", u"April", u"May", u"June", u"July",
    u"August", u"September", u"October", u"November", u"December"};

QString num(std::int64_t n)
{
    return QString::number(n);
}

QString lineText(QChar kind, const TillState::Line& line)
{
    return QStringLiteral("%1 %2|%3|%4|%5").arg(kind).arg(line.code, line.name, num(line.units), num(line.total));
}

QString monthsText(const std::array<Units, 12>& months, Units total)
{
    QStringList cells;
    for (const Units m : months)
        cells << num(m);
    cells << num(total);
    return cells.join(u'|');
}

QString taxText(double fraction)
{
    return QString::number(fraction, 'g', 6);
}

// A field's text: null as "~".
QString fieldText(const store::RecordSource& row, QStringView field)
{
    const store::Value value = row.field(field);
    return value.isNull() ? QStringLiteral("~") : value.toText();
}

Units money(const store::RecordSource& row, QStringView field)
{
    const store::Value value = row.field(field);
    return value.isNull() ? 0 : value.toCurrency().units();
}

int whole(const store::RecordSource& row, QStringView field)
{
    const store::Value value = row.field(field);
    return value.isNull() ? 0 : value.toWhole();
}

} // namespace

TillState::Product* TillState::product(const QString& code)
{
    const auto found = std::find_if(products.begin(), products.end(), [&](const Product& p) { return p.code == code; });
    return found == products.end() ? nullptr : &*found;
}

QString TillState::text() const
{
    QStringList parts;
    for (const Product& p : products)
        parts << QStringLiteral("P %1|%2|%3|%4|%5").arg(p.code, p.name, num(p.price), p.code, num(p.onHand));
    for (const Line& line : openSale)
        parts << lineText(u'O', line);
    for (const Line& line : today)
        parts << lineText(u'D', line);
    parts << QStringLiteral("T %1|%2|%3").arg(num(dailySale), num(totalItems), businessDate.toString(Qt::ISODate));
    if (tallyDays)
        parts << QStringLiteral("C ") + num(*tallyDays);
    if (year)
        parts << QStringLiteral("Y %1|%2").arg(num(year->year), monthsText(year->months, year->total));
    if (lastYear)
        parts << QStringLiteral("L ") + monthsText(lastYear->months, lastYear->total);
    parts << QStringLiteral("X ") + taxText(taxPercent / 100.0);
    // Rows that a synchronisation may put in another order, sorted as the store's are read.
    QStringList rows;
    for (const auto& [code, s] : suppliers)
        rows << QStringLiteral("S %1|%2|%3|%4").arg(code, s.name, s.phone, s.address);
    rows.sort();
    parts << rows;
    rows.clear();
    for (const auto& [ss, e] : employees)
        rows << QStringLiteral("E %1|%2|%3|%4|%5").arg(ss, e.lastName, e.firstName, e.phone, e.password);
    rows.sort();
    parts << rows;
    return parts.join(QStringLiteral(" ; "));
}

QString TillState::readFrom(store::Store& file)
{
    QStringList parts;
    QStringList broken;
    {
        store::RecordSource prices(file, QStringLiteral("check"), QStringLiteral("tblProductPrice"));
        store::RecordSource stock(file, QStringLiteral("check"), QStringLiteral("tblProductQuantity"));
        if (prices.recordCount() != stock.recordCount())
            broken << QStringLiteral("%1 price rows but %2 stock rows").arg(prices.recordCount()).arg(stock.recordCount());
        for (; !prices.atEnd() && !stock.atEnd(); prices.moveNext(), stock.moveNext()) {
            parts << QStringLiteral("P %1|%2|%3|%4|%5")
                         .arg(fieldText(prices, u"Code"), fieldText(prices, u"ProductName"), num(money(prices, u"ProductPrice")), fieldText(stock, u"Code"),
                             num(whole(stock, u"QuantityOnHand")));
        }
    }
    const auto lines = [&](const QString& table, QChar kind, const char16_t* code, const char16_t* name, const char16_t* units,
                           const char16_t* total) {
        store::RecordSource rows(file, QStringLiteral("check"), table);
        for (; !rows.atEnd(); rows.moveNext()) {
            // The cashier's row of the gate holds neither a code nor a name.
            if (rows.field(code).isNull() && rows.field(name).isNull())
                continue;
            parts << QStringLiteral("%1 %2|%3|%4|%5").arg(kind).arg(fieldText(rows, code), fieldText(rows, name), num(whole(rows, units)),
                num(money(rows, total)));
        }
    };
    lines(QStringLiteral("tblReceipt"), u'O', u"Code", u"ProdName", u"pQty", u"ProdPrice");
    lines(QStringLiteral("daillySale"), u'D', u"Codigo", u"Nome_Produto", u"Quantidade", u"Preco");
    {
        store::RecordSource totals(file, QStringLiteral("check"), QStringLiteral("tblDailySale"));
        if (totals.recordCount() != 1)
            broken << QStringLiteral("%1 rows of the day's totals").arg(totals.recordCount());
        if (!totals.atEnd()) {
            const store::Value date = totals.field(u"tDate");
            parts << QStringLiteral("T %1|%2|%3")
                         .arg(num(money(totals, u"DailySale")), num(whole(totals, u"totalItems")),
                             date.isNull() ? QString() : date.toDate().toString(Qt::ISODate));
        }
    }
    {
        store::RecordSource tallies(file, QStringLiteral("check"), QStringLiteral("tblCathegory"));
        if (tallies.recordCount() > 1)
            broken << QStringLiteral("%1 tally rows").arg(tallies.recordCount());
        if (!tallies.atEnd())
            parts << QStringLiteral("C ") + num(whole(tallies, u"NumberOfDays"));
    }
    const auto months = [&](const store::RecordSource& row) {
        std::array<Units, 12> values{};
        Units sum = 0;
        for (std::size_t m = 0; m < 12; ++m) {
            values[m] = money(row, kMonths[m]);
            sum += values[m];
        }
        if (sum != money(row, u"AnualTotal"))
            broken << QStringLiteral("%1: the months add up to %2, the year's total is %3").arg(row.name()).arg(sum).arg(money(row, u"AnualTotal"));
        return monthsText(values, money(row, u"AnualTotal"));
    };
    {
        store::RecordSource year(file, QStringLiteral("YearSales"), QStringLiteral("YearSales"));
        if (year.recordCount() > 1)
            broken << QStringLiteral("%1 year rows").arg(year.recordCount());
        if (!year.atEnd())
            parts << QStringLiteral("Y %1|%2").arg(num(whole(year, u"Ano")), months(year));
    }
    {
        store::RecordSource last(file, QStringLiteral("LastYearSales"), QStringLiteral("LastYearSales"));
        if (last.recordCount() > 1)
            broken << QStringLiteral("%1 last-year rows").arg(last.recordCount());
        if (!last.atEnd())
            parts << QStringLiteral("L ") + months(last);
    }
    {
        store::RecordSource tax(file, QStringLiteral("check"), QStringLiteral("tblTax"));
        parts << QStringLiteral("X ") + (tax.atEnd() || tax.field(u"Tax").isNull() ? QStringLiteral("~") : taxText(tax.field(u"Tax").toNumber()));
    }
    const auto sorted = [&](const QString& table, QChar kind, const std::vector<const char16_t*>& fields) {
        store::RecordSource rows(file, QStringLiteral("check"), table);
        QStringList out;
        for (; !rows.atEnd(); rows.moveNext()) {
            QStringList cells;
            for (const char16_t* field : fields)
                cells << fieldText(rows, field);
            out << QString(kind) + u' ' + cells.join(u'|');
        }
        out.sort();
        parts << out;
    };
    sorted(QStringLiteral("tblSuplier"), u'S', {u"Code", u"Supplier", u"Phone#", u"Address"});
    sorted(QStringLiteral("Employees"), u'E', {u"SS#", u"Sobrenome", u"Nome", u"Telefone", u"passe"});
    if (!broken.isEmpty())
        parts << QStringLiteral("BROKEN ") + broken.join(QStringLiteral(", "));
    return parts.join(QStringLiteral(" ; "));
}

} // namespace crashtest
