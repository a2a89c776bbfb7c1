#pragma once

namespace ui {

// Makes the program's artwork readable as Qt resources: ":/artwork/logo.png" (96 x 96),
// ":/artwork/splash.png" (300 x 200) and ":/artwork/basket.png" (64 x 64). The artwork is
// built into a static library, so a program using it calls this before reading it. Calling it
// again does no harm.
void loadArtwork();

} // namespace ui
