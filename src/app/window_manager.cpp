#include "app/window_manager.h"

#include "app/window.h"

#include <algorithm>
#include <stdexcept>

namespace app {

WindowManager::WindowManager() = default;

WindowManager::~WindowManager()
{
    // Later windows may lean on earlier ones: they go first.
    while (!m_loaded.empty())
        m_loaded.pop_back();
    for (const QPointer<Window>& window : m_released)
        delete window.data();
}

void WindowManager::registerWindow(const QString& name, Factory factory)
{
    m_factories.insert(name, std::move(factory));
}

std::vector<WindowManager::Loaded>::iterator WindowManager::entry(const QString& name)
{
    return std::find_if(m_loaded.begin(), m_loaded.end(), [&](const Loaded& loaded) { return loaded.name == name; });
}

std::vector<WindowManager::Loaded>::const_iterator WindowManager::entry(const QString& name) const
{
    return std::find_if(m_loaded.begin(), m_loaded.end(), [&](const Loaded& loaded) { return loaded.name == name; });
}

Window* WindowManager::load(const QString& name)
{
    if (Window* loaded = find(name))
        return loaded;
    const auto factory = m_factories.constFind(name);
    if (factory == m_factories.cend())
        throw std::out_of_range("no window is registered as " + name.toStdString());
    if (!m_context)
        throw std::logic_error("the window manager has no context");

    std::unique_ptr<Window> made = (*factory)(*m_context);
    Window* window = made.get();
    Q_ASSERT(window && window->objectName() == name);
    m_loaded.push_back({name, std::move(made)});
    try {
        window->load();
    } catch (...) {
        const auto failed = entry(name);
        if (failed != m_loaded.end() && failed->window.get() == window)
            m_loaded.erase(failed);
        throw;
    }
    return find(name) == window ? window : nullptr;
}

Window* WindowManager::show(const QString& name)
{
    Window* window = load(name);
    if (!window)
        return nullptr;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void WindowManager::hide(const QString& name)
{
    if (Window* window = find(name))
        window->hide();
}

void WindowManager::unload(const QString& name)
{
    const auto loaded = entry(name);
    if (loaded == m_loaded.end())
        return;
    Window* window = loaded->window.release();
    m_loaded.erase(loaded);
    window->hide();
    window->deleteLater();
    std::erase_if(m_released, [](const QPointer<Window>& released) { return released.isNull(); });
    m_released.emplace_back(window);
}

Window* WindowManager::find(const QString& name) const
{
    const auto loaded = entry(name);
    return loaded == m_loaded.end() ? nullptr : loaded->window.get();
}

QStringList WindowManager::loadedNames() const
{
    QStringList names;
    for (const Loaded& loaded : m_loaded)
        names.append(loaded.name);
    return names;
}

bool WindowManager::anyVisible() const
{
    return std::any_of(m_loaded.begin(), m_loaded.end(), [](const Loaded& loaded) { return loaded.window->isVisible(); });
}

} // namespace app
