#include "platform/escpos.h"

#include <QDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace platform {
namespace {

// ---------------------------------------------------------------------------------------------
// Laying a document out as lines of text

// Text with, for each character, whether it is bold.
struct Styled {
    QString text;
    std::vector<bool> bold;

    void append(QChar c, bool isBold)
    {
        text.append(c);
        bold.push_back(isBold);
    }
    void append(const Styled& other)
    {
        text.append(other.text);
        bold.insert(bold.end(), other.bold.begin(), other.bold.end());
    }
    Styled mid(qsizetype from, qsizetype length) const
    {
        Styled part;
        part.text = text.mid(from, length);
        const auto begin = bold.begin() + std::min<qsizetype>(from, qsizetype(bold.size()));
        part.bold.assign(begin, begin + part.text.size());
        return part;
    }
    qsizetype size() const { return text.size(); }
    bool isBlank() const { return text.trimmed().isEmpty(); }

    // Without blanks at either end.
    Styled trimmed() const
    {
        qsizetype from = 0;
        qsizetype to = text.size();
        while (from < to && text.at(from) == u' ')
            ++from;
        while (to > from && text.at(to - 1) == u' ')
            --to;
        return mid(from, to - from);
    }

    // Blanks padded on the left and right.
    Styled padded(qsizetype left, qsizetype right) const
    {
        Styled result;
        for (qsizetype i = 0; i < left; ++i)
            result.append(u' ', false);
        result.append(*this);
        for (qsizetype i = 0; i < right; ++i)
            result.append(u' ', false);
        return result;
    }

    // Emphasised when every character that shows is bold.
    bool emphasised() const
    {
        bool any = false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == u' ')
                continue;
            if (!bold[std::size_t(i)])
                return false;
            any = true;
        }
        return any;
    }
};

bool isBold(const QTextCharFormat& format)
{
    return format.fontWeight() >= QFont::DemiBold;
}

// A block's text, one line for each of its forced line breaks (<br/>). Tabs and other white space
// become blanks, runs of blanks one blank; objects (images) and soft hyphens are left out.
QList<Styled> blockLines(const QTextBlock& block)
{
    QList<Styled> lines(1);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const bool bold = isBold(fragment.charFormat());
        for (const QChar c : fragment.text()) {
            if (c == QChar::LineSeparator) {
                lines.append(Styled());
                continue;
            }
            if (c == QChar::ObjectReplacementCharacter || c == QChar::SoftHyphen)
                continue;
            QChar shown = c;
            if (c != QChar::Nbsp && c.isSpace())
                shown = u' ';
            else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
                continue;
            Styled& line = lines.last();
            if (shown == u' ' && !line.text.isEmpty() && line.text.back() == u' ')
                continue;
            line.append(shown, bold);
        }
    }
    for (Styled& line : lines)
        line = line.trimmed();
    return lines;
}

// Cuts a line at blanks into lines no wider than `columns`; a word wider than that is cut.
QList<Styled> wrapped(const Styled& line, int columns)
{
    QList<Styled> lines;
    qsizetype at = 0;
    const qsizetype size = line.size();
    while (at < size) {
        while (at < size && line.text.at(at) == u' ')
            ++at;
        if (at >= size)
            break;
        if (size - at <= columns) {
            lines.append(line.mid(at, size - at));
            break;
        }
        qsizetype cut = line.text.lastIndexOf(u' ', at + columns);
        if (cut <= at)
            cut = at + columns;
        lines.append(line.mid(at, cut - at).trimmed());
        at = cut;
    }
    if (lines.isEmpty())
        lines.append(Styled());
    return lines;
}

Qt::Alignment horizontal(Qt::Alignment alignment)
{
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignHCenter)
        return Qt::AlignHCenter;
    if (h & (Qt::AlignRight | Qt::AlignTrailing))
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

// `text`, no wider than `width`, placed in `width` columns as `alignment` says.
Styled placed(const Styled& text, qsizetype width, Qt::Alignment alignment)
{
    const Styled cut = text.size() > width ? text.mid(0, width).trimmed() : text;
    const qsizetype room = width - cut.size();
    if (alignment == Qt::AlignRight)
        return cut.padded(room, 0);
    if (alignment == Qt::AlignHCenter)
        return cut.padded(room / 2, room - room / 2);
    return cut.padded(0, room);
}

class Layout {
public:
    explicit Layout(int columns) : m_columns(std::max(columns, 1)) {}

    void frame(const QTextFrame& frame)
    {
        for (auto it = frame.begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    this->table(*table);
                else
                    this->frame(*child);
                m_afterFrame = true;
            } else {
                block(it.currentBlock());
                m_afterFrame = false;
            }
        }
    }

    QList<TextLine> lines() const
    {
        // Blank lines at the ends would only feed paper.
        qsizetype first = 0;
        qsizetype last = m_lines.size();
        while (first < last && m_lines.at(first).text.isEmpty())
            ++first;
        while (last > first && m_lines.at(last - 1).text.isEmpty())
            --last;
        return m_lines.mid(first, last - first);
    }

private:
    void add(const Styled& line)
    {
        // No blanks at the end: they would only be sent for nothing.
        qsizetype end = line.size();
        while (end > 0 && line.text.at(end - 1) == u' ')
            --end;
        const Styled shown = line.mid(0, end);
        m_lines.append({shown.text, shown.emphasised()});
    }

    void paragraph(const Styled& text, Qt::Alignment alignment)
    {
        for (const Styled& line : wrapped(text, m_columns))
            add(placed(line, m_columns, alignment));
    }

    void block(const QTextBlock& block)
    {
        if (!block.isValid())
            return;
        const QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
            add(Styled{QString(m_columns, u'-'), std::vector<bool>(std::size_t(m_columns), false)});
            return;
        }
        QList<Styled> lines = blockLines(block);
        // The empty paragraph the document keeps after every table is no line of its own.
        if (m_afterFrame && lines.size() == 1 && lines.front().text.isEmpty())
            return;
        if (QTextList* list = block.textList()) {
            QString marker = list->itemText(block);
            if (marker.isEmpty())
                marker = QStringLiteral("-");
            Styled prefix;
            for (const QChar c : marker + u' ')
                prefix.append(c, false);
            prefix.append(lines.front());
            lines.front() = prefix;
        }
        const Qt::Alignment alignment = horizontal(format.alignment());
        for (const Styled& line : lines)
            paragraph(line, alignment);
    }

    // The text of a cell (or of a frame in one) as one line.
    static void cellText(const QTextFrame::iterator& begin, Styled& text)
    {
        for (auto it = begin; !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                cellText(child->begin(), text);
                continue;
            }
            for (const Styled& line : blockLines(it.currentBlock())) {
                if (line.text.isEmpty())
                    continue;
                if (!text.text.isEmpty())
                    text.append(u' ', false);
                text.append(line);
            }
        }
    }

    struct Cell {
        int column = 0;
        int span = 1;
        Styled text;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    void table(const QTextTable& table)
    {
        const int columnCount = table.columns();
        std::vector<std::vector<Cell>> rows;
        std::vector<qsizetype> natural(std::size_t(columnCount), 0);
        std::vector<Qt::Alignment> columnAlignment(std::size_t(columnCount), Qt::AlignLeft);
        std::vector<bool> aligned(std::size_t(columnCount), false);
        for (int r = 0; r < table.rows(); ++r) {
            std::vector<Cell>& row = rows.emplace_back();
            for (int c = 0; c < columnCount; ++c) {
                const QTextTableCell cell = table.cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c)
                    continue;
                Cell found;
                found.column = c;
                found.span = std::max(cell.columnSpan(), 1);
                cellText(cell.begin(), found.text);
                found.alignment = horizontal(table.document()->findBlock(cell.firstPosition()).blockFormat().alignment());
                if (found.span == 1) {
                    natural[std::size_t(c)] = std::max(natural[std::size_t(c)], found.text.size());
                    // A column's alignment is that of its first cell with text (its heading's).
                    if (!aligned[std::size_t(c)] && !found.text.text.isEmpty()) {
                        columnAlignment[std::size_t(c)] = found.alignment;
                        aligned[std::size_t(c)] = true;
                    }
                }
                row.push_back(std::move(found));
            }
        }

        const std::vector<qsizetype> widths = columnWidths(natural, columnAlignment);
        for (const std::vector<Cell>& row : rows)
            tableRow(row, widths, columnCount);
    }

    // The widths the columns get: the last (the amounts) as wide as its widest text, never less;
    // the widest of the other left-aligned columns (the names) takes the room left over, and is
    // the first to be cut when there is too little. A column with no text gets none.
    std::vector<qsizetype> columnWidths(const std::vector<qsizetype>& natural, const std::vector<Qt::Alignment>& alignment) const
    {
        std::vector<qsizetype> widths = natural;
        std::vector<std::size_t> shown;
        for (std::size_t c = 0; c < natural.size(); ++c) {
            if (natural[c] > 0)
                shown.push_back(c);
        }
        if (shown.empty())
            return widths;
        const std::size_t last = shown.back();
        qsizetype total = qsizetype(shown.size()) - 1;
        for (const std::size_t c : shown)
            total += widths[c];

        std::vector<std::size_t> left;
        std::vector<std::size_t> other;
        for (const std::size_t c : shown) {
            if (c == last)
                continue;
            (alignment[c] == Qt::AlignLeft ? left : other).push_back(c);
        }
        std::size_t flexible = last;
        for (const std::size_t c : left) {
            if (flexible == last || widths[c] > widths[flexible])
                flexible = c;
        }
        if (flexible == last && !other.empty())
            flexible = other.front();

        if (total <= m_columns) {
            widths[flexible] += m_columns - total;
            return widths;
        }
        qsizetype over = total - m_columns;
        const auto shrink = [&widths, &over](std::size_t c, qsizetype floor) {
            const qsizetype by = std::min(over, std::max<qsizetype>(widths[c] - floor, 0));
            widths[c] -= by;
            over -= by;
        };
        // The names first, down to a few letters; then every column but the last, the widest
        // first, down to one letter.
        constexpr qsizetype kFewLetters = 6;
        if (flexible != last)
            shrink(flexible, kFewLetters);
        for (const std::vector<std::size_t>* group : {&left, &other}) {
            while (over > 0) {
                std::size_t widest = last;
                for (const std::size_t c : *group) {
                    if (widths[c] > 1 && (widest == last || widths[c] > widths[widest]))
                        widest = c;
                }
                if (widest == last)
                    break;
                --widths[widest];
                --over;
            }
        }
        return widths;
    }

    void tableRow(const std::vector<Cell>& row, const std::vector<qsizetype>& widths, int columnCount)
    {
        if (row.empty())
            return;
        // A row of one cell across the table reads as a paragraph.
        if (row.size() == 1 && (row.front().span >= columnCount || columnCount == 1)) {
            paragraph(row.front().text, row.front().alignment);
            return;
        }
        int lastShown = -1;
        for (int c = 0; c < columnCount; ++c) {
            if (widths[std::size_t(c)] > 0)
                lastShown = c;
        }
        // A cell's width: the columns it spans with the blanks between them.
        const auto widthOf = [&widths, columnCount](const Cell& cell) {
            qsizetype width = 0;
            int spanned = 0;
            for (int c = cell.column; c < cell.column + cell.span && c < columnCount; ++c) {
                if (widths[std::size_t(c)] > 0) {
                    width += widths[std::size_t(c)] + (spanned > 0 ? 1 : 0);
                    ++spanned;
                }
            }
            return width;
        };

        // The amount: the row's last cell, when it reaches the last column with text.
        const Cell& lastCell = row.back();
        const bool hasAmount = lastCell.column + lastCell.span - 1 >= lastShown;
        const Styled amount = hasAmount ? lastCell.text : Styled();
        const std::size_t leftCount = hasAmount ? row.size() - 1 : row.size();
        // An amount narrower than its column leaves its room to a name just before it.
        const qsizetype spare = hasAmount ? std::max<qsizetype>(widthOf(lastCell) - amount.size(), 0) : 0;

        Styled left;
        Styled whole;
        bool cut = false;
        for (std::size_t i = 0; i < leftCount; ++i) {
            const Cell& cell = row[i];
            qsizetype width = widthOf(cell);
            if (width == 0)
                continue;
            if (i + 1 == leftCount && cell.alignment == Qt::AlignLeft)
                width += spare;
            cut = cut || cell.text.size() > width;
            if (!left.text.isEmpty())
                left.append(u' ', false);
            left.append(placed(cell.text, width, cell.alignment));
            if (!cell.text.text.isEmpty()) {
                if (!whole.text.isEmpty())
                    whole.append(u' ', false);
                whole.append(cell.text);
            }
        }

        const qsizetype gap = left.isBlank() ? 0 : 1;
        const bool fits = left.size() + gap + amount.size() <= m_columns;
        // A wide amount (a date and time) beside a name it would cut short goes on a line of its
        // own instead, under the whole name.
        if (fits && !(cut && amount.size() * 2 > m_columns)) {
            Styled line = left.isBlank() ? Styled() : left;
            line.append(amount.padded(m_columns - line.size() - amount.size(), 0));
            add(line);
            return;
        }
        if (!whole.isBlank())
            paragraph(whole, Qt::AlignLeft);
        // The amount is never cut: one wider than the paper goes on as many lines as it needs.
        for (qsizetype at = 0; at < amount.size(); at += m_columns) {
            const Styled part = amount.mid(at, m_columns);
            add(part.padded(m_columns - part.size(), 0));
        }
    }

    int m_columns;
    bool m_afterFrame = false;
    QList<TextLine> m_lines;
};

// ---------------------------------------------------------------------------------------------
// Code page 858

// The characters of bytes 0x80 to 0xFF in code page 858: code page 850 with the euro sign at 0xD5.
constexpr char16_t kUpperHalf[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x20AC, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// The byte of a character the printer has, 0 for one it has not. Control characters are none of
// them: a product's name must never reach the printer as a command.
char byteOf(char32_t c)
{
    if (c >= 0x20 && c < 0x7F)
        return char(c);
    if (c < 0x80 || c > 0xFFFF)
        return 0;
    for (int i = 0; i < 128; ++i) {
        if (kUpperHalf[i] == c)
            return char(0x80 + i);
    }
    return 0;
}

// Letters and signs with no accent to drop, and their closest ASCII forms.
QByteArray plainForm(char32_t c)
{
    switch (c) {
    case U'Ł': return "L";
    case U'ł': return "l";
    case U'Đ': return "D";
    case U'đ': return "d";
    case U'Ħ': return "H";
    case U'ħ': return "h";
    case U'ı': return "i";
    case U'Œ': return "OE";
    case U'œ': return "oe";
    case U'Ŧ': return "T";
    case U'ŧ': return "t";
    case U'\u2018': case U'\u2019': case U'\u201A': case U'\u2032': return "'";
    case U'\u201C': case U'\u201D': case U'\u201E': case U'\u2033': return "\"";
    case U'\u2010': case U'\u2011': case U'\u2012': case U'\u2013': case U'\u2014': case U'\u2212': return "-";
    case U'\u2026': return "...";
    case U'\u2022': return "*";
    default: return {};
    }
}

} // namespace

QList<TextLine> textLines(const QTextDocument& document, int columns)
{
    Layout layout(columns);
    if (const QTextFrame* root = document.rootFrame())
        layout.frame(*root);
    return layout.lines();
}

QByteArray toCodePage858(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    // Composed first, so that a letter written with a separate accent is found as one.
    for (const char32_t c : text.normalized(QString::NormalizationForm_C).toUcs4()) {
        if (const char byte = byteOf(c)) {
            bytes.append(byte);
            continue;
        }
        if (const QByteArray plain = plainForm(c); !plain.isEmpty()) {
            bytes.append(plain);
            continue;
        }
        // The letter's decomposition without its accents (compatibility forms too: ligatures,
        // full-width letters), when the printer has every part that is left.
        QByteArray parts;
        bool all = true;
        const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
        for (const char32_t part : decomposed.toUcs4()) {
            const QChar::Category category = QChar::category(part);
            if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing)
                continue;
            const char byte = byteOf(part);
            if (!byte) {
                all = false;
                break;
            }
            parts.append(byte);
        }
        bytes.append(all && !parts.isEmpty() ? parts : QByteArray(1, '?'));
    }
    return bytes;
}

namespace {

constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;
constexpr char kLineFeed = 0x0A;

QByteArray command(std::initializer_list<char> bytes)
{
    return QByteArray(bytes.begin(), qsizetype(bytes.size()));
}

} // namespace

QByteArray escPosDrawerPulse()
{
    // ESC p m t1 t2: a pulse on pin 2, on for 25 x 2 ms and off for 250 x 2 ms.
    return command({kEsc, 'p', 0, 25, char(250)});
}

QByteArray escPosJob(const QList<TextLine>& lines, bool kickDrawer)
{
    QByteArray job;
    if (kickDrawer)
        job.append(escPosDrawerPulse());
    job.append(command({kEsc, '@'}));
    job.append(command({kEsc, 't', 19}));
    for (const TextLine& line : lines) {
        if (line.emphasised)
            job.append(command({kEsc, 'E', 1}));
        job.append(toCodePage858(line.text));
        if (line.emphasised)
            job.append(command({kEsc, 'E', 0}));
        job.append(kLineFeed);
    }
    // GS V 66 n: feed the paper to the cutter (and n dots more), then cut.
    job.append(command({kGs, 'V', 66, 0}));
    return job;
}

// ---------------------------------------------------------------------------------------------
// The printer

EscPosPrinter::EscPosPrinter(std::unique_ptr<RawTransport> transport, int columns, bool drawerFitted, QString pdfFolder,
    std::chrono::milliseconds limit)
    : m_transport(std::move(transport)), m_columns(columns), m_drawerFitted(drawerFitted), m_pdfFolder(std::move(pdfFolder)),
      m_limit(limit)
{
}

PrintOutcome EscPosPrinter::print(const QTextDocument& document, const QString& name)
{
    const QByteArray job = escPosJob(textLines(document, m_columns), false);
    try {
        // The printer that just failed the drawer's pulse is not waited for a second time: the
        // receipt that follows the pulse is kept as a copy at once.
        if (m_failedAt.isValid() && m_failedAt.elapsed() < kStillFailing.count()) {
            m_failedAt.invalidate();
            throw PrintError(m_lastFailure);
        }
        m_failedAt.invalidate();
        m_transport->send(job, m_limit);
    } catch (const PrintError& error) {
        // The receipt is not lost: a PDF copy is kept, as the system printer keeps one.
        QString copy;
        try {
            copy = keepAsPdf(document, m_pdfFolder, name);
        } catch (const PrintError& notKept) {
            throw PrintError(error.message() + QStringLiteral(" No copy could be saved either: ") + notKept.message());
        }
        throw PrintError(error.message() + QStringLiteral(" A copy was saved as %1.").arg(u'"' + QDir::toNativeSeparators(copy) + u'"'), copy);
    }
    return {PrintOutcome::Where::Printer, m_transport->describe()};
}

void EscPosPrinter::openDrawer()
{
    if (!m_drawerFitted) {
        Printer::openDrawer();
        return;
    }
    try {
        m_failedAt.invalidate();
        m_transport->send(escPosDrawerPulse(), m_limit);
    } catch (const PrintError& error) {
        m_failedAt.start();
        m_lastFailure = error.message();
        throw PrintError(QStringLiteral("The cash drawer could not be opened. ") + error.message());
    }
}

} // namespace platform
