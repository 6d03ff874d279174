// The steady-state picture: which keys a render lights, from the settings
// and the game state.  Plain code, shared by the controller and its tests.
#ifndef TOVRIK_COMPOSE_H
#define TOVRIK_COMPOSE_H

#include <cstdint>

#include "key_bitmap.h"

namespace tovrik {

constexpr int kHealthFirstKey = 1; // F1..F12
constexpr int kHealthKeys = 12;
constexpr int kArmorFirstKey = 18; // number row 1..0
constexpr int kArmorKeys = 10;
constexpr int kMovementKeys[] = {41, 62, 63, 64, 100}; // W A S D Space

struct FrameInputs {
  int32_t illuminatedKeys;
  bool showHealth;
  bool showArmor;
  float health;
  float armor;
};

// How many keys of a bar of `length` a fraction lights.  The product is
// rounded to single precision first, so 0.7f of ten is seven.  Not-a-number,
// infinite and negative products light nothing; anything past the bar lights
// the whole bar.
uint32_t barCount(float fraction, uint32_t length);

void composeFrame(const FrameInputs &in, KeyFrame &frame);

} // namespace tovrik

#endif
