#include "register/cash_register_window.h"
#include "register/give_back.h"
#include "register/sale_recovery.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "help/html_help.h"
#include "store/convert.h"
#include "store/record_source.h"
#include "ui/bound_list.h"
#include "ui/captions.h"
#include "ui/digits_only_edit.h"
#include "ui/key_preview.h"
#include "ui/named.h"
#include "ui/services.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <stdexcept>

namespace cashregister {
namespace {

constexpr QSize kWindowSize(790, 550);
constexpr QStringView kUnsettledSaleText = u"The cash register cannot open: a sale that was not finished when the program last stopped "
                                           u"is still in the open sale, and it could not be settled when the program started.\n\n"
                                           u"Close the program and start it again once the problem it was told of is mended: the "
                                           u"sale is settled then, before the cash register opens.";

constexpr QStringView kCaption = u"                                      *******WELCOME TO VANTORAL\u00ae  CASH REGISTER******   ";

// Keeps the menu shortcuts working while a text box has the focus: a text box would otherwise
// take Ctrl+C for itself (copy) and the menu would never see it.
class MenuShortcutsFirst : public QObject {
public:
    MenuShortcutsFirst(QObject* parent, QList<QAction*> actions) : QObject(parent), m_actions(std::move(actions)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
            for (const QAction* action : m_actions) {
                if (action->isEnabled() && action->shortcut() == pressed) {
                    event->ignore();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QAction*> m_actions;
};

} // namespace

CashRegisterWindow::CashRegisterWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    buildRecordSources();
    buildMenus();
    buildControls();
    layOut();

    CashierTime = ui::makeNamed<QTimer>(QStringLiteral("CashierTime"), this);
    CashierTime->setInterval(kCashierTickMs);
    connect(CashierTime, &QTimer::timeout, this, &CashRegisterWindow::CashierTime_Timer);

    connect(cmdNewSale, &QPushButton::clicked, this, &CashRegisterWindow::cmdNewSale_Click);
    connect(cmdMostrar, &QPushButton::clicked, this, &CashRegisterWindow::cmdMostrar_Click);
    connect(Command1, &QPushButton::clicked, this, &CashRegisterWindow::Command1_Click);
    connect(mnuExit, &QAction::triggered, this, &CashRegisterWindow::mnuExit_Click);
    connect(mnuAmtSold, &QAction::triggered, this, &CashRegisterWindow::mnuAmtSold_Click);
    connect(mnuHelp, &QAction::triggered, this, &CashRegisterWindow::mnuHelp_Click);
    connect(mnuCode, &QAction::triggered, this, &CashRegisterWindow::mnuCode_Click);
    connect(mnuName, &QAction::triggered, this, &CashRegisterWindow::mnuName_Click);
    connect(mnuReprintLast, &QAction::triggered, this, &CashRegisterWindow::mnuReprintLast_Click);
    connect(mnuTodaysReceipts, &QAction::triggered, this, &CashRegisterWindow::mnuTodaysReceipts_Click);
    connect(mnuOpenDrawer, &QAction::triggered, this, &CashRegisterWindow::mnuOpenDrawer_Click);

    m_keys = new ui::KeyPreview(this, [this](int keyCode, Qt::KeyboardModifiers modifiers) {
        return Form_KeyDown(keyCode, modifiers);
    });
    auto* shortcutsFirst = new MenuShortcutsFirst(this, {mnuExit, mnuAmtSold, mnuHelp, mnuCode, mnuName, mnuReprintLast, mnuTodaysReceipts, mnuOpenDrawer});
    for (QWidget* box : std::initializer_list<QWidget*>{txtProductCode, txtProductName, txtQuantity, dbcboProdCode, dbcboProdName}) {
        box->installEventFilter(shortcutsFirst);
        for (QWidget* inner : box->findChildren<QWidget*>())
            inner->installEventFilter(shortcutsFirst);
    }

    ui::nameControls(this);
    // Most of an 800 x 600 screen, leaving room for the window's frame; more only if the
    // controls ask for it.
    layout()->activate();
    setFixedSize(layout()->sizeHint().expandedTo(kWindowSize));
}

CashRegisterWindow::~CashRegisterWindow() = default;

void CashRegisterWindow::load()
{
    // A sale the start-up could not settle is still in tblReceipt. The till does not open on it:
    // its first line would be taken for the cashier's row and its lines would reach the next
    // receipt. The gate stays, with nothing written.
    if (holdsUnsettledSale()) {
        context().ui.message(kUnsettledSaleText.toString(), kNotRecoveredTitle.toString(), ui::Icon::Critical, ui::Buttons::Ok);
        throw std::runtime_error("the open sale holds a sale the start-up could not settle");
    }
    // txtQuantity takes digits only from the moment it is made (a DigitsOnlyEdit).
    m_sale.zeroAmounts();
    showAmounts();
    lblProductDescription->clear();
    CashierTime->start();
    // Once the till is on the screen, the cashier is told of a sale the start-up settled.
    QTimer::singleShot(0, this, &CashRegisterWindow::tellRecoveredSale);
}

bool CashRegisterWindow::holdsUnsettledSale()
{
    DataReceipt->refresh();
    for (DataReceipt->moveFirst(); !DataReceipt->atEnd(); DataReceipt->moveNext()) {
        if (isSaleLine(*DataReceipt))
            return true;
    }
    DataReceipt->moveFirst();
    return false;
}

void CashRegisterWindow::showAmounts()
{
    lblTax->setText(moneyLabel(m_sale.tax));
    lblSubtotal->setText(moneyLabel(m_sale.subtotal));
    lblChange->setText(moneyLabel(m_sale.change));
    lblTotal->setText(moneyLabel(m_sale.total));
    lblAmount->setText(moneyLabel(m_sale.amountTendered));
}

void CashRegisterWindow::CashierTime_Timer()
{
    try {
        m_sale.ticks = store::convert::addWhole(m_sale.ticks, 1);
        if (m_sale.ticks != 2)
            return;
        // The gate's row holds the cashier's name and nothing else: take the name, drop the row.
        DataReceipt->moveFirst();
        m_sale.cashierName = DataReceipt->field(u"Cashier").toText();
        DataReceipt->remove();
    } catch (const std::exception&) {
        // Nothing is retried: the cashier's name stays as it was.
    }
}

void CashRegisterWindow::cmdNewSale_Click()
{
    m_sale.zeroAmounts();
    lblTax->setText(moneyLabel(m_sale.tax, 2));
    lblChange->setText(moneyLabel(m_sale.change, 2));
    lblTotal->setText(moneyLabel(m_sale.total, 2));
    lblAmount->setText(moneyLabel(m_sale.amountTendered, 2));
    lblSubtotal->setText(moneyLabel(m_sale.subtotal, 1));
    lblProductDescription->clear();
    txtQuantity->clear();
    txtProductName->clear();
    txtProductCode->clear();
    cmdNewSale->setEnabled(false);
}

bool CashRegisterWindow::Form_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    cmdNewSale->setEnabled(false);
    // With no products at all, no key does anything more.
    if (DatatblPPrice->recordCount() < 1)
        return false;
    if (keyCode == ui::key::Return)
        enterItem();
    else if (keyCode == ui::key::End)
        completeSale();
    // The focused control goes on to handle the key as usual.
    return false;
}

void CashRegisterWindow::mnuExit_Click()
{
    // The open sale is abandoned: its lines go back as if each were taken back. A sale the store
    // could not cancel stays open on the till, which stays with it.
    if (!abandonSale())
        return;
    try {
        context().windows.show(QStringLiteral("frmMain"));
    } catch (const std::exception&) {
        // Without a main menu to go to, the register still closes.
    }
    context().windows.unload(objectName());
}

void CashRegisterWindow::mnuHelp_Click()
{
    help::showHelpContents(context(), m_help, this);
}

void CashRegisterWindow::closeRequested()
{
    // While a receipt prints the till stays: the sale's receipt is still on its way.
    if (m_printing)
        return;
    mnuExit_Click();
}

} // namespace cashregister
