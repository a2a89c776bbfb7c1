#pragma once

#include "store/record_source.h"
#include "store/value.h"

#include <QPointer>
#include <QString>

#include <optional>

namespace ui {

// The field of a record source that a bound control shows. The source may go before the
// control does: the binding then reads nothing.
class FieldBinding {
public:
    // Throws store::Error(NoSuchField) when the source's table has no such field.
    FieldBinding(store::RecordSource& source, const QString& fieldName);

    const QString& fieldName() const { return m_fieldName; }
    int fieldIndex() const { return m_fieldIndex; }
    // The source, or nullptr once it is gone.
    store::RecordSource* source() const { return m_source.data(); }

    // The field of the source's current row; nothing without a source or a current row.
    std::optional<store::Value> current() const;

private:
    QPointer<store::RecordSource> m_source;
    QString m_fieldName;
    int m_fieldIndex;
};

} // namespace ui
