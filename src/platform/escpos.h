#pragma once

#include "platform/printer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

class QTextDocument;

namespace platform {

// Thermal receipt printers of the kind tills use, spoken to in ESC/POS: the document is laid out
// as lines of text as wide as the paper (80 mm paper: 48 or 42 columns; 58 mm: 32) and sent as
// raw bytes, with the printer's own commands, through a raw print queue or a device file.

// One line of a receipt as text: exactly `columns` characters or fewer, and whether it is printed
// emphasised (bold in the document).
struct TextLine {
    QString text;
    bool emphasised = false;
    bool operator==(const TextLine&) const = default;
};

// Lays a document out as lines of text `columns` wide: a centred paragraph is centred, a table
// row's first cells are left-aligned and its last cell (the amount) right-aligned, a horizontal
// rule is a line of dashes, and a paragraph too long for the paper is wrapped at blanks.
QList<TextLine> textLines(const QTextDocument& document, int columns);

// The text in the printer's code page CP858 (which has the euro sign); a letter CP858 does not
// have is sent as its closest ASCII form (accents dropped), else as '?'.
QByteArray toCodePage858(const QString& text);

// The bytes of one receipt: initialise (ESC @), code page CP858 (ESC t 19), the lines (emphasis on
// and off with ESC E around emphasised lines), feed to the cutter and cut (GS V 66 0). With
// `kickDrawer`, the drawer pulse (ESC p 0 25 250) comes first.
QByteArray escPosJob(const QList<TextLine>& lines, bool kickDrawer);

// The drawer pulse alone, as sent to open the cash drawer without a receipt.
QByteArray escPosDrawerPulse();

// Where the raw bytes go. send() returns once the bytes are handed over, and throws PrintError
// saying what happened (in words a cashier can act on) when they cannot be, or when the printer
// does not take them within `limit`: a printer that is off, out of paper or unplugged never
// holds the till up for longer.
class RawTransport {
public:
    virtual ~RawTransport() = default;
    virtual void send(const QByteArray& bytes, std::chrono::milliseconds limit) = 0;
    // What the printer is, for messages: the device's path or the queue's name.
    virtual QString describe() const = 0;
};

// A device file: a USB printer's /dev/usb/lp0, a serial port's /dev/ttyS0.
std::unique_ptr<RawTransport> deviceTransport(const QString& path);
// A raw CUPS queue, by name.
std::unique_ptr<RawTransport> cupsRawTransport(const QString& queue);

// A printer that speaks ESC/POS. print() lays the document out at the printer's width and sends
// it; when it cannot be sent, a PDF copy is kept in `pdfFolder` (as SystemPrinter keeps one) and
// PrintError says what happened and names the copy. With a drawer fitted, openDrawer() sends the
// pulse; without one it throws PrintError. A receipt printed just after a pulse that failed is
// kept as a copy at once, with the pulse's reason, so that a printer that does not answer holds
// the till up once, not twice.
class EscPosPrinter final : public Printer {
public:
    static constexpr std::chrono::milliseconds kDefaultLimit{4000};

    EscPosPrinter(std::unique_ptr<RawTransport> transport, int columns, bool drawerFitted, QString pdfFolder,
        std::chrono::milliseconds limit = kDefaultLimit);

    PrintOutcome print(const QTextDocument& document, const QString& name) override;
    bool hasDrawer() const override { return m_drawerFitted; }
    void openDrawer() override;

    int columns() const { return m_columns; }

private:
    // How long after a failed drawer pulse the printer is taken to be failing still.
    static constexpr std::chrono::milliseconds kStillFailing{10000};
    std::unique_ptr<RawTransport> m_transport;
    QElapsedTimer m_failedAt; // when the drawer's pulse last failed; invalid once anything else was sent
    QString m_lastFailure;
    int m_columns;
    bool m_drawerFitted;
    QString m_pdfFolder;
    std::chrono::milliseconds m_limit;
};

} // namespace platform
