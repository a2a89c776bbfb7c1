#include "ui_test.h"

#include "ui/digits_only_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

void UiTest::digitsOnlyEdit_typingKeepsOnlyDigits_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("letter among digits") << "12a3" << "123";
    QTest::newRow("signs, point and blanks") << " -1.5+2 " << "152";
    QTest::newRow("nothing but letters") << "abc" << "";
}

void UiTest::digitsOnlyEdit_typingKeepsOnlyDigits()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    ui::DigitsOnlyEdit edit;
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.text(), expected);

    // Editing keys still edit.
    QTest::keyClicks(&edit, "9");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), expected);
}

// A keyboard, an input method or a scanner can type characters that are not printable one code
// unit at a time: format characters and characters beyond the basic plane. None is a digit.
void UiTest::digitsOnlyEdit_typingRefusesMarksAndCharactersBeyondTheBasicPlane_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Qt::KeyboardModifiers>("held");
    QTest::addColumn<QString>("expected");
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("a zero-width space") << QStringLiteral("1\u200b2") << none << "12";
    QTest::newRow("direction marks") << QStringLiteral("\u202e3\u202c") << none << "3";
    QTest::newRow("a byte order mark") << QStringLiteral("\ufeff4") << none << "4";
    QTest::newRow("a character beyond the basic plane") << QStringLiteral("5\U0001F95B6") << none << "56";
    // AltGr arrives as Ctrl+Alt on some systems, and Ctrl+Shift types format characters there.
    QTest::newRow("AltGr letters and signs") << QStringLiteral("7\u00e9@\u20ac8") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier)
                                             << "78";
    QTest::newRow("a joiner typed with Ctrl+Shift") << QStringLiteral("1\u200d2")
                                                    << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << "12";
    QTest::newRow("signs typed with Ctrl on the keypad") << QStringLiteral("1+2-3.4")
                                                         << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::KeypadModifier) << "1234";
    QTest::newRow("a letter typed with Meta") << QStringLiteral("3x4") << Qt::KeyboardModifiers(Qt::MetaModifier) << "34";
    // Ctrl with a letter is a shortcut: it types nothing and still works (select all, then a
    // digit typed over the selection).
    QTest::newRow("Ctrl+A selects all") << QStringLiteral("56a9") << Qt::KeyboardModifiers(Qt::ControlModifier) << "9";
}

void UiTest::digitsOnlyEdit_typingRefusesMarksAndCharactersBeyondTheBasicPlane()
{
    QFETCH(QString, typed);
    QFETCH(Qt::KeyboardModifiers, held);
    QFETCH(QString, expected);
    ui::DigitsOnlyEdit edit;
    // One key a character, as the keyboard sends it: a character beyond the basic plane is one
    // key whose text is its two code units. Digits are typed without modifiers, the rest with
    // the row's.
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QString character(typed.at(i));
        if (typed.at(i).isHighSurrogate())
            character += typed.at(++i);
        const bool digit = character.at(0).isDigit();
        const Qt::Key key = digit ? Qt::Key(character.at(0).unicode())
            : character == u"a"   ? Qt::Key_A
                                  : Qt::Key_unknown;
        const Qt::KeyboardModifiers modifiers = digit ? Qt::KeyboardModifiers(Qt::NoModifier) : held;
        QTest::sendKeyEvent(QTest::Press, &edit, key, character, modifiers);
        QTest::sendKeyEvent(QTest::Release, &edit, key, character, modifiers);
    }
    QCOMPARE(edit.text(), expected);
}

void UiTest::digitsOnlyEdit_pasteOfNonDigitsIsRefused_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits") << "345" << "12345";
    QTest::newRow("a letter among digits") << "3a4" << "12";
    QTest::newRow("letters") << "abc" << "12";
    QTest::newRow("a negative number") << "-3" << "12";
}

void UiTest::digitsOnlyEdit_pasteOfNonDigitsIsRefused()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    ui::DigitsOnlyEdit edit;
    QTest::keyClicks(&edit, "12");
    QApplication::clipboard()->setText(clipboard);

    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), expected);

    // The context menu offers to paste digits only.
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(2, 2), edit.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&edit, &request);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction* paste = nullptr;
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->text().startsWith(u"&Paste"))
            paste = action;
    }
    QVERIFY(paste);
    QCOMPARE(paste->isEnabled(), ui::DigitsOnlyEdit::isDigits(clipboard));
    menu->close();
}

void UiTest::digitsOnlyEdit_programTextIsKept()
{
    ui::DigitsOnlyEdit edit;
    edit.setText(QStringLiteral("abc"));
    QCOMPARE(edit.text(), QStringLiteral("abc"));

    // The user may go on typing digits after it, still nothing else.
    edit.end(false);
    QTest::keyClicks(&edit, "1x2");
    QCOMPARE(edit.text(), QStringLiteral("abc12"));
    QVERIFY(edit.hasAcceptableInput());
}
