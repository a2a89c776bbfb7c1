#include "catalogue/controls.h"

#include "app/context.h"
#include "store/convert.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QFrame>
#include <QLabel>

namespace catalogue {

void warn(ui::Services& boxes, const Warning& warning)
{
    boxes.message(warning.text.toString(), warning.title.toString(), ui::Icon::Warning, ui::Buttons::Ok);
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
