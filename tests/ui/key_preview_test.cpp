#include "ui_test.h"

#include "ui/key_preview.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QAbstractItemView>
#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A window holding a text box inside a frame, with a preview noting every key code it sees.
struct PreviewedWindow {
    explicit PreviewedWindow(std::function<bool(int)> consume = [](int) { return false; })
    {
        auto* frame = new QFrame(&window);
        edit = new QLineEdit(frame);
        (new QVBoxLayout(frame))->addWidget(edit);
        new ui::KeyPreview(&window, [this, consume](int code, Qt::KeyboardModifiers modifiers) {
            codes.append(code);
            lastModifiers = modifiers;
            return consume(code);
        });
    }

    QWidget window;
    QLineEdit* edit;
    QList<int> codes;
    Qt::KeyboardModifiers lastModifiers;
};

} // namespace

void UiTest::keyPreview_seesKeysAsKeyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QList<int>>("codes");
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << QList<int>{13};
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << QList<int>{13};
    QTest::newRow("End") << int(Qt::Key_End) << Qt::KeyboardModifiers() << QList<int>{35};
    QTest::newRow("Esc") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << QList<int>{27};
    QTest::newRow("F1") << int(Qt::Key_F1) << Qt::KeyboardModifiers() << QList<int>{112};
    QTest::newRow("F2") << int(Qt::Key_F2) << Qt::KeyboardModifiers() << QList<int>{113};
    QTest::newRow("letter") << int(Qt::Key_A) << Qt::KeyboardModifiers() << QList<int>{65};
    // Shift is a key of its own, pressed before the letter.
    QTest::newRow("shifted letter") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ShiftModifier) << QList<int>{16, 65};
    QTest::newRow("digit") << int(Qt::Key_7) << Qt::KeyboardModifiers() << QList<int>{55};
    QTest::newRow("keypad digit") << int(Qt::Key_7) << Qt::KeyboardModifiers(Qt::KeypadModifier) << QList<int>{55};
    // Keys that type nothing, or type a letter outside ASCII, are keys all the same.
    QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock) << Qt::KeyboardModifiers() << QList<int>{20};
    QTest::newRow("Num Lock") << int(Qt::Key_NumLock) << Qt::KeyboardModifiers() << QList<int>{144};
    QTest::newRow("menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << QList<int>{93};
    QTest::newRow("e acute") << int(Qt::Key_Eacute) << Qt::KeyboardModifiers() << QList<int>{ui::key::Other};
    QTest::newRow("n tilde") << int(Qt::Key_Ntilde) << Qt::KeyboardModifiers() << QList<int>{ui::key::Other};
}

// Every key is seen once, also the keys the text box does not take and passes on to the frame
// and the window (Return, Esc, F1).
void UiTest::keyPreview_seesKeysAsKeyCodes()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QList<int>, codes);
    PreviewedWindow fixture;
    QTest::keyClick(fixture.edit, Qt::Key(key), modifiers);
    QCOMPARE(fixture.codes, codes);
    QCOMPARE(fixture.lastModifiers, modifiers);
}

void UiTest::keyPreview_consumedKeysNeverReachTheControl()
{
    PreviewedWindow fixture([](int code) { return code == 'Q' || code == ui::key::Backspace; });
    QTest::keyClicks(fixture.edit, "aQbq");
    QTest::keyClick(fixture.edit, Qt::Key_Backspace);
    QCOMPARE(fixture.edit->text(), QStringLiteral("ab"));
    QCOMPARE(fixture.codes, (QList<int>{'A', 'Q', 'B', 'Q', ui::key::Backspace}));
}

void UiTest::keyPreview_ignoresOtherWindows()
{
    PreviewedWindow fixture;
    // A box the window opens is a window of its own, as is any other window.
    QDialog box(&fixture.window);
    auto* boxEdit = new QLineEdit(&box);
    QWidget other;
    auto* otherEdit = new QLineEdit(&other);

    QTest::keyClicks(boxEdit, "x");
    QTest::keyClicks(otherEdit, "y");
    QTest::keyClicks(fixture.edit, "z");
    QCOMPARE(fixture.codes, QList<int>{'Z'});
    QCOMPARE(boxEdit->text(), QStringLiteral("x"));
}

// A key a shortcut of the window takes never arrives as a key press: it is seen as it goes by the
// shortcuts, once. A key the window uses there reaches neither the shortcut nor the control.
void UiTest::keyPreview_seesKeysShortcutsTakeOnce_data()
{
    QTest::addColumn<bool>("used");
    QTest::newRow("the shortcut takes it") << false;
    QTest::newRow("the window uses it") << true;
}

void UiTest::keyPreview_seesKeysShortcutsTakeOnce()
{
    QFETCH(bool, used);
    PreviewedWindow fixture([used](int code) { return used && code == ui::key::F1; });
    int triggered = 0;
    auto* help = new QAction(&fixture.window);
    help->setShortcut(Qt::Key_F1);
    fixture.window.addAction(help);
    QObject::connect(help, &QAction::triggered, [&triggered] { ++triggered; });
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    fixture.edit->setFocus();

    QTest::keyClick(fixture.edit, Qt::Key_F1);
    QTest::keyClick(fixture.edit, Qt::Key_A);

    QCOMPARE(fixture.codes, (QList<int>{ui::key::F1, 'A'}));
    QCOMPARE(triggered, used ? 0 : 1);
    QCOMPARE(fixture.edit->text(), QStringLiteral("a"));
}

void UiTest::keyPreview_seesComposedTextAndPopups()
{
    PreviewedWindow fixture;
    auto* list = new QComboBox(&fixture.window);
    list->addItems({QStringLiteral("one"), QStringLiteral("two")});
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));

    // A letter composed by an input method comes as text, without key presses.
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u00e9"));
    QCoreApplication::sendEvent(fixture.edit, &composed);
    QCOMPARE(fixture.codes, QList<int>{ui::key::Other});
    QCOMPARE(fixture.edit->text(), QStringLiteral("\u00e9"));

    // A key in the list a drop-down box opened is a key of the window.
    list->showPopup();
    QVERIFY(list->view()->isVisible());
    QTest::keyClick(list->view(), Qt::Key_Down);
    QCOMPARE(fixture.codes, (QList<int>{ui::key::Other, ui::key::Down}));
    list->hidePopup();
}
