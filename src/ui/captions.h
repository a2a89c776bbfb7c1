#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace ui {

// A caption as a person reads it: "&" marks the access key and is dropped, "&&" is a plain "&".
QString readableCaption(const QString& caption);

// Makes the label the caption of the control: the label's access key moves the focus to the
// control, and the control's accessible name is the caption's text.
void setCaption(QLabel* label, QWidget* control);

// Gives every control of the window that has no accessible name yet the name a person would
// read: a button's or check box's own caption, or the text of the label it is the buddy of.
void nameControls(QWidget* window);

} // namespace ui
