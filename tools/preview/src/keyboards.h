// What the two keyboards look like: the Tovrik board's 110 key lights in
// the order of its key table (with each key's bit in the 15-byte key bitmap
// and a place to draw it), and the Duvek board's 6 x 22 colour grid.
#ifndef PREVIEW_KEYBOARDS_H
#define PREVIEW_KEYBOARDS_H

#include <cstdint>

namespace preview {

constexpr int kTovrikKeys = 110;
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

constexpr int kDuvekRows = 6;
constexpr int kDuvekColumns = 22;
constexpr int kDuvekCells = kDuvekRows * kDuvekColumns;
constexpr uint32_t kDuvekKeySetFlag = 0x01000000;

// A label for the grid cell when the bridges give it a meaning (bars and the
// movement keys), else null.
const char *duvekCellLabel(int row, int column);

// 0x00BBGGRR as the effect library lays colours out, to 0x00RRGGBB.
uint32_t effectToRgb(uint32_t bgr);

} // namespace preview

#endif
