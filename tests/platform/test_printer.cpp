#include "platform/platform.h"
#include "platform/printer.h"
#include "fakes.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTextDocument>

#include <memory>

using platform::PrintError;
using platform::PrintOutcome;
using platform::SystemPrinter;

namespace {

// The owner's, the group's and everyone else's permissions, without the current user's echo of them.
constexpr QFileDevice::Permissions kEveryone = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
    | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
    | QFileDevice::ExeOther;

constexpr qreal kPointsPerMm = 72 / 25.4;

std::unique_ptr<QTextDocument> document(const QString& text)
{
    auto doc = std::make_unique<QTextDocument>();
    QFont font = doc->defaultFont();
    font.setPointSize(10);
    doc->setDefaultFont(font);
    doc->setPlainText(text);
    return doc;
}

QString lines(int count)
{
    QStringList all;
    for (int i = 1; i <= count; ++i)
        all.append(QStringLiteral("Line %1 ........ 1.00").arg(i));
    return all.join(u'\n');
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sizes, in points, of a PDF's pages. Qt writes its page objects uncompressed, each with its
// own MediaBox.
QList<QSizeF> pageSizes(const QString& path)
{
    static const QRegularExpression mediaBox(
        QStringLiteral(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])"));
    QList<QSizeF> sizes;
    for (const QRegularExpressionMatch& box : mediaBox.globalMatch(QString::fromLatin1(contents(path)))) {
        sizes.append(QSizeF(box.captured(3).toDouble() - box.captured(1).toDouble(),
                            box.captured(4).toDouble() - box.captured(2).toDouble()));
    }
    return sizes;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A print service whose default printer is `name`, ready to print; the empty name for none set up.
std::shared_ptr<testing::FakePrintService> service(const QString& name = {})
{
    auto fake = std::make_shared<testing::FakePrintService>();
    fake->defaultName = name;
    return fake;
}

} // namespace

class TestPrinter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();

    void withoutPrinter_writesThePdfIntoTheFolder_data();
    void withoutPrinter_writesThePdfIntoTheFolder();
    void withoutPrinter_numbersTheFileWhenTheNameIsTaken();
    void withoutPrinter_pageIsReceiptWideAndAsLongAsTheDocument_data();
    void withoutPrinter_pageIsReceiptWideAndAsLongAsTheDocument();
    void withoutPrinter_folderThatCannotBeWritten_isAnError();
    void defaultPrinter_getsThePdfAsOneJob();
    void namedQueue_getsTheJobInsteadOfTheDefault_data();
    void namedQueue_getsTheJobInsteadOfTheDefault();
    void printerTrouble_keepsAPdfCopyAndSaysWhatHappened_data();
    void printerTrouble_keepsAPdfCopyAndSaysWhatHappened();
    void hungPrintService_answersWithinTheLimitAndTheWindowGoesOn_data();
    void hungPrintService_answersWithinTheLimitAndTheWindowGoesOn();
    void defaultPrinter_takesTheDocument();
    void noPrinter_refusesEveryDocumentAndIsThePlatformsDefault();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    // A folder of two levels that does not exist yet.
    QString folder() const { return m_dir->filePath(QStringLiteral("Receipts/Copies")); }
    // A folder that cannot be made: its parent is a regular file.
    QString folderUnderAFile() const;
};

void TestPrinter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestPrinter::folderUnderAFile() const
{
    QFile blocker(m_dir->filePath(QStringLiteral("blocker")));
    if (!blocker.open(QIODevice::WriteOnly) || blocker.write("x") != 1)
        return {};
    return blocker.fileName() + QStringLiteral("/Receipts");
}

void TestPrinter::withoutPrinter_writesThePdfIntoTheFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain name") << "Sale 42" << "Sale 42.pdf";
    QTest::newRow("date with slashes") << "Sale 12/05/2024" << "Sale 12-05-2024.pdf";
    QTest::newRow("climbing out of the folder") << "../Sale" << "-Sale.pdf";
    QTest::newRow("no name") << "" << "Document.pdf";
}

void TestPrinter::withoutPrinter_writesThePdfIntoTheFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    SystemPrinter printer(folder(), service());
    const PrintOutcome outcome = printer.print(*document(lines(3)), name);
    QCOMPARE(outcome.where, PrintOutcome::Where::PdfFile);
    QCOMPARE(outcome.destination, QDir(folder()).filePath(fileName));
    QVERIFY(contents(outcome.destination).startsWith("%PDF"));
    QCOMPARE(pageSizes(outcome.destination).size(), 1);
    QCOMPARE(filesIn(folder()), QStringList{fileName});
    // Receipts name the cashier: the folders made for them and the copies are the owner's alone.
    QCOMPARE(QFileInfo(folder()).permissions() & kEveryone, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(QFileInfo(QFileInfo(folder()).path()).permissions() & kEveryone,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(QFileInfo(outcome.destination).permissions() & kEveryone, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestPrinter::withoutPrinter_numbersTheFileWhenTheNameIsTaken()
{
    QVERIFY(QDir().mkpath(folder()));
    // Left over from a write that never finished, readable by everyone.
    QFile leftover(QDir(folder()).filePath(QStringLiteral(".Sale 42.pdf.part")));
    QVERIFY(leftover.open(QIODevice::WriteOnly) && leftover.write("%PDF-1.4 cut short") > 0);
    leftover.close();
    QVERIFY(leftover.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));

    SystemPrinter printer(folder(), service());
    const auto receipt = document(lines(3));
    const QString first = printer.print(*receipt, QStringLiteral("Sale 42")).destination;
    const QByteArray firstBytes = contents(first);
    QCOMPARE(QFileInfo(printer.print(*receipt, QStringLiteral("Sale 42")).destination).fileName(), QStringLiteral("Sale 42 (2).pdf"));
    QCOMPARE(QFileInfo(printer.print(*receipt, QStringLiteral("Sale 42")).destination).fileName(), QStringLiteral("Sale 42 (3).pdf"));
    QCOMPARE(contents(first), firstBytes);
    QCOMPARE(QFileInfo(first).permissions() & kEveryone, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(filesIn(folder()), (QStringList{QStringLiteral("Sale 42 (2).pdf"), QStringLiteral("Sale 42 (3).pdf"), QStringLiteral("Sale 42.pdf")}));
}

void TestPrinter::withoutPrinter_pageIsReceiptWideAndAsLongAsTheDocument_data()
{
    // In points, for 10-point text between 4 mm margins.
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("minHeight");
    QTest::addColumn<qreal>("maxHeight");
    // A short receipt is never wider than long, or print services would turn it on its side.
    QTest::newRow("one line") << "Milk 1 L ........ 1.20" << 100 * kPointsPerMm - 1 << 100 * kPointsPerMm + 1;
    QTest::newRow("sixty lines") << lines(60) << 620.0 << 1000.0;
    QTest::newRow("a long line wraps at the paper's width") << QStringLiteral("Tomatoes ").repeated(40) << 70.0 << 400.0;
}

void TestPrinter::withoutPrinter_pageIsReceiptWideAndAsLongAsTheDocument()
{
    QFETCH(QString, text);
    QFETCH(qreal, minHeight);
    QFETCH(qreal, maxHeight);
    SystemPrinter printer(folder(), service());
    const QList<QSizeF> pages = pageSizes(printer.print(*document(text), QStringLiteral("Receipt")).destination);
    QCOMPARE(pages.size(), 1);
    QVERIFY2(qAbs(pages.front().width() - 80 * kPointsPerMm) < 1.5, qPrintable(QString::number(pages.front().width())));
    QVERIFY2(pages.front().height() >= minHeight && pages.front().height() <= maxHeight, qPrintable(QString::number(pages.front().height())));
}

void TestPrinter::withoutPrinter_folderThatCannotBeWritten_isAnError()
{
    const QString unwritable = folderUnderAFile();
    QVERIFY(!unwritable.isEmpty());
    SystemPrinter printer(unwritable, service());
    try {
        printer.print(*document(lines(3)), QStringLiteral("Sale 42"));
        QFAIL("printed into a folder that cannot be made");
    } catch (const PrintError& error) {
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(unwritable)), qPrintable(error.message()));
        QVERIFY(error.savedCopy().isEmpty());
    }
    QCOMPARE(filesIn(m_dir->path()), QStringList{QStringLiteral("blocker")});
    QCOMPARE(contents(m_dir->filePath(QStringLiteral("blocker"))), QByteArray("x"));
}

// With a printer that takes jobs, the document goes to it as one PDF job named as the document,
// and nothing is left behind: no copy, no job file.
void TestPrinter::defaultPrinter_getsThePdfAsOneJob()
{
    const auto till = service(QStringLiteral("Till"));
    SystemPrinter printer(folder(), till);
    const PrintOutcome outcome = printer.print(*document(lines(3)), QStringLiteral("Sale 42"));
    QCOMPARE(outcome.where, PrintOutcome::Where::Printer);
    QCOMPARE(outcome.destination, QStringLiteral("Till"));
    const auto jobs = till->submitted();
    QCOMPARE(jobs.size(), std::size_t(1));
    QCOMPARE(jobs[0].printer, QStringLiteral("Till"));
    QCOMPARE(jobs[0].title, QStringLiteral("Sale 42"));
    QVERIFY(jobs[0].bytes.startsWith("%PDF"));
    QVERIFY(!QFileInfo::exists(jobs[0].path));
    QVERIFY(filesIn(folder()).isEmpty()); // no copy kept, no job file left
}

void TestPrinter::namedQueue_getsTheJobInsteadOfTheDefault_data()
{
    QTest::addColumn<QString>("defaultName"); // the computer's default printer; empty: none set up
    QTest::addColumn<bool>("known");          // the service knows the queue
    QTest::newRow("another default printer") << "Office" << true;
    QTest::newRow("no default printer at all") << "" << true;
    QTest::newRow("a queue the service does not know") << "Office" << false;
}

// A named queue takes the job whatever the default printer is; a queue that is not there is told
// by its name, with a copy kept, and never falls back to the default printer.
void TestPrinter::namedQueue_getsTheJobInsteadOfTheDefault()
{
    QFETCH(QString, defaultName);
    QFETCH(bool, known);
    const auto cups = service(defaultName);
    if (!known)
        cups->answer = {platform::PrinterState::Kind::NotFound, {}};
    SystemPrinter printer(folder(), cups);
    printer.setQueue(QStringLiteral("Till"));
    if (known) {
        const PrintOutcome outcome = printer.print(*document(lines(3)), QStringLiteral("Sale 42"));
        QCOMPARE(outcome.where, PrintOutcome::Where::Printer);
        QCOMPARE(outcome.destination, QStringLiteral("Till"));
        const auto jobs = cups->submitted();
        QCOMPARE(jobs.size(), std::size_t(1));
        QCOMPARE(jobs[0].printer, QStringLiteral("Till"));
        QVERIFY(filesIn(folder()).isEmpty());
        return;
    }
    try {
        printer.print(*document(lines(3)), QStringLiteral("Sale 42"));
        QFAIL("a document for a queue that is not there was reported printed");
    } catch (const PrintError& error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("The printer \"Till\" was not found. A copy was saved as ")), qPrintable(error.message()));
        QCOMPARE(error.savedCopy(), QDir(folder()).filePath(QStringLiteral("Sale 42.pdf")));
    }
    QVERIFY(cups->submitted().empty());
}

void TestPrinter::printerTrouble_keepsAPdfCopyAndSaysWhatHappened_data()
{
    using Kind = platform::PrinterState::Kind;
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("jobId");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<QString>("said");
    QTest::newRow("the default printer is not found") << int(Kind::NotFound) << "" << 7 << true << "The printer \"Till\" was not found.";
    QTest::newRow("its queue rejects jobs") << int(Kind::NotAccepting) << "Rejecting Jobs" << 7 << true
                                            << "The printer \"Till\" is not accepting jobs (Rejecting Jobs).";
    QTest::newRow("its queue is stopped") << int(Kind::Stopped) << "Paused" << 7 << true << "The printer \"Till\" is stopped (Paused).";
    QTest::newRow("it refuses the job") << int(Kind::Ready) << "Unsupported document-format" << 0 << true
                                        << "The printer \"Till\" could not print the document (Unsupported document-format).";
    QTest::newRow("no copy can be saved either") << int(Kind::Stopped) << "" << 7 << false << "The printer \"Till\" is stopped.";
}

void TestPrinter::printerTrouble_keepsAPdfCopyAndSaysWhatHappened()
{
    QFETCH(int, state);
    QFETCH(QString, reason);
    QFETCH(int, jobId);
    QFETCH(bool, folderWritable);
    QFETCH(QString, said);
    const auto till = service(QStringLiteral("Till"));
    till->answer = {platform::PrinterState::Kind(state), reason};
    till->job = {jobId, reason};
    const QString pdfFolder = folderWritable ? folder() : folderUnderAFile();
    SystemPrinter printer(pdfFolder, till);
    try {
        printer.print(*document(lines(3)), QStringLiteral("Sale 42"));
        QFAIL("a document that never reached its printer was reported printed");
    } catch (const PrintError& error) {
        QVERIFY2(error.message().startsWith(said + u' '), qPrintable(error.message()));
        if (folderWritable) {
            QCOMPARE(error.savedCopy(), QDir(folder()).filePath(QStringLiteral("Sale 42.pdf")));
            QVERIFY(contents(error.savedCopy()).startsWith("%PDF"));
            QCOMPARE(error.message(), said + QStringLiteral(" A copy was saved as \"%1\".").arg(QDir::toNativeSeparators(error.savedCopy())));
        } else {
            QVERIFY(error.savedCopy().isEmpty());
            QVERIFY2(error.message().contains(QStringLiteral("No copy could be saved")), qPrintable(error.message()));
        }
    }
    // The job file is gone, whatever became of the job.
    for (const auto& job : till->submitted())
        QVERIFY(!QFileInfo::exists(job.path));
}

// A print server that hangs never holds the window for longer than the limit: the window's
// events go on meanwhile, and a copy is kept. The receipt never comes out late: the job is not
// handed over once the cashier was told, or is taken back when it was; and while the service has
// not answered, the next document is not given to it at all.
void TestPrinter::hungPrintService_answersWithinTheLimitAndTheWindowGoesOn_data()
{
    QTest::addColumn<int>("delay");       // before every answer
    QTest::addColumn<int>("submitDelay"); // before taking the job
    QTest::addColumn<bool>("takenBack");
    QTest::newRow("it hangs before the job is handed over") << 1500 << 0 << false;
    QTest::newRow("it hangs while it takes the job") << 0 << 1500 << true;
}

void TestPrinter::hungPrintService_answersWithinTheLimitAndTheWindowGoesOn()
{
    QFETCH(int, delay);
    QFETCH(int, submitDelay);
    QFETCH(bool, takenBack);
    const auto hung = service(QStringLiteral("Till"));
    hung->delay = std::chrono::milliseconds(delay);
    hung->submitDelay = std::chrono::milliseconds(submitDelay);
    SystemPrinter printer(folder(), hung, std::chrono::milliseconds(200));
    bool eventsWentOn = false;
    QTimer::singleShot(50, [&] { eventsWentOn = true; });
    try {
        printer.print(*document(lines(3)), QStringLiteral("Sale 42"));
        QFAIL("a print service that never answered was taken as printing");
    } catch (const PrintError& error) {
        QVERIFY(hung->answering); // returned while the service was still busy
        QVERIFY2(error.message().startsWith(QStringLiteral("The print service did not answer within 0.2 seconds. A copy was saved as ")),
            qPrintable(error.message()));
        QVERIFY(contents(error.savedCopy()).startsWith("%PDF"));
    }
    QVERIFY(eventsWentOn);

    // The next document goes straight to a copy.
    try {
        printer.print(*document(lines(3)), QStringLiteral("Sale 43"));
        QFAIL("a print service that had not answered was asked again");
    } catch (const PrintError& error) {
        QCOMPARE(error.message(),
            QStringLiteral("The print service is still not answering. A copy was saved as \"%1\".")
                .arg(QDir::toNativeSeparators(QDir(folder()).filePath(QStringLiteral("Sale 43.pdf")))));
    }

    // Once the service answers at last, nothing of the first job is left in its queue.
    QTRY_VERIFY_WITH_TIMEOUT(!hung->answering, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(QDir(folder()).filePath(QStringLiteral(".jobs"))).entryList(QDir::Files | QDir::Hidden).size(), 0, 10000);
    QCOMPARE(hung->submitted().size(), std::size_t(takenBack ? 1 : 0));
    QCOMPARE(hung->cancelled(), takenBack ? std::vector<int>{7} : std::vector<int>{});
}

// Prints a long document on the system's default printer through CUPS, so it runs only when asked
// to, on a machine whose default printer may be given a test page (a cups-pdf queue, for instance):
//   POS_PRINT_TEST=1 test_printer defaultPrinter_takesTheDocument
void TestPrinter::defaultPrinter_takesTheDocument()
{
    if (qEnvironmentVariable("POS_PRINT_TEST") != u"1")
        QSKIP("needs a default printer it may print on (POS_PRINT_TEST=1)");
    const QString printerName = platform::CupsPrintService().defaultPrinter();
    QVERIFY2(!printerName.isEmpty(), "no default printer");
    SystemPrinter printer(folder());
    const PrintOutcome outcome = printer.print(*document(lines(150)), QStringLiteral("Point of Sale test page"));
    QCOMPARE(outcome.where, PrintOutcome::Where::Printer);
    QCOMPARE(outcome.destination, printerName);
    QVERIFY(filesIn(folder()).isEmpty()); // no copy kept, no job file left
}

void TestPrinter::noPrinter_refusesEveryDocumentAndIsThePlatformsDefault()
{
    platform::Platform system(platform::Drives(QStringLiteral("/srv/pos")));
    QVERIFY(dynamic_cast<platform::NoPrinter*>(&system.printer()));
    try {
        system.printer().print(*document(lines(3)), QStringLiteral("Sale 42"));
        QFAIL("printed without a printer");
    } catch (const PrintError& error) {
        QCOMPARE(error.message(), QStringLiteral("No printer is set up."));
        QVERIFY(error.savedCopy().isEmpty());
    }

    system.setPrinter(std::make_unique<SystemPrinter>(folder(), service()));
    QCOMPARE(system.printer().print(*document(lines(3)), QStringLiteral("Sale 42")).where, PrintOutcome::Where::PdfFile);
}

QTEST_MAIN(TestPrinter)
#include "test_printer.moc"
