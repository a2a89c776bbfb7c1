#pragma once

#include "platform/display_settings.h"
#include "platform/drive_types.h"
#include "platform/drives.h"
#include "platform/help_viewer.h"
#include "platform/printer.h"
#include "platform/registry.h"
#include "platform/shell.h"

#include <memory>

namespace platform {

// What the operating system gives the program, gathered so that tests can stand in for any of it:
// drives and their kinds, the display, the desktop's shell, the registry, the help viewer and the printer.
class Platform {
public:
    // The drives, a display whose settings are not touched, and the desktop's shell.
    explicit Platform(Drives drives);
    // A null display or shell stands for the defaults of the constructor above.
    Platform(Drives drives, std::unique_ptr<DisplaySettings> displaySettings, std::unique_ptr<Shell> shell);
    virtual ~Platform();
    Platform(Platform&&) noexcept;
    Platform& operator=(Platform&&) noexcept;

    Drives& drives() { return m_drives; }
    const Drives& drives() const { return m_drives; }

    DisplaySettings& displaySettings() { return *m_displaySettings; }
    const DisplaySettings& displaySettings() const { return *m_displaySettings; }

    Shell& shell() { return *m_shell; }

    // What kind of drive each drive letter is; until a way to tell is set, every drive is of
    // unknown kind (UnknownDriveTypes).
    const DriveTypes& driveTypes() const { return *m_driveTypes; }
    void setDriveTypes(std::unique_ptr<DriveTypes> driveTypes) { m_driveTypes = std::move(driveTypes); }

    // The registry (a SettingsRegistry unless another is set).
    Registry& registry() { return *m_registry; }
    void setRegistry(std::unique_ptr<Registry> registry) { m_registry = std::move(registry); }

    // The help viewer; until one is set, a viewer that opens nothing.
    HelpViewer& helpViewer() { return *m_helpViewer; }
    void setHelpViewer(std::unique_ptr<HelpViewer> viewer) { m_helpViewer = std::move(viewer); }

    // The printer; until one is set, a printer that refuses every document (NoPrinter).
    Printer& printer() { return *m_printer; }
    void setPrinter(std::unique_ptr<Printer> printer) { m_printer = std::move(printer); }

    // The printer of the reports (the day's report), which keep the documents they do not print
    // apart from the receipts; until one is set, the printer above.
    Printer& reportPrinter() { return m_reportPrinter ? *m_reportPrinter : *m_printer; }
    void setReportPrinter(std::unique_ptr<Printer> printer) { m_reportPrinter = std::move(printer); }

private:
    Drives m_drives;
    std::unique_ptr<DisplaySettings> m_displaySettings;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<DriveTypes> m_driveTypes;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<HelpViewer> m_helpViewer;
    std::unique_ptr<Printer> m_printer;
    std::unique_ptr<Printer> m_reportPrinter;
};

} // namespace platform
