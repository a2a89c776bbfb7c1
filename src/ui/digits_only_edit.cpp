#include "ui/digits_only_edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace ui {
namespace {

bool clipboardHoldsDigits(QClipboard::Mode mode)
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard && DigitsOnlyEdit::isDigits(clipboard->text(mode));
}

} // namespace

DigitsOnlyEdit::DigitsOnlyEdit(QWidget* parent) : QLineEdit(parent)
{
    setInputMethodHints(Qt::ImhDigitsOnly);
    // A drop could carry any text; the box takes input from the keyboard and the clipboard only.
    setAcceptDrops(false);
}

bool DigitsOnlyEdit::isDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool DigitsOnlyEdit::wouldType(QChar first, Qt::KeyboardModifiers modifiers)
{
    if (first.category() == QChar::Other_Control)
        return false;
    if (first.category() == QChar::Other_Format || first.isSurrogate())
        return true;
    // Exactly these: Ctrl with a key of the keypad types the key's text, as Qt's line edit has it.
    return modifiers != Qt::ControlModifier && modifiers != (Qt::ControlModifier | Qt::ShiftModifier);
}

void DigitsOnlyEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && !clipboardHoldsDigits(QClipboard::Clipboard)) {
        event->accept();
        return;
    }
    // Whatever a key would put into the box must be digits: letters and signs, but also format
    // characters (a zero-width space, a direction mark, which Ctrl+Shift types on some systems),
    // characters beyond the basic plane, and what AltGr types (Ctrl+Alt on some systems). The box
    // types a key's text as Qt's line edit does: Ctrl and Ctrl+Shift with a printable text are
    // shortcuts (select all, copy, undo) and type nothing; control characters are editing keys
    // (Backspace, Tab, Escape). Both are left to the box.
    const QString text = event->text();
    if (!text.isEmpty() && wouldType(text.at(0), event->modifiers()) && !isDigits(text)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DigitsOnlyEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!isDigits(event->commitString())) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void DigitsOnlyEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection where the system has one.
    if (event->button() == Qt::MiddleButton && !clipboardHoldsDigits(QClipboard::Selection)) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void DigitsOnlyEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's paste entry is the action wired to paste() (by name or by pointer, as Qt's
    // version has it): it now pastes digits only.
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        const bool pastes = disconnect(action, SIGNAL(triggered()), this, SLOT(paste()))
            || disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
        if (!pastes)
            continue;
        action->setEnabled(action->isEnabled() && clipboardHoldsDigits(QClipboard::Clipboard));
        connect(action, &QAction::triggered, this, [this] {
            if (clipboardHoldsDigits(QClipboard::Clipboard))
                paste();
        });
    }
    menu->popup(event->globalPos());
}

} // namespace ui
