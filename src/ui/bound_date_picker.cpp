#include "ui/bound_date_picker.h"

#include "store/error.h"
#include "store/record_source.h"

namespace ui {

BoundDatePicker::BoundDatePicker(store::RecordSource& source, const QString& fieldName, QWidget* parent)
    : QDateEdit(parent), m_source(&source), m_fieldName(fieldName), m_fieldIndex(source.fieldIndex(fieldName))
{
    setCalendarPopup(true);
    connect(&source, &store::RecordSource::currentChanged, this, &BoundDatePicker::repaintFromSource);
    repaintFromSource();
}

void BoundDatePicker::repaintFromSource()
{
    if (!m_source || !m_source->hasCurrentRow())
        return;
    const store::Value value = m_source->field(m_fieldIndex);
    if (value.isNull())
        return;
    try {
        setDate(value.toDate());
    } catch (const store::Error&) {
        // Not a date: the picker has nothing it could show.
    }
}

} // namespace ui
