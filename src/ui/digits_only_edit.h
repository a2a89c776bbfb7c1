#pragma once

#include <QLineEdit>

namespace ui {

// A text box the user can type or paste only the digits 0-9 into: any other character typed
// does nothing, and a paste holding anything but digits is refused whole. Text the program sets
// (setText) is kept as it is.
class DigitsOnlyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DigitsOnlyEdit(QWidget* parent = nullptr);

    // True when the text holds nothing but the digits 0-9 (the empty text too).
    static bool isDigits(QStringView text);
    // True when a key whose text starts with `first`, pressed with `modifiers`, types its text
    // into a line edit rather than being an editing key or a shortcut.
    static bool wouldType(QChar first, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace ui
