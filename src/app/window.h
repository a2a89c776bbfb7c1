#pragma once

#include <QWidget>

class QCloseEvent;

namespace app {

struct Context;

// The base of every window of the program. A window's name is its object name, by which the
// window manager and the other windows know it.
//
// A window makes its controls and its record sources in its constructor, so they are open when
// the window manager calls load() right after. Windows are of fixed size.
class Window : public QWidget {
    Q_OBJECT
public:
    Window(Context& context, const QString& name);

    Context& context() const { return m_context; }

    // Runs once, right after the window is made, before it is first shown.
    virtual void load() {}

    // What the window's close button does instead of closing: the window's own way back. By
    // default the window is hidden and stays loaded.
    virtual void closeRequested();

protected:
    // Fixes the window's size: to what its layout asks for when it has one, else to its size now.
    void fixSize();

    // Moves the window to the middle of the screen; a window larger than the screen keeps its
    // top left corner on it.
    void centreOnScreen();

    void closeEvent(QCloseEvent* event) override;

private:
    Context& m_context;
};

} // namespace app
