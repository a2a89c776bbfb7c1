#pragma once

#include "app/printer_choice.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform {
class Printer;
}
namespace ui {
class Services;
class ValueLabel;
}

namespace startup {

// frmPrinter: the till's receipt printer, chosen by the manager and kept in the per-user settings
// (app::PrinterChoice): the computer's default printer, a named print queue, or a thermal receipt
// printer on a raw print queue or a device, with its paper width and whether a cash drawer is
// wired to it. "Save" keeps the choice, which the till uses from its next start; "Print a Test
// Receipt" prints a short receipt on the printer as the window shows it, saved or not, and opens
// the drawer when one is fitted; "Close" or Esc closes the window, asking first about changes not
// saved. Opened on its own by `point-of-sale --printer-setup`, so that it needs no store.
class PrinterWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmPrinter";

    // Makes the printer of a choice, for the test receipt.
    using PrinterFactory = std::function<std::unique_ptr<platform::Printer>(const app::PrinterChoice&)>;

    // The choice is read from and kept in the settings of the program `appName`.
    PrinterWindow(ui::Services& services, QString appName, PrinterFactory makePrinter, QWidget* parent = nullptr);
    ~PrinterWindow() override;

    // The choice as the controls show it.
    app::PrinterChoice choice() const;

    QLabel* lblKind;
    QComboBox* cboKind;
    QLabel* lblQueue;
    QLineEdit* txtQueue;
    QLabel* lblDevice;
    QLineEdit* txtDevice;
    QLabel* lblWidth;
    QComboBox* cboWidth;
    QCheckBox* chkDrawer;
    QLabel* lblNote;
    ui::ValueLabel* lblStatus;
    QPushButton* cmdSave;
    QPushButton* cmdTest;
    QPushButton* cmdClose;

    // The short receipt the test prints, as the document's HTML.
    static QString testReceiptHtml(const app::PrinterChoice& choice);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showChoice(const app::PrinterChoice& choice);
    // Enables the controls that belong to the kind of printer chosen.
    void cboKind_Change();
    // Keeps the choice; false, having kept nothing, when something needed is missing.
    bool cmdSave_Click();
    void cmdTest_Click();
    void cmdClose_Click();
    // The manager is told what is missing, and the focus goes where it is typed; false when
    // nothing is.
    bool tellMissing(const app::PrinterChoice& choice);

    ui::Services& m_services;
    QString m_appName;
    PrinterFactory m_makePrinter;
    app::PrinterChoice m_saved;
};

} // namespace startup
