#pragma once

#include <QDateEdit>
#include <QPointer>

namespace store {
class RecordSource;
}

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

    const QString& fieldName() const { return m_fieldName; }

    void repaintFromSource();

private:
    QPointer<store::RecordSource> m_source;
    QString m_fieldName;
    int m_fieldIndex;
};

} // namespace ui
