#include "ui/bound_date_picker.h"

#include "store/error.h"
#include "store/record_source.h"

namespace ui {

BoundDatePicker::BoundDatePicker(store::RecordSource& source, const QString& fieldName, QWidget* parent)
    : QDateEdit(parent), m_binding(source, fieldName)
{
    setCalendarPopup(true);
    connect(&source, &store::RecordSource::currentChanged, this, &BoundDatePicker::repaintFromSource);
    repaintFromSource();
}

void BoundDatePicker::repaintFromSource()
{
    const std::optional<store::Value> value = m_binding.current();
    if (!value || value->isNull())
        return;
    try {
        setDate(value->toDate());
    } catch (const store::Error&) {
        // Not a date: the picker has nothing it could show.
    }
}

} // namespace ui
