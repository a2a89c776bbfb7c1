#include "register/matching.h"

#include <array>

namespace cashregister {
namespace {

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// The words are tried in this order, each upper-cased; the first equal one names the column.
struct Tally {
    const char16_t* word;
    const char16_t* column;
};
constexpr std::array kTallies = {
    Tally{u"meat", u"Meat"},
    Tally{u"Bakery", u"Bakery"},
    Tally{u"Frozen", u"Frozen"},
    Tally{u"vegetable", u"Vegetable"},
    Tally{u"Beverage", u"Beverage"},
    Tally{u"fruits", u"Fruits"},
    Tally{u"Dairy", u"Dairy"},
    Tally{u"grain", u"Grain"},
    Tally{u"Grocery", u"Grocery"},
    Tally{u"Miscelaneous", u"Miscelaneous"},
    Tally{u"health", u"Health"},
    Tally{u"Cleaning", u"Cleaning"},
};

} // namespace

UpperText::UpperText(const QString& typed) : m_upper(typed.toUpper()), m_ascii(isAscii(typed)) {}

bool UpperText::matches(const store::Value& field) const
{
    if (field.kind() != store::Value::Kind::Text) {
        if (field.isNull())
            return false;
        return field.toText().toUpper() == m_upper;
    }
    const QString text = field.toText();
    // Plain ASCII upper-cases letter for letter: compare without making an upper-cased copy.
    if (m_ascii && isAscii(text)) {
        if (text.size() != m_upper.size())
            return false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (asciiUpper(text.at(i).unicode()) != m_upper.at(i).unicode())
                return false;
        }
        return true;
    }
    return text.toUpper() == m_upper;
}

bool sameText(const store::Value& a, const store::Value& b)
{
    if (a.isNull() || b.isNull())
        return false;
    return a.toText() == b.toText();
}

bool sameWhole(const store::Value& a, const store::Value& b)
{
    if (a.isNull() || b.isNull())
        return false;
    return a.toWhole() == b.toWhole();
}

const char16_t* tallyColumn(const store::Value& category)
{
    if (category.isNull())
        return nullptr;
    const QString upper = category.toText().toUpper();
    for (const Tally& tally : kTallies) {
        if (QString::fromUtf16(tally.word).toUpper() == upper)
            return tally.column;
    }
    return nullptr;
}

} // namespace cashregister
