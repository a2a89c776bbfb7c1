#include "ui/bound_label.h"

#include "store/record_source.h"

namespace ui {

BoundLabel::BoundLabel(store::RecordSource& source, const QString& fieldName, QWidget* parent)
    : QLabel(parent), m_source(&source), m_fieldName(fieldName), m_fieldIndex(source.fieldIndex(fieldName))
{
    connect(&source, &store::RecordSource::currentChanged, this, &BoundLabel::repaintFromSource);
    repaintFromSource();
}

void BoundLabel::repaintFromSource()
{
    const bool onRow = m_source && m_source->hasCurrentRow();
    setText(onRow ? m_source->field(m_fieldIndex).display() : QString());
}

} // namespace ui
