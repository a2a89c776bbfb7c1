#include "register/receipt.h"
#include "register/matching.h"

#include "store/convert.h"
#include "store/journal.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/schema.h"

#include <QRegularExpression>

#include <optional>

namespace cashregister {
namespace {

constexpr QStringView kOpen = u"{{";
constexpr QStringView kClose = u"}}";
constexpr QStringView kLinesStart = u"#lines";
constexpr QStringView kLinesEnd = u"/lines";
constexpr QStringView kSaleNumber = u"SaleNumber";

// A {{...}} in the layout.
struct Tag {
    qsizetype open = 0;    // where its "{{" starts
    qsizetype end = -1;    // just past its "}}"; -1 when it is never closed
    QStringView name;      // what stands between, trimmed
};

// The first tag at or after `from`, if there is one.
std::optional<Tag> nextTag(QStringView text, qsizetype from)
{
    const qsizetype open = text.indexOf(kOpen, from);
    if (open < 0)
        return std::nullopt;
    const qsizetype close = text.indexOf(kClose, open + kOpen.size());
    if (close < 0)
        return Tag{open, -1, {}};
    return Tag{open, close + kClose.size(), text.mid(open + kOpen.size(), close - open - kOpen.size()).trimmed()};
}

// Tag, field and report names are written in any letter case.
bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const store::TableDef& receiptTable()
{
    static const store::TableDef& table = *store::schema::table(u"tblReceipt");
    return table;
}

class Filler {
public:
    Filler(const ReceiptSale& sale, const QLocale& locale) : m_sale(sale), m_locale(locale) {}

    // Fills `text`, reading fields from `row`; inside the lines' part, `inLines` is set.
    QString fill(QStringView text, std::size_t row, bool inLines) const
    {
        QString out;
        qsizetype at = 0;
        while (const std::optional<Tag> tag = nextTag(text, at)) {
            out += text.mid(at, tag->open - at);
            if (tag->end < 0)
                throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a \"{{\" that is never closed by \"}}\"."));
            at = tag->end;

            if (sameName(tag->name, kLinesStart)) {
                if (inLines)
                    throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a {{#lines}} inside another."));
                const Tag linesEnd = findLinesEnd(text, at);
                const QStringView body = text.mid(at, linesEnd.open - at);
                for (std::size_t line = 0; line < m_sale.rows.size(); ++line)
                    out += fill(body, line, true);
                at = linesEnd.end;
            } else if (sameName(tag->name, kLinesEnd)) {
                throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a {{/lines}} without its {{#lines}}."));
            } else {
                out += value(tag->name, row);
            }
        }
        out += text.mid(at);
        return out;
    }

private:
    // The {{/lines}} that closes a lines' part starting at `from`.
    static Tag findLinesEnd(QStringView text, qsizetype from)
    {
        for (auto tag = nextTag(text, from); tag && tag->end >= 0; tag = nextTag(text, tag->end)) {
            if (sameName(tag->name, kLinesEnd))
                return *tag;
        }
        throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a {{#lines}} that is never closed by {{/lines}}."));
    }

    QString value(QStringView name, std::size_t row) const
    {
        if (sameName(name, u"Date"))
            return store::convert::formatMediumDate(m_sale.at.date(), m_locale).toHtmlEscaped();
        if (sameName(name, u"Time"))
            return store::convert::formatLongTime(m_sale.at.time(), m_locale).toHtmlEscaped();
        if (sameName(name, kSaleNumber))
            return m_sale.number > 0 ? QString::number(m_sale.number) : QString();
        const int field = receiptTable().fieldIndex(name);
        if (field < 0) {
            throw ReceiptLayoutError(
                QStringLiteral("The receipt's layout names {{%1}}, which is not a field of the sale.").arg(name.toString()));
        }
        if (row >= m_sale.rows.size() || std::size_t(field) >= m_sale.rows[row].size())
            return {};
        const store::Value& stored = m_sale.rows[row][std::size_t(field)];
        if (stored.kind() == store::Value::Kind::Currency)
            return store::convert::formatCurrency(stored.toCurrency(), m_locale).toHtmlEscaped();
        return stored.display().toHtmlEscaped();
    }

    const ReceiptSale& m_sale;
    QLocale m_locale;
};

// Whether a layout shows the sale's number itself.
bool showsSaleNumber(QStringView layout)
{
    for (auto tag = nextTag(layout, 0); tag && tag->end >= 0; tag = nextTag(layout, tag->end)) {
        if (sameName(tag->name, kSaleNumber))
            return true;
    }
    return false;
}

// Puts `lines` at the top of the receipt's body (or of the document, when it has no body tag).
QString atTop(const QString& html, const QString& lines)
{
    static const QRegularExpression body(QStringLiteral("<body[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch found = body.match(html);
    const qsizetype at = found.hasMatch() ? found.capturedEnd() : 0;
    return html.left(at) + lines + html.mid(at);
}

// The receipt as filled, with the sale's number when the layout does not show it and the mark of
// a copy.
QString marked(const QString& layout, const ReceiptSale& sale, const QLocale& locale)
{
    QStringList top;
    if (sale.isCopy()) {
        top << QStringLiteral("<p align=\"center\" style=\"font-size: 14pt;\"><b>*** COPY ***</b><br/>"
                              "<span style=\"font-size: 9pt;\">Reprint of %1 %2</span></p>")
                   .arg(store::convert::formatMediumDate(sale.reprintedAt.date(), locale).toHtmlEscaped(),
                       store::convert::formatLongTime(sale.reprintedAt.time(), locale).toHtmlEscaped());
    }
    if (sale.number > 0 && !showsSaleNumber(layout))
        top << QStringLiteral("<p align=\"center\"><b>Sale No. %1</b></p>").arg(sale.number);
    const QString filled = fillReceiptLayout(layout, sale, locale);
    return top.isEmpty() ? filled : atTop(filled, top.join(u'\n'));
}

QString jobName(const ReceiptSale& sale)
{
    const QString pattern = QStringLiteral("yyyy-MM-dd HH-mm-ss");
    if (sale.isCopy())
        return QStringLiteral("Receipt %1 copy %2").arg(sale.number).arg(sale.reprintedAt.toString(pattern));
    return QStringLiteral("Receipt ") + sale.at.toString(pattern);
}

// The layout in the store's row; throws ReceiptLayoutError when there is none.
QString storedLayout(store::Store& store)
{
    namespace schema = store::schema;
    store::RecordSource reports(store, QStringLiteral("Reports"), schema::kReportsTable.toString());
    const int nameField = reports.fieldIndex(u"Name");
    for (; !reports.atEnd(); reports.moveNext()) {
        const store::Value name = reports.field(nameField);
        if (!name.isNull() && sameName(name.toText(), schema::kReceiptReport)) {
            const store::Value layout = reports.field(u"Layout");
            // A row without a layout is passed over for the next one that has one.
            if (layout.isNull() || layout.toText().trimmed().isEmpty())
                continue;
            return layout.toText();
        }
    }
    throw ReceiptLayoutError(QStringLiteral("The store holds no layout for the receipt (%1).").arg(schema::kReceiptReport));
}

} // namespace

ReceiptSale saleInReceiptTable(store::Store& store, const QDateTime& at)
{
    store::RecordSource receipt(store, QStringLiteral("rptReceipt"), QStringLiteral("tblReceipt"));
    ReceiptSale sale;
    sale.at = at;
    const int fields = int(receipt.table().fields.size());
    sale.rows.reserve(std::size_t(receipt.recordCount()));
    for (int row = 0; row < receipt.recordCount(); ++row) {
        std::vector<store::Value>& values = sale.rows.emplace_back();
        values.reserve(std::size_t(fields));
        for (int field = 0; field < fields; ++field)
            values.push_back(receipt.valueAt(row, field));
    }
    return sale;
}

ReceiptSale saleInJournal(const store::journal::Entry& entry)
{
    const store::TableDef& table = receiptTable();
    const auto set = [&table](std::vector<store::Value>& row, QStringView name, store::Value value) {
        row[std::size_t(table.fieldIndex(name))] = std::move(value);
    };
    ReceiptSale sale;
    sale.number = entry.number;
    sale.at = entry.at;
    // Each line as item entry wrote it, the fields it did not write holding a new row's defaults.
    std::vector<store::Value> fresh;
    for (const store::FieldDef& field : table.fields)
        fresh.push_back(store::schema::defaultValue(field.type));
    for (const store::journal::Line& line : entry.lines) {
        std::vector<store::Value>& row = sale.rows.emplace_back(fresh);
        set(row, u"Code", line.code);
        set(row, u"ProdName", line.name);
        set(row, u"pQty", store::Value(line.quantity));
        set(row, u"ProdPrice", store::Value(line.lineTotal));
    }
    if (sale.rows.empty())
        sale.rows.push_back(fresh);
    // The sale's figures in the first.
    std::vector<store::Value>& first = sale.rows.front();
    set(first, u"Cashier", entry.cashier.isNull() ? store::Value() : store::Value(entry.cashier));
    set(first, u"Subtotal", store::Value(entry.subtotal));
    set(first, u"Tax", store::Value(entry.tax));
    set(first, u"Total", store::Value(entry.total));
    set(first, u"AmountTendered", store::Value(entry.amountTendered));
    set(first, u"Change", store::Value(entry.change));
    return sale;
}

store::journal::Entry journalEntry(const ReceiptSale& sale, store::RecordSource& prices, const QDate& businessDate)
{
    const store::TableDef& table = receiptTable();
    const auto at = [&table](const std::vector<store::Value>& row, QStringView name) -> const store::Value& {
        return row[std::size_t(table.fieldIndex(name))];
    };
    const auto text = [](const store::Value& value) { return value.isNull() ? QString() : value.toText(); };
    const auto amount = [](const store::Value& value) { return value.isNull() ? store::Currency() : value.toCurrency(); };

    store::journal::Entry entry;
    entry.at = sale.at;
    entry.businessDate = businessDate;
    if (!sale.rows.empty()) {
        const std::vector<store::Value>& first = sale.rows.front();
        entry.cashier = text(at(first, u"Cashier"));
        entry.subtotal = amount(at(first, u"Subtotal"));
        entry.tax = amount(at(first, u"Tax"));
        entry.total = amount(at(first, u"Total"));
        entry.amountTendered = amount(at(first, u"AmountTendered"));
        entry.change = amount(at(first, u"Change"));
    }
    prices.refresh();
    const int code = prices.fieldIndex(u"Code");
    const int category = prices.fieldIndex(u"ProdCathegory");
    entry.lines.reserve(sale.rows.size());
    for (const std::vector<store::Value>& row : sale.rows) {
        // A row with neither code nor name (the cash gate's row, never picked up) sold nothing.
        if (at(row, u"Code").isNull() && at(row, u"ProdName").isNull())
            continue;
        store::journal::Line line;
        line.code = text(at(row, u"Code"));
        line.name = text(at(row, u"ProdName"));
        const store::Value& quantity = at(row, u"pQty");
        line.quantity = quantity.isNull() ? std::int16_t(0) : quantity.toWhole();
        line.lineTotal = amount(at(row, u"ProdPrice"));
        const int product = line.code.isEmpty() ? -1 : prices.findUpperCase(code, UpperText(line.code).text());
        if (product >= 0)
            line.category = text(prices.valueAt(product, category));
        entry.lines.push_back(std::move(line));
    }
    return entry;
}

QString fillReceiptLayout(const QString& layout, const ReceiptSale& sale, const QLocale& locale)
{
    return Filler(sale, locale).fill(layout, 0, false);
}

QString fillReceiptLayout(store::Store& store, const QString& layout, const QDateTime& printedAt, const QLocale& locale)
{
    return fillReceiptLayout(layout, saleInReceiptTable(store, printedAt), locale);
}

QString renderReceipt(store::Store& store, const ReceiptSale& sale, const QLocale& locale)
{
    return marked(storedLayout(store), sale, locale);
}

PrintableReceipt printableReceipt(store::Store& store, const ReceiptSale& sale, const QLocale& locale)
{
    try {
        return {renderReceipt(store, sale, locale), {}, jobName(sale)};
    } catch (const ReceiptLayoutError& e) {
        return {marked(store::schema::defaultReceiptLayout(), sale, locale), e.message(), jobName(sale)};
    }
}

} // namespace cashregister
