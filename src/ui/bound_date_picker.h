#pragma once

#include "ui/field_binding.h"

#include <QDateEdit>

namespace ui {

// A date picker showing a date field of a record source's current row, repainted whenever the
// current row changes. The binding only shows: a date the user picks is read with date() and
// written by the screen. With no current row, or a field holding no date, the picker keeps the
// date it shows.
class BoundDatePicker : public QDateEdit {
    Q_OBJECT
public:
    // Throws store::Error(NoSuchField) when the source's table has no such field.
    BoundDatePicker(store::RecordSource& source, const QString& fieldName, QWidget* parent = nullptr);

    const QString& fieldName() const { return m_binding.fieldName(); }

    void repaintFromSource();

private:
    FieldBinding m_binding;
};

} // namespace ui
