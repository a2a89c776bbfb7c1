#include "ui/field_binding.h"

#include "store/record_source.h"

namespace ui {

FieldBinding::FieldBinding(store::RecordSource& source, const QString& fieldName)
    : m_source(&source), m_fieldName(fieldName), m_fieldIndex(source.fieldIndex(fieldName))
{
}

std::optional<store::Value> FieldBinding::current() const
{
    if (!m_source || !m_source->hasCurrentRow())
        return std::nullopt;
    return m_source->field(m_fieldIndex);
}

} // namespace ui
