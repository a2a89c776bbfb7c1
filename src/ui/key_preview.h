#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;

namespace ui {

// Key codes as the screens speak of them: letters are their upper-case ASCII code, digits
// (of the main keys and the keypad alike) their ASCII code, and the named keys these.
namespace key {
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13; // the main Return key and the keypad's Enter
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Alt = 18;
inline constexpr int Clear = 12;
inline constexpr int Pause = 19;
inline constexpr int CapsLock = 20;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Print = 44;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Windows = 91;   // the Windows (Super, Meta) key
inline constexpr int Menu = 93;      // the context-menu key
inline constexpr int Multiply = 106; // keypad *
inline constexpr int Add = 107;      // keypad +
inline constexpr int Subtract = 109; // keypad -
inline constexpr int Decimal = 110;  // keypad .
inline constexpr int Divide = 111;   // keypad /
inline constexpr int F1 = 112;       // F2 is 113, and so on to F12, 123
inline constexpr int NumLock = 144;
inline constexpr int ScrollLock = 145;
// Every other key: letters outside ASCII (é, ñ), dead keys, media keys and keys the keyboard
// does not name.
inline constexpr int Other = 231;
} // namespace key

// The key code of a Qt key. Every key has one: a key without a code of its own is Other.
int keyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// Sees every key pressed in a window (the window itself, any control in it, a drop-down list it
// opened) before the control that has the focus does, once each: keys a menu shortcut takes and
// text an input method composes (seen as key::Other) included. The handler gets the key code and
// the modifiers and returns true when it used the key, which then reaches no shortcut and no
// control.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(int keyCode, Qt::KeyboardModifiers modifiers)>;

    // Starts watching at once; stops when the preview (a child of the window) is destroyed.
    KeyPreview(QWidget* window, Handler handler);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inWindow(QObject* watched) const;

    // A key seen as it went by the shortcuts, whose press may follow.
    struct Pending {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool used;
    };

    QWidget* m_window;
    Handler m_handler;
    // The key event last seen and the control it was sent to, so that an event a control passes
    // on to its parent is not previewed twice.
    const QEvent* m_lastEvent = nullptr;
    QPointer<QWidget> m_lastReceiver;
    std::optional<Pending> m_pending;
};

} // namespace ui
