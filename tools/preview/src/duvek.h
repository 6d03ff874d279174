// The Duvek board as the effect library sees it: a 6 x 22 grid of colours
// that each keyboard effect replaces whole.
#ifndef PREVIEW_DUVEK_H
#define PREVIEW_DUVEK_H

#include "draw.h"
#include "logs.h"

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

constexpr int kDuvekRows = 6;
constexpr int kDuvekColumns = 22;
constexpr int kDuvekCells = kDuvekRows * kDuvekColumns;
// In a key grid, an entry with this flag shows its own colour over the base.
constexpr uint32_t kDuvekKeySetFlag = 0x01000000;

// The effect types of the library's "CreateKeyboardEffect" calls.
enum DuvekEffect : int {
  kEffectOff = 0,
  kEffectColorGrid = 2,
  kEffectSingleColor = 4,
  kEffectKeyGrid = 8,
};

// A label for the grid cell when the bridges give it a meaning (bars and the
// movement keys), else null.
const char *duvekCellLabel(int row, int column);

// 0x00BBGGRR as the effect library lays colours out, to 0x00RRGGBB.
uint32_t effectToRgb(uint32_t bgr);

// The effect library's view of the board.
struct DuvekState {
  int effect = -1;                  // last effect type, -1 before any
  uint32_t cells[kDuvekCells] = {}; // shown colours, 0x00RRGGBB
};

bool applyDuvekLine(const LogLine &line, DuvekState *state, std::string *note);

// Composes what a keyboard shows for one effect type and parameter block
// (null for type 0); false for a type or block size it does not know.
bool composeDuvekEffect(int type, const std::vector<uint8_t> &block,
                        uint32_t *cells);

// Where a grid cell is drawn in the board's picture.
KeyBox duvekCellBox(int row, int column);

// The board's picture; note is the line below the caption.
Image drawDuvekBoard(const DuvekState &s, const std::string &note,
                     const std::string &caption);

} // namespace preview

#endif
