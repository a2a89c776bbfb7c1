#include "ui/layout_template.h"

#include <optional>

namespace ui {
namespace {

constexpr QStringView kOpen = u"{{";
constexpr QStringView kClose = u"}}";

QString key(QStringView name)
{
    return name.toString().toLower();
}

// A {{...}} in the layout.
struct Tag {
    qsizetype open = 0; // where its "{{" starts
    qsizetype end = -1; // just past its "}}"; -1 when it is never closed
    QStringView name;   // what stands between, trimmed
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

class Filler {
public:
    explicit Filler(const QString& what) : m_what(what) {}

    // Fills `text` with the values of `scopes`, the innermost last.
    QString fill(QStringView text, std::vector<const LayoutValues*>& scopes) const
    {
        QString out;
        qsizetype at = 0;
        while (const std::optional<Tag> tag = nextTag(text, at)) {
            out += text.mid(at, tag->open - at);
            if (tag->end < 0)
                fail(QStringLiteral("has a \"{{\" that is never closed by \"}}\"."));
            at = tag->end;

            if (tag->name.startsWith(u'#')) {
                const QStringView name = tag->name.mid(1).trimmed();
                const Tag end = sectionEnd(text, at, name);
                const QStringView body = text.mid(at, end.open - at);
                for (const LayoutValues& row : rows(name, scopes)) {
                    scopes.push_back(&row);
                    out += fill(body, scopes);
                    scopes.pop_back();
                }
                at = end.end;
            } else if (tag->name.startsWith(u'/')) {
                fail(QStringLiteral("has a {{%1}} without its {{#%2}}.").arg(tag->name, tag->name.mid(1).trimmed()));
            } else {
                out += value(tag->name, scopes).toHtmlEscaped();
            }
        }
        out += text.mid(at);
        return out;
    }

private:
    [[noreturn]] void fail(const QString& problem) const { throw LayoutError(QStringLiteral("The layout of %1 %2").arg(m_what, problem)); }

    // The {{/name}} that closes the section {{#name}} whose body starts at `from`.
    Tag sectionEnd(QStringView text, qsizetype from, QStringView name) const
    {
        int depth = 0;
        for (auto tag = nextTag(text, from); tag && tag->end >= 0; tag = nextTag(text, tag->end)) {
            if (tag->name.startsWith(u'#') && tag->name.mid(1).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
                ++depth;
            } else if (tag->name.startsWith(u'/') && tag->name.mid(1).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
                if (depth == 0)
                    return *tag;
                --depth;
            }
        }
        fail(QStringLiteral("has a {{#%1}} that is never closed by {{/%1}}.").arg(name));
    }

    const std::vector<LayoutValues>& rows(QStringView name, const std::vector<const LayoutValues*>& scopes) const
    {
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            if (const std::vector<LayoutValues>* section = (*scope)->section(name))
                return *section;
        }
        fail(QStringLiteral("names the section {{#%1}}, which it has no rows for.").arg(name));
    }

    QString value(QStringView name, const std::vector<const LayoutValues*>& scopes) const
    {
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            if (const QString* text = (*scope)->field(name))
                return *text;
        }
        fail(QStringLiteral("names {{%1}}, which it has no value for.").arg(name));
    }

    QString m_what;
};

} // namespace

void LayoutValues::set(const QString& name, const QString& text)
{
    m_fields.insert(key(name), text);
}

LayoutValues& LayoutValues::addRow(const QString& section)
{
    std::vector<LayoutValues>& rows = m_sections[key(section)];
    rows.emplace_back();
    return rows.back();
}

void LayoutValues::addSection(const QString& section)
{
    m_sections[key(section)];
}

const QString* LayoutValues::field(QStringView name) const
{
    const auto found = m_fields.constFind(key(name));
    return found == m_fields.cend() ? nullptr : &*found;
}

const std::vector<LayoutValues>* LayoutValues::section(QStringView name) const
{
    const auto found = m_sections.constFind(key(name));
    return found == m_sections.cend() ? nullptr : &*found;
}

QString fillLayout(QStringView layout, const LayoutValues& values, const QString& what)
{
    std::vector<const LayoutValues*> scopes{&values};
    return Filler(what).fill(layout, scopes);
}

} // namespace ui
