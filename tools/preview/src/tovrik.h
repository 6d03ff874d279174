// The Tovrik board as the lighting service sees it: 110 key lights in the
// order of its key table (each with its bit in the 15-byte key bitmap and a
// place to draw it), per-key control, the colour last posted, and the light
// handed back.
#ifndef PREVIEW_TOVRIK_H
#define PREVIEW_TOVRIK_H

#include "draw.h"
#include "logs.h"

#include <cstdint>
#include <string>

namespace preview {

constexpr int kTovrikKeys = 110;
constexpr int kTovrikRows = 6;
constexpr int kTovrikBitmapBytes = 15;

struct TovrikKey {
  uint8_t usage;     // USB HID usage, Keyboard/Keypad page
  uint8_t bit;       // position in the key bitmap
  const char *label; // short label drawn on the key
  int row;           // 0 (top) to 5
  int x;             // left edge, in quarter key widths
  int width;         // in quarter key widths
};

// The keys in key-table order, index 0 (Escape) to 109 (Keypad period).
const TovrikKey *tovrikKeys();

// Total width of the drawn board, in quarter key widths.
int tovrikBoardWidth();

// Whether key i is lit in a 15-byte key bitmap.
bool tovrikKeyLit(const uint8_t *bitmap, int key);

// The key whose label is the given text (as drawn), or -1.
int tovrikKeyByLabel(const char *label);

// The lighting service's view of the board.
struct TovrikState {
  bool sdkMode = false;       // per-key control taken over
  uint32_t colour = 0xFFFFFF; // last colour posted, 0x00RRGGBB
  uint8_t bitmap[kTovrikBitmapBytes] = {};
  bool restored = false; // light handed back to the service
};

// Applies one service log line; true when what the board shows changed.
bool applyTovrikLine(const LogLine &line, TovrikState *state,
                     std::string *note);

// The colour a key shows in that state (0 when dark).
uint32_t tovrikKeyColour(const TovrikState &s, int key);

// Where a key is drawn in the board's picture.
KeyBox tovrikKeyBox(int key);

// The board's picture; note is the line below the caption.
Image drawTovrikBoard(const TovrikState &s, const std::string &note,
                      const std::string &caption);

} // namespace preview

#endif
