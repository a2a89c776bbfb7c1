#include "startup/printer_window.h"

#include "platform/printer.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace startup {
namespace {

using Kind = app::PrinterChoice::Kind;

const QString kTitle = QStringLiteral("Receipt Printer");

// Room for the longest kind of printer on an 800 x 600 screen.
constexpr QSize kWindowSize(560, 360);

QString widthCaption(int columns)
{
    return QStringLiteral("%1 columns (%2 mm paper)").arg(columns).arg(columns == 32 ? 58 : 80);
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

} // namespace

PrinterWindow::PrinterWindow(ui::Services& services, QString appName, PrinterFactory makePrinter, QWidget* parent)
    : QWidget(parent), m_services(services), m_appName(std::move(appName)), m_makePrinter(std::move(makePrinter))
{
    setObjectName(QString::fromLatin1(kName));
    setWindowTitle(kTitle);

    lblKind = ui::makeNamed<QLabel>(QStringLiteral("lblKind"), QStringLiteral("&Printer:"), this);
    cboKind = ui::makeNamed<QComboBox>(QStringLiteral("cboKind"), this);
    cboKind->addItem(QStringLiteral("The computer's default printer"), int(Kind::System));
    cboKind->addItem(QStringLiteral("A printer's queue, printed as a page"), int(Kind::Queue));
    cboKind->addItem(QStringLiteral("A receipt printer (ESC/POS) on a print queue"), int(Kind::EscPosQueue));
    cboKind->addItem(QStringLiteral("A receipt printer (ESC/POS) on a device"), int(Kind::EscPosDevice));
    ui::setCaption(lblKind, cboKind);

    lblQueue = ui::makeNamed<QLabel>(QStringLiteral("lblQueue"), QStringLiteral("Print &queue:"), this);
    txtQueue = ui::makeNamed<QLineEdit>(QStringLiteral("txtQueue"), this);
    txtQueue->setPlaceholderText(QStringLiteral("its name, as lpstat -p lists it"));
    ui::setCaption(lblQueue, txtQueue);

    lblDevice = ui::makeNamed<QLabel>(QStringLiteral("lblDevice"), QStringLiteral("&Device:"), this);
    txtDevice = ui::makeNamed<QLineEdit>(QStringLiteral("txtDevice"), this);
    txtDevice->setPlaceholderText(QStringLiteral("for example /dev/usb/lp0 or /dev/ttyS0"));
    ui::setCaption(lblDevice, txtDevice);

    lblWidth = ui::makeNamed<QLabel>(QStringLiteral("lblWidth"), QStringLiteral("Paper &width:"), this);
    cboWidth = ui::makeNamed<QComboBox>(QStringLiteral("cboWidth"), this);
    for (int columns : app::PrinterChoice::kWidths)
        cboWidth->addItem(widthCaption(columns), columns);
    ui::setCaption(lblWidth, cboWidth);

    chkDrawer = ui::makeNamed<QCheckBox>(QStringLiteral("chkDrawer"), QStringLiteral("A cash d&rawer is wired to the printer"), this);

    lblNote = ui::makeNamed<QLabel>(QStringLiteral("lblNote"),
        QStringLiteral("The till prints its receipts and the day's report on this printer from its next start. A receipt "
                       "printer is sent plain text at the paper's width; the other printers get a page 80 mm wide."),
        this);
    lblNote->setWordWrap(true);

    lblStatus = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblStatus"), QStringLiteral("Last action"), QString(), this);
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont said = lblStatus->font();
    said.setBold(true);
    lblStatus->setFont(said);

    cmdSave = ui::makeNamed<QPushButton>(QStringLiteral("cmdSave"), QStringLiteral("&Save"), this);
    cmdTest = ui::makeNamed<QPushButton>(QStringLiteral("cmdTest"), QStringLiteral("Print a &Test Receipt"), this);
    cmdClose = ui::makeNamed<QPushButton>(QStringLiteral("cmdClose"), QStringLiteral("&Close"), this);
    for (QPushButton* button : {cmdSave, cmdTest, cmdClose})
        button->setMinimumHeight(34);
    cmdSave->setMinimumWidth(100);
    cmdClose->setMinimumWidth(100);

    connect(cboKind, &QComboBox::currentIndexChanged, this, &PrinterWindow::cboKind_Change);
    connect(cmdSave, &QPushButton::clicked, this, &PrinterWindow::cmdSave_Click);
    connect(cmdTest, &QPushButton::clicked, this, &PrinterWindow::cmdTest_Click);
    connect(cmdClose, &QPushButton::clicked, this, &PrinterWindow::cmdClose_Click);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(10);
    form->addWidget(lblKind, 0, 0);
    form->addWidget(cboKind, 0, 1);
    form->addWidget(lblQueue, 1, 0);
    form->addWidget(txtQueue, 1, 1);
    form->addWidget(lblDevice, 2, 0);
    form->addWidget(txtDevice, 2, 1);
    form->addWidget(lblWidth, 3, 0);
    form->addWidget(cboWidth, 3, 1);
    form->addWidget(chkDrawer, 4, 1);
    form->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdTest);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(14);
    layout->addLayout(form);
    layout->addWidget(lblNote);
    layout->addWidget(lblStatus, 1);
    layout->addLayout(buttons);

    ui::nameControls(this);

    m_saved = app::PrinterChoice::load(m_services, m_appName);
    showChoice(m_saved);

    layout->activate();
    setFixedSize(layout->sizeHint().expandedTo(kWindowSize));
    const QSize screen = m_services.screenSize();
    move(std::max(0, (screen.width() - width()) / 2), std::max(0, (screen.height() - height()) / 2));
    cboKind->setFocus();
}

PrinterWindow::~PrinterWindow() = default;

app::PrinterChoice PrinterWindow::choice() const
{
    app::PrinterChoice choice;
    choice.kind = Kind(cboKind->currentData().toInt());
    choice.queue = txtQueue->text().trimmed();
    choice.device = txtDevice->text().trimmed();
    choice.columns = cboWidth->currentData().toInt();
    choice.drawer = chkDrawer->isChecked();
    return choice;
}

void PrinterWindow::showChoice(const app::PrinterChoice& choice)
{
    cboKind->setCurrentIndex(std::max(0, cboKind->findData(int(choice.kind))));
    txtQueue->setText(choice.queue);
    txtDevice->setText(choice.device);
    cboWidth->setCurrentIndex(std::max(0, cboWidth->findData(choice.columns)));
    chkDrawer->setChecked(choice.drawer);
    cboKind_Change();
}

void PrinterWindow::cboKind_Change()
{
    const Kind kind = Kind(cboKind->currentData().toInt());
    const bool thermal = kind == Kind::EscPosQueue || kind == Kind::EscPosDevice;
    for (QWidget* queue : std::initializer_list<QWidget*>{lblQueue, txtQueue})
        queue->setEnabled(kind == Kind::Queue || kind == Kind::EscPosQueue);
    for (QWidget* device : std::initializer_list<QWidget*>{lblDevice, txtDevice})
        device->setEnabled(kind == Kind::EscPosDevice);
    // Only a receipt printer speaks of columns, and only one has a drawer wired to it.
    for (QWidget* receiptPrinter : std::initializer_list<QWidget*>{lblWidth, cboWidth, chkDrawer})
        receiptPrinter->setEnabled(thermal);
}

bool PrinterWindow::tellMissing(const app::PrinterChoice& choice)
{
    const QString missing = choice.missing();
    if (missing.isEmpty())
        return false;
    m_services.message(missing, kTitle, ui::Icon::Warning, ui::Buttons::Ok);
    (choice.kind == Kind::EscPosDevice ? txtDevice : txtQueue)->setFocus();
    return true;
}

bool PrinterWindow::cmdSave_Click()
{
    const app::PrinterChoice shown = choice();
    if (tellMissing(shown))
        return false;
    shown.save(m_services, m_appName);
    m_saved = shown;
    lblStatus->setText(QStringLiteral("Saved. The till prints on this printer from its next start."));
    return true;
}

QString PrinterWindow::testReceiptHtml(const app::PrinterChoice& choice)
{
    const QString where = choice.kind == Kind::System ? QStringLiteral("the default printer") : escaped(choice.destination());
    QString html = QStringLiteral(
        "<html><body style=\"font-family: 'DejaVu Sans Mono', 'Liberation Mono', monospace; font-size: 9pt;\">"
        "<p align=\"center\" style=\"font-size: 12pt;\"><b>Point of Sale</b></p>"
        "<p align=\"center\">TEST RECEIPT<br/>Printer: %1</p>")
                       .arg(where);
    if (choice.thermal()) {
        // A ruler as wide as the paper: its last digit is on the paper's right edge.
        QString ruler;
        for (int column = 1; column <= choice.columns; ++column)
            ruler += column % 10 == 0 ? QString::number(column / 10 % 10) : (column % 5 == 0 ? QStringLiteral("+") : QStringLiteral("."));
        html += QStringLiteral("<p align=\"center\">%1 columns<br/>%2</p>").arg(choice.columns).arg(ruler);
    }
    html += QStringLiteral(
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\">"
        "<tr><th align=\"left\">Item</th><th align=\"right\">Qty</th><th align=\"right\">Amount</th></tr>"
        "<tr><td>Milk</td><td align=\"right\">2</td><td align=\"right\">$3.00</td></tr>"
        "<tr><td>Cr\u00e8me fra\u00eeche</td><td align=\"right\">1</td><td align=\"right\">$2.25</td></tr>"
        "<tr><td>Jalape\u00f1os</td><td align=\"right\">1</td><td align=\"right\">$1.75</td></tr>"
        "</table><hr/>"
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\">"
        "<tr><td><b>Total</b></td><td align=\"right\"><b>$7.00</b></td></tr>"
        "</table><hr/>"
        "<p align=\"center\">Nothing was sold: this receipt only tests the printer.</p>"
        "</body></html>");
    return html;
}

void PrinterWindow::cmdTest_Click()
{
    const app::PrinterChoice shown = choice();
    if (tellMissing(shown))
        return;

    QString drawerFailure;
    QString failure;
    platform::PrintOutcome outcome;
    {
        // The window takes nothing until the printer has answered.
        m_services.setBusy(true);
        const QPointer<QWidget> focused = focusWidget();
        setEnabled(false);
        const auto enableAgain = qScopeGuard([this, focused] {
            setEnabled(true);
            if (focused)
                focused->setFocus();
            m_services.setBusy(false);
        });
        try {
            const std::unique_ptr<platform::Printer> printer = m_makePrinter(shown);
            // The drawer opens as it does at a sale, before the receipt.
            if (printer->hasDrawer()) {
                try {
                    printer->openDrawer();
                } catch (const std::exception& e) {
                    drawerFailure = QString::fromUtf8(e.what());
                }
            }
            QTextDocument receipt;
            receipt.setHtml(testReceiptHtml(shown));
            outcome = printer->print(receipt, QStringLiteral("Test Receipt"));
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
    }

    if (failure.isEmpty()) {
        lblStatus->setText(outcome.where == platform::PrintOutcome::Where::PdfFile
                ? QStringLiteral("No printer is set up on this computer: the test receipt was saved as \"%1\".").arg(outcome.destination)
                : QStringLiteral("The test receipt was sent to %1.").arg(outcome.destination));
    } else {
        lblStatus->setText(QStringLiteral("The test receipt was not printed."));
    }
    if (failure.isEmpty() && drawerFailure.isEmpty())
        return;
    QString text = failure.isEmpty() ? QString() : QStringLiteral("The test receipt was not printed. ") + failure;
    if (!drawerFailure.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + drawerFailure;
    m_services.message(text, failure.isEmpty() ? QStringLiteral("Cash Drawer Not Opened") : QStringLiteral("Test Receipt Not Printed"),
        ui::Icon::Warning, ui::Buttons::Ok);
}

void PrinterWindow::cmdClose_Click()
{
    close();
}

void PrinterWindow::closeEvent(QCloseEvent* event)
{
    if (choice() != m_saved) {
        const ui::Button answer = m_services.message(QStringLiteral("Save the changes to the receipt printer before closing?"), kTitle,
            ui::Icon::Question, ui::Buttons::YesNo);
        // A choice that cannot be kept keeps the window open, to be mended.
        if (answer == ui::Button::Yes && !cmdSave_Click()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void PrinterWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        cmdClose_Click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses the button that has the focus, and saves from anywhere else.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            cmdSave_Click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace startup
