#pragma once

#include "store/value.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

// Every conversion between typed text, numbers and money that the screens rely on, with its
// rules, in one place.
//
// Reading text (readDecimal and the functions built on it):
// - blanks (spaces, tabs and no-break spaces) around the text are ignored; an empty text is not
//   a number;
// - an optional sign, "+" or "-", or parentheses around the whole for a negative amount;
// - the locale's currency symbol may stand before or after the digits (and "$" always may);
// - digits with the locale's group separator between them, then optionally the locale's decimal
//   point and more digits; "." is always accepted as the decimal point as well when the locale's
//   group separator is not ".";
// - nothing else: "1e3", "12abc", "1 2" are not numbers.
// The digits are read exactly (never through a binary float).
//
// Rounding: every rounding (to four decimals for currency, to two for display, to a whole number)
// is to the nearest, with halves away from zero: 0.00005 -> 0.0001, 2.5 -> 3, -2.5 -> -3.
//
// Range: currency holds -922337203685477.5808 .. 922337203685477.5807; whole numbers hold
// -32768 .. 32767. A result outside its range is an Error(Conversion), never a wrapped value.
namespace store::convert {

// 128-bit integers (a GCC and Clang extension), wide enough for any product of amounts.
__extension__ typedef __int128 Int128;

// An exact decimal: digits * 10^-scale.
struct Decimal {
    Int128 digits = 0;
    int scale = 0;
};

std::optional<Decimal> readDecimal(const QString& text, const QLocale& locale = QLocale::c());

// Text to a 16-bit whole number (rounded). Throws Error(Conversion).
std::int16_t textToWhole(const QString& text, const QLocale& locale = QLocale::c());
// Text to a number. Throws Error(Conversion).
double textToNumber(const QString& text, const QLocale& locale = QLocale::c());
// An exact decimal as the number nearest it (0.075 is the double nearest 75/1000). Throws
// Error(Conversion) for a decimal past the range of numbers.
double decimalToNumber(const Decimal& value);
// Text to currency (rounded to four decimals). Throws Error(Conversion).
Currency textToCurrency(const QString& text, const QLocale& locale = QLocale::c());
// Text to a date: yyyy-MM-dd, or the locale's short or long date format. Throws Error(Conversion).
QDate textToDate(const QString& text, const QLocale& locale = QLocale::c());

// A number read exactly as the shortest decimal that gives it back (0.06 is 6/100, not the
// binary fraction nearest it). Throws Error(Conversion) for infinities and NaN.
Decimal numberToDecimal(double number);
Currency numberToCurrency(double number);
double currencyToNumber(Currency amount);
std::int16_t numberToWhole(double number);
std::int16_t currencyToWhole(Currency amount);

// Checked arithmetic. Each throws Error(Conversion) on overflow.
Currency add(Currency a, Currency b);
Currency subtract(Currency a, Currency b);
Currency multiply(Currency amount, std::int64_t factor);          // exact
Currency multiplyRounded(Currency amount, double factor);         // rounded to four decimals
Currency divide(Currency amount, std::int64_t divisor);           // rounded to four decimals
std::int16_t addWhole(std::int16_t a, std::int16_t b);
std::int16_t subtractWhole(std::int16_t a, std::int16_t b);

// Plain text of an amount with all its significant decimals and no symbol: 10.6 is "10.6",
// 3 is "3", -0.0001 is "-0.0001". This is how currency reads as text (a text field, a plain label).
QString currencyToPlainText(Currency amount);
// Plain text of a number, shortest form: 0.06 is "0.06".
QString numberToPlainText(double number);

// Format an amount with a numeric pattern of the kind "$0.00" or "\"$\"#,##0.00":
// literal characters and double-quoted literals are copied; "0" is a digit always shown, "#" a
// digit shown when significant; "," anywhere in the whole part groups thousands by threes; "."
// starts the decimals. A negative amount is shown with "-" before the whole result.
QString formatPattern(Currency amount, const QString& pattern);
QString formatPattern(double number, const QString& pattern);

// The locale's currency format: its symbol where the locale puts it, its group separator and
// decimal point, two decimals (en_US: 1234.5 is "$1,234.50", -1.5 is "($1.50)").
QString formatCurrency(Currency amount, const QLocale& locale);
// The locale's currency format with every decimal the amount has, two at least (en_US: 1.5 is
// "$1.50", 1.2345 is "$1.2345"), so that textToCurrency in the same locale reads the amount back
// exactly: the form of an amount put into a box that is read again.
QString formatCurrencyExact(Currency amount, const QLocale& locale);

// The locale's medium date (day, abbreviated month and two-digit year: en_US 10-Dec-26) and
// long time (en_US 2:05:09 PM) formats.
QString formatMediumDate(const QDate& date, const QLocale& locale);
QString formatLongTime(const QTime& time, const QLocale& locale);

// The locale a store's staff sees: the system's, or United States English where the system
// names none (the "C" locale of a bare machine).
QLocale staffLocale();

} // namespace store::convert
