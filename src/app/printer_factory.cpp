// The printer a choice names. Kept apart from the choice itself: this is the one place that makes
// the real printers, and what only reads or writes the choice does not need them.
#include "app/printer_choice.h"

#include "platform/escpos.h"
#include "platform/printer.h"

namespace app {

std::unique_ptr<platform::Printer> makePrinter(const PrinterChoice& choice, const QString& pdfFolder)
{
    switch (choice.kind) {
    case PrinterChoice::Kind::System: break;
    case PrinterChoice::Kind::Queue: {
        auto printer = std::make_unique<platform::SystemPrinter>(pdfFolder);
        printer->setQueue(choice.queue);
        return printer;
    }
    case PrinterChoice::Kind::EscPosQueue:
        return std::make_unique<platform::EscPosPrinter>(platform::cupsRawTransport(choice.queue), choice.columns, choice.drawer, pdfFolder);
    case PrinterChoice::Kind::EscPosDevice:
        return std::make_unique<platform::EscPosPrinter>(platform::deviceTransport(choice.device), choice.columns, choice.drawer, pdfFolder);
    }
    return std::make_unique<platform::SystemPrinter>(pdfFolder);
}

} // namespace app
