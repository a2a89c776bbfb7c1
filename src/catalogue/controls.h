#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>
#include <utility>

class QGridLayout;
class QLabel;
class QLocale;
class QObject;
class QWidget;

namespace app {
struct Context;
}
namespace store {
class RecordSource;
class Value;
}
namespace ui {
class BoundList;
class Services;
class ValueLabel;
}

// What the product, supplier and menu windows make alike.
namespace catalogue {

// A warning box with an OK button: its text and its title, both shown exactly as they are.
struct Warning {
    QStringView text;
    QStringView title;
};
void warn(ui::Services& boxes, const Warning& warning);

// A bound list of one field of every row, sized for a code or a name rather than by measuring
// every row of a large catalogue.
ui::BoundList* makeList(const QString& name, store::RecordSource& source, const QString& field, QWidget* parent);
// A label that names the control beside it.
QLabel* makeCaption(const QString& name, const QString& text, QWidget* parent);
// Caption labels in the first column and the controls they name in the second; each control is
// read by its caption.
QGridLayout* entryGrid(std::initializer_list<std::pair<QLabel*, QWidget*>> rows);
// A heading over a group of entries.
QLabel* makeHeading(const QString& name, const QString& text, QWidget* parent);
// A sunken box showing a count, read as the caption beside it.
ui::ValueLabel* makeCountLabel(const QString& name, QWidget* parent);
// A line that divides parts of a window.
QWidget* makeLine(const QString& name, bool vertical, QWidget* parent);
// The program's basket picture.
QLabel* makePicture(const QString& name, QWidget* parent);

// A price as the product screens show it: the locale's currency format, with every decimal the
// price has (two at least), so that the text reads back as the same amount.
QString priceText(const store::Value& price, const QLocale& locale);

} // namespace catalogue
