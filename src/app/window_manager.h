#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace app {

struct Context;
class Window;

// Makes, shows, hides and unloads the program's windows by name. Each window exists at most
// once; the windows reach each other only through here.
//
// Built before the context it hands to the windows, and given it with setContext() once the
// context exists; every window is made with that context.
class WindowManager {
public:
    using Factory = std::function<std::unique_ptr<Window>(Context&)>;

    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    void setContext(Context& context) { m_context = &context; }

    // Says how to make the window of that name. The window made must carry that name.
    void registerWindow(const QString& name, Factory factory);
    bool isRegistered(const QString& name) const { return m_factories.contains(name); }

    // The window, made and loaded first when it is not loaded. Returns null when the window's
    // load() unloaded it again. Throws std::out_of_range for a name never registered. When
    // load() throws, the window is released and the exception goes on to the caller.
    Window* load(const QString& name);
    // Loads the window when needed, shows it (modeless), raises and activates it.
    Window* show(const QString& name);
    // Hides the window; it stays loaded with all it holds.
    void hide(const QString& name);
    // Hides the window and releases it with its record sources. Safe from the window's own
    // handlers: the window is deleted once control is back in the event loop, but is forgotten
    // at once, so find() no longer returns it and the next show() makes a new one.
    void unload(const QString& name);

    Window* find(const QString& name) const;
    bool isLoaded(const QString& name) const { return find(name) != nullptr; }
    // The names of the loaded windows, in the order they were loaded.
    QStringList loadedNames() const;
    bool anyVisible() const;

private:
    struct Loaded {
        QString name;
        std::unique_ptr<Window> window;
    };

    std::vector<Loaded>::iterator entry(const QString& name);
    std::vector<Loaded>::const_iterator entry(const QString& name) const;

    Context* m_context = nullptr;
    QHash<QString, Factory> m_factories;
    std::vector<Loaded> m_loaded;
    // Unloaded windows waiting for the event loop to delete them.
    std::vector<QPointer<Window>> m_released;
};

// Registers a window class under its name, W::kName; W is made from the context alone.
template <typename W>
void registerWindowClass(WindowManager& windows)
{
    windows.registerWindow(QString::fromLatin1(W::kName), [](Context& context) { return std::make_unique<W>(context); });
}

} // namespace app
