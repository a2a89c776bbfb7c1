#include "ui_test.h"

#include "ui/qt_services.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the modal box as soon as it is up, while the code under test waits in it.
void whenBoxIsUp(std::function<void(QWidget* box)> act)
{
    QTimer::singleShot(0, [act = std::move(act)]() mutable {
        if (QWidget* box = QApplication::activeModalWidget())
            act(box);
        else
            whenBoxIsUp(std::move(act));
    });
}

} // namespace

void UiTest::qtServices_messageBoxShowsWhatItWasGiven_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<ui::Icon>("icon");
    QTest::addColumn<ui::Buttons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("click");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QMessageBox::Icon>("shownIcon");
    QTest::addColumn<QMessageBox::StandardButtons>("shownButtons");
    QTest::addColumn<ui::Button>("answer");

    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("no title: the program's")
        << "" << ui::Icon::Warning << ui::Buttons::Ok << QMessageBox::Ok
        << "Point of Sale" << QMessageBox::Warning << QMessageBox::StandardButtons(QMessageBox::Ok) << ui::Button::Ok;
    QTest::newRow("Yes")
        << "Cancel" << ui::Icon::Question << ui::Buttons::YesNo << QMessageBox::Yes
        << "Cancel" << QMessageBox::Question << yesNo << ui::Button::Yes;
    QTest::newRow("No")
        << "" << ui::Icon::Critical << ui::Buttons::YesNo << QMessageBox::No
        << "Point of Sale" << QMessageBox::Critical << yesNo << ui::Button::No;
    QTest::newRow("information")
        << "Saved" << ui::Icon::Information << ui::Buttons::Ok << QMessageBox::Ok
        << "Saved" << QMessageBox::Information << QMessageBox::StandardButtons(QMessageBox::Ok) << ui::Button::Ok;
    QTest::newRow("no icon")
        << "Note" << ui::Icon::None << ui::Buttons::Ok << QMessageBox::Ok
        << "Note" << QMessageBox::NoIcon << QMessageBox::StandardButtons(QMessageBox::Ok) << ui::Button::Ok;
}

void UiTest::qtServices_messageBoxShowsWhatItWasGiven()
{
    QFETCH(QString, title);
    QFETCH(ui::Icon, icon);
    QFETCH(ui::Buttons, buttons);
    QFETCH(QMessageBox::StandardButton, click);
    QFETCH(QString, shownTitle);
    QFETCH(QMessageBox::Icon, shownIcon);
    QFETCH(QMessageBox::StandardButtons, shownButtons);
    QFETCH(ui::Button, answer);

    QString seenTitle, seenText;
    Qt::TextFormat seenFormat = Qt::AutoText;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons seenButtons;
    whenBoxIsUp([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        QVERIFY(box);
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenFormat = box->textFormat();
        seenIcon = box->icon();
        seenButtons = box->standardButtons();
        QTest::mouseClick(box->button(click), Qt::LeftButton);
    });
    ui::QtServices services;
    const ui::Button chosen = services.message(QStringLiteral("The code is not valid"), title, icon, buttons);

    QCOMPARE(seenTitle, shownTitle);
    QCOMPARE(seenText, QStringLiteral("The code is not valid"));
    QCOMPARE(seenFormat, Qt::PlainText); // text from the store is never read as markup
    QCOMPARE(seenIcon, shownIcon);
    QCOMPARE(seenButtons, shownButtons);
    QCOMPARE(chosen, answer);
}

void UiTest::qtServices_inputBoxReturnsTypedTextOrEmptyWhenCancelled_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expected");
    QTest::newRow("typed, OK") << "" << "42" << "ok" << "42";
    QTest::newRow("default text, OK") << "7" << "" << "ok" << "7";
    QTest::newRow("typed, Cancel") << "" << "42" << "cancel" << "";
    QTest::newRow("default text, Esc") << "7" << "" << "esc" << "";
}

void UiTest::qtServices_inputBoxReturnsTypedTextOrEmptyWhenCancelled()
{
    QFETCH(QString, defaultText);
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(QString, expected);

    QString seenTitle, seenPrompt, seenDefault;
    whenBoxIsUp([&](QWidget* widget) {
        auto* box = qobject_cast<QInputDialog*>(widget);
        QVERIFY(box);
        seenTitle = box->windowTitle();
        seenPrompt = box->findChild<QLabel*>()->text();
        auto* edit = box->findChild<QLineEdit*>();
        seenDefault = edit->text();
        QTest::keyClicks(edit, typed);
        if (how == u"esc") {
            QTest::keyClick(edit, Qt::Key_Escape);
        } else {
            auto* buttons = box->findChild<QDialogButtonBox*>();
            const auto which = how == u"ok" ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel;
            QTest::mouseClick(buttons->button(which), Qt::LeftButton);
        }
    });
    ui::QtServices services;
    const QString answer = services.input(QStringLiteral("How many?"), QString(), defaultText);

    QCOMPARE(seenTitle, QStringLiteral("Point of Sale"));
    QCOMPARE(seenPrompt, QStringLiteral("How many?"));
    QCOMPARE(seenDefault, defaultText);
    QCOMPARE(answer, expected);
}

void UiTest::qtServices_busyPointerIsOnOrOff()
{
    ui::QtServices services;
    services.setBusy(true);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

    // Busy is a state, not a count: one "not busy" ends any number of "busy".
    services.setBusy(true);
    services.setBusy(false);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    services.setBusy(false);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void UiTest::qtServices_settingsRoundTripWithDefault()
{
    QTemporaryDir home;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    {
        ui::QtServices services;
        QCOMPARE(services.setting("Grocery", "Startup", "Tips", "1"), QStringLiteral("1"));
        services.saveSetting("Grocery", "Startup", "Tips", "0");
        QCOMPARE(services.setting("Grocery", "Startup", "Tips", "1"), QStringLiteral("0"));
        QCOMPARE(services.setting("Grocery", "Other", "Tips", "1"), QStringLiteral("1"));
        QCOMPARE(services.setting("Other", "Startup", "Tips", "1"), QStringLiteral("1"));
    }
    QCOMPARE(ui::QtServices().setting("Grocery", "Startup", "Tips", "1"), QStringLiteral("0"));
}

void UiTest::qtServices_screenSizeIsThePrimaryScreens()
{
    // The tests' screen is 800 x 600.
    QCOMPARE(ui::QtServices().screenSize(), QSize(800, 600));
}

// The display's own pixels, whatever the desktop's scale: the tests' screen is 800 x 600 pixels,
// and this test runs a second time with the desktop scaled by 2.25, where the logical size is
// rounded (356 x 267).
void UiTest::qtServices_screenPixelsAreTheDisplays()
{
    QCOMPARE(ui::QtServices().screenPixels(), QSize(800, 600));
}

void UiTest::qtServices_endHidesEveryWindow()
{
    QWidget first, second;
    first.show();
    second.show();
    ui::QtServices services;
    QTimer::singleShot(0, [&] { services.end(); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!first.isVisible());
    QVERIFY(!second.isVisible());
}
