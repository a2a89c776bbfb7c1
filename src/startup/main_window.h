#pragma once

#include "app/window.h"

#include <memory>

class QFrame;
class QLabel;
class QPushButton;

namespace store {
class RecordSource;
}
namespace ui {
class BoundDatePicker;
}

namespace help {
class HTMLHelp;
}

namespace startup {

struct DaySales;

// frmMain: the hub of the program. Loaded once by the splash and kept for the whole run; the
// other screens hide it while they are open and show it again when they are left.
class MainWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmMain";

    explicit MainWindow(app::Context& context);
    ~MainWindow() override;

    void load() override;
    void closeRequested() override;

    QPushButton* cmdCashReg;
    QPushButton* cmdUpdDb;
    QPushButton* cmdTutor;
    QPushButton* cmdViewGraph;
    QPushButton* Command1;
    QPushButton* cmdprevention;
    QFrame* Frame1;
    QPushButton* Command2;
    QPushButton* cmdajuda;
    QPushButton* cmdSair;
    QLabel* Image1;
    QFrame* Line1;
    ui::BoundDatePicker* Dta;

    store::RecordSource* dailly;        // tblDailySale, feeds Dta
    store::RecordSource* totalSale;     // tblDailySale
    store::RecordSource* YearSale;      // YearSales
    store::RecordSource* lastYear;      // LastYearSales
    store::RecordSource* dailySaledata; // daillySale

private:
    void cmdCashReg_Click();
    void cmdUpdDb_Click();
    void cmdTutor_Click();
    void cmdViewGraph_Click();
    void Command1_Click();
    void cmdprevention_Click();
    void Command2_Click();
    void cmdajuda_Click();
    // Closing the day (close_of_day.cpp).
    void cmdSair_Click();
    // Each close returns what it took in from the sales journal, for the day's report.
    DaySales closeDay();
    DaySales rollYearOver();

    // Shows a window the main menu opens, when the program has it.
    bool showIfPresent(const QString& name);
    // Shows a screen and hides the main menu behind it.
    void showScreen(const QString& name);

    std::unique_ptr<help::HTMLHelp> m_help;
};

} // namespace startup
