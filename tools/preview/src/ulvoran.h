// The Ulvoran board as the LED engine sees it: a whole-board colour, the
// last bitmap, the colours given to single keys and the running effect.
#ifndef PREVIEW_ULVORAN_H
#define PREVIEW_ULVORAN_H

#include "draw.h"
#include "logs.h"

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

// Columns the engine's bitmap is drawn in (bytes per row).
constexpr int kUlvoranBitmapColumns = 24;

struct UlvoranKey {
  std::string how; // ScanCode, HidCode, QuartzCode, KeyName
  int32_t key;
  uint32_t colour;
};

struct UlvoranState {
  bool haveColour = false;
  uint32_t colour = 0; // 0x00RRGGBB from percentages
  std::vector<uint8_t> bitmap;
  std::vector<UlvoranKey> keys;
  std::string effect; // running flash or pulse, as text
};

bool applyUlvoranLine(const LogLine &line, UlvoranState *state,
                      std::string *note);

// Percent (0..100, clamped) to a byte.
uint8_t percentToByte(int32_t percent);

// Where the whole-board colour is drawn in the board's picture.
KeyBox ulvoranColourBox();

// The board's picture; note is the line below the caption.
Image drawUlvoranBoard(const UlvoranState &s, const std::string &note,
                       const std::string &caption);

} // namespace preview

#endif
