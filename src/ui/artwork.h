#pragma once

#include <QPixmap>
#include <QStringView>

class QLabel;

namespace ui {

// Makes the program's artwork readable as Qt resources: ":/artwork/logo.png" (96 x 96),
// ":/artwork/splash.png" (300 x 200) and ":/artwork/basket.png" (64 x 64). The artwork is
// built into a static library, so a program using it calls this before reading it. Calling it
// again does no harm.
void loadArtwork();

// One picture of the artwork by its file name ("logo.png"), decoded once and shared; a null
// pixmap when there is no such picture. The pictures are read as the PNG files they are: Qt's
// image plugins, which would each be loaded to be asked first whether they read the file, are
// left alone.
QPixmap artwork(QStringView fileName);

// Shows a picture of the artwork on the label, decoded when the label is first shown (at once when
// it is already visible). Until then the label is held at the picture's size, read from the file's
// header, so that its window is laid out and sized as it will be shown. Meant for the splash,
// whose timer starts when it is made, before it is shown: its pictures then do not hold up the
// start of the timer.
void setArtworkWhenShown(QLabel* label, QStringView fileName);

} // namespace ui
