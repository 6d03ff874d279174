#include "frame.h"

#include <cmath>
#include <cstring>

uint32_t barCount(float fraction, uint32_t length) {
  // A named float forces the rounding even where the FPU keeps more bits.
  volatile float product = fraction * static_cast<float>(length);
  float p = product;
  if (!std::isfinite(p) || p <= 0.0f)
    return 0;
  if (p >= static_cast<float>(length))
    return length;
  return static_cast<uint32_t>(p);
}

static void fillBar(KeyFrame &frame, int first, uint32_t keys, uint32_t lit) {
  for (uint32_t i = 0; i < keys; i++)
    frame.keys[first + i] = i < lit ? 1 : 0;
}

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
