#include "ui/bound_list.h"

#include "store/record_source.h"

#include <QSignalBlocker>

namespace ui {

BoundList::BoundList(store::RecordSource& source, const QString& fieldName, QWidget* parent)
    : QComboBox(parent), m_binding(source, fieldName)
{
    setEditable(true);
    // Typed text stays typed text: it is neither completed from the list nor added to it.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    connect(&source, &store::RecordSource::rowsReloaded, this, &BoundList::rebuild);
    rebuild();
}

void BoundList::rebuild()
{
    if (!m_binding.source())
        return;
    const QStringList items = readList();
    const QSignalBlocker quiet(this);
    const QString typed = currentText();
    clear();
    addItems(items);
    setCurrentIndex(-1);
    setEditText(typed);
}

QStringList BoundList::readList()
{
    const store::RecordSource& source = *m_binding.source();
    QStringList items;
    items.reserve(source.recordCount());
    for (int row = 0; row < source.recordCount(); ++row)
        items.append(source.valueAt(row, m_binding.fieldIndex()).display());
    return items;
}

} // namespace ui
