#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>
#include <variant>

namespace store {

// An amount of money: a signed 64-bit count of ten-thousandths (four decimals, exact).
// 10.60 is Currency::fromUnits(106000). Arithmetic that can overflow lives in convert.h.
class Currency {
public:
    static constexpr std::int64_t kUnitsPerWhole = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(std::int64_t units) { return Currency(units); }
    static constexpr Currency fromCents(std::int64_t cents) { return Currency(cents * 100); }

    constexpr std::int64_t units() const { return m_units; }
    constexpr bool isZero() const { return m_units == 0; }

    constexpr auto operator<=>(const Currency&) const = default;

private:
    constexpr explicit Currency(std::int64_t units) : m_units(units) {}
    std::int64_t m_units = 0;
};

// The field types of the store.
enum class Type { Text, Whole, Number, Currency, Date, Boolean };

// One field value: null, text, 16-bit whole number, number, currency, date or true/false.
class Value {
public:
    enum class Kind { Null, Text, Whole, Number, Currency, Date, Boolean };

    Value() = default;
    Value(const QString& text) : m_data(text) {}
    Value(const char16_t* text) : m_data(QString::fromUtf16(text)) {}
    Value(std::int16_t whole) : m_data(whole) {}
    // A whole number that fits 16 bits is a whole number; a larger one is kept as a number, so
    // that setting it into a whole-number field is refused by the field's range.
    Value(int whole);
    Value(long long whole);
    Value(double number) : m_data(number) {}
    Value(Currency amount) : m_data(amount) {}
    Value(const QDate& date);
    Value(bool flag) : m_data(flag) {}

    Kind kind() const { return static_cast<Kind>(m_data.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    // Conversions as the screens read values. Each throws Error(Conversion) when the value
    // cannot be read as asked: a null, text that is not a number, a number outside the range.
    // Text is read by the rules of convert.h in the given locale.
    QString toText() const;        // null fails; whole, number and currency in plain digits
    std::int16_t toWhole(const QLocale& locale = QLocale::c()) const;  // rounded; outside -32768..32767 fails
    double toNumber(const QLocale& locale = QLocale::c()) const;
    Currency toCurrency(const QLocale& locale = QLocale::c()) const;  // rounded to four decimals
    QDate toDate(const QLocale& locale = QLocale::c()) const;         // yyyy-MM-dd or the locale's forms
    bool toBool() const;           // true/false, a number (not 0 is true), "True"/"False", "Yes"/"No"

    // The value as a text box shows it: null is the empty text.
    QString display() const;

    // The value converted to the given field type, as the store does when a field is set.
    // A null stays null in every type.
    Value convertedTo(Type type, const QLocale& locale = QLocale::c()) const;

    bool operator==(const Value& other) const = default;

private:
    std::variant<std::monostate, QString, std::int16_t, double, Currency, QDate, bool> m_data;
};

QString typeName(Type type);

// What a value SQLite holds reads as in a field of `type`; without a type (a column no table
// field stands behind, such as a computed one) an integer reads as a whole number. A text field
// holding a number reads as its text, a date field as its date when the text is one.
Value storedInteger(std::int64_t value, std::optional<Type> type);
Value storedReal(double value, std::optional<Type> type);
Value storedText(const QString& text, std::optional<Type> type);

} // namespace store
