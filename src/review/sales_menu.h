#pragma once

#include "app/window.h"

class QFrame;
class QLabel;
class QPushButton;

namespace review {

// frmGraphsCall: the sales-analysis menu. Opens the three chart windows, staying shown behind
// them, and goes back to the main menu, unloading itself.
class SalesMenuWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmGraphsCall";

    explicit SalesMenuWindow(app::Context& context);

    void load() override;
    // The close button goes back to the main menu, as "RETURN TO MAIN" does.
    void closeRequested() override;

    QFrame* Frame1;
    QLabel* Image1;
    QPushButton* cmdGraphMonth;
    QPushButton* cmdGraphYear;
    QPushButton* cmdLastMonth;
    QPushButton* cmdSair;

private:
    // Shows a chart window over the menu.
    void openChart(const QString& name);
    void cmdSair_Click();
};

} // namespace review
