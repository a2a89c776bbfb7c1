#include "catalogue/controls.h"

#include "app/context.h"
#include "store/convert.h"
#include "store/record_source.h"
#include "ui/bound_list.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListView>

namespace catalogue {

void warn(ui::Services& boxes, const Warning& warning)
{
    boxes.message(warning.text.toString(), warning.title.toString(), ui::Icon::Warning, ui::Buttons::Ok);
}

ui::BoundList* makeList(const QString& name, store::RecordSource& source, const QString& field, QWidget* parent)
{
    auto* list = ui::makeNamed<ui::BoundList>(name, source, field, parent);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(14);
    if (auto* rows = qobject_cast<QListView*>(list->view()))
        rows->setUniformItemSizes(true);
    return list;
}

QLabel* makeCaption(const QString& name, const QString& text, QWidget* parent)
{
    auto* caption = ui::makeNamed<QLabel>(name, text, parent);
    caption->setTextFormat(Qt::PlainText);
    return caption;
}

QGridLayout* entryGrid(std::initializer_list<std::pair<QLabel*, QWidget*>> rows)
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(9);
    int row = 0;
    for (const auto& [caption, control] : rows) {
        ui::setCaption(caption, control);
        grid->addWidget(caption, row, 0);
        // A control of fixed size keeps to the left of its column.
        const bool fixed = control->minimumSize() == control->maximumSize();
        grid->addWidget(control, row, 1, fixed ? Qt::AlignLeft : Qt::Alignment());
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return grid;
}

QLabel* makeHeading(const QString& name, const QString& text, QWidget* parent)
{
    auto* heading = ui::makeNamed<QLabel>(name, text, parent);
    heading->setTextFormat(Qt::PlainText);
    QFont font = heading->font();
    font.setPointSize(13);
    font.setBold(true);
    heading->setFont(font);
    heading->setStyleSheet(QStringLiteral("color: #2e7d32;"));
    return heading;
}

ui::ValueLabel* makeCountLabel(const QString& name, QWidget* parent)
{
    auto* label = ui::makeNamed<ui::ValueLabel>(name, parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    // As tall as a text box, and wide enough for any count.
    label->setFixedSize(90, 24);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QWidget* makeLine(const QString& name, bool vertical, QWidget* parent)
{
    auto* line = ui::makeNamed<QFrame>(name, parent);
    line->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* makePicture(const QString& name, QWidget* parent)
{
    auto* picture = ui::makeNamed<QLabel>(name, parent);
    picture->setPixmap(QPixmap(QStringLiteral(":/artwork/basket.png")));
    picture->setAccessibleName(QStringLiteral("Vantoral logo"));
    return picture;
}

QString priceText(const store::Value& price, const QLocale& locale)
{
    return store::convert::formatCurrencyExact(price.toCurrency(), locale);
}

} // namespace catalogue
