#pragma once

#include "platform/print_service.h"

#include <QString>

#include <chrono>
#include <memory>
#include <stdexcept>

class QTextDocument;

namespace platform {

// Where a printed document went.
struct PrintOutcome {
    enum class Where { Printer, PdfFile };
    Where where = Where::Printer;
    QString destination; // the printer's name, or the PDF file's full path
};

// A document that could not be output. When a PDF copy could be kept instead, savedCopy is its
// full path; otherwise it is empty.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message, QString savedCopy = {})
        : std::runtime_error(message.toStdString()), m_savedCopy(std::move(savedCopy))
    {
    }

    QString message() const { return QString::fromUtf8(what()); }
    const QString& savedCopy() const { return m_savedCopy; }

private:
    QString m_savedCopy;
};

// Puts documents on paper.
class Printer {
public:
    virtual ~Printer() = default;

    // Outputs the document and returns once the output is done: handed over to the print system
    // (the printer's queue), or written to its file. `name` names the print job and, when the
    // document goes to a PDF file, the file (name.pdf). Throws PrintError when the document could
    // not be output.
    virtual PrintOutcome print(const QTextDocument& document, const QString& name) = 0;

    // A cash drawer wired to the printer, opened by a pulse the printer sends it. Printers
    // without one say so, and openDrawer() throws PrintError.
    virtual bool hasDrawer() const { return false; }
    virtual void openDrawer() { throw PrintError(QStringLiteral("No cash drawer is fitted to the receipt printer.")); }
};

// The system's default printer, through its print service (CUPS on Linux).
//
// The document is laid out as a PDF of one page 80 mm wide, as long as the document but never
// less than 100 mm (a till receipt's paper roll), and handed to the default printer's queue as
// one job. The print service is asked on a thread of its own with a time limit, so that a server
// that hangs never freezes the till; the caller's event loop runs while it answers, and print()
// returns once it has.
// - When no printer is set up at all, the document is kept as a PDF file in `pdfFolder` (made
//   when missing, its owner's alone), named `name`.pdf, or `name` (2).pdf, (3)... when that name
//   is taken (slashes in `name` become dashes). The file appears under its name only once it is
//   complete. That is the computer's choice, and no error.
// - When the default printer is not found, is not accepting jobs, is stopped, refuses the job, or
//   the service does not answer within the limit, a PDF copy is kept the same way and the
//   PrintError says what happened and names the copy, so that no document is lost.
class SystemPrinter final : public Printer {
public:
    static constexpr std::chrono::milliseconds kDefaultLimit{5000};

    // `service` is the print service to ask, CUPS when none is given.
    explicit SystemPrinter(QString pdfFolder, std::shared_ptr<PrintService> service = {}, std::chrono::milliseconds limit = kDefaultLimit);

    PrintOutcome print(const QTextDocument& document, const QString& name) override;

    // Sends the documents to the named queue instead of the default printer. A queue the service
    // does not know is a printer not found; the empty name is the default printer again.
    void setQueue(QString queue) { m_queue = std::move(queue); }
    const QString& queue() const { return m_queue; }

private:
    QString m_pdfFolder;
    QString m_queue;
    std::shared_ptr<PrintService> m_service;
    std::chrono::milliseconds m_limit;
    // The last job handed to the service's thread; one that has not been answered yet keeps the
    // next documents from the service.
    std::shared_ptr<struct PrintJob> m_lastJob;
};

// Keeps the document as a PDF file in `folder` (made when missing, its owner's alone), laid out
// and named as SystemPrinter keeps the documents it does not print, and returns the file's full
// path. Throws PrintError when it cannot be written.
QString keepAsPdf(const QTextDocument& document, const QString& folder, const QString& name);

// A printer that prints nothing: every print() throws PrintError saying no printer is set up.
class NoPrinter final : public Printer {
public:
    PrintOutcome print(const QTextDocument& document, const QString& name) override;
};

} // namespace platform
