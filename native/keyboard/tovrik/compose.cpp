#include "compose.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace tovrik {

// The product is taken in single precision on purpose: 0.7f * 10 is exactly
// 7.0f, where the double product would truncate to 6.  Everything the plain
// unsigned conversion leaves undefined (NaN, infinities, values at or below
// -1 and at or above 2^32) is decided here first, so a bar never lights more
// than its own keys.
uint32_t barCount(float fraction, uint32_t length) {
#if FLT_EVAL_METHOD != 0
  // x87 arithmetic keeps excess precision (6.9999999 where the float
  // product is exactly 7); a store rounds it to single precision.
  volatile float rounded = fraction * static_cast<float>(length);
  float product = rounded;
#else
  float product = fraction * static_cast<float>(length);
#endif
  if (!std::isfinite(product) || product <= 0.0f)
    return 0;
  if (product >= static_cast<float>(length))
    return length;
  return static_cast<uint32_t>(product);
}

namespace {

void fillBar(KeyFrame &frame, int first, uint32_t keys, uint32_t lit) {
  for (uint32_t i = 0; i < keys; i++)
    frame.keys[first + i] = i < lit ? 1 : 0;
}

} // namespace

void composeFrame(const FrameInputs &in, KeyFrame &frame) {
  bool movementOnly = in.illuminatedKeys == 1;
  std::memset(frame.keys, movementOnly ? 0 : 1, sizeof frame.keys);
  if (movementOnly)
    for (int key : kMovementKeys)
      frame.keys[key] = 1;
  if (in.showHealth)
    fillBar(frame, kHealthFirstKey, kHealthKeys,
            barCount(in.health, kHealthKeys));
  if (in.showArmor)
    fillBar(frame, kArmorFirstKey, kArmorKeys, barCount(in.armor, kArmorKeys));
}

} // namespace tovrik
