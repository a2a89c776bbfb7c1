#include "store/value.h"

#include "store/convert.h"
#include "store/error.h"

#include <limits>

namespace store {
namespace {

[[noreturn]] void invalidUseOfNull()
{
    throw Error(ErrorKind::Conversion, QStringLiteral("Invalid use of Null"));
}

[[noreturn]] void typeMismatch(const QString& what)
{
    throw Error(ErrorKind::Conversion, QStringLiteral("Type mismatch: %1").arg(what));
}

} // namespace

Value::Value(int whole)
{
    if (whole >= std::numeric_limits<std::int16_t>::min() && whole <= std::numeric_limits<std::int16_t>::max())
        m_data = std::int16_t(whole);
    else
        m_data = double(whole);
}

Value::Value(long long whole)
{
    if (whole >= std::numeric_limits<std::int16_t>::min() && whole <= std::numeric_limits<std::int16_t>::max())
        m_data = std::int16_t(whole);
    else
        m_data = double(whole);
}

Value::Value(const QDate& date)
{
    if (date.isValid())
        m_data = date;
}

QString Value::toText() const
{
    switch (kind()) {
    case Kind::Null: invalidUseOfNull();
    case Kind::Text: return std::get<QString>(m_data);
    case Kind::Whole: return QString::number(std::get<std::int16_t>(m_data));
    case Kind::Number: return convert::numberToPlainText(std::get<double>(m_data));
    case Kind::Currency: return convert::currencyToPlainText(std::get<Currency>(m_data));
    case Kind::Date: return std::get<QDate>(m_data).toString(Qt::ISODate);
    case Kind::Boolean: return std::get<bool>(m_data) ? QStringLiteral("True") : QStringLiteral("False");
    }
    return {};
}

QString Value::display() const
{
    return isNull() ? QString() : toText();
}

std::int16_t Value::toWhole(const QLocale& locale) const
{
    switch (kind()) {
    case Kind::Null: invalidUseOfNull();
    case Kind::Text: return convert::textToWhole(std::get<QString>(m_data), locale);
    case Kind::Whole: return std::get<std::int16_t>(m_data);
    case Kind::Number: return convert::numberToWhole(std::get<double>(m_data));
    case Kind::Currency: return convert::currencyToWhole(std::get<Currency>(m_data));
    case Kind::Boolean: return std::get<bool>(m_data) ? -1 : 0;
    case Kind::Date: break;
    }
    typeMismatch(QStringLiteral("a date is not a whole number"));
}

double Value::toNumber(const QLocale& locale) const
{
    switch (kind()) {
    case Kind::Null: invalidUseOfNull();
    case Kind::Text: return convert::textToNumber(std::get<QString>(m_data), locale);
    case Kind::Whole: return std::get<std::int16_t>(m_data);
    case Kind::Number: return std::get<double>(m_data);
    case Kind::Currency: return convert::currencyToNumber(std::get<Currency>(m_data));
    case Kind::Boolean: return std::get<bool>(m_data) ? -1.0 : 0.0;
    case Kind::Date: break;
    }
    typeMismatch(QStringLiteral("a date is not a number"));
}

Currency Value::toCurrency(const QLocale& locale) const
{
    switch (kind()) {
    case Kind::Null: invalidUseOfNull();
    case Kind::Text: return convert::textToCurrency(std::get<QString>(m_data), locale);
    case Kind::Whole: return Currency::fromUnits(std::int64_t(std::get<std::int16_t>(m_data)) * Currency::kUnitsPerWhole);
    case Kind::Number: return convert::numberToCurrency(std::get<double>(m_data));
    case Kind::Currency: return std::get<Currency>(m_data);
    case Kind::Boolean: return Currency::fromUnits(std::get<bool>(m_data) ? -Currency::kUnitsPerWhole : 0);
    case Kind::Date: break;
    }
    typeMismatch(QStringLiteral("a date is not an amount"));
}

QDate Value::toDate(const QLocale& locale) const
{
    switch (kind()) {
    case Kind::Null: invalidUseOfNull();
    case Kind::Date: return std::get<QDate>(m_data);
    case Kind::Text: return convert::textToDate(std::get<QString>(m_data), locale);
    default: break;
    }
    typeMismatch(QStringLiteral("not a date"));
}

bool Value::toBool() const
{
    switch (kind()) {
    case Kind::Null: invalidUseOfNull();
    case Kind::Boolean: return std::get<bool>(m_data);
    case Kind::Whole: return std::get<std::int16_t>(m_data) != 0;
    case Kind::Number: return std::get<double>(m_data) != 0.0;
    case Kind::Currency: return !std::get<Currency>(m_data).isZero();
    case Kind::Text: {
        const QString text = std::get<QString>(m_data).trimmed();
        if (text.compare(u"True", Qt::CaseInsensitive) == 0 || text.compare(u"Yes", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"False", Qt::CaseInsensitive) == 0 || text.compare(u"No", Qt::CaseInsensitive) == 0)
            return false;
        return convert::textToNumber(text) != 0.0;
    }
    case Kind::Date: break;
    }
    typeMismatch(QStringLiteral("a date is not true or false"));
}

Value Value::convertedTo(Type type, const QLocale& locale) const
{
    if (isNull())
        return Value();
    switch (type) {
    case Type::Text: return Value(toText());
    case Type::Whole: return Value(toWhole(locale));
    case Type::Number: return Value(toNumber(locale));
    case Type::Currency: return Value(toCurrency(locale));
    case Type::Date: return Value(toDate(locale));
    case Type::Boolean: return Value(toBool());
    }
    return Value();
}

QString typeName(Type type)
{
    switch (type) {
    case Type::Text: return QStringLiteral("text");
    case Type::Whole: return QStringLiteral("whole number");
    case Type::Number: return QStringLiteral("number");
    case Type::Currency: return QStringLiteral("currency");
    case Type::Date: return QStringLiteral("date");
    case Type::Boolean: return QStringLiteral("true/false");
    }
    return {};
}

Value storedInteger(std::int64_t value, std::optional<Type> type)
{
    switch (type.value_or(Type::Whole)) {
    case Type::Currency: return Value(Currency::fromUnits(value));
    case Type::Number: return Value(double(value));
    case Type::Boolean: return Value(value != 0);
    case Type::Text: return Value(QString::number(value));
    default: return Value(static_cast<long long>(value));
    }
}

Value storedReal(double value, std::optional<Type> type)
{
    if (type == Type::Text)
        return Value(QString::number(value, 'g', QLocale::FloatingPointShortest));
    return Value(value);
}

Value storedText(const QString& text, std::optional<Type> type)
{
    if (type == Type::Date) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            return Value(date);
    }
    return Value(text);
}

} // namespace store
