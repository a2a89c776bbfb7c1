#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

#include <utility>

namespace testing {

// What a screen reader reads of a control: its accessible name, then its accessible description,
// asked of the control's accessible interface as assistive technology asks. Compares with
// QCOMPARE: QCOMPARE(readAloud(label), std::pair(caption, label->text())).
inline std::pair<QString, QString> readAloud(QObject* control)
{
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(control);
    if (!read)
        return {QStringLiteral("<no accessible interface>"), QString()};
    return {read->text(QAccessible::Name), read->text(QAccessible::Description)};
}

} // namespace testing
