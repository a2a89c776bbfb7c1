#include "app/window.h"

#include "app/context.h"
#include "app/window_manager.h"
#include "ui/services.h"

#include <QCloseEvent>
#include <QLayout>

#include <algorithm>

namespace app {

Window::Window(Context& context, const QString& name) : m_context(context)
{
    setObjectName(name);
}

void Window::closeRequested()
{
    m_context.windows.hide(objectName());
}

void Window::fixSize()
{
    if (QLayout* own = layout()) {
        own->setSizeConstraint(QLayout::SetFixedSize);
        own->activate();
    } else {
        setFixedSize(size());
    }
}

void Window::centreOnScreen()
{
    const QSize screen = m_context.ui.screenSize();
    move(std::max(0, (screen.width() - width()) / 2), std::max(0, (screen.height() - height()) / 2));
}

void Window::closeEvent(QCloseEvent* event)
{
    event->ignore();
    closeRequested();
}

} // namespace app
