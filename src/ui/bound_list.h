#pragma once

#include "ui/field_binding.h"

#include <QComboBox>

namespace ui {

// An editable list box whose list is one field of every row of a record source, in the
// source's order, built again each time the source is refreshed. What the user types or picks
// reads like a text box: text() (the same as currentText()). Building the list leaves the
// source's cursor where it was and keeps the typed text.
class BoundList : public QComboBox {
    Q_OBJECT
public:
    // Throws store::Error(NoSuchField) when the source's table has no such field.
    BoundList(store::RecordSource& source, const QString& fieldName, QWidget* parent = nullptr);

    const QString& fieldName() const { return m_binding.fieldName(); }

    QString text() const { return currentText(); }
    void setText(const QString& text) { setEditText(text); }

    // Reads the list from the source again.
    void rebuild();

private:
    QStringList readList();

    FieldBinding m_binding;
};

} // namespace ui
