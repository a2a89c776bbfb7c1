#pragma once

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QString>

#include <utility>

namespace ui {

// Makes a control and gives it its object name, the name the window's code and its tests find
// it by: makeNamed<QPushButton>(QStringLiteral("cmdOK"), QStringLiteral("OK"), this).
template <class Control, class... Args>
Control* makeNamed(const QString& name, Args&&... args)
{
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(name);
    return control;
}

// Adds a named menu item with its caption and shortcut key to a menu.
inline QAction* makeAction(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

} // namespace ui
