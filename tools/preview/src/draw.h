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

// Where a Tovrik key or a Duvek grid cell is drawn in its picture, so that a
// check can read a key's colour back from pixels (a corner away from the
// label: the inset point x + 3, y + 3 shows the key's face).
struct KeyBox {
  int x, y, w, h;
};
KeyBox tovrikKeyBox(int key);
KeyBox duvekCellBox(int row, int column);
KeyBox ulvoranColourBox(); // the LED engine's whole-board colour

// Columns the engine's bitmap is drawn in (bytes per row).
constexpr int kUlvoranBitmapColumns = 24;

} // namespace preview

#endif
