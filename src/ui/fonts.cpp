#include "ui/fonts.h"

#include <QFontMetrics>

namespace ui {

QFont headingFont(QFont base, int pointSize)
{
    base.setPointSize(pointSize);
    base.setBold(true);
    return base;
}

QFont boldFont(QFont base)
{
    base.setBold(true);
    return base;
}

void prepareHeadingFonts(const QFont& base)
{
    // The main menu's heading, the tip of the day's heading and its question.
    for (const QFont& font : {headingFont(base, 18), headingFont(base, 16), boldFont(base)})
        QFontMetrics(font).height();
}

} // namespace ui
