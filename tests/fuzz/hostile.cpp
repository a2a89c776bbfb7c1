#include "fuzz/hostile.h"

#include "store/statement.h"
#include "store/store.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <limits>

namespace hostile {
namespace {

QString repeated(const QString& piece, int times)
{
    QString text;
    text.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The ingredients random texts are mixed from, by family.
const QStringList& pieces()
{
    static const QStringList all{
        // digits, signs, exponents, separators and currency signs
        QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("32767"),
        QStringLiteral("-"), QStringLiteral("+"), QStringLiteral("("), QStringLiteral(")"), QStringLiteral("e"), QStringLiteral("E"),
        QStringLiteral("."), QStringLiteral(","), QStringLiteral("'"), QStringLiteral("\u00a0"), QStringLiteral("\u202f"),
        QStringLiteral("\u066b"), QStringLiteral("$"), QStringLiteral("\u20ac"), QStringLiteral("\u00a3"),
        // letters, Latin and not
        QStringLiteral("a"), QStringLiteral("Z"), QStringLiteral("\u00e9"), QStringLiteral("\u0131"), QStringLiteral("\u00df"),
        QStringLiteral("\u041c"), QStringLiteral("\u725b"), QStringLiteral("\u062d"), QStringLiteral("\u05d7"),
        QStringLiteral("\u0663"), QStringLiteral("\uff11"), QStringLiteral("\u0967"),
        // blanks and control characters
        QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral("\r"), QStringLiteral("\n"), QString(QChar(0)),
        QStringLiteral("\u0001"), QStringLiteral("\u001b"), QStringLiteral("\u007f"), QStringLiteral("\u0085"),
        QStringLiteral("\u200b"), QStringLiteral("\u202e"), QStringLiteral("\ufeff"), QStringLiteral("\u0301"),
        // outside the basic plane, whole and broken
        QStringLiteral("\U0001F95B"), QString(QChar(0xD83E)), QString(QChar(0xDD5B)),
        // what SQL and the windows treat specially
        QStringLiteral("'"), QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("\\"), QStringLiteral("\""),
        QStringLiteral("Select Cathegory"), QStringLiteral("Select Usage"), QStringLiteral("plinth"),
    };
    return all;
}

QString number(QRandomGenerator& random)
{
    QString text;
    const int sign = random.bounded(6);
    if (sign == 0)
        text += u'-';
    else if (sign == 1)
        text += u'+';
    const int digits = 1 + random.bounded(random.bounded(4) == 0 ? 45 : 8);
    for (int i = 0; i < digits; ++i)
        text += QChar(u'0' + random.bounded(10));
    const QString separators[] = {QStringLiteral("."), QStringLiteral(","), QStringLiteral("\u00a0"), QStringLiteral("'"), QStringLiteral(" ")};
    if (random.bounded(3) == 0) {
        text += separators[random.bounded(5)];
        const int more = 1 + random.bounded(6);
        for (int i = 0; i < more; ++i)
            text += QChar(u'0' + random.bounded(10));
    }
    if (random.bounded(6) == 0)
        text += QStringLiteral("e") + QString::number(random.bounded(-400, 400));
    return text;
}

} // namespace

QString feedName(Feed how)
{
    switch (how) {
    case Feed::Typed: return QStringLiteral("typed");
    case Feed::Pasted: return QStringLiteral("pasted");
    case Feed::Set: return QStringLiteral("set");
    }
    return {};
}

const QStringList& fixedTexts()
{
    static const QStringList texts{
        // empty and blank
        QString(), QStringLiteral(" "), QStringLiteral("   "), QStringLiteral("\t"), QStringLiteral("\u00a0"), QStringLiteral("\u3000"),
        // control characters
        QStringLiteral("\r\n"), QString(QChar(0)), QStringLiteral("A") + QChar(0) + QStringLiteral("BC"),
        QStringLiteral("\u0001\u0002\u001b[31m"), QStringLiteral("\u007f\u0085"), QStringLiteral("\u200b\u202eABC\ufeff"),
        // letters that are not Latin, and characters outside the basic plane
        QStringLiteral("\u041c\u043e\u043b\u043e\u043a\u043e"), QStringLiteral("\u725b\u5976"), QStringLiteral("\u062d\u0644\u064a\u0628"),
        QStringLiteral("e\u0301\u0301\u0301"), QStringLiteral("\U0001F95B\U0001F35E"), QString(QChar(0xD83E)) + QStringLiteral("A"),
        // digits that are not 0 to 9
        QStringLiteral("\uff11\uff12\uff13"), QStringLiteral("\u0663\u0664\u0665"), QStringLiteral("\u0967\u0968"),
        // past the 16-bit range and the currency range
        QStringLiteral("0"), QStringLiteral("00"), QStringLiteral("007"), QStringLiteral("32767"), QStringLiteral("32768"),
        QStringLiteral("65536"), QStringLiteral("-32768"), QStringLiteral("-32769"), QStringLiteral("2147483648"),
        QStringLiteral("922337203685477"), QStringLiteral("9223372036854775807"), QStringLiteral("9223372036854775808"),
        QStringLiteral("99999999999999999999999999999999999999"), QStringLiteral("999999999999999999999999999999999999999999"),
        QStringLiteral("0.") + repeated(QStringLiteral("0"), 60) + QStringLiteral("1"), repeated(QStringLiteral("0"), 60) + QStringLiteral("5"),
        // signs and exponents
        QStringLiteral("-1"), QStringLiteral("+1"), QStringLiteral("-0"), QStringLiteral("--1"), QStringLiteral("+-1"), QStringLiteral("(5)"),
        QStringLiteral("(-5)"), QStringLiteral("1-"), QStringLiteral("1e3"), QStringLiteral("1E308"), QStringLiteral("1e-400"),
        QStringLiteral("0x1F"), QStringLiteral("inf"), QStringLiteral("NaN"),
        // separators of other locales
        QStringLiteral("1.5"), QStringLiteral("1,5"), QStringLiteral("1.234,56"), QStringLiteral("1,234.56"), QStringLiteral("1 234,56"),
        QStringLiteral("1\u00a0234"), QStringLiteral("1'234.56"), QStringLiteral("1\u202f234"), QStringLiteral("1\u066b5"),
        QStringLiteral(".5"), QStringLiteral("5."), QStringLiteral("1..2"), QStringLiteral("1,,2"),
        // currency signs
        QStringLiteral("$5"), QStringLiteral("$-5"), QStringLiteral("\u20ac5"), QStringLiteral("5 \u20ac"), QStringLiteral("(\u00a35)"),
        // very long
        repeated(QStringLiteral("A"), 10000), repeated(QStringLiteral("9"), 20000), repeated(QStringLiteral("\u0416"), 5000),
        // what SQL and the windows treat specially
        QStringLiteral("'; DROP TABLE tblProductPrice; --"), QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("\\"),
        QStringLiteral("NULL"), QStringLiteral("Select Cathegory"), QStringLiteral("Select Usage"),
        // the master password and its look-alikes
        QStringLiteral("plinth"), QStringLiteral("PLINTH"), QStringLiteral(" plinth"), QStringLiteral("plinth "),
        QStringLiteral("pl\u0131nth"), QStringLiteral("\uff50\uff4c\uff49\uff4e\uff54\uff48"),
    };
    return texts;
}

QString randomText(QRandomGenerator& random)
{
    switch (random.bounded(4)) {
    case 0:
        return number(random);
    case 1: {
        const QStringList& all = fixedTexts();
        return all.at(random.bounded(int(all.size()))) + all.at(random.bounded(int(all.size())));
    }
    default: {
        const int lengths[] = {1, 4, 40, 300, 3000};
        const int count = 1 + random.bounded(lengths[random.bounded(5)]);
        QString text;
        for (int i = 0; i < count; ++i)
            text += pieces().at(random.bounded(int(pieces().size())));
        return text;
    }
    }
}

quint32 seed()
{
    bool ok = false;
    const quint32 given = qEnvironmentVariable("POS_FUZZ_SEED").toUInt(&ok);
    return ok ? given : 20261210u;
}

int rounds()
{
    bool ok = false;
    const int given = qEnvironmentVariableIntValue("POS_FUZZ_ROUNDS", &ok);
    return ok && given > 0 ? given : 1;
}

int commandsPerInput()
{
    return rounds() > 1 ? std::numeric_limits<int>::max() : 2;
}

int reportLines()
{
    bool ok = false;
    const int given = qEnvironmentVariableIntValue("POS_FUZZ_REPORT", &ok);
    return ok && given > 0 ? given : 15;
}

QStringList textsForBox(QRandomGenerator& random)
{
    QStringList texts = fixedTexts();
    for (int i = 0; i < rounds() * kRandomPerRound; ++i)
        texts << randomText(random);
    return texts;
}

namespace {

// Types the text one character at a time, each with the key a keyboard would send for it.
void typeInto(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString character(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            character += text.at(++i);
        const char16_t c = character.at(0).unicode();
        Qt::Key key = Qt::Key_unknown;
        if (c >= 0x20 && c < 0x7f)
            key = Qt::Key(QChar(c).toUpper().unicode());
        // Enter ends an entry: a scanner sends it after the code, and the command phase presses it.
        if (c == u'\r' || c == u'\n')
            continue;
        QTest::sendKeyEvent(QTest::Press, widget, key, character, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, character, Qt::NoModifier);
    }
}

void paste(QWidget* widget, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

QString feed(QWidget* box, const QString& text, Feed how)
{
    // Typing key by key is slow for very long texts; those come from the clipboard, as they
    // would.
    if (how == Feed::Typed && text.size() > 200)
        how = Feed::Pasted;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        plain->clear();
        if (how == Feed::Set)
            plain->setPlainText(text);
        else if (how == Feed::Pasted)
            paste(plain, text);
        else
            typeInto(plain, text);
        return plain->toPlainText();
    }
    QLineEdit* edit = qobject_cast<QLineEdit*>(box);
    auto* combo = qobject_cast<QComboBox*>(box);
    if (combo)
        edit = combo->lineEdit();
    if (!edit)
        qFatal("%s is no box text can be fed to", qPrintable(box->objectName()));
    edit->clear();
    if (how == Feed::Set) {
        if (combo)
            combo->setEditText(text);
        else
            edit->setText(text);
    } else if (how == Feed::Pasted) {
        paste(edit, text);
    } else {
        typeInto(edit, text);
    }
    return edit->text();
}

QString shown(const QString& text)
{
    QString out;
    for (const QChar c : text.left(60)) {
        if (c.isPrint() && c != u'\\')
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > 60)
        out += QStringLiteral("... (%1 characters)").arg(text.size());
    return u'"' + out + u'"';
}

void Findings::add(const QString& where, const QString& what)
{
    const QString line = where + QStringLiteral(": ") + what;
    if (!problems.contains(line))
        problems << line;
}

QString Findings::report(int first) const
{
    QStringList lines = problems.mid(0, first);
    if (problems.size() > first)
        lines << QStringLiteral("... and %1 more").arg(problems.size() - first);
    return lines.join(u'\n');
}

qint64 number(store::Store& store, const QString& sql)
{
    store::Statement statement = store.prepare(sql);
    return statement.step() ? statement.columnInt(0) : 0;
}

QStringList damage(store::Store& store)
{
    QStringList broken;
    {
        store::Statement check = store.prepare(QStringLiteral("PRAGMA integrity_check"));
        while (check.step()) {
            if (check.columnText(0) != u"ok")
                broken << QStringLiteral("integrity check: ") + check.columnText(0);
        }
    }
    return broken;
}

QStringList brokenRules(store::Store& store)
{
    QStringList broken;
    const struct {
        const char* rule;
        const char* sql;
    } rules[] = {
        {"a product is in both of its tables or in neither",
            "SELECT (SELECT count(*) FROM tblProductPrice) - (SELECT count(*) FROM tblProductQuantity)"},
        {"no stock below zero",
            "SELECT count(*) FROM tblProductQuantity WHERE QuantityOnHand < 0 OR QuantitySold < 0 OR QuantityBought < 0"},
        {"no price of zero", "SELECT count(*) FROM tblProductPrice WHERE ProductPrice = 0 OR VPrice = 0"},
        {"one tax row at most", "SELECT count(*) > 1 FROM tblTax"},
        {"today's lines hold units and money above zero",
            "SELECT count(*) FROM daillySale WHERE Quantidade <= 0 OR Preco < 0"},
        {"the open sale's lines hold units and money above zero",
            "SELECT count(*) FROM tblReceipt WHERE Code IS NOT NULL AND (pQty <= 0 OR ProdPrice < 0)"},
        {"today's totals are not below zero", "SELECT count(*) FROM tblDailySale WHERE DailySale < 0 OR totalItems < 0"},
        {"one employee per social security number",
            "SELECT count(*) FROM (SELECT \"SS#\" FROM Employees WHERE \"SS#\" IS NOT NULL GROUP BY \"SS#\" HAVING count(*) > 1)"},
        {"one employee per password",
            "SELECT count(*) FROM (SELECT passe FROM Employees WHERE passe <> '' GROUP BY passe HAVING count(*) > 1)"},
    };
    for (const auto& rule : rules) {
        if (const qint64 n = number(store, QString::fromLatin1(rule.sql)); n != 0)
            broken << QStringLiteral("%1 (%2)").arg(QLatin1String(rule.rule)).arg(n);
    }
    return broken;
}

void Tally::tried(const QString& window, const QString& box, BoxKind kind, Feed how)
{
    const QString kinds[] = {QStringLiteral("text"), QStringLiteral("digits only"), QStringLiteral("input box")};
    QString key = box + QStringLiteral(" (") + kinds[int(kind)];
    if (kind != BoxKind::Answer)
        key += QStringLiteral(", ") + feedName(how);
    ++m_inputs[window][key + u')'];
}

void Tally::print() const
{
    qInfo("Inputs tried, by window and box (seed %u, %d round(s)):", seed(), rounds());
    int total = 0;
    for (auto window = m_inputs.cbegin(); window != m_inputs.cend(); ++window) {
        qInfo("  %s: %d commands pressed", qPrintable(window.key()), m_commands.value(window.key()));
        for (auto box = window->cbegin(); box != window->cend(); ++box) {
            qInfo("    %-46s %5d", qPrintable(box.key()), box.value());
            total += box.value();
        }
    }
    qInfo("  %d inputs in all", total);
}

Tally& tally()
{
    static Tally all;
    return all;
}

} // namespace hostile
