// Tovrik's steady-state frame from any settings and any 32-bit float
// patterns for health and armour: each bar lights a prefix of at most its
// own keys, every other key follows the mode alone, and the bar count is
// never above the bar's length.
#include <cstring>

#include "compose.h"
#include "fuzz_input.h"

using namespace tovrik;

namespace {

bool inBar(int key, int first, int length) {
  return key >= first && key < first + length;
}

void checkBar(const KeyFrame &f, int first, uint32_t length, uint32_t lit) {
  for (uint32_t i = 0; i < length; i++)
    FUZZ_REQUIRE(f.keys[first + i] == (i < lit ? 1 : 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in{data, size};
  uint8_t flags = in.take<uint8_t>();
  FrameInputs inputs{in.take<int32_t>(), (flags & 1) != 0, (flags & 2) != 0,
                     in.take<float>(), in.take<float>()};
  uint32_t health = barCount(inputs.health, kHealthKeys);
  uint32_t armor = barCount(inputs.armor, kArmorKeys);
  FUZZ_REQUIRE(health <= kHealthKeys && armor <= kArmorKeys);
  KeyFrame f;
  std::memset(f.keys, 0xAA, sizeof f.keys);
  composeFrame(inputs, f);
  if (inputs.showHealth)
    checkBar(f, kHealthFirstKey, kHealthKeys, health);
  if (inputs.showArmor)
    checkBar(f, kArmorFirstKey, kArmorKeys, armor);
  bool movementOnly = inputs.illuminatedKeys == 1;
  for (int key = 0; key < kKeyCount; key++) {
    if ((inputs.showHealth && inBar(key, kHealthFirstKey, kHealthKeys)) ||
        (inputs.showArmor && inBar(key, kArmorFirstKey, kArmorKeys)))
      continue;
    bool movement = false;
    for (int k : kMovementKeys)
      movement |= k == key;
    FUZZ_REQUIRE(f.keys[key] == (!movementOnly || movement ? 1 : 0));
  }
  return 0;
}
