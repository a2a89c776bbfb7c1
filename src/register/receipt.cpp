#include "register/receipt.h"

#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/schema.h"

#include <optional>

namespace cashregister {
namespace {

constexpr QStringView kOpen = u"{{";
constexpr QStringView kClose = u"}}";
constexpr QStringView kLinesStart = u"#lines";
constexpr QStringView kLinesEnd = u"/lines";

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

class Filler {
public:
    Filler(store::RecordSource& receipt, const QDateTime& printedAt, const QLocale& locale)
        : m_receipt(receipt), m_printedAt(printedAt), m_locale(locale)
    {
    }

    // Fills `text`, reading fields from `row`; inside the lines' part, `inLines` is set.
    QString fill(QStringView text, int row, bool inLines) const
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
                for (int line = 0; line < m_receipt.recordCount(); ++line)
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

    QString value(QStringView name, int row) const
    {
        if (sameName(name, u"Date"))
            return store::convert::formatMediumDate(m_printedAt.date(), m_locale).toHtmlEscaped();
        if (sameName(name, u"Time"))
            return store::convert::formatLongTime(m_printedAt.time(), m_locale).toHtmlEscaped();
        const int field = m_receipt.table().fieldIndex(name);
        if (field < 0) {
            throw ReceiptLayoutError(
                QStringLiteral("The receipt's layout names {{%1}}, which is not a field of the sale.").arg(name.toString()));
        }
        if (row >= m_receipt.recordCount())
            return {};
        const store::Value stored = m_receipt.valueAt(row, field);
        if (stored.kind() == store::Value::Kind::Currency)
            return store::convert::formatCurrency(stored.toCurrency(), m_locale).toHtmlEscaped();
        return stored.display().toHtmlEscaped();
    }

    store::RecordSource& m_receipt;
    QDateTime m_printedAt;
    QLocale m_locale;
};

} // namespace

QString fillReceiptLayout(store::Store& store, const QString& layout, const QDateTime& printedAt, const QLocale& locale)
{
    store::RecordSource receipt(store, QStringLiteral("rptReceipt"), QStringLiteral("tblReceipt"));
    return Filler(receipt, printedAt, locale).fill(layout, 0, false);
}

QString renderReceipt(store::Store& store, const QDateTime& printedAt, const QLocale& locale)
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
            return fillReceiptLayout(store, layout.toText(), printedAt, locale);
        }
    }
    throw ReceiptLayoutError(QStringLiteral("The store holds no layout for the receipt (%1).").arg(schema::kReceiptReport));
}

PrintableReceipt printableReceipt(store::Store& store, const QDateTime& printedAt, const QLocale& locale)
{
    try {
        return {renderReceipt(store, printedAt, locale), {}};
    } catch (const ReceiptLayoutError& e) {
        return {fillReceiptLayout(store, store::schema::defaultReceiptLayout(), printedAt, locale), e.message()};
    }
}

} // namespace cashregister
