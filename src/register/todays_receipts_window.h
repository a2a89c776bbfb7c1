#pragma once

#include "app/window.h"

#include <QDate>

#include <cstdint>

class QKeyEvent;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace ui {
class ValueLabel;
}

namespace cashregister {

// frmTodaysReceipts: the receipts of the business day, from the sales journal, one row per
// completed sale (its number, the time, the cashier and the total), the latest chosen. Any one is
// printed again, marked as a copy: Enter or "Print Again". Esc or "Close" closes the window and
// goes back to the till. Opened from the cash register's Receipts menu.
class TodaysReceiptsWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmTodaysReceipts";

    explicit TodaysReceiptsWindow(app::Context& context);

    void load() override;
    // The close button closes the window, as "Close" does.
    void closeRequested() override;

    // The sale number of the chosen row; 0 when none is chosen.
    std::int64_t chosenSale() const;

    QLabel* lblDayCap;
    ui::ValueLabel* lblDay;
    QLabel* lblReceipts;
    QTreeWidget* lstReceipts;
    ui::ValueLabel* lblCount;
    QPushButton* cmdPrint;
    QPushButton* cmdClose;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Reads the day's sales from the journal into the list.
    void fill();
    void cmdPrint_Click();
    void cmdClose_Click();

    QDate m_day;
};

} // namespace cashregister
