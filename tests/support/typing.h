#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace testing {

// Types into a box as a person does: what was there is selected and typed over. A text box, the
// text box of an editable list, or a box of several lines. False when the widget takes no text.
inline bool typeOver(QWidget* box, const QString& text)
{
    if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) {
        lines->setFocus();
        lines->selectAll();
        QTest::keyClick(lines, Qt::Key_Backspace);
        QTest::keyClicks(lines, text);
        return true;
    }
    QLineEdit* edit = qobject_cast<QLineEdit*>(box);
    if (auto* list = qobject_cast<QComboBox*>(box))
        edit = list->lineEdit();
    if (!edit)
        return false;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    return true;
}

inline void type(QWidget* box, const QString& text)
{
    const bool typed = typeOver(box, text);
    Q_ASSERT(typed);
    Q_UNUSED(typed);
}

} // namespace testing
