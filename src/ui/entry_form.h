#pragma once

#include <QString>

#include <initializer_list>
#include <utility>

class QFrame;
class QGridLayout;
class QLabel;
class QWidget;

namespace store {
class RecordSource;
}

// The pieces of a form of entries that the maintenance windows (products, suppliers, employees)
// make alike.
namespace ui {

class BoundList;

// A bound list of one field of every row, sized for a code or a name rather than by measuring
// every row of a large table.
BoundList* makeList(const QString& name, store::RecordSource& source, const QString& field, QWidget* parent);
// A label that names the control beside it.
QLabel* makeCaption(const QString& name, const QString& text, QWidget* parent);
// Caption labels in the first column and the controls they name in the second; each control is
// read by its caption. A caption stands level with a one-line control and beside the first line of
// a multi-line text box; a control of fixed size keeps to the left of its column.
QGridLayout* entryGrid(std::initializer_list<std::pair<QLabel*, QWidget*>> rows);
// A sunken line that divides parts of a window.
QFrame* makeLine(const QString& name, bool vertical, QWidget* parent);

} // namespace ui
