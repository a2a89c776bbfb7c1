#pragma once

#include <QFont>

namespace ui {

// Headings of the program's windows: the window's own font, bold, at a size in points. One place,
// so that every heading of one size is one font.
QFont headingFont(QFont base, int pointSize);
QFont boldFont(QFont base);

// Looks up the heading fonts once, so that the windows opened next find them ready: finding a
// font the first time asks the system's font configuration and takes milliseconds.
void prepareHeadingFonts(const QFont& base);

} // namespace ui
