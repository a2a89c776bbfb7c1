#pragma once

#include "ui/entry_form.h"

#include <QString>
#include <QStringView>

class QLabel;
class QLocale;
class QObject;
class QWidget;

namespace app {
struct Context;
}
namespace store {
class Value;
}
namespace ui {
class Services;
class ValueLabel;
}

// What the product, supplier and menu windows make alike, beside the entry form's pieces.
namespace catalogue {

using ui::entryGrid;
using ui::makeCaption;
using ui::makeLine;
using ui::makeList;

// A warning box with an OK button: its text and its title, both shown exactly as they are.
struct Warning {
    QStringView text;
    QStringView title;
};
void warn(ui::Services& boxes, const Warning& warning);

// A heading over a group of entries.
QLabel* makeHeading(const QString& name, const QString& text, QWidget* parent);
// A sunken box showing a count, read as the caption beside it.
ui::ValueLabel* makeCountLabel(const QString& name, QWidget* parent);
// The program's basket picture.
QLabel* makePicture(const QString& name, QWidget* parent);

// A price as the product screens show it: the locale's currency format, with every decimal the
// price has (two at least), so that the text reads back as the same amount.
QString priceText(const store::Value& price, const QLocale& locale);

} // namespace catalogue
