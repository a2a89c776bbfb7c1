#include "ui/key_preview.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace ui {

int keyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey; // Qt's letter keys are the upper-case ASCII codes
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return key::F1 + (qtKey - Qt::Key_F1);
    const bool keypad = modifiers & Qt::KeypadModifier;
    switch (qtKey) {
    case Qt::Key_Backspace: return key::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return key::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return key::Return;
    case Qt::Key_Shift: return key::Shift;
    case Qt::Key_Control: return key::Control;
    case Qt::Key_Alt: return key::Alt;
    case Qt::Key_Escape: return key::Escape;
    case Qt::Key_Space: return key::Space;
    case Qt::Key_PageUp: return key::PageUp;
    case Qt::Key_PageDown: return key::PageDown;
    case Qt::Key_End: return key::End;
    case Qt::Key_Home: return key::Home;
    case Qt::Key_Left: return key::Left;
    case Qt::Key_Up: return key::Up;
    case Qt::Key_Right: return key::Right;
    case Qt::Key_Down: return key::Down;
    case Qt::Key_Insert: return key::Insert;
    case Qt::Key_Delete: return key::Delete;
    case Qt::Key_Clear: return key::Clear;
    case Qt::Key_Pause: return key::Pause;
    case Qt::Key_CapsLock: return key::CapsLock;
    case Qt::Key_Print: return key::Print;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: return key::Windows;
    case Qt::Key_Menu: return key::Menu;
    case Qt::Key_NumLock: return key::NumLock;
    case Qt::Key_ScrollLock: return key::ScrollLock;
    case Qt::Key_AltGr: return key::Alt;
    case Qt::Key_Asterisk: return keypad ? key::Multiply : qtKey;
    case Qt::Key_Plus: return keypad ? key::Add : qtKey;
    case Qt::Key_Minus: return keypad ? key::Subtract : qtKey;
    case Qt::Key_Period: return keypad ? key::Decimal : qtKey;
    case Qt::Key_Slash: return keypad ? key::Divide : qtKey;
    default: break;
    }
    // Any other printable key is its ASCII code.
    if (qtKey > Qt::Key_Space && qtKey <= Qt::Key_AsciiTilde)
        return qtKey;
    return key::Other;
}

KeyPreview::KeyPreview(QWidget* window, Handler handler)
    : QObject(window), m_window(window), m_handler(std::move(handler))
{
    QCoreApplication::instance()->installEventFilter(this);
}

// A control of the window, or of a pop-up it opened (a drop-down list's list); not a dialog box
// it opened, which is a window of its own.
bool KeyPreview::inWindow(QObject* watched) const
{
    if (!watched->isWidgetType())
        return false;
    for (const auto* widget = static_cast<const QWidget*>(watched); widget; widget = widget->parentWidget()) {
        if (widget == m_window)
            return true;
        if (widget->isWindow() && widget->windowType() != Qt::Popup)
            return false;
    }
    return false;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyRelease) {
        m_pending.reset(); // the key is done with
        m_lastEvent = nullptr;
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride && type != QEvent::InputMethod)
        return false;
    if (!inWindow(watched))
        return false;
    // A window that is disabled takes no key: the key reaches neither the window nor its controls.
    if (!m_window->isEnabled())
        return false;

    auto* widget = static_cast<QWidget*>(watched);
    // A key the focused control did not take goes on to its parent, and so on up: that is still
    // the same key.
    const bool passedOn = event == m_lastEvent && m_lastReceiver && widget == m_lastReceiver->parentWidget();
    m_lastEvent = event;
    m_lastReceiver = widget;
    if (passedOn)
        return false;

    if (type == QEvent::InputMethod) {
        // Text composed by an input method (a dead key and a letter, the compose key) comes
        // without key presses of its own.
        if (!static_cast<QInputMethodEvent*>(event)->commitString().isEmpty())
            m_handler(key::Other, Qt::NoModifier);
        return false;
    }

    const auto* press = static_cast<QKeyEvent*>(event);
    // Every key goes by the menus' shortcuts first; one a shortcut takes never arrives as a key
    // press, so the key is seen there. Its press, when it comes, is the same key.
    if (type == QEvent::KeyPress && m_pending && m_pending->key == press->key() && m_pending->modifiers == press->modifiers()) {
        const bool used = m_pending->used;
        m_pending.reset();
        if (!used)
            return false;
        event->accept();
        return true;
    }
    const bool used = m_handler(keyCode(press->key(), press->modifiers()), press->modifiers());
    if (type == QEvent::ShortcutOverride)
        m_pending = Pending{press->key(), press->modifiers(), used};
    if (!used)
        return false;
    // A key the window used goes to no shortcut and no control.
    event->accept();
    return true;
}

} // namespace ui
