#include "ui/entry_form.h"

#include "ui/bound_list.h"
#include "ui/captions.h"
#include "ui/named.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>

namespace ui {

BoundList* makeList(const QString& name, store::RecordSource& source, const QString& field, QWidget* parent)
{
    auto* list = makeNamed<BoundList>(name, source, field, parent);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(14);
    if (auto* rows = qobject_cast<QListView*>(list->view()))
        rows->setUniformItemSizes(true);
    return list;
}

QLabel* makeCaption(const QString& name, const QString& text, QWidget* parent)
{
    auto* caption = makeNamed<QLabel>(name, text, parent);
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
        setCaption(caption, control);
        const bool tall = qobject_cast<QPlainTextEdit*>(control) != nullptr;
        if (tall)
            caption->setContentsMargins(0, 4, 0, 0);
        grid->addWidget(caption, row, 0, Qt::AlignLeft | (tall ? Qt::AlignTop : Qt::AlignVCenter));
        const bool fixed = control->minimumSize() == control->maximumSize();
        grid->addWidget(control, row, 1, fixed ? Qt::AlignLeft : Qt::Alignment());
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return grid;
}

QFrame* makeLine(const QString& name, bool vertical, QWidget* parent)
{
    auto* line = makeNamed<QFrame>(name, parent);
    line->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace ui
