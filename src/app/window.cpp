#include "app/window.h"

#include "app/context.h"
#include "app/window_manager.h"

#include <QCloseEvent>
#include <QLayout>

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

void Window::closeEvent(QCloseEvent* event)
{
    event->ignore();
    closeRequested();
}

} // namespace app
