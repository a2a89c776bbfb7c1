#include "platform/printer.h"
#include "platform/private_files.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
namespace {

// The PDF page: a till receipt's paper roll.
constexpr qreal kReceiptWidthMm = 80;
constexpr qreal kReceiptMarginMm = 4;
constexpr qreal kReceiptMinLengthMm = 100;
constexpr int kPdfResolution = 300;
constexpr qreal kMmPerInch = 25.4;

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

QString nativePath(const QString& path)
{
    return quoted(QDir::toNativeSeparators(path));
}

// The file name a document's name gives: path separators would put the file elsewhere, and a
// name of nothing but dots or blanks would hide it or name the folder itself.
QString fileBaseName(const QString& name)
{
    QString base = name.trimmed();
    for (QChar& c : base) {
        if (c == u'/' || c == u'\\' || c == QChar::Null)
            c = u'-';
    }
    while (base.startsWith(u'.'))
        base.remove(0, 1);
    return base.isEmpty() ? QStringLiteral("Document") : base;
}

QString numberedFileName(const QString& base, int number)
{
    return number == 1 ? base + QStringLiteral(".pdf") : QStringLiteral("%1 (%2).pdf").arg(base).arg(number);
}

// The first of name.pdf, name (2).pdf, name (3).pdf... that no file in the folder has.
QString freeFilePath(const QDir& folder, const QString& base, int& number)
{
    while (QFileInfo::exists(folder.filePath(numberedFileName(base, number))))
        ++number;
    return folder.filePath(numberedFileName(base, number));
}

// Writes the document as a PDF of one long page 80 mm wide, a till receipt's paper roll, into
// `out`. Throws PrintError.
void renderPdf(const QTextDocument& document, QIODevice& out, const QString& title)
{
    const QString cannotWrite = QStringLiteral("The document could not be made ready for printing.");
    QPdfWriter writer(&out);
    writer.setResolution(kPdfResolution);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Point of Sale"));

    const qreal pixelsPerMm = kPdfResolution / kMmPerInch;
    const std::unique_ptr<QTextDocument> laidOut(document.clone());
    laidOut->documentLayout()->setPaintDevice(&writer);
    laidOut->setTextWidth((kReceiptWidthMm - 2 * kReceiptMarginMm) * pixelsPerMm);
    // Rounded up to whole millimetres so that the last line is never cut, and never shorter than
    // the roll is wide: print services turn a page that is wider than long on its side.
    const qreal heightMm = std::max(std::ceil(laidOut->size().height() / pixelsPerMm) + 2 * kReceiptMarginMm, kReceiptMinLengthMm);

    const QPageLayout layout(QPageSize(QSizeF(kReceiptWidthMm, heightMm), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                             QPageLayout::Portrait,
                             QMarginsF(kReceiptMarginMm, kReceiptMarginMm, kReceiptMarginMm, kReceiptMarginMm),
                             QPageLayout::Millimeter);
    if (!writer.setPageLayout(layout))
        throw PrintError(cannotWrite);

    QPainter painter;
    if (!painter.begin(&writer))
        throw PrintError(cannotWrite);
    laidOut->drawContents(&painter);
    if (!painter.end())
        throw PrintError(cannotWrite);
}

// Keeps a copy of the PDF file `source` in `folderPath` (made when missing) as name.pdf, or
// name (2).pdf... when that is taken, and returns its full path. The copy is written under a
// hidden temporary name and appears under its own only once complete. Throws PrintError.
QString keepInFolder(const QString& source, const QString& folderPath, const QString& name)
{
    const QString folderName = nativePath(folderPath);
    if (!makePrivateFolder(folderPath))
        throw PrintError(QStringLiteral("The folder %1 could not be created, so the document could not be saved in it.").arg(folderName));
    const QDir folder(QFileInfo(folderPath).absoluteFilePath());
    const QString base = fileBaseName(name);
    const QString cannotWrite = QStringLiteral("The document could not be saved in the folder %1.").arg(folderName);

    QFile in(source);
    QFile part(folder.filePath(u'.' + base + QStringLiteral(".pdf.part")));
    // A part left over from a copy that never finished goes: the new one is made afresh, its
    // owner's alone.
    part.remove();
    if (!in.open(QIODevice::ReadOnly) || !part.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw PrintError(cannotWrite);
    auto removePart = qScopeGuard([&part] {
        part.close();
        part.remove();
    });
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError || part.write(bytes) != bytes.size() || !part.flush())
        throw PrintError(cannotWrite);
    part.close();
    if (part.error() != QFileDevice::NoError)
        throw PrintError(cannotWrite);

    // Another program may take the free name while the file is written: then the next one is used.
    int number = 1;
    QString path = freeFilePath(folder, base, number);
    while (!part.rename(path)) {
        if (!QFileInfo::exists(path))
            throw PrintError(cannotWrite);
        path = freeFilePath(folder, base, number);
    }
    removePart.dismiss();
    return path;
}

} // namespace

// What became of one job, as the worker found out.
struct JobResult {
    enum class Kind { Printed, NoPrinter, NotFound, NotAccepting, Stopped, Refused };
    Kind kind = Kind::Refused;
    QString printer;
    QString reason;
};

// The job the window's thread hands to the worker. The worker may outlive the wait (a print
// server that hangs): then the job file is the worker's to remove.
struct PrintJob {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    JobResult result;
};

namespace {

// True once the window's thread stopped waiting: the cashier has been told the receipt was not
// printed, and it must not come out late among other customers' receipts.
bool abandoned(PrintJob& job)
{
    const std::lock_guard lock(job.mutex);
    return job.abandoned;
}

JobResult runJob(PrintService& service, PrintJob& job, const QString& queue, const QString& pdfPath, const QString& title)
{
    JobResult result;
    result.printer = queue.isEmpty() ? service.defaultPrinter() : queue;
    if (result.printer.isEmpty()) {
        result.kind = JobResult::Kind::NoPrinter;
        return result;
    }
    if (abandoned(job))
        return result;
    const PrinterState state = service.state(result.printer);
    result.reason = state.reason;
    switch (state.kind) {
    case PrinterState::Kind::NotFound: result.kind = JobResult::Kind::NotFound; return result;
    case PrinterState::Kind::NotAccepting: result.kind = JobResult::Kind::NotAccepting; return result;
    case PrinterState::Kind::Stopped: result.kind = JobResult::Kind::Stopped; return result;
    case PrinterState::Kind::Ready: break;
    }
    if (abandoned(job))
        return result;
    const JobAnswer answer = service.submit(result.printer, pdfPath, title);
    if (answer.jobId > 0 && abandoned(job)) {
        service.cancel(result.printer, answer.jobId);
        return result;
    }
    result.kind = answer.jobId > 0 ? JobResult::Kind::Printed : JobResult::Kind::Refused;
    result.reason = answer.reason;
    return result;
}

// A sentence, with what the print service said in brackets before its full stop.
QString withReason(const QString& sentence, const QString& reason)
{
    return reason.isEmpty() ? sentence + u'.' : sentence + QStringLiteral(" (") + reason + QStringLiteral(").");
}

// Why a job did not reach its printer, as the staff read it.
QString failureText(const JobResult& result)
{
    const QString printer = quoted(result.printer);
    switch (result.kind) {
    case JobResult::Kind::NotFound: return QStringLiteral("The printer %1 was not found.").arg(printer);
    case JobResult::Kind::NotAccepting:
        return withReason(QStringLiteral("The printer %1 is not accepting jobs").arg(printer), result.reason);
    case JobResult::Kind::Stopped: return withReason(QStringLiteral("The printer %1 is stopped").arg(printer), result.reason);
    case JobResult::Kind::Refused: return withReason(QStringLiteral("The printer %1 could not print the document").arg(printer), result.reason);
    case JobResult::Kind::Printed:
    case JobResult::Kind::NoPrinter: break;
    }
    return {};
}

} // namespace

SystemPrinter::SystemPrinter(QString pdfFolder, std::shared_ptr<PrintService> service, std::chrono::milliseconds limit)
    : m_pdfFolder(std::move(pdfFolder)), m_service(std::move(service)), m_limit(limit)
{
    if (!m_service)
        m_service = std::make_shared<CupsPrintService>();
}

// The folder of the files handed to the print service: beside the copies, the owner's alone.
// Files left by a run that ended while the service hung are removed once they are a day old.
QString jobFolder(const QString& pdfFolder)
{
    const QString folder = QDir(pdfFolder).filePath(QStringLiteral(".jobs"));
    if (!makePrivateFolder(folder))
        return QDir::tempPath();
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo& stale : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden)) {
        if (stale.lastModified() < dayAgo)
            QFile::remove(stale.filePath());
    }
    return folder;
}

PrintOutcome SystemPrinter::print(const QTextDocument& document, const QString& name)
{
    // The job's file, made on this thread: documents are laid out where they were made.
    QTemporaryFile file(QDir(jobFolder(m_pdfFolder)).filePath(QStringLiteral("point-of-sale-XXXXXX.pdf")));
    file.setAutoRemove(false);
    if (!file.open())
        throw PrintError(QStringLiteral("The document could not be made ready for printing."));
    const QString jobPath = file.fileName();
    try {
        renderPdf(document, file, name);
        file.close();
    } catch (...) {
        file.remove();
        throw;
    }

    // One job at a time: while the service has not answered the last one, it is not asked again.
    if (m_lastJob) {
        const std::lock_guard lock(m_lastJob->mutex);
        if (!m_lastJob->done) {
            const QString failure = QStringLiteral("The print service is still not answering.");
            try {
                const QString copy = keepInFolder(jobPath, m_pdfFolder, name);
                QFile::remove(jobPath);
                throw PrintError(failure + QStringLiteral(" A copy was saved as %1.").arg(nativePath(copy)), copy);
            } catch (const PrintError& error) {
                QFile::remove(jobPath);
                if (!error.savedCopy().isEmpty())
                    throw;
                throw PrintError(failure + QStringLiteral(" No copy could be saved either: ") + error.message());
            }
        }
    }

    // The print service is asked on a thread of its own, so that a server that hangs never
    // freezes the window for longer than the limit. The caller's event loop runs meanwhile.
    auto job = std::make_shared<PrintJob>();
    m_lastJob = job;
    std::thread([job, service = m_service, queue = m_queue, jobPath, name] {
        JobResult result;
        try {
            result = runJob(*service, *job, queue, jobPath, name);
        } catch (...) {
            result.kind = JobResult::Kind::Refused;
        }
        const std::lock_guard lock(job->mutex);
        job->result = result;
        job->done = true;
        if (job->abandoned)
            QFile::remove(jobPath);
        job->finished.notify_all();
    }).detach();

    QElapsedTimer waited;
    waited.start();
    std::unique_lock lock(job->mutex);
    while (!job->done && waited.elapsed() < m_limit.count()) {
        job->finished.wait_for(lock, std::chrono::milliseconds(10));
        if (!job->done) {
            lock.unlock();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            lock.lock();
        }
    }

    if (!job->done) {
        // The worker still holds the file: a copy is kept, and the worker removes the file
        // when the service finally answers.
        const QString failure = QStringLiteral("The print service did not answer within %1 seconds.").arg(m_limit.count() / 1000.0);
        QString copy;
        try {
            copy = keepInFolder(jobPath, m_pdfFolder, name);
        } catch (const PrintError& error) {
            job->abandoned = true;
            throw PrintError(failure + QStringLiteral(" No copy could be saved either: ") + error.message());
        }
        job->abandoned = true;
        throw PrintError(failure + QStringLiteral(" A copy was saved as %1.").arg(nativePath(copy)), copy);
    }
    lock.unlock();

    const JobResult result = job->result;
    auto removeJobFile = qScopeGuard([&jobPath] { QFile::remove(jobPath); });
    if (result.kind == JobResult::Kind::Printed)
        return {PrintOutcome::Where::Printer, result.printer};
    // A computer with no printer set up keeps its documents as PDF files, without a word.
    if (result.kind == JobResult::Kind::NoPrinter)
        return {PrintOutcome::Where::PdfFile, keepInFolder(jobPath, m_pdfFolder, name)};

    const QString failure = failureText(result);
    QString copy;
    try {
        copy = keepInFolder(jobPath, m_pdfFolder, name);
    } catch (const PrintError& error) {
        throw PrintError(failure + QStringLiteral(" No copy could be saved either: ") + error.message());
    }
    throw PrintError(failure + QStringLiteral(" A copy was saved as %1.").arg(nativePath(copy)), copy);
}

QString keepAsPdf(const QTextDocument& document, const QString& folder, const QString& name)
{
    QTemporaryFile file(QDir(jobFolder(folder)).filePath(QStringLiteral("point-of-sale-XXXXXX.pdf")));
    if (!file.open())
        throw PrintError(QStringLiteral("The document could not be made ready for printing."));
    renderPdf(document, file, name);
    file.close();
    return keepInFolder(file.fileName(), folder, name);
}

PrintOutcome NoPrinter::print(const QTextDocument&, const QString&)
{
    throw PrintError(QStringLiteral("No printer is set up."));
}

} // namespace platform
