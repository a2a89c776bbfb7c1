#pragma once

#include <QString>

#include <functional>
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
};

// The system's default printer, through Qt's print support (CUPS on Linux).
//
// - With a default printer, the document is printed on it, page by page on the printer's own
//   paper, and print() returns once the job is handed to the print system.
// - Without one, the document is written as a PDF file into `pdfFolder` (made when missing),
//   named `name`.pdf, or `name` (2).pdf, (3)... when that name is taken (slashes in `name` become
//   dashes); its page is 80 mm wide, as long as the document. The file appears under its name
//   only once it is complete.
// - When the printer fails, or is not one the system knows, a PDF copy is written the same way
//   and the PrintError names it, so that no document is lost.
class SystemPrinter final : public Printer {
public:
    // `defaultPrinter` names the printer to use, or gives the empty text for none; by default it
    // asks the system for its default printer.
    explicit SystemPrinter(QString pdfFolder, std::function<QString()> defaultPrinter = {});

    PrintOutcome print(const QTextDocument& document, const QString& name) override;

private:
    QString m_pdfFolder;
    std::function<QString()> m_defaultPrinter;
};

// A printer that prints nothing: every print() throws PrintError saying no printer is set up.
class NoPrinter final : public Printer {
public:
    PrintOutcome print(const QTextDocument& document, const QString& name) override;
};

} // namespace platform
