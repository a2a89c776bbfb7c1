#pragma once

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

} // namespace ui
