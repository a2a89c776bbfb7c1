#pragma once

#include <cstdint>

namespace app {
struct Context;
}

namespace startup {

// True when the screen is exactly 800 pixels wide and 600 high, whatever its colour depth.
bool CheckScreenResolution(app::Context& context);

// Looks through the display's modes for the first one of exactly this width, height and colour
// depth, applies it as the new default, and tells the user how that went. Any failure on the way
// ends it silently.
void ChangeDisplayMode(app::Context& context, std::int16_t width, std::int16_t height, std::int16_t bitsPerPixel);

} // namespace startup
