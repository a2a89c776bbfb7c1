#include "platform/printer.h"
#include "platform/private_files.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QTextDocument>

#include <cmath>
#include <memory>

namespace platform {
namespace {

// The PDF page: a till receipt's paper roll.
constexpr qreal kReceiptWidthMm = 80;
constexpr qreal kReceiptMarginMm = 4;
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

// Writes the document into `folderPath` as one long page 80 mm wide and returns the file's full
// path. The file is written under a hidden temporary name and renamed only once complete.
QString writeReceiptPdf(const QTextDocument& document, const QString& folderPath, const QString& name)
{
    const QString folderName = nativePath(folderPath);
    if (!makePrivateFolder(folderPath))
        throw PrintError(QStringLiteral("The folder %1 could not be created, so the document could not be saved in it.").arg(folderName));
    const QDir folder(QFileInfo(folderPath).absoluteFilePath());
    const QString base = fileBaseName(name);

    QFile part(folder.filePath(u'.' + base + QStringLiteral(".pdf.part")));
    const QString cannotWrite = QStringLiteral("The document could not be saved in the folder %1.").arg(folderName);
    if (!part.open(QIODevice::WriteOnly | QIODevice::Truncate, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw PrintError(cannotWrite);
    auto removePart = qScopeGuard([&part] {
        part.close();
        part.remove();
    });

    {
        QPdfWriter writer(&part);
        writer.setResolution(kPdfResolution);
        writer.setTitle(name);
        writer.setCreator(QStringLiteral("Point of Sale"));

        const qreal pixelsPerMm = kPdfResolution / kMmPerInch;
        const std::unique_ptr<QTextDocument> laidOut(document.clone());
        laidOut->documentLayout()->setPaintDevice(&writer);
        laidOut->setTextWidth((kReceiptWidthMm - 2 * kReceiptMarginMm) * pixelsPerMm);
        // Rounded up to whole millimetres so that the last line is never cut.
        const qreal heightMm = std::ceil(laidOut->size().height() / pixelsPerMm) + 2 * kReceiptMarginMm;

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

// Prints the document on the named printer, page by page on its paper. False when the printer
// could not take the whole document.
bool printOn(const QString& printerName, const QTextDocument& document, const QString& name)
{
    QPrinter printer(QPrinterInfo::printerInfo(printerName), QPrinter::HighResolution);
    printer.setDocName(name);

    const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    if (page.isEmpty())
        return false;
    const std::unique_ptr<QTextDocument> laidOut(document.clone());
    laidOut->documentLayout()->setPaintDevice(&printer);
    laidOut->setPageSize(page.size());

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const int pageCount = laidOut->pageCount();
    for (int i = 0; i < pageCount; ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        const QRectF shown = page.translated(0, i * page.height());
        painter.save();
        painter.translate(0, -shown.top());
        laidOut->drawContents(&painter, shown);
        painter.restore();
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}

} // namespace

SystemPrinter::SystemPrinter(QString pdfFolder, std::function<QString()> defaultPrinter)
    : m_pdfFolder(std::move(pdfFolder)), m_defaultPrinter(std::move(defaultPrinter))
{
    if (!m_defaultPrinter)
        m_defaultPrinter = [] { return QPrinterInfo::defaultPrinterName(); };
}

PrintOutcome SystemPrinter::print(const QTextDocument& document, const QString& name)
{
    const QString printerName = m_defaultPrinter();
    if (printerName.isEmpty())
        return {PrintOutcome::Where::PdfFile, writeReceiptPdf(document, m_pdfFolder, name)};

    // Qt prints on another printer, or into nothing, when given a name the system does not know.
    const bool known = QPrinterInfo::availablePrinterNames().contains(printerName);
    if (known && printOn(printerName, document, name))
        return {PrintOutcome::Where::Printer, printerName};

    const QString failure = known ? QStringLiteral("The printer %1 could not print the document.").arg(quoted(printerName))
                                  : QStringLiteral("The printer %1 is not set up on this computer.").arg(quoted(printerName));
    QString copy;
    try {
        copy = writeReceiptPdf(document, m_pdfFolder, name);
    } catch (const PrintError& error) {
        throw PrintError(failure + QStringLiteral(" No copy could be saved either: ") + error.message());
    }
    throw PrintError(failure + QStringLiteral(" A copy was saved as %1.").arg(nativePath(copy)), copy);
}

PrintOutcome NoPrinter::print(const QTextDocument&, const QString&)
{
    throw PrintError(QStringLiteral("No printer is set up."));
}

} // namespace platform
