#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <stdexcept>
#include <vector>

namespace ui {

// Printed layouts kept in the store (HTML, as far as Qt's rich text goes) are filled in from
// named values:
// - {{Field}} stands for a value, shown as plain text (never read as markup);
// - {{#name}} ... {{/name}} is repeated for every row of the section of that name; inside it,
//   {{Field}} is the row's value of that name, or, when the row has none, the enclosing one's.
//   Sections may hold sections.
// Names may be written in any letter case.
//
// The values of a layout: fields, and sections of rows that are values themselves.
class LayoutValues {
public:
    // Sets a field to a plain text.
    void set(const QString& name, const QString& text);
    // Adds a row to a section (made on its first row) and returns it to be filled; the reference
    // holds until the section's next row is added.
    LayoutValues& addRow(const QString& section);
    // Makes a section without rows, so that the layout may name it.
    void addSection(const QString& section);

    // The field of that name, or null when this row has none.
    const QString* field(QStringView name) const;
    // The section of that name, or null when there is none.
    const std::vector<LayoutValues>* section(QStringView name) const;

private:
    QHash<QString, QString> m_fields;
    QHash<QString, std::vector<LayoutValues>> m_sections;
};

// A layout that cannot be filled: a tag never closed, a section out of place, or a name that is
// not one of the values.
class LayoutError : public std::runtime_error {
public:
    explicit LayoutError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// Fills `layout` from `values`. `what` names the layout in an error's message ("the day's
// report"). Throws LayoutError.
QString fillLayout(QStringView layout, const LayoutValues& values, const QString& what);

} // namespace ui
