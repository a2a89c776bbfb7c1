#pragma once

#include "ui/field_binding.h"
#include "ui/value_label.h"

namespace ui {

// A label showing one field of a record source's current row, as a text box shows it (empty
// when there is no current row). It repaints whenever the source's current row changes. It is a
// value label: give it its caption as a ValueLabel's, and the field it shows is its accessible
// description.
class BoundLabel : public ValueLabel {
    Q_OBJECT
public:
    // Throws store::Error(NoSuchField) when the source's table has no such field.
    BoundLabel(store::RecordSource& source, const QString& fieldName, QWidget* parent = nullptr);

    const QString& fieldName() const { return m_binding.fieldName(); }

    // Shows the field of the source's current row again.
    void repaintFromSource();

private:
    FieldBinding m_binding;
};

} // namespace ui
