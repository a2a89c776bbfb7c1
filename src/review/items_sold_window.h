#pragma once

#include "app/window.h"

class QFrame;
class QLabel;
class QPushButton;
class QTableView;

namespace store {
class QuerySource;
class RecordSource;
}
namespace ui {
class BoundLabel;
class ValueLabel;
}

namespace review {

class NavigationBar;
class QueryModel;

// daillySale: every line sold since the day was last closed, with the day's item count and
// money total and the date and time the window was opened. It only reads the store; it is
// unloaded when left, so each opening reads the store afresh.
class ItemsSoldWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "daillySale";
    // How the grid shows a line's amount.
    static constexpr QStringView kPriceFormat = u"\"$\"#,##0.00";

    explicit ItemsSoldWindow(app::Context& context);

    void load() override;
    // The close button goes back to the main menu, as "BACK TO MAIN" does.
    void closeRequested() override;

    // The lines sold, read through the query connection, and the day's totals.
    store::QuerySource* produto;
    store::RecordSource* total;

    QTableView* DataGrid1;
    QueryModel* DataGrid1Model;
    // produto as it shows on the window: its navigation bar, which carries the name produto too.
    NavigationBar* produtoBar;
    QLabel* lblData;
    ui::ValueLabel* lblDate;
    QLabel* lblItem;
    ui::BoundLabel* totalItems;
    QLabel* lbTotal;
    ui::BoundLabel* lblTotal;
    QPushButton* cmdSair;
    QFrame* Frame1;
    QLabel* Image1;

private:
    void cmdSair_Click();
};

} // namespace review
