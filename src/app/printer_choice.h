#pragma once

#include <QString>
#include <QStringView>

#include <memory>

namespace platform {
class Printer;
}
namespace ui {
class Services;
}

namespace app {

// The till's printer as the manager chose it, kept in the per-user settings under the section
// "Printer" of the program's settings:
//   Kind     "System" (the default printer, as a PDF page), "Queue" (a named print queue, as a
//            PDF page), "EscPosQueue" (a thermal printer behind a raw print queue) or
//            "EscPosDevice" (a thermal printer on a device file)
//   Queue    the print queue's name, for "Queue" and "EscPosQueue"
//   Device   the device file's path, for "EscPosDevice"
//   Columns  the thermal printer's width in characters: 48 or 42 (80 mm paper), 32 (58 mm)
//   Drawer   1 when a cash drawer is wired to the thermal printer, else 0
// A setting missing or not understood reads as its default: the system's printer, 48 columns,
// no drawer.
struct PrinterChoice {
    enum class Kind { System, Queue, EscPosQueue, EscPosDevice };

    static constexpr QStringView kSection = u"Printer";
    static constexpr int kWidths[] = {48, 42, 32};

    Kind kind = Kind::System;
    QString queue;
    QString device;
    int columns = 48;
    bool drawer = false;

    // The choice kept for the program `appName` (its executable's name).
    static PrinterChoice load(const ui::Services& services, const QString& appName);
    void save(ui::Services& services, const QString& appName) const;

    // A thermal printer spoken to in its own commands, rather than a page printed through the
    // print system.
    bool thermal() const { return kind == Kind::EscPosQueue || kind == Kind::EscPosDevice; }
    // The queue's name or the device's path the kind prints to; empty for the default printer.
    QString destination() const;
    // What is missing for the choice to print at all, in words for the manager; empty when
    // nothing is.
    QString missing() const;

    static QString kindName(Kind kind);
    bool operator==(const PrinterChoice&) const = default;
};

// The printer the choice names. Documents it cannot print are kept as PDF files in `pdfFolder`.
std::unique_ptr<platform::Printer> makePrinter(const PrinterChoice& choice, const QString& pdfFolder);

} // namespace app
