// What every keyboard's picture shares: the colours, the margins and the
// header with its caption, keys with centred labels, and the same for a
// true-colour terminal.  drawPicture and terminalBoard hand a picture to
// its keyboard (keyboard.h).
#ifndef PREVIEW_DRAW_H
#define PREVIEW_DRAW_H

#include "image.h"

#include <cstdint>
#include <string>

namespace preview {

struct Picture;

constexpr uint32_t kBackground = 0x1A1A1E;
constexpr uint32_t kDarkKey = 0x303036;   // a key that is not lit
constexpr uint32_t kDarkLabel = 0x8A8A90; // a label on a dark key
constexpr uint32_t kCaption = 0xE0E0E0;
constexpr uint32_t kNote = 0x9A9AA8;
constexpr int kMargin = 16;
constexpr int kHeader = 52; // caption and note above the board
constexpr int kKeyGap = 3;  // between neighbouring keys

// caption: the first line drawn above the board (time and session line).
Image drawPicture(const Picture &p, const std::string &caption);

// The board as terminal text with 24-bit colour escapes, one text line per
// key row; ends with a reset.
std::string terminalBoard(const Picture &p);

// The caption and, below it, the note (cut when very long).
void drawHeader(Image *img, const std::string &caption,
                const std::string &note);

// A key's face in its colour (dark when 0) with the label centred.
void drawKey(Image *img, int x, int y, int w, int h, uint32_t colour,
             const char *label);

// Where a key or cell is drawn in its picture, so that a check can read a
// key's colour back from pixels (a corner away from the label: the inset
// point x + 3, y + 3 shows the key's face).
struct KeyBox {
  int x, y, w, h;
};

// "ff8000", or "FF8000" when upper.
std::string rgbHex(uint32_t rgb, bool upper = false);

// The text on a terminal background of that colour (dark when 0).
std::string terminalCell(uint32_t colour, const std::string &text);

// The label centred in width columns, cut when longer.
std::string fitLabel(const char *label, int width);

} // namespace preview

#endif
