#include "platform/escpos.h"
#include "store/schema.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>

using platform::EscPosPrinter;
using platform::PrintError;
using platform::PrintOutcome;
using platform::TextLine;

using namespace std::chrono_literals;

namespace {

// A short limit: a printer that does not take the bytes is given up on quickly.
constexpr std::chrono::milliseconds kShortLimit = 300ms;

std::unique_ptr<QTextDocument> html(const QString& text)
{
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(text);
    return document;
}

// A receipt of three lines laid out as the store's own receipt is, one of them a product whose
// name is not plain ASCII.
QString threeLineReceipt()
{
    return QStringLiteral(R"(<html>
<body style="font-family: 'DejaVu Sans Mono', monospace; font-size: 9pt;">
<p align="center" style="font-size: 12pt;"><b>Point of Sale</b></p>
<p align="center">SALES RECEIPT<br/>Sale No. 1042<br/>Dec 11, 2026  9:15:02 AM<br/>Cashier: Maria</p>
<table width="100%" cellspacing="0" cellpadding="1">
<tr><th align="left">Code</th><th align="left">Item</th><th align="right">Qty</th><th align="right">Amount</th></tr>
<tr><td>7501055300075</td><td>Whole Milk 1 L</td><td align="right">2</td><td align="right">$3.00</td></tr>
<tr><td>4011</td><td>Bananas</td><td align="right">6</td><td align="right">$1.74</td></tr>
<tr><td>7622210449283</td><td>Jalapeño Peppers, Pickled 220 g</td><td align="right">1</td><td align="right">$2.49</td></tr>
</table>
<hr/>
<table width="100%" cellspacing="0" cellpadding="1">
<tr><td>Subtotal</td><td align="right">$7.23</td></tr>
<tr><td>Tax</td><td align="right">$0.58</td></tr>
<tr><td><b>Total</b></td><td align="right"><b>$7.81</b></td></tr>
<tr><td>Amount tendered</td><td align="right">$10.00</td></tr>
<tr><td>Change</td><td align="right">$2.19</td></tr>
</table>
<hr/>
<p align="center">Thank you for shopping with us!</p>
</body>
</html>
)");
}

// The bytes sent to the printer as a readable text: printable ASCII as it is, the printer's
// commands by name in brackets, every other byte by its value. No two byte strings read the same.
QString decoded(const QByteArray& bytes)
{
    QString text;
    const auto at = [&bytes](qsizetype i) { return i < bytes.size() ? quint8(bytes.at(i)) : -1; };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int byte = quint8(bytes.at(i));
        if (byte == 0x1B && at(i + 1) == '@') {
            text += QStringLiteral("[ESC @]");
            i += 1;
        } else if (byte == 0x1B && (at(i + 1) == 't' || at(i + 1) == 'E') && at(i + 2) >= 0) {
            text += QStringLiteral("[ESC %1 %2]").arg(QChar(at(i + 1))).arg(at(i + 2));
            i += 2;
        } else if (byte == 0x1B && at(i + 1) == 'p' && at(i + 4) >= 0) {
            text += QStringLiteral("[ESC p %1 %2 %3]").arg(at(i + 2)).arg(at(i + 3)).arg(at(i + 4));
            i += 4;
        } else if (byte == 0x1D && at(i + 1) == 'V' && at(i + 3) >= 0) {
            text += QStringLiteral("[GS V %1 %2]").arg(at(i + 2)).arg(at(i + 3));
            i += 3;
        } else if (byte == 0x0A) {
            text += QStringLiteral("[LF]\n");
        } else if (byte >= 0x20 && byte < 0x7F && byte != '[') {
            text += QChar(byte);
        } else {
            text += QStringLiteral("[0x%1]").arg(byte, 2, 16, QChar(u'0')).toUpper().replace(u'X', u'x');
        }
    }
    return text;
}

QString fixture(const QString& name)
{
    QFile file(QStringLiteral(POS_ESCPOS_FIXTURES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A layout of the store filled with figures of the kind it shows: every {{Name}} becomes a value,
// every repeated part is shown twice.
QString filled(QString layout, const QMap<QString, QString>& values)
{
    static const QRegularExpression section(QStringLiteral(R"(\{\{#(\w+)\}\}(.*?)\{\{/\1\}\})"),
        QRegularExpression::DotMatchesEverythingOption);
    for (QRegularExpressionMatch m = section.match(layout); m.hasMatch(); m = section.match(layout))
        layout.replace(m.capturedStart(), m.capturedLength(), m.captured(2) + m.captured(2));
    static const QRegularExpression field(QStringLiteral(R"(\{\{(\w+)\}\})"));
    for (QRegularExpressionMatch m = field.match(layout); m.hasMatch(); m = field.match(layout))
        layout.replace(m.capturedStart(), m.capturedLength(), values.value(m.captured(1), QStringLiteral("12")));
    return layout;
}

} // namespace

class TestEscPos : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void receipt_isSentAsTheListedBytes_data();
    void receipt_isSentAsTheListedBytes();
    void text_isSentInCodePage858OrItsClosestAsciiForm_data();
    void text_isSentInCodePage858OrItsClosestAsciiForm();
    void document_isLaidOutAtThePapersWidth_data();
    void document_isLaidOutAtThePapersWidth();
    void storesOwnLayouts_readWellOnEveryPaper_data();
    void storesOwnLayouts_readWellOnEveryPaper();
    void deviceFile_receivesExactlyTheJobThenThePulse();
    void printerThatCannotTakeTheBytes_isToldWithinTheLimit_data();
    void printerThatCannotTakeTheBytes_isToldWithinTheLimit();
    void receiptNotTaken_isKeptAsAPdfCopyNamedInTheError();
    void serialPort_getsTheBytesUntranslated();
    void receiptAfterAFailedPulse_isKeptWithoutWaitingAgain();
};

void TestEscPos::receipt_isSentAsTheListedBytes_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("kickDrawer");
    QTest::addColumn<QString>("expected");

    QTest::newRow("80 mm paper, 48 columns") << 48 << false << QStringLiteral("receipt-48.txt");
    QTest::newRow("58 mm paper, 32 columns") << 32 << false << QStringLiteral("receipt-32.txt");
    QTest::newRow("with the drawer pulse") << 32 << true << QStringLiteral("receipt-32-drawer.txt");
}

void TestEscPos::receipt_isSentAsTheListedBytes()
{
    QFETCH(int, columns);
    QFETCH(bool, kickDrawer);
    QFETCH(QString, expected);

    const QByteArray job = platform::escPosJob(platform::textLines(*html(threeLineReceipt()), columns), kickDrawer);
    const QString wanted = fixture(expected);
    QVERIFY2(!wanted.isEmpty(), qPrintable(expected));
    QCOMPARE(decoded(job).split(u'\n'), wanted.split(u'\n'));
}

void TestEscPos::text_isSentInCodePage858OrItsClosestAsciiForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ASCII") << QStringLiteral("Milk 1 L $3.00") << QByteArray("Milk 1 L $3.00");
    QTest::newRow("accented letters") << QStringLiteral("Crème brûlée, Müsli, Jalapeño, Ñandú")
                                      << QByteArray("Cr\x8Ame br\x96l\x82" "e, M\x81sli, Jalape\xA4o, \xA5" "and\xA3");
    QTest::newRow("euro and pound signs") << QStringLiteral("€ 2,50 £1") << QByteArray("\xD5 2,50 \x9C" "1");
    QTest::newRow("accent written apart") << QStringLiteral("Cafe\u0301") << QByteArray("Caf\x82");
    QTest::newRow("letters the printer lacks") << QStringLiteral("Łódź, Ștefan, Dvořák, ﬁg")
                                               << QByteArray("L\xA2" "dz, Stefan, Dvor\xA0" "k, fig");
    QTest::newRow("CJK and emoji") << QStringLiteral("Tofu 豆腐 \U0001F600") << QByteArray("Tofu ?? ?");
    QTest::newRow("control characters") << QStringLiteral("A\x1B@B\x1DV\tC") << QByteArray("A?@B?V?C");
}

void TestEscPos::text_isSentInCodePage858OrItsClosestAsciiForm()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(platform::toCodePage858(text), expected);
}

void TestEscPos::document_isLaidOutAtThePapersWidth_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QList<bool>>("emphasised");

    QTest::newRow("centred bold heading") << QStringLiteral(R"(<p align="center"><b>Point of Sale</b></p>)")
                                          << QStringList{QStringLiteral("         Point of Sale")} << QList<bool>{true};
    QTest::newRow("name left, amount right")
        << QStringLiteral(R"(<table width="100%"><tr><td>Whole Milk 1 L</td><td align="right">$3.00</td></tr></table>)")
        << QStringList{QStringLiteral("Whole Milk 1 L             $3.00")} << QList<bool>{false};
    QTest::newRow("long name cut, amount whole")
        << QStringLiteral(R"(<table><tr><td>Extra Virgin Olive Oil, Cold Pressed</td><td align="right">$1,234.56</td></tr></table>)")
        << QStringList{QStringLiteral("Extra Virgin Olive Oil $1,234.56")} << QList<bool>{false};
    QTest::newRow("bold total")
        << QStringLiteral(R"(<table><tr><td><b>Total</b></td><td align="right"><b>$7.81</b></td></tr>)"
                          R"(<tr><td>Change</td><td align="right">$2.19</td></tr></table>)")
        << QStringList{QStringLiteral("Total                      $7.81"), QStringLiteral("Change                     $2.19")}
        << QList<bool>{true, false};
    QTest::newRow("wide amount under its name")
        << QStringLiteral(R"(<table><tr><td>First sale</td><td align="right">Dec 11, 2026 7:02:11 AM</td></tr>)"
                          R"(<tr><td>Tax collected</td><td align="right">$0.58</td></tr></table>)")
        << QStringList{QStringLiteral("First sale"), QStringLiteral("         Dec 11, 2026 7:02:11 AM"),
               QStringLiteral("Tax collected              $0.58")}
        << QList<bool>{false, false, false};
    QTest::newRow("columns line up")
        << QStringLiteral(R"(<table><tr><th align="left">Code</th><th align="left">Item</th><th align="right">Qty</th>)"
                          R"(<th align="right">Amount</th></tr>)"
                          R"(<tr><td>4011</td><td>Bananas</td><td align="right">6</td><td align="right">$1.74</td></tr>)"
                          R"(<tr><td>7501055300075</td><td>Whole Milk 1 L</td><td align="right">12</td>)"
                          R"(<td align="right">$13.00</td></tr></table>)")
        << QStringList{QStringLiteral("Code          Item    Qty Amount"), QStringLiteral("4011          Bananas   6  $1.74"),
               QStringLiteral("7501055300075 Whole M  12 $13.00")}
        << QList<bool>{true, false, false};
    QTest::newRow("rule, line breaks and wrapping")
        << QStringLiteral(R"(<p>Sale No. 7<br/>Cashier: Ann</p><hr/>)"
                          R"(<p align="center">Thank you for shopping with us! Come back soon.</p>)")
        << QStringList{QStringLiteral("Sale No. 7"), QStringLiteral("Cashier: Ann"), QString(32, u'-'),
               QStringLiteral("Thank you for shopping with us!"), QStringLiteral("        Come back soon.")}
        << QList<bool>{false, false, false, false, false};
}

void TestEscPos::document_isLaidOutAtThePapersWidth()
{
    QFETCH(QString, document);
    QFETCH(QStringList, expected);
    QFETCH(QList<bool>, emphasised);

    const QList<TextLine> lines = platform::textLines(*html(document), 32);
    QStringList texts;
    QList<bool> bold;
    for (const TextLine& line : lines) {
        texts.append(line.text);
        bold.append(line.emphasised);
    }
    QCOMPARE(texts, expected);
    QCOMPARE(bold, emphasised);
}

void TestEscPos::storesOwnLayouts_readWellOnEveryPaper_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("amountLine");
    QTest::addColumn<int>("columns");

    const QMap<QString, QString> receipt{{QStringLiteral("Code"), QStringLiteral("7501055300075")},
        {QStringLiteral("ProdName"), QStringLiteral("Fresh Orange Juice, No Pulp 1.75 L")}, {QStringLiteral("pQty"), QStringLiteral("12")},
        {QStringLiteral("ProdPrice"), QStringLiteral("$1,234.56")}, {QStringLiteral("Total"), QStringLiteral("$12,345.67")},
        {QStringLiteral("Date"), QStringLiteral("Dec 11, 2026")}, {QStringLiteral("Time"), QStringLiteral("9:15:02 AM")},
        {QStringLiteral("Cashier"), QStringLiteral("Maria Fernanda Gutierrez")}};
    const QMap<QString, QString> report{{QStringLiteral("Takings"), QStringLiteral("$12,345.67")},
        {QStringLiteral("Cashier"), QStringLiteral("Maria Fernanda Gutierrez")}, {QStringLiteral("Category"), QStringLiteral("Dairy")},
        {QStringLiteral("FirstSale"), QStringLiteral("Dec 11, 2026 7:02:11 AM")}};
    for (const int columns : {48, 42, 32}) {
        QTest::addRow("receipt, %d columns", columns)
            << filled(store::schema::defaultReceiptLayout(), receipt) << QStringLiteral("Total") << columns;
        QTest::addRow("day report, %d columns", columns)
            << filled(store::schema::defaultDayReportLayout(), report) << QStringLiteral("Takings") << columns;
    }
}

// The layouts a new store prints read well on every width of paper: nothing wider than the paper,
// the heading centred, the total's amount whole at the right edge.
void TestEscPos::storesOwnLayouts_readWellOnEveryPaper()
{
    QFETCH(QString, layout);
    QFETCH(QString, amountLine);
    QFETCH(int, columns);

    const QList<TextLine> lines = platform::textLines(*html(layout), columns);
    QVERIFY(!lines.isEmpty());
    for (const TextLine& line : lines)
        QVERIFY2(line.text.size() <= columns, qPrintable(line.text));

    const TextLine heading = lines.front();
    QCOMPARE(heading.text.trimmed(), QStringLiteral("Point of Sale"));
    QCOMPARE(heading.text.indexOf(u'P'), (columns - 13) / 2);
    QVERIFY(heading.emphasised);

    const auto total = std::find_if(lines.begin(), lines.end(), [&amountLine](const TextLine& line) {
        return line.text.startsWith(amountLine) && line.text.endsWith(QStringLiteral("$12,345.67"));
    });
    QVERIFY2(total != lines.end(), qPrintable(amountLine));
    QCOMPARE(total->text.size(), columns);
    QVERIFY(total->emphasised);
    QVERIFY(std::any_of(lines.begin(), lines.end(), [columns](const TextLine& line) { return line.text == QString(columns, u'-'); }));
}

// A plain file standing in for the device gets exactly the bytes of the job, and then the pulse.
void TestEscPos::deviceFile_receivesExactlyTheJobThenThePulse()
{
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("lp0"));
    QFile made(device);
    QVERIFY(made.open(QIODevice::WriteOnly));
    made.close();

    const auto receipt = html(threeLineReceipt());
    EscPosPrinter printer(platform::deviceTransport(device), 48, true, dir.filePath(QStringLiteral("Receipts")), kShortLimit);
    const PrintOutcome outcome = printer.print(*receipt, QStringLiteral("Receipt 1042"));
    QCOMPARE(outcome.where, PrintOutcome::Where::Printer);
    QCOMPARE(outcome.destination, device);
    const QByteArray job = platform::escPosJob(platform::textLines(*receipt, 48), false);
    QCOMPARE(contents(device), job);

    printer.openDrawer();
    QCOMPARE(contents(device), job + platform::escPosDrawerPulse());

    // Without a drawer fitted nothing is sent.
    EscPosPrinter noDrawer(platform::deviceTransport(device), 48, false, dir.filePath(QStringLiteral("Receipts")), kShortLimit);
    QVERIFY(!noDrawer.hasDrawer());
    QVERIFY_THROWS_EXCEPTION(PrintError, noDrawer.openDrawer());
    QCOMPARE(contents(device), job + platform::escPosDrawerPulse());
}

void TestEscPos::printerThatCannotTakeTheBytes_isToldWithinTheLimit_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("told");

    QTest::newRow("device that does not exist") << QStringLiteral("missing") << QStringLiteral("was not found");
    QTest::newRow("pipe no one reads") << QStringLiteral("full pipe") << QStringLiteral("did not answer within 0.3 seconds");
    QTest::newRow("serial port no one reads") << QStringLiteral("full terminal") << QStringLiteral("did not answer within 0.3 seconds");
    QTest::newRow("folder, not a device") << QStringLiteral("folder") << QStringLiteral("could not be opened");
    QTest::newRow("print queue that does not exist") << QStringLiteral("queue") << QStringLiteral("was not found");
}

// Each failure is reported by send(), in words, once the limit has passed at the latest.
void TestEscPos::printerThatCannotTakeTheBytes_isToldWithinTheLimit()
{
    QFETCH(QString, kind);
    QFETCH(QString, told);

    QTemporaryDir dir;
    std::unique_ptr<platform::RawTransport> transport;
    int reader = -1;
    int terminal = -1;
    if (kind == u"missing") {
        transport = platform::deviceTransport(dir.filePath(QStringLiteral("usb/lp0")));
    } else if (kind == u"folder") {
        transport = platform::deviceTransport(dir.path());
    } else if (kind == u"queue") {
        transport = platform::cupsRawTransport(QStringLiteral("no-such-receipt-printer-queue"));
    } else if (kind == u"full terminal") {
        // A terminal whose other end this test holds and never reads, filled up: a serial port
        // whose printer has stopped answering.
        const int controller = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(controller >= 0 && ::grantpt(controller) == 0 && ::unlockpt(controller) == 0);
        const QString port = QString::fromLocal8Bit(::ptsname(controller));
        reader = ::open(QFile::encodeName(port).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        QVERIFY(reader >= 0);
        termios raw{};
        QCOMPARE(::tcgetattr(reader, &raw), 0);
        ::cfmakeraw(&raw);
        QCOMPARE(::tcsetattr(reader, TCSANOW, &raw), 0);
        // The terminal moves what it holds along in its own time: it is full once it still
        // takes nothing a little later.
        const QByteArray block(4096, 'x');
        for (int round = 0; round < 100; ++round) {
            while (::write(reader, block.constData(), std::size_t(block.size())) > 0) {
            }
            QTest::qWait(20);
            if (::write(reader, "x", 1) < 0)
                break;
        }
        transport = platform::deviceTransport(port);
        terminal = controller;
    } else {
        // A pipe this test holds open at both ends, so that the printer's end opens, filled up
        // so that it takes no more: a printer that has stopped answering.
        const QString fifo = dir.filePath(QStringLiteral("ttyS0"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        reader = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        const QByteArray block(4096, 'x');
        while (::write(reader, block.constData(), std::size_t(block.size())) > 0) {
        }
        transport = platform::deviceTransport(fifo);
    }

    const QByteArray job = platform::escPosJob({{QStringLiteral("Milk"), false}}, true);
    try {
        transport->send(job, kind == u"queue" ? 3000ms : kShortLimit);
        QFAIL("send() did not fail");
    } catch (const PrintError& error) {
        QVERIFY2(error.message().contains(told), qPrintable(error.message()));
    }
    if (reader >= 0)
        ::close(reader);
    if (terminal >= 0)
        ::close(terminal);
}

// A receipt the printer does not take is kept as a PDF file, named in the error; so is a drawer
// that cannot be opened told.
void TestEscPos::receiptNotTaken_isKeptAsAPdfCopyNamedInTheError()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Receipts"));
    EscPosPrinter printer(platform::deviceTransport(dir.filePath(QStringLiteral("lp9"))), 42, true, folder, kShortLimit);
    try {
        printer.print(*html(threeLineReceipt()), QStringLiteral("Receipt 1042"));
        QFAIL("print() did not fail");
    } catch (const PrintError& error) {
        QCOMPARE(error.savedCopy(), QDir(folder).filePath(QStringLiteral("Receipt 1042.pdf")));
        QVERIFY(contents(error.savedCopy()).startsWith("%PDF"));
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(error.savedCopy())), qPrintable(error.message()));
        QVERIFY2(error.message().contains(QStringLiteral("was not found")), qPrintable(error.message()));
    }
    try {
        printer.openDrawer();
        QFAIL("openDrawer() did not fail");
    } catch (const PrintError& error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("The cash drawer could not be opened.")), qPrintable(error.message()));
    }
}

QTEST_MAIN(TestEscPos)
// A serial port set up by the system for a terminal adds a carriage return to every line feed: the
// printer gets the job's bytes as they are.
void TestEscPos::serialPort_getsTheBytesUntranslated()
{
    const int controller = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(controller >= 0 && ::grantpt(controller) == 0 && ::unlockpt(controller) == 0);
    const QString port = QString::fromLocal8Bit(::ptsname(controller));
    const QByteArray job = platform::escPosJob({{QStringLiteral("Milk"), false}, {QStringLiteral("Bread"), true}}, false);

    platform::deviceTransport(port)->send(job, 2000ms);

    QByteArray received;
    char buffer[4096];
    for (int round = 0; round < 100 && received.size() < job.size(); ++round) {
        const ssize_t count = ::read(controller, buffer, sizeof buffer);
        if (count > 0)
            received.append(buffer, count);
        else
            QTest::qWait(10);
    }
    ::close(controller);
    QCOMPARE(received.toHex(' '), job.toHex(' '));
}

// A printer that did not take the drawer's pulse is not waited for again by the receipt that
// follows it at a sale: the receipt is kept as a copy with the pulse's reason.
void TestEscPos::receiptAfterAFailedPulse_isKeptWithoutWaitingAgain()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("lp0"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);
    const QByteArray block(4096, 'x');
    while (::write(reader, block.constData(), std::size_t(block.size())) > 0) {
    }
    const QString folder = dir.filePath(QStringLiteral("Receipts"));
    EscPosPrinter printer(platform::deviceTransport(fifo), 48, true, folder, kShortLimit);

    QString pulseFailure;
    try {
        printer.openDrawer();
        QFAIL("the pulse went through a full pipe");
    } catch (const PrintError& error) {
        pulseFailure = error.message();
    }
    // Drained: a printer that answers again would take the receipt, but it is not asked.
    char sink[4096];
    while (::read(reader, sink, sizeof sink) > 0) {
    }
    try {
        printer.print(*html(threeLineReceipt()), QStringLiteral("Receipt 7"));
        QFAIL("print() was tried on the printer that just failed");
    } catch (const PrintError& error) {
        QVERIFY2(pulseFailure.endsWith(error.message().section(QStringLiteral(" A copy was saved"), 0, 0)), qPrintable(error.message()));
        QVERIFY(contents(error.savedCopy()).startsWith("%PDF"));
    }
    QCOMPARE(::read(reader, sink, sizeof sink), ssize_t(-1));

    // The next receipt is tried again.
    printer.print(*html(threeLineReceipt()), QStringLiteral("Receipt 8"));
    QVERIFY(::read(reader, sink, sizeof sink) > 0);
    ::close(reader);
}

#include "test_escpos.moc"
