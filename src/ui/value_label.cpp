#include "ui/value_label.h"

namespace ui {

ValueLabel::ValueLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

ValueLabel::ValueLabel(const QString& caption, const QString& text, QWidget* parent) : ValueLabel(parent)
{
    setAccessibleName(caption);
    setText(text);
}

void ValueLabel::setText(const QString& text)
{
    QLabel::setText(text);
    // Compared with the description rather than the old text, so that a description left behind
    // is caught up with at the next change.
    if (accessibleDescription() != text)
        setAccessibleDescription(text);
}

void ValueLabel::clear()
{
    setText(QString());
}

void ValueLabel::setNum(int number)
{
    setText(QString::number(number));
}

void ValueLabel::setNum(double number)
{
    setText(QString::number(number));
}

} // namespace ui
