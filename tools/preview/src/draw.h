// Draws one picture of a keyboard: the Tovrik board key by key, the Duvek
// grid cell by cell, the LED engine's colour, single keys and bitmap.
#ifndef PREVIEW_DRAW_H
#define PREVIEW_DRAW_H

#include "image.h"
#include "lighting.h"

#include <string>

namespace preview {

// caption: the first line drawn above the board (time and session line).
Image drawPicture(const Picture &p, const std::string &caption);

// The colour a Tovrik key shows in that state (0 when dark).
uint32_t tovrikKeyColour(const TovrikState &s, int key);

// Columns the engine's bitmap is drawn in (bytes per row).
constexpr int kUlvoranBitmapColumns = 24;

} // namespace preview

#endif
