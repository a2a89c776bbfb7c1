#pragma once

#include <QString>

namespace platform {

// What the system's print service (CUPS on Linux) answers about a printer.
struct PrinterState {
    enum class Kind {
        Ready,        // takes jobs
        NotFound,     // no such printer
        NotAccepting, // its queue refuses new jobs
        Stopped,      // its queue is paused or the printer is off
    };
    Kind kind = Kind::NotFound;
    QString reason; // what the service says of it, when it says anything
};

// The answer to a job handed over.
struct JobAnswer {
    int jobId = 0;  // the job's number; 0 when it was refused
    QString reason; // why it was refused
};

// The print service, as the printer uses it. Every call may block for as long as the service
// takes to answer (a print server that hangs answers never): the printer calls them off the
// window's thread, with a time limit, one job at a time.
class PrintService {
public:
    virtual ~PrintService() = default;
    // The default printer's name as the computer is set up (the PRINTER or LPDEST setting, the
    // user's own default, the server's); empty when no printer is set up at all.
    virtual QString defaultPrinter() = 0;
    virtual PrinterState state(const QString& printer) = 0;
    // Hands a PDF file to the printer's queue as one job named `title`.
    virtual JobAnswer submit(const QString& printer, const QString& pdfPath, const QString& title) = 0;
    // Takes a job handed over back out of the queue, if it is still there.
    virtual void cancel(const QString& printer, int jobId) = 0;
};

// CUPS, through libcups.
class CupsPrintService final : public PrintService {
public:
    QString defaultPrinter() override;
    PrinterState state(const QString& printer) override;
    JobAnswer submit(const QString& printer, const QString& pdfPath, const QString& title) override;
    void cancel(const QString& printer, int jobId) override;
};

} // namespace platform
