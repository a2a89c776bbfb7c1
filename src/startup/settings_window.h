#pragma once

#include "app/window.h"

#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace help {
class HTMLHelp;
}

namespace startup {

// frmChgSettings: shown instead of the main menu when the screen is not 800 x 600. From here
// the display can be switched, the help read, or the program left.
class SettingsWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmChgSettings";

    explicit SettingsWindow(app::Context& context);
    ~SettingsWindow() override;

    void load() override;
    void closeRequested() override;

    QLabel* lblChange;
    QPlainTextEdit* txtWarning;
    QPushButton* cmdChange;
    QPushButton* cmdHelp;
    QPushButton* cmdOK;

    // The warning shown in txtWarning, as it is worded for the staff.
    static QString warningText();

private:
    void cmdChange_Click();
    void cmdHelp_Click();
    void cmdOK_Click();

    std::unique_ptr<help::HTMLHelp> m_help;
};

} // namespace startup
