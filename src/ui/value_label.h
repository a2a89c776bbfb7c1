#pragma once

#include <QLabel>

namespace ui {

// A label that shows a value: an amount, a count, the last action, a date, a version, a tip.
//
// A screen reader says a control's accessible name. A label that shows a value keeps its
// caption as accessible name ("Subtotal", "Last action") and exposes the text it shows as its
// accessible description, so that the reader says both: the caption, then the value. setText()
// is the one place the text is set: it shows the text and makes the accessible description equal
// to it, and assistive technology is told (QWidget::setAccessibleDescription sends
// QAccessible::DescriptionChanged; QLabel::setText itself sends NameChanged). Setting the text it
// already shows changes nothing and tells nobody.
//
// Every label of a window that shows a value is one of these:
//   - hold it in a member typed ui::ValueLabel* (or a subclass), never QLabel*: QLabel::setText
//     is not virtual, and a call through a QLabel* would show the text and leave the description
//     behind. setText(), clear() and setNum() are this class's own;
//   - make it with ui::makeNamed<ui::ValueLabel>(name, parent) and give it its caption with
//     ui::setCaption(captionLabel, valueLabel) when a caption label stands beside it, or make it
//     with ui::makeNamed<ui::ValueLabel>(name, caption, text, parent) when none does;
//   - set its text only through it: valueLabel->setText(...), valueLabel->clear().
// The text is plain text: what is set is what is shown and what the reader says.
//
// A label whose text never changes and says what it is (a heading, a credit line) stays a QLabel:
// its text is its name.
class ValueLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    // A label with no caption yet, showing nothing.
    explicit ValueLabel(QWidget* parent = nullptr);
    // A label read as `caption`, showing `text`.
    ValueLabel(const QString& caption, const QString& text, QWidget* parent = nullptr);

public Q_SLOTS:
    void setText(const QString& text);
    void clear();
    void setNum(int number);
    void setNum(double number);
};

} // namespace ui
