#pragma once

#include "store/value.h"

#include <QString>
#include <QStringView>

namespace cashregister {

// How the till compares what the cashier typed with what the store holds. Texts are compared as
// they are, never trimmed; a field without a value never matches anything.

// The typed text, upper-cased once before a scan.
class UpperText {
public:
    explicit UpperText(const QString& typed);
    const QString& text() const { return m_upper; }

    // True when the field, upper-cased, equals the typed text upper-cased.
    bool matches(const store::Value& field) const;

private:
    QString m_upper;
    bool m_ascii;
};

// True when both values hold the same text, letter case included.
bool sameText(const store::Value& a, const store::Value& b);
// True when both values hold the same whole number.
bool sameWhole(const store::Value& a, const store::Value& b);

// The tblCathegory column that tallies the units of a product of this category, or nullptr when
// the category is none of the twelve words.
const char16_t* tallyColumn(const store::Value& category);

} // namespace cashregister
