#pragma once

#include "app/window.h"
#include "register/receipt.h"
#include "register/sale_state.h"
#include "ui/value_label.h"

#include <QStringList>

#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTimer;

namespace help {
class HTMLHelp;
}
namespace store {
class RecordSource;
}
namespace ui {
class BoundList;
class DigitsOnlyEdit;
class KeyPreview;
}

namespace cashregister {

class UpperText;

// frmCashRegister: the till. The cashier rings a sale up one product at a time (Enter, by code
// or name with a quantity), takes single lines back from the Product menu, looks products up in
// the reference panel and completes the sale with End. Opened by the cashier's password gate,
// which leaves the cashier's name in a tblReceipt row that the window picks up and removes.
//
// The window's behaviour is split by what it does: cash_register_window.cpp holds the window's
// life, the sale state's labels, the pick-up timer, New Sale, the keyboard, help and the way back;
// cash_register_controls.cpp makes the controls and lays them out; item_entry.cpp is the Enter
// key; cancel_item.cpp the two cancel commands; complete_sale.cpp the End key and receipt.cpp
// its receipt; reprint.cpp prints receipts, the first time and again from the journal, and
// todays_receipts_window.cpp lists the day's; cash_drawer.cpp opens the drawer without a sale;
// abandon_sale.cpp gives an abandoned sale's goods back; reference.cpp the reference panel and
// the day's takings.
class CashRegisterWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmCashRegister";
    static constexpr int kCashierTickMs = 100;

    explicit CashRegisterWindow(app::Context& context);
    ~CashRegisterWindow() override;

    void load() override;
    // The close button goes back to the main menu, as "&Back to Main System" does.
    void closeRequested() override;

    const SaleState& sale() const { return m_sale; }

    // One tick of CashierTime.
    void CashierTime_Timer();

    // Menus.
    QMenuBar* menuBar;
    QMenu* mnuFile;
    QAction* mnuExit;
    QAction* mnuAmtSold;
    QAction* mnuHelp;
    QMenu* mnuP;
    QAction* mnuCode;
    QAction* mnuName;
    // Receipts of the journal: the last one printed again, and the day's receipts.
    QMenu* mnuReceipts;
    QAction* mnuReprintLast;
    QAction* mnuTodaysReceipts;
    // The cash drawer opened without a sale.
    QMenu* mnuDrawer;
    QAction* mnuOpenDrawer;

    // Entry and totals.
    QLabel* lblProductCode;
    QLineEdit* txtProductCode;
    QLabel* lblProductName;
    QLineEdit* txtProductName;
    QLabel* lblQuantity;
    ui::DigitsOnlyEdit* txtQuantity;
    QLabel* lbl;
    ui::ValueLabel* lblSubtotal;
    QLabel* lbtax;
    ui::ValueLabel* lblTax;
    QLabel* lblTotalCap;
    ui::ValueLabel* lblTotal;
    QLabel* lblCash;
    ui::ValueLabel* lblAmount;
    QLabel* lblChangeCap;
    ui::ValueLabel* lblChange;
    ui::ValueLabel* lblProductDescription;
    QPushButton* cmdNewSale;
    QTimer* CashierTime;

    // The reference panel.
    QGroupBox* Referencia;
    QLabel* Label1;
    ui::BoundList* dbcboProdCode;
    QLabel* Label2;
    ui::BoundList* dbcboProdName;
    QLabel* lblQuant;
    ui::ValueLabel* lblQty;
    QPushButton* cmdMostrar;
    QPushButton* Command1;

    // Record sources.
    store::RecordSource* DatatblPPrice;    // tblProductPrice: item entry
    store::RecordSource* datProdPrice;     // tblProductPrice: the reference lists, cancels, Show
    store::RecordSource* DataPQty;         // tblProductQuantity
    store::RecordSource* DataReceipt;      // tblReceipt: cashier pick-up, item entry, way back
    store::RecordSource* Cancelitem;       // tblReceipt: cancels
    store::RecordSource* DataTax;          // tblTax: completion
    store::RecordSource* DatatblDailySale; // tblDailySale
    store::RecordSource* daillySale;       // daillySale
    store::RecordSource* dataCategory;     // tblCathegory

private:
    enum class CancelBy { Code, Name };

    // The controls, menus and record sources (cash_register_controls.cpp).
    void buildRecordSources();
    void buildControls();
    void buildMenus();
    void layOut();

    // The keyboard: every key pressed in the window, before the focused control sees it.
    bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers modifiers);

    void cmdNewSale_Click();

    // Enter (item_entry.cpp).
    void enterItem();
    void enterFoundProduct();
    void recordLine(std::int16_t quantity, std::int16_t onHand);
    void clearTalliesEvery30Days();

    // End (complete_sale.cpp): the tax, the total, the amount tendered and the change; the day's
    // takings grow and tblReceipt is emptied together, then the receipt is printed.
    void completeSale();
    // Works out the tax and total, writes them into the sale's first line and takes the amount
    // tendered. Throws when the sale ends before it is paid.
    void tenderSale();
    // Books the money (the tender on the receipt, the day's takings), reads the sale, empties
    // tblReceipt and keeps the sale in the journal, as one unit of work, and makes its receipt.
    // Throws, having booked, emptied and kept nothing, when that fails.
    PrintableReceipt bookSale(const QDateTime& completedAt);
    // Asks for the amount tendered, typed in cents; throws when the box is cancelled or the text
    // is not a number.
    store::Currency askAmountTendered();
    void printReceipt(const PrintableReceipt& receipt);
    // The sale could not be paid for (`why`): its figures are put back to nothing, it stays open
    // with its lines, and the cashier is told.
    void keepSaleOpen(const QString& why);
    // Abandons a sale that ends before it is paid; when the store cannot take that, the sale
    // stays open with its figures put back to nothing.
    void abandonOrKeep();
    void resetFigures();
    // Deletes every row of tblReceipt, as one unit of work; when that cannot be done, the rows
    // stay and the answer is what failed (empty when the rows are gone). Never throws.
    QString emptyReceipt();

    // The Product menu (cancel_item.cpp).
    void mnuCode_Click();
    void mnuName_Click();
    void cancelProduct(CancelBy by);
    void cancelLine(CancelBy by, const QString& answer);
    // The writes of taking back Cancelitem's current line, found by `typed`, short of deleting the
    // line: its units back into the stock, today's sold line and its units out of the day's count.
    // `itemCount` is lowered as the command lowers it. Returns false, having written nothing, when
    // the product has no stock row. Runs inside the caller's unit of work.
    bool takeBackLine(CancelBy by, const UpperText& typed, std::int16_t& itemCount);

    // An abandoned sale (abandon_sale.cpp). Every line goes back to the stock row item entry took
    // it from, with today's sold line and its units, and tblReceipt is emptied, as one unit of
    // work. Lines that cannot be given back are named to the cashier in one message, so that the
    // manager can restock them by hand; when nothing can be written, tblReceipt is still emptied
    // and every line is named. When the store's disk fails, or tblReceipt cannot be emptied
    // either, nothing is written: the sale stays open on the till as it was, the cashier is told
    // why, and the answer is false. Never throws.
    bool abandonSale();
    bool abandonAfterFailure();
    void tellNotGivenBack(const QStringList& notGivenBack);
    QStringList openLines();
    // Gives every line of tblReceipt back and deletes it, inside the caller's unit of work;
    // returns the lines that could not be given back (give_back.h).
    QStringList giveBackEveryLine();

    // Shows, in one message, what the start-up did with a sale it found unfinished, and deletes
    // the note that tells it (sale_recovery.cpp). Nothing when there is no note.
    void tellRecoveredSale();

    // The reference panel and the day's takings (reference.cpp).
    void cmdMostrar_Click();
    void Command1_Click();
    void mnuAmtSold_Click();

    void mnuExit_Click();
    void mnuHelp_Click();

    // Receipts printed again from the journal (reprint.cpp).
    void mnuReprintLast_Click();
    void mnuTodaysReceipts_Click();

    // The cash drawer opened without a sale, kept in the journal as a no-sale (cash_drawer.cpp).
    void mnuOpenDrawer_Click();

    // Shows the five amounts in the money labels in their usual form.
    void showAmounts();
    // tblReceipt holds sale lines: a sale the start-up could not settle.
    bool holdsUnsettledSale();

    SaleState m_sale;
    // A receipt is being printed: the till takes no key and cannot be closed meanwhile.
    bool m_printing = false;
    std::unique_ptr<help::HTMLHelp> m_help;
    ui::KeyPreview* m_keys = nullptr;
};

} // namespace cashregister
