#include "ui/bound_label.h"

#include "store/record_source.h"

namespace ui {

BoundLabel::BoundLabel(store::RecordSource& source, const QString& fieldName, QWidget* parent)
    : ValueLabel(parent), m_binding(source, fieldName)
{
    connect(&source, &store::RecordSource::currentChanged, this, &BoundLabel::repaintFromSource);
    repaintFromSource();
}

void BoundLabel::repaintFromSource()
{
    const std::optional<store::Value> value = m_binding.current();
    setText(value ? value->display() : QString());
}

} // namespace ui
