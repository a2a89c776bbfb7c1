#include "register/receipt.h"

#include "store/convert.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/schema.h"

namespace cashregister {
namespace {

constexpr QStringView kOpen = u"{{";
constexpr QStringView kClose = u"}}";
constexpr QStringView kLinesStart = u"#lines";
constexpr QStringView kLinesEnd = u"/lines";

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
        while (true) {
            const qsizetype open = text.indexOf(kOpen, at);
            if (open < 0)
                break;
            out += text.mid(at, open - at);
            const qsizetype close = text.indexOf(kClose, open + kOpen.size());
            if (close < 0)
                throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a \"{{\" that is never closed by \"}}\"."));
            const QStringView tag = text.mid(open + kOpen.size(), close - open - kOpen.size()).trimmed();
            at = close + kClose.size();

            if (tag.compare(kLinesStart, Qt::CaseInsensitive) == 0) {
                if (inLines)
                    throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a {{#lines}} inside another."));
                const qsizetype end = findLinesEnd(text, at);
                const QStringView body = text.mid(at, end - at);
                for (int line = 0; line < m_receipt.recordCount(); ++line)
                    out += fill(body, line, true);
                at = text.indexOf(kClose, end) + kClose.size();
            } else if (tag.compare(kLinesEnd, Qt::CaseInsensitive) == 0) {
                throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a {{/lines}} without its {{#lines}}."));
            } else {
                out += value(tag, row);
            }
        }
        out += text.mid(at);
        return out;
    }

private:
    // Where the {{/lines}} that closes a lines' part starting at `from` begins.
    static qsizetype findLinesEnd(QStringView text, qsizetype from)
    {
        for (qsizetype open = text.indexOf(kOpen, from); open >= 0; open = text.indexOf(kOpen, open + kOpen.size())) {
            const qsizetype close = text.indexOf(kClose, open + kOpen.size());
            if (close < 0)
                break;
            if (text.mid(open + kOpen.size(), close - open - kOpen.size()).trimmed().compare(kLinesEnd, Qt::CaseInsensitive) == 0)
                return open;
        }
        throw ReceiptLayoutError(QStringLiteral("The receipt's layout has a {{#lines}} that is never closed by {{/lines}}."));
    }

    QString value(QStringView name, int row) const
    {
        if (name.compare(u"Date", Qt::CaseInsensitive) == 0)
            return store::convert::formatMediumDate(m_printedAt.date(), m_locale).toHtmlEscaped();
        if (name.compare(u"Time", Qt::CaseInsensitive) == 0)
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
        if (!name.isNull() && name.toText().compare(schema::kReceiptReport, Qt::CaseInsensitive) == 0) {
            const store::Value layout = reports.field(u"Layout");
            if (layout.isNull())
                break;
            return fillReceiptLayout(store, layout.toText(), printedAt, locale);
        }
    }
    throw ReceiptLayoutError(QStringLiteral("The store holds no layout for the receipt (%1).").arg(schema::kReceiptReport));
}

} // namespace cashregister
