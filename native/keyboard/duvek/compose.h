// The steady-state picture: the effect blocks the library draws and the
// plain arithmetic that fills them from the lighting inputs.  Nothing here
// knows of the library or of Windows.
#ifndef DUVEK_COMPOSE_H
#define DUVEK_COMPOSE_H

#include <cstdint>

namespace duvek {

// Effect types understood by the library's "CreateKeyboardEffect".
enum EffectType : int32_t {
  kEffectOff = 0,
  kEffectColorGrid = 2,
  kEffectSingleColor = 4,
  kEffectKeyGrid = 8,
};

constexpr int kGridRows = 6;
constexpr int kGridColumns = 22;
constexpr int kGridSize = kGridRows * kGridColumns;
constexpr uint32_t kKeySetFlag = 0x01000000u;
constexpr uint32_t kArmorColor = 0x0100FFFFu;
constexpr uint32_t kFlashRed = 0x000000FFu;

// A key's place in the grid, row by row from the top.
constexpr int gridKey(int row, int column) {
  return row * kGridColumns + column;
}

// W A S D Space, and the extra key at the top right.
constexpr int kMovementKeys[] = {gridKey(2, 3), gridKey(3, 2), gridKey(3, 3),
                                 gridKey(3, 4), gridKey(5, 7), gridKey(0, 20)};
constexpr int kHealthFirstKey = gridKey(0, 3); // F1..F12
constexpr uint32_t kHealthKeys = 12;
constexpr int kArmorFirstKey = gridKey(1, 2); // number row 1..0
constexpr uint32_t kArmorKeys = 10;

struct ColorGrid {
  uint32_t color[kGridSize];
};

struct KeyGridEffect {
  ColorGrid base;
  ColorGrid keys;
};

static_assert(sizeof(ColorGrid) == 528, "the library reads 528 bytes");
static_assert(sizeof(KeyGridEffect) == 1056, "the library reads 1056 bytes");

// One consistent set of inputs for the steady-state picture.
struct FrameInputs {
  int32_t illuminatedKeys;
  uint32_t keyColor;
  bool showHealth;
  bool showArmor;
  float health;
  float armor;
};

uint32_t toEffectColor(int32_t javaColor);
uint32_t barCount(float fraction, uint32_t length);
uint32_t healthColor(uint32_t lit);
void composeFrame(const FrameInputs &in, KeyGridEffect *out);
void fillColorGrid(ColorGrid *grid, uint32_t color);

} // namespace duvek

#endif
