#include "store/convert.h"

#include "store/error.h"

#include <QByteArray>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace store::convert {
namespace {

using i128 = Int128;

constexpr int kMaxPow10 = 38;

i128 pow10(int n)
{
    i128 result = 1;
    for (int i = 0; i < n; ++i)
        result *= 10;
    return result;
}

[[noreturn]] void overflow(const char* what)
{
    throw Error(ErrorKind::Conversion, QStringLiteral("Overflow: %1").arg(QLatin1String(what)));
}

[[noreturn]] void notANumber(const QString& text)
{
    throw Error(ErrorKind::Conversion, QStringLiteral("Type mismatch: \"%1\" is not a number").arg(text));
}

i128 absolute(i128 v) { return v < 0 ? -v : v; }

// digits / 10^places, to the nearest, halves away from zero.
i128 roundDivide(i128 digits, int places)
{
    if (places <= 0)
        return digits;
    if (places > kMaxPow10)
        return 0; // |digits| < 10^38 < half of 10^places
    const i128 divisor = pow10(places);
    i128 quotient = absolute(digits) / divisor;
    const i128 remainder = absolute(digits) % divisor;
    if (remainder * 2 >= divisor)
        ++quotient;
    return digits < 0 ? -quotient : quotient;
}

// The decimal's value scaled to `scale` decimals (rounded when it has more).
i128 atScale(const Decimal& d, int scale, const char* what)
{
    if (d.scale >= scale)
        return roundDivide(d.digits, d.scale - scale);
    i128 result = 0;
    const int up = scale - d.scale;
    if (up > kMaxPow10 || __builtin_mul_overflow(d.digits, pow10(up), &result))
        overflow(what);
    return result;
}

Currency currencyFrom(i128 units, const char* what)
{
    if (units > std::numeric_limits<std::int64_t>::max() || units < std::numeric_limits<std::int64_t>::min())
        overflow(what);
    return Currency::fromUnits(std::int64_t(units));
}

std::int16_t wholeFrom(i128 value, const char* what)
{
    if (value > std::numeric_limits<std::int16_t>::max() || value < std::numeric_limits<std::int16_t>::min())
        overflow(what);
    return std::int16_t(value);
}

// A space, a tab, or a no-break space (which many locales' currency formats put between the
// amount and the symbol).
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\u00a0' || c == u'\u202f'; }

// Consumes `token` at `pos` when it is there.
bool take(const QString& text, qsizetype& pos, const QString& token)
{
    if (token.isEmpty() || !QStringView(text).sliced(pos).startsWith(token))
        return false;
    pos += token.size();
    return true;
}

QString digitsText(i128 magnitude)
{
    if (magnitude == 0)
        return QStringLiteral("0");
    QString out;
    while (magnitude > 0) {
        out.prepend(QChar(u'0' + int(magnitude % 10)));
        magnitude /= 10;
    }
    return out;
}

QString groupThousands(const QString& digits, const QString& separator)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return out;
}

// A numeric pattern of the "$0.00" family, taken apart.
struct Pattern {
    QString prefix;
    QString suffix;
    int minWholeDigits = 0;
    bool grouping = false;
    int minDecimals = 0;
    int maxDecimals = 0;
};

Pattern parsePattern(const QString& pattern)
{
    Pattern p;
    bool seenDigit = false;
    bool inDecimals = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        QString literal;
        if (c == u'"') {
            const qsizetype close = pattern.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            literal = pattern.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'\\' && i + 1 < pattern.size()) {
            literal = pattern.at(++i);
        } else if (c == u'0' || c == u'#') {
            seenDigit = true;
            if (inDecimals) {
                ++p.maxDecimals;
                if (c == u'0')
                    p.minDecimals = p.maxDecimals;
            } else if (c == u'0') {
                ++p.minWholeDigits;
            }
            continue;
        } else if (c == u',' && !inDecimals) {
            p.grouping = true;
            continue;
        } else if (c == u'.' && !inDecimals) {
            inDecimals = true;
            seenDigit = true;
            continue;
        } else {
            literal = c;
        }
        (seenDigit ? p.suffix : p.prefix) += literal;
    }
    return p;
}

QString formatDecimal(const Decimal& value, const QString& patternText)
{
    const Pattern p = parsePattern(patternText);
    const i128 scaled = atScale(value, p.maxDecimals, "format");
    const i128 magnitude = absolute(scaled);
    const i128 unit = pow10(p.maxDecimals);
    QString whole = digitsText(magnitude / unit);
    if (whole == u"0" && p.minWholeDigits == 0)
        whole.clear();
    while (whole.size() < p.minWholeDigits)
        whole.prepend(u'0');
    if (p.grouping)
        whole = groupThousands(whole, QStringLiteral(","));
    QString decimals;
    if (p.maxDecimals > 0) {
        decimals = digitsText(magnitude % unit).rightJustified(p.maxDecimals, u'0');
        while (decimals.size() > p.minDecimals && decimals.endsWith(u'0'))
            decimals.chop(1);
    }
    QString out = p.prefix + whole;
    if (p.maxDecimals > 0 && (p.minDecimals > 0 || !decimals.isEmpty()))
        out += u'.' + decimals;
    out += p.suffix;
    return scaled < 0 ? u'-' + out : out;
}

} // namespace

std::optional<Decimal> readDecimal(const QString& input, const QLocale& locale)
{
    qsizetype begin = 0;
    qsizetype end = input.size();
    while (begin < end && isBlank(input.at(begin)))
        ++begin;
    while (end > begin && isBlank(input.at(end - 1)))
        --end;
    QString text = input.mid(begin, end - begin);
    if (text.isEmpty())
        return std::nullopt;

    bool negative = false;
    if (text.startsWith(u'(') && text.endsWith(u')') && text.size() > 2) {
        negative = true;
        text = text.mid(1, text.size() - 2);
    }

    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    const QString dollar = QStringLiteral("$");
    const QString group = locale.groupSeparator();
    const QString point = locale.decimalPoint();
    const bool dotIsPoint = group != u".";

    qsizetype pos = 0;
    auto takeSign = [&] {
        if (take(text, pos, QStringLiteral("-")) || take(text, pos, locale.negativeSign())) {
            if (negative)
                return false;
            negative = true;
        } else {
            take(text, pos, QStringLiteral("+"));
        }
        return true;
    };
    auto takeSymbol = [&] {
        if (take(text, pos, symbol) || take(text, pos, dollar)) {
            while (pos < text.size() && isBlank(text.at(pos)))
                ++pos;
            return true;
        }
        return false;
    };

    if (!takeSign())
        return std::nullopt;
    if (takeSymbol() && !negative && !takeSign())
        return std::nullopt;

    Decimal d;
    bool anyDigit = false;
    int digitCount = 0;
    bool inDecimals = false;
    bool lastWasDigit = false;
    while (pos < text.size()) {
        const QChar c = text.at(pos);
        if (c.isDigit() && c.unicode() < 128) {
            if (d.digits != 0 || c != u'0')
                ++digitCount;
            if (digitCount > kMaxPow10 - 2)
                return std::nullopt;
            d.digits = d.digits * 10 + (c.unicode() - u'0');
            if (inDecimals)
                ++d.scale;
            lastWasDigit = true;
            anyDigit = true;
            ++pos;
            continue;
        }
        if (!inDecimals && (take(text, pos, point) || (dotIsPoint && take(text, pos, QStringLiteral("."))))) {
            inDecimals = true;
            lastWasDigit = false;
            continue;
        }
        if (!inDecimals && lastWasDigit && !group.isEmpty() && QStringView(text).sliced(pos).startsWith(group)
            && pos + group.size() < text.size() && text.at(pos + group.size()).isDigit()) {
            pos += group.size();
            lastWasDigit = false;
            continue;
        }
        break;
    }
    while (pos < text.size() && isBlank(text.at(pos)))
        ++pos;
    takeSymbol();
    if (pos != text.size() || !anyDigit)
        return std::nullopt;
    if (negative)
        d.digits = -d.digits;
    return d;
}

std::int16_t textToWhole(const QString& text, const QLocale& locale)
{
    const auto d = readDecimal(text, locale);
    if (!d)
        notANumber(text);
    return wholeFrom(atScale(*d, 0, "whole number"), "whole number");
}

double textToNumber(const QString& text, const QLocale& locale)
{
    const auto d = readDecimal(text, locale);
    if (!d)
        notANumber(text);
    return decimalToNumber(*d);
}

double decimalToNumber(const Decimal& value)
{
    QByteArray canonical = QByteArray::fromStdString(digitsText(absolute(value.digits)).toStdString());
    if (value.digits < 0)
        canonical.prepend('-');
    canonical += "e-" + QByteArray::number(value.scale);
    bool ok = false;
    const double number = canonical.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        overflow("number");
    return number;
}

Currency textToCurrency(const QString& text, const QLocale& locale)
{
    const auto d = readDecimal(text, locale);
    if (!d)
        notANumber(text);
    return currencyFrom(atScale(*d, 4, "currency"), "currency");
}

QDate textToDate(const QString& input, const QLocale& locale)
{
    const QString text = input.trimmed();
    QDate date = QDate::fromString(text, Qt::ISODate);
    if (date.isValid())
        return date;
    const QString formats[] = {
        locale.dateFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::LongFormat),
        QStringLiteral("dd-MMM-yy"), QStringLiteral("d-MMM-yyyy"),
    };
    for (const QString& format : formats) {
        date = locale.toDate(text, format);
        if (!date.isValid())
            continue;
        // A two-digit year is read in 1930 .. 2029.
        if (!format.contains(QStringLiteral("yyyy")) && date.year() < 1930)
            date = date.addYears(100);
        return date;
    }
    throw Error(ErrorKind::Conversion, QStringLiteral("Type mismatch: \"%1\" is not a date").arg(input));
}

Decimal numberToDecimal(double number)
{
    if (!std::isfinite(number))
        overflow("number");
    const QByteArray text = QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    // text is [-]digits[.digits][e[+-]exp]
    Decimal d;
    bool negative = false;
    int exponent = 0;
    qsizetype i = 0;
    if (i < text.size() && text.at(i) == '-') {
        negative = true;
        ++i;
    }
    bool inDecimals = false;
    for (; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c >= '0' && c <= '9') {
            d.digits = d.digits * 10 + (c - '0');
            if (inDecimals)
                ++d.scale;
        } else if (c == '.') {
            inDecimals = true;
        } else if (c == 'e' || c == 'E') {
            exponent = text.mid(i + 1).toInt();
            break;
        }
    }
    d.scale -= exponent;
    if (d.scale < 0) {
        if (-d.scale > kMaxPow10 || __builtin_mul_overflow(d.digits, pow10(-d.scale), &d.digits))
            overflow("number");
        d.scale = 0;
    }
    if (negative)
        d.digits = -d.digits;
    return d;
}

Currency numberToCurrency(double number)
{
    return currencyFrom(atScale(numberToDecimal(number), 4, "currency"), "currency");
}

double currencyToNumber(Currency amount)
{
    // Both operands are exact doubles for any till amount, and IEEE division rounds correctly.
    return double(amount.units()) / double(Currency::kUnitsPerWhole);
}

std::int16_t numberToWhole(double number)
{
    return wholeFrom(atScale(numberToDecimal(number), 0, "whole number"), "whole number");
}

std::int16_t currencyToWhole(Currency amount)
{
    return wholeFrom(roundDivide(amount.units(), 4), "whole number");
}

Currency add(Currency a, Currency b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a.units(), b.units(), &sum))
        overflow("currency");
    return Currency::fromUnits(sum);
}

Currency subtract(Currency a, Currency b)
{
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(a.units(), b.units(), &difference))
        overflow("currency");
    return Currency::fromUnits(difference);
}

Currency multiply(Currency amount, std::int64_t factor)
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(amount.units(), factor, &product))
        overflow("currency");
    return Currency::fromUnits(product);
}

Currency multiplyRounded(Currency amount, double factor)
{
    const Decimal f = numberToDecimal(factor);
    i128 product = 0;
    if (__builtin_mul_overflow(i128(amount.units()), f.digits, &product))
        overflow("currency");
    return currencyFrom(roundDivide(product, f.scale), "currency");
}

Currency divide(Currency amount, std::int64_t divisor)
{
    if (divisor == 0)
        throw Error(ErrorKind::Conversion, QStringLiteral("Division by zero"));
    const i128 n = absolute(amount.units());
    const i128 m = absolute(divisor);
    i128 quotient = n / m;
    if ((n % m) * 2 >= m)
        ++quotient;
    const bool negative = (amount.units() < 0) != (divisor < 0);
    return currencyFrom(negative ? -quotient : quotient, "currency");
}

std::int16_t addWhole(std::int16_t a, std::int16_t b)
{
    return wholeFrom(i128(a) + b, "whole number");
}

std::int16_t subtractWhole(std::int16_t a, std::int16_t b)
{
    return wholeFrom(i128(a) - b, "whole number");
}

QString currencyToPlainText(Currency amount)
{
    const i128 magnitude = absolute(amount.units());
    QString out = digitsText(magnitude / Currency::kUnitsPerWhole);
    QString fraction = digitsText(magnitude % Currency::kUnitsPerWhole).rightJustified(4, u'0');
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (!fraction.isEmpty())
        out += u'.' + fraction;
    return amount.units() < 0 ? u'-' + out : out;
}

QString numberToPlainText(double number)
{
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

QString formatPattern(Currency amount, const QString& pattern)
{
    return formatDecimal(Decimal{amount.units(), 4}, pattern);
}

QString formatPattern(double number, const QString& pattern)
{
    return formatDecimal(numberToDecimal(number), pattern);
}

namespace {

// An amount of `scaled` * 10^-decimals in the locale's currency format.
QString currencyText(i128 scaled, int decimals, const QLocale& locale)
{
    const i128 magnitude = absolute(scaled);
    const i128 unit = pow10(decimals);
    const QString digits = locale.toString(qlonglong(magnitude / unit)) + locale.decimalPoint()
        + digitsText(magnitude % unit).rightJustified(decimals, u'0');
    // The locale's own currency text for one unit shows where its symbol and sign go.
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    const QString one = locale.toString(1.0, 'f', 2);
    QString shape = locale.toCurrencyString(scaled < 0 ? -1.0 : 1.0, symbol, 2);
    const qsizetype at = shape.indexOf(one);
    if (at < 0)
        return (scaled < 0 ? QStringLiteral("-") : QString()) + symbol + digits;
    return shape.replace(at, one.size(), digits);
}

} // namespace

QString formatCurrency(Currency amount, const QLocale& locale)
{
    return currencyText(roundDivide(amount.units(), 2), 2, locale);
}

QString formatCurrencyExact(Currency amount, const QLocale& locale)
{
    i128 scaled = amount.units();
    int decimals = 4;
    while (decimals > 2 && scaled % 10 == 0) {
        scaled /= 10;
        --decimals;
    }
    return currencyText(scaled, decimals, locale);
}

QString formatMediumDate(const QDate& date, const QLocale& locale)
{
    return locale.toString(date, QStringLiteral("dd-MMM-yy"));
}

QString formatLongTime(const QTime& time, const QLocale& locale)
{
    // The long format of many locales ends with the time zone, which a till has no use for.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return locale.toString(time, format.trimmed());
}

QLocale staffLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

} // namespace store::convert
