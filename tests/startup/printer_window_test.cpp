// The choice of the till's printer: kept in the per-user settings, and set in the printer window
// by keyboard, with a test receipt.
#include "app/printer_choice.h"
#include "platform/fakes.h"
#include "startup/printer_window.h"
#include "support/scripted_services.h"
#include "ui/value_label.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using app::PrinterChoice;
using startup::PrinterWindow;
using testing::ScriptedServices;
using Kind = PrinterChoice::Kind;

Q_DECLARE_METATYPE(PrinterChoice)

namespace {

const QString kApp = QStringLiteral("point-of-sale");
const QString kSection = QStringLiteral("Printer");

// The printer the window makes for each test receipt, standing for the one fake the test reads.
class SharedPrinter final : public platform::Printer {
public:
    explicit SharedPrinter(testing::FakePrinter& fake) : m_fake(fake) {}
    platform::PrintOutcome print(const QTextDocument& document, const QString& name) override { return m_fake.print(document, name); }
    bool hasDrawer() const override { return m_fake.hasDrawer(); }
    void openDrawer() override { m_fake.openDrawer(); }

private:
    testing::FakePrinter& m_fake;
};

// The window over the dialog double, making its printers from the fake and remembering for which
// choices it made them.
struct WindowFixture {
    ScriptedServices ui;
    testing::FakePrinter printer;
    QList<PrinterChoice> made;
    std::unique_ptr<PrinterWindow> window;

    PrinterWindow* open()
    {
        window = std::make_unique<PrinterWindow>(ui, kApp, [this](const PrinterChoice& choice) {
            made << choice;
            printer.drawer = choice.drawer; // as the receipt printer is made with its drawer or without
            return std::make_unique<SharedPrinter>(printer);
        });
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the printer window did not become active");
        return window.get();
    }

    QString setting(const QString& key) const { return ui.setting(kApp, kSection, key, QStringLiteral("<none>")); }
};

// Keys as a person presses them: to whatever has the focus.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

PrinterChoice choiceOf(Kind kind, const QString& queue, const QString& device, int columns, bool drawer)
{
    PrinterChoice choice;
    choice.kind = kind;
    choice.queue = queue;
    choice.device = device;
    choice.columns = columns;
    choice.drawer = drawer;
    return choice;
}

} // namespace

class TestPrinterWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choice_savedAndLoadedBack_data();
    void choice_savedAndLoadedBack();
    void choice_settingsNotUnderstood_readAsDefaults_data();
    void choice_settingsNotUnderstood_readAsDefaults();
    void window_setUpAReceiptPrinterByKeyboard();
    void window_controlsFollowTheKind_data();
    void window_controlsFollowTheKind();
    void window_missingDestination_keepsNothing_data();
    void window_missingDestination_keepsNothing();
    void window_testReceiptNotPrinted_isTold_data();
    void window_testReceiptNotPrinted_isTold();
    void window_closeWithChanges_asksFirst_data();
    void window_closeWithChanges_asksFirst();
};

void TestPrinterWindow::choice_savedAndLoadedBack_data()
{
    QTest::addColumn<PrinterChoice>("choice");
    QTest::addColumn<QStringList>("kept"); // Kind, Queue, Device, Columns, Drawer as kept
    QTest::newRow("the default printer") << choiceOf(Kind::System, {}, {}, 48, false) << QStringList{"System", "", "", "48", "0"};
    QTest::newRow("a named queue") << choiceOf(Kind::Queue, QStringLiteral("Office Laser"), {}, 48, false)
                                   << QStringList{"Queue", "Office Laser", "", "48", "0"};
    QTest::newRow("a receipt printer on a raw queue") << choiceOf(Kind::EscPosQueue, QStringLiteral("TM-T20"), {}, 42, true)
                                                     << QStringList{"EscPosQueue", "TM-T20", "", "42", "1"};
    QTest::newRow("a receipt printer on a device") << choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 32, true)
                                                   << QStringList{"EscPosDevice", "", "/dev/usb/lp0", "32", "1"};
}

// The choice is kept under its own keys of the section "Printer" and read back as it was.
void TestPrinterWindow::choice_savedAndLoadedBack()
{
    QFETCH(PrinterChoice, choice);
    QFETCH(QStringList, kept);
    ScriptedServices ui;
    choice.save(ui, kApp);
    QStringList read;
    for (const char* key : {"Kind", "Queue", "Device", "Columns", "Drawer"})
        read << ui.setting(kApp, kSection, QString::fromLatin1(key), QStringLiteral("<none>"));
    QCOMPARE(read, kept);
    QCOMPARE(PrinterChoice::load(ui, kApp), choice);
    // Another program's settings are its own.
    QCOMPARE(PrinterChoice::load(ui, QStringLiteral("other")), PrinterChoice());
}

void TestPrinterWindow::choice_settingsNotUnderstood_readAsDefaults_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<PrinterChoice>("read");
    QTest::newRow("an unknown kind") << "Kind" << "Laser" << choiceOf(Kind::System, {}, QStringLiteral("/dev/usb/lp0"), 42, true);
    QTest::newRow("a kind in other letters, with blanks") << "Kind" << " escposdevice "
                                                          << choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 42, true);
    QTest::newRow("a width no printer has") << "Columns" << "40" << choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 48, true);
    QTest::newRow("a width that is no number") << "Columns" << "wide" << choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 48, true);
    QTest::newRow("a drawer written as true") << "Drawer" << "true" << choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 42, true);
    QTest::newRow("a drawer not understood") << "Drawer" << "yes" << choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 42, false);
}

// A setting edited by hand into what the program does not know reads as its default; the others
// are kept.
void TestPrinterWindow::choice_settingsNotUnderstood_readAsDefaults()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(PrinterChoice, read);
    ScriptedServices ui;
    choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 42, true).save(ui, kApp);
    ui.saveSetting(kApp, kSection, key, value);
    QCOMPARE(PrinterChoice::load(ui, kApp), read);
}

// The manager sets up a receipt printer on a device without the mouse: the kind, the device's
// path, the paper's width and the drawer, Save, then a test receipt, then Esc.
void TestPrinterWindow::window_setUpAReceiptPrinterByKeyboard()
{
    WindowFixture t;
    PrinterWindow* w = t.open();
    QCOMPARE(w->objectName(), QStringLiteral("frmPrinter"));
    QVERIFY(w->width() <= 800 && w->height() <= 600);
    for (QWidget* control : std::initializer_list<QWidget*>{w->cboKind, w->txtQueue, w->txtDevice, w->cboWidth, w->chkDrawer, w->lblStatus,
             w->cmdSave, w->cmdTest, w->cmdClose})
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    QCOMPARE(w->cboKind->accessibleName(), QStringLiteral("Printer:"));
    QCOMPARE(w->txtDevice->accessibleName(), QStringLiteral("Device:"));
    QCOMPARE(QApplication::focusWidget(), w->cboKind);
    QCOMPARE(w->choice(), PrinterChoice());

    press(Qt::Key_End); // the last kind: a receipt printer on a device
    press(Qt::Key_Tab); // past the queue, which a device has none of
    QCOMPARE(QApplication::focusWidget(), w->txtDevice);
    type(QStringLiteral("/dev/usb/lp0"));
    press(Qt::Key_Tab);
    press(Qt::Key_End); // 32 columns
    press(Qt::Key_Tab);
    press(Qt::Key_Space); // a drawer
    press(Qt::Key_Return);

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.ui.boxes().size(), std::size_t(0));
    const PrinterChoice chosen = choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 32, true);
    QCOMPARE(w->choice(), chosen);
    QCOMPARE(t.setting(QStringLiteral("Kind")), QStringLiteral("EscPosDevice"));
    QCOMPARE(t.setting(QStringLiteral("Device")), QStringLiteral("/dev/usb/lp0"));
    QCOMPARE(t.setting(QStringLiteral("Columns")), QStringLiteral("32"));
    QCOMPARE(t.setting(QStringLiteral("Drawer")), QStringLiteral("1"));
    QCOMPARE(w->lblStatus->text(), QStringLiteral("Saved. The till prints on this printer from its next start."));
    QVERIFY(t.made.isEmpty());

    press(Qt::Key_Tab); // Save
    press(Qt::Key_Tab); // Print a Test Receipt
    QCOMPARE(QApplication::focusWidget(), w->cmdTest);
    press(Qt::Key_Return);

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.ui.boxes().size(), std::size_t(0));
    QCOMPARE(t.made, QList<PrinterChoice>{chosen});
    QCOMPARE(t.printer.printed.size(), std::size_t(1));
    const testing::FakePrinter::Printed& receipt = t.printer.printed[0];
    QCOMPARE(receipt.name, QStringLiteral("Test Receipt"));
    QVERIFY2(receipt.text.contains(QStringLiteral("TEST RECEIPT\nPrinter: /dev/usb/lp0\n32 columns\n....+....1....+....2....+....3..\n")),
        qPrintable(receipt.text));
    // The drawer opens as at a sale, before the receipt.
    QCOMPARE(t.printer.pulses, 1);
    QCOMPARE(receipt.pulsesBefore, 1);
    QCOMPARE(w->lblStatus->text(), QStringLiteral("The test receipt was sent to Fake Printer."));
    QCOMPARE(w->lblStatus->accessibleDescription(), w->lblStatus->text());
    QVERIFY(!t.ui.busy());
    QVERIFY(w->isEnabled());
    QCOMPARE(QApplication::focusWidget(), w->cmdTest);

    press(Qt::Key_Escape); // saved: nothing to ask
    QVERIFY(!w->isVisible());
    QCOMPARE(t.ui.boxes().size(), std::size_t(0));
}

void TestPrinterWindow::window_controlsFollowTheKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("queue");
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("receiptPrinter"); // the width and the drawer
    QTest::newRow("the default printer") << int(Kind::System) << false << false << false;
    QTest::newRow("a named queue") << int(Kind::Queue) << true << false << false;
    QTest::newRow("a receipt printer on a queue") << int(Kind::EscPosQueue) << true << false << true;
    QTest::newRow("a receipt printer on a device") << int(Kind::EscPosDevice) << false << true << true;
}

// The window opens on the choice kept, and only the controls that belong to its kind take input.
void TestPrinterWindow::window_controlsFollowTheKind()
{
    QFETCH(int, kind);
    QFETCH(bool, queue);
    QFETCH(bool, device);
    QFETCH(bool, receiptPrinter);
    WindowFixture t;
    const PrinterChoice kept = choiceOf(Kind(kind), QStringLiteral("TM-T20"), QStringLiteral("/dev/ttyS0"), 42, true);
    kept.save(t.ui, kApp);
    PrinterWindow* w = t.open();
    QCOMPARE(w->choice(), kept);
    QCOMPARE(w->txtQueue->isEnabled(), queue);
    QCOMPARE(w->txtDevice->isEnabled(), device);
    QCOMPARE(w->cboWidth->isEnabled(), receiptPrinter);
    QCOMPARE(w->chkDrawer->isEnabled(), receiptPrinter);
}

void TestPrinterWindow::window_missingDestination_keepsNothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("button"); // the button pressed
    QTest::addColumn<QString>("said");
    const QString queue = QStringLiteral("Type the name of the print queue.");
    const QString device = QStringLiteral("Type the path of the printer's device, for example /dev/usb/lp0.");
    QTest::newRow("a queue, saved") << int(Kind::Queue) << "cmdSave" << queue;
    QTest::newRow("a receipt printer's queue, saved") << int(Kind::EscPosQueue) << "cmdSave" << queue;
    QTest::newRow("a device, saved") << int(Kind::EscPosDevice) << "cmdSave" << device;
    QTest::newRow("a device, test receipt") << int(Kind::EscPosDevice) << "cmdTest" << device;
}

// A queue or device left blank (or blanks only) is asked for, and nothing is kept or printed.
void TestPrinterWindow::window_missingDestination_keepsNothing()
{
    QFETCH(int, kind);
    QFETCH(QString, button);
    QFETCH(QString, said);
    WindowFixture t;
    PrinterWindow* w = t.open();
    w->cboKind->setCurrentIndex(w->cboKind->findData(kind));
    QLineEdit* blank = Kind(kind) == Kind::EscPosDevice ? w->txtDevice : w->txtQueue;
    blank->setText(QStringLiteral("   "));

    w->findChild<QPushButton*>(button)->setFocus();
    press(Qt::Key_Return);

    QCOMPARE(t.ui.texts(), QStringList{said});
    QCOMPARE(t.ui.boxes()[0].shownTitle, QStringLiteral("Receipt Printer"));
    QCOMPARE(t.ui.boxes()[0].icon, ui::Icon::Warning);
    QCOMPARE(QApplication::focusWidget(), blank);
    QCOMPARE(t.setting(QStringLiteral("Kind")), QStringLiteral("<none>"));
    QVERIFY(t.made.isEmpty());
    QVERIFY(t.printer.printed.empty());
}

void TestPrinterWindow::window_testReceiptNotPrinted_isTold_data()
{
    QTest::addColumn<QString>("printFailure");
    QTest::addColumn<QString>("drawerFailure");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("status");
    const QString device = QStringLiteral("The receipt printer \"/dev/usb/lp0\" was not found.");
    const QString drawer = QStringLiteral("The cash drawer could not be opened. ") + device;
    QTest::newRow("the receipt") << device << "" << "Test Receipt Not Printed" << QStringLiteral("The test receipt was not printed. ") + device
                                 << "The test receipt was not printed.";
    QTest::newRow("the drawer") << "" << drawer << "Cash Drawer Not Opened" << drawer << "The test receipt was sent to Fake Printer.";
    QTest::newRow("both") << device << drawer << "Test Receipt Not Printed"
                          << QStringLiteral("The test receipt was not printed. ") + device + QStringLiteral("\n\n") + drawer
                          << "The test receipt was not printed.";
}

// A test receipt that cannot be printed, or a drawer that does not open, is told in plain words
// with what the printer said; the window goes on.
void TestPrinterWindow::window_testReceiptNotPrinted_isTold()
{
    QFETCH(QString, printFailure);
    QFETCH(QString, drawerFailure);
    QFETCH(QString, title);
    QFETCH(QString, said);
    QFETCH(QString, status);
    WindowFixture t;
    choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 48, true).save(t.ui, kApp);
    if (!printFailure.isEmpty())
        t.printer.failure = printFailure;
    if (!drawerFailure.isEmpty())
        t.printer.drawerFailure = drawerFailure;
    PrinterWindow* w = t.open();

    w->cmdTest->setFocus();
    press(Qt::Key_Return);

    QCOMPARE(t.ui.texts(), QStringList{said});
    QCOMPARE(t.ui.boxes()[0].shownTitle, title);
    QCOMPARE(t.ui.boxes()[0].icon, ui::Icon::Warning);
    QCOMPARE(w->lblStatus->text(), status);
    QVERIFY(w->isEnabled());
    QVERIFY(!t.ui.busy());
    QVERIFY(w->isVisible());
}

void TestPrinterWindow::window_closeWithChanges_asksFirst_data()
{
    QTest::addColumn<QString>("device"); // typed before closing
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("kept");   // the device kept
    QTest::addColumn<bool>("closed");
    QTest::newRow("kept") << "/dev/usb/lp1" << int(ui::Button::Yes) << "/dev/usb/lp1" << true;
    QTest::newRow("dropped") << "/dev/usb/lp1" << int(ui::Button::No) << "/dev/usb/lp0" << true;
    QTest::newRow("kept, but blank: the window stays to be mended") << "" << int(ui::Button::Yes) << "/dev/usb/lp0" << false;
}

// Closing with changes not saved asks whether to keep them first.
void TestPrinterWindow::window_closeWithChanges_asksFirst()
{
    QFETCH(QString, device);
    QFETCH(int, answer);
    QFETCH(QString, kept);
    QFETCH(bool, closed);
    WindowFixture t;
    choiceOf(Kind::EscPosDevice, {}, QStringLiteral("/dev/usb/lp0"), 48, false).save(t.ui, kApp);
    PrinterWindow* w = t.open();
    w->txtDevice->setFocus();
    w->txtDevice->selectAll();
    if (device.isEmpty())
        press(Qt::Key_Delete);
    else
        type(device);
    t.ui.answerMessage(ui::Button(answer));

    press(Qt::Key_Escape);

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.ui.boxes()[0].text, QStringLiteral("Save the changes to the receipt printer before closing?"));
    QCOMPARE(t.ui.boxes()[0].buttons, ui::Buttons::YesNo);
    QCOMPARE(t.setting(QStringLiteral("Device")), kept);
    QCOMPARE(w->isVisible(), !closed);
}

QTEST_MAIN(TestPrinterWindow)
#include "printer_window_test.moc"
