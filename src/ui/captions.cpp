#include "ui/captions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

namespace ui {

QString readableCaption(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // "&x" reads as "x" and "&&" as "&": either way the character after the "&" is kept.
        if (caption.at(i) == u'&')
            ++i;
        if (i < caption.size())
            text.append(caption.at(i));
    }
    return text.trimmed();
}

void setCaption(QLabel* label, QWidget* control)
{
    label->setBuddy(control);
    control->setAccessibleName(readableCaption(label->text()));
}

void nameControls(QWidget* window)
{
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        QWidget* control = label->buddy();
        if (control && control->accessibleName().isEmpty())
            control->setAccessibleName(readableCaption(label->text()));
    }
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (button->accessibleName().isEmpty() && !button->text().isEmpty())
            button->setAccessibleName(readableCaption(button->text()));
    }
}

} // namespace ui
