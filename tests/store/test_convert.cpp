#include "store/convert.h"
#include "store/error.h"

#include <QTest>

using store::Currency;
namespace convert = store::convert;

Q_DECLARE_METATYPE(store::Currency)

class TestConvert : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textToCurrency_data();
    void textToCurrency();
    void textToWhole_data();
    void textToWhole();
    void arithmetic_data();
    void arithmetic();
    void overflowIsAnError();
    void formatPattern_data();
    void formatPattern();
    void staffFormats();
    void exactCurrencyReadsBack_data();
    void exactCurrencyReadsBack();
    void decimalToNumber_isTheNearestNumber_data();
    void decimalToNumber_isTheNearestNumber();
    void valueConversions();
};

static constexpr qint64 kFails = std::numeric_limits<qint64>::min();

void TestConvert::textToCurrency_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("units"); // kFails: refused

    QTest::newRow("plain") << "10.60" << qint64(106000);
    QTest::newRow("cents typed as a whole") << "1060" << qint64(10600000);
    QTest::newRow("currency format") << "$1,234.50" << qint64(12345000);
    QTest::newRow("blanks around") << "  2 " << qint64(20000);
    QTest::newRow("negative with symbol") << "-$1.50" << qint64(-15000);
    QTest::newRow("symbol then sign") << "$-1.50" << qint64(-15000);
    QTest::newRow("parentheses") << "($1.50)" << qint64(-15000);
    QTest::newRow("leading point") << ".5" << qint64(5000);
    QTest::newRow("trailing point") << "5." << qint64(50000);
    QTest::newRow("half rounds away from zero") << "0.00005" << qint64(1);
    QTest::newRow("below half rounds down") << "0.00004" << qint64(0);
    QTest::newRow("negative half") << "-0.00005" << qint64(-1);
    QTest::newRow("largest amount") << "922337203685477.5807" << std::numeric_limits<qint64>::max();
    QTest::newRow("past the largest") << "922337203685477.5808" << kFails;
    QTest::newRow("empty") << "" << kFails;
    QTest::newRow("blank") << "   " << kFails;
    QTest::newRow("letters") << "abc" << kFails;
    QTest::newRow("trailing letters") << "12abc" << kFails;
    QTest::newRow("inner blank") << "1 2" << kFails;
    QTest::newRow("exponent") << "1e3" << kFails;
    QTest::newRow("symbol only") << "$" << kFails;
    QTest::newRow("two signs") << "--1" << kFails;
    QTest::newRow("two points") << "1.2.3" << kFails;
}

void TestConvert::textToCurrency()
{
    QFETCH(QString, text);
    QFETCH(qint64, units);
    if (units == kFails) {
        try {
            convert::textToCurrency(text);
            QFAIL("the text was taken as an amount");
        } catch (const store::Error& e) {
            QCOMPARE(e.kind(), store::ErrorKind::Conversion);
        }
        return;
    }
    QCOMPARE(convert::textToCurrency(text).units(), units);
}

void TestConvert::textToWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("whole"); // INT_MIN: refused

    QTest::newRow("plain") << "12" << 12;
    QTest::newRow("blank before") << " 7" << 7;
    QTest::newRow("largest") << "32767" << 32767;
    QTest::newRow("smallest") << "-32768" << -32768;
    QTest::newRow("40000") << "40000" << INT_MIN;
    QTest::newRow("32768") << "32768" << INT_MIN;
    QTest::newRow("-32769") << "-32769" << INT_MIN;
    QTest::newRow("half up") << "2.5" << 3;
    QTest::newRow("half down negative") << "-2.5" << -3;
    QTest::newRow("grouped") << "1,000" << 1000;
    QTest::newRow("empty") << "" << INT_MIN;
    QTest::newRow("letter") << "a" << INT_MIN;
}

void TestConvert::textToWhole()
{
    QFETCH(QString, text);
    QFETCH(int, whole);
    if (whole == INT_MIN) {
        QVERIFY_THROWS_EXCEPTION(store::Error, convert::textToWhole(text));
        return;
    }
    QCOMPARE(int(convert::textToWhole(text)), whole);
}

void TestConvert::arithmetic_data()
{
    QTest::addColumn<Currency>("result");
    QTest::addColumn<qint64>("units");

    QTest::newRow("tax 10.00 at 0.06") << convert::multiplyRounded(Currency::fromUnits(100000), 0.06) << qint64(6000);
    QTest::newRow("tax 19.99 at 0.0825") << convert::multiplyRounded(Currency::fromUnits(199900), 0.0825) << qint64(16492);
    QTest::newRow("rate product rounds half away") << convert::multiplyRounded(Currency::fromUnits(1), 0.5) << qint64(1);
    QTest::newRow("negative rounds half away") << convert::multiplyRounded(Currency::fromUnits(-1), 0.5) << qint64(-1);
    QTest::newRow("3 units at 1.25") << convert::multiply(Currency::fromUnits(12500), qint64(3)) << qint64(37500);
    QTest::newRow("1060 cents") << convert::divide(convert::textToCurrency(QStringLiteral("1060")), 100) << qint64(106000);
    QTest::newRow("10.60 typed as cents") << convert::divide(convert::textToCurrency(QStringLiteral("10.60")), 100) << qint64(1060);
    QTest::newRow("division rounds") << convert::divide(Currency::fromUnits(5), 10) << qint64(1);
    QTest::newRow("sum") << convert::add(Currency::fromUnits(106000), Currency::fromUnits(6000)) << qint64(112000);
    QTest::newRow("change") << convert::subtract(Currency::fromUnits(106000), Currency::fromUnits(106000)) << qint64(0);
    QTest::newRow("number to currency") << convert::numberToCurrency(1.005) << qint64(10050);
}

void TestConvert::arithmetic()
{
    QFETCH(Currency, result);
    QFETCH(qint64, units);
    QCOMPARE(result.units(), units);
}

void TestConvert::overflowIsAnError()
{
    const Currency largest = Currency::fromUnits(std::numeric_limits<qint64>::max());
    QVERIFY_THROWS_EXCEPTION(store::Error, convert::add(largest, Currency::fromUnits(1)));
    QVERIFY_THROWS_EXCEPTION(store::Error, convert::multiply(largest, qint64(2)));
    QVERIFY_THROWS_EXCEPTION(store::Error, convert::multiplyRounded(largest, 1.5));
    QVERIFY_THROWS_EXCEPTION(store::Error, convert::addWhole(32767, 1));
    QVERIFY_THROWS_EXCEPTION(store::Error, convert::subtractWhole(-32768, 1));
    QVERIFY_THROWS_EXCEPTION(store::Error, convert::numberToWhole(40000.0));
    QCOMPARE(convert::addWhole(32766, 1), std::int16_t(32767));
}

void TestConvert::formatPattern_data()
{
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");

    const QString grid = QStringLiteral("\"$\"#,##0.00");
    const QString label = QStringLiteral("$0.00");
    QTest::newRow("grid 1234.5") << qint64(12345000) << grid << "$1,234.50";
    QTest::newRow("grid million") << qint64(12345678900) << grid << "$1,234,567.89";
    QTest::newRow("grid zero") << qint64(0) << grid << "$0.00";
    QTest::newRow("label zero") << qint64(0) << label << "$0.00";
    QTest::newRow("label no grouping") << qint64(12345678900) << label << "$1234567.89";
    QTest::newRow("label rounds half away") << qint64(10050) << label << "$1.01";
    QTest::newRow("label rounds down") << qint64(10049) << label << "$1.00";
    QTest::newRow("label negative") << qint64(-15000) << label << "-$1.50";
    QTest::newRow("negative that rounds to zero") << qint64(-40) << label << "$0.00";
    QTest::newRow("optional digits") << qint64(5000) << "#.##" << ".5";
}

void TestConvert::formatPattern()
{
    QFETCH(qint64, units);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(convert::formatPattern(Currency::fromUnits(units), pattern), text);
}

void TestConvert::staffFormats()
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(convert::formatCurrency(Currency::fromUnits(19900), us), QStringLiteral("$1.99"));
    QCOMPARE(convert::formatCurrency(Currency::fromUnits(12345000), us), QStringLiteral("$1,234.50"));
    QCOMPARE(convert::formatCurrency(Currency::fromUnits(-15000), us), QStringLiteral("($1.50)"));
    QCOMPARE(convert::formatMediumDate(QDate(2026, 12, 10), us), QStringLiteral("10-Dec-26"));
    QCOMPARE(convert::formatLongTime(QTime(14, 5, 9), us), QStringLiteral("2:05:09 PM"));
    // What the locale prints, it reads back.
    QCOMPARE(convert::textToCurrency(convert::formatCurrency(Currency::fromUnits(12345000), us), us).units(), qint64(12345000));

    const QLocale german(QLocale::German, QLocale::Germany);
    QCOMPARE(convert::textToCurrency(QStringLiteral("1.234,50 €"), german).units(), qint64(12345000));
    QCOMPARE(convert::textToNumber(QStringLiteral("7,5"), german), 7.5);
}

void TestConvert::exactCurrencyReadsBack_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("text");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("two decimals") << us << qint64(19900) << "$1.99";
    QTest::newRow("one decimal shows two") << us << qint64(15000) << "$1.50";
    QTest::newRow("whole") << us << qint64(1490000) << "$149.00";
    QTest::newRow("zero") << us << qint64(0) << "$0.00";
    QTest::newRow("thousands") << us << qint64(12345000) << "$1,234.50";
    QTest::newRow("three decimals") << us << qint64(12340) << "$1.234";
    QTest::newRow("four decimals") << us << qint64(12345) << "$1.2345";
    QTest::newRow("the smallest amount") << us << qint64(1) << "$0.0001";
    QTest::newRow("negative") << us << qint64(-15000) << "($1.50)";
    QTest::newRow("negative, four decimals") << us << qint64(-12345) << "($1.2345)";
    QTest::newRow("largest amount") << us << std::numeric_limits<qint64>::max() << "$922,337,203,685,477.5807";
    QTest::newRow("German") << german << qint64(12345678) << QStringLiteral("1.234,5678\u00a0\u20ac");
    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << qint64(-12345000) << QStringLiteral("(1\u202f234,50\u00a0\u20ac)");
}

// What is shown is read back as the very amount, in the locale that showed it.
void TestConvert::exactCurrencyReadsBack()
{
    QFETCH(QLocale, locale);
    QFETCH(qint64, units);
    QFETCH(QString, text);
    const QString shown = convert::formatCurrencyExact(Currency::fromUnits(units), locale);
    QCOMPARE(shown, text);
    QCOMPARE(convert::textToCurrency(shown, locale).units(), units);
}

void TestConvert::decimalToNumber_isTheNearestNumber_data()
{
    QTest::addColumn<qint64>("digits");
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("number");
    QTest::newRow("6 percent") << qint64(6) << 2 << 0.06;
    QTest::newRow("7.5 percent") << qint64(75) << 3 << 0.075;
    // 0.7 / 100 in binary is 0.006999999999999999; the decimal is exactly 0.007.
    QTest::newRow("0.7 percent") << qint64(7) << 3 << 0.007;
    QTest::newRow("negative") << qint64(-25) << 2 << -0.25;
    QTest::newRow("zero") << qint64(0) << 2 << 0.0;
}

void TestConvert::decimalToNumber_isTheNearestNumber()
{
    QFETCH(qint64, digits);
    QFETCH(int, scale);
    QFETCH(double, number);
    QCOMPARE(convert::decimalToNumber(convert::Decimal{digits, scale}), number);
}

void TestConvert::valueConversions()
{
    using store::Type;
    using store::Value;
    QCOMPARE(Value(QStringLiteral("12")).convertedTo(Type::Whole), Value(std::int16_t(12)));
    QCOMPARE(Value(std::int16_t(3)).convertedTo(Type::Text), Value(QStringLiteral("3")));
    QCOMPARE(Value(Currency::fromUnits(106000)).convertedTo(Type::Text), Value(QStringLiteral("10.6")));
    QCOMPARE(Value(QStringLiteral("$1.99")).convertedTo(Type::Currency), Value(Currency::fromUnits(19900)));
    QCOMPARE(Value(QStringLiteral("2026-12-10")).convertedTo(Type::Date), Value(QDate(2026, 12, 10)));
    QCOMPARE(Value(40000).kind(), Value::Kind::Number);
    QVERIFY(Value().convertedTo(Type::Currency).isNull());
    QVERIFY_THROWS_EXCEPTION(store::Error, Value(40000).convertedTo(Type::Whole));
    QVERIFY_THROWS_EXCEPTION(store::Error, Value().toText());
    QCOMPARE(Value().display(), QString());
}

QTEST_GUILESS_MAIN(TestConvert)
#include "test_convert.moc"
