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
