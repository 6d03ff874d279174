// Duvek's steady-state composition from any state, with any 32-bit float
// patterns for health and armour: the base grid holds the key colour or
// nothing, never the set flag; the key grid holds only the movement set and
// a prefix of each bar, each entry flagged; every bar count is within its
// bar.
#include <cstring>

#include "controller.h"
#include "fuzz_input.h"

using namespace duvek;

namespace {

const int kMovement[] = {47, 68, 69, 70, 117, 20};
const int kHealthFirst = 3, kArmorFirst = kGridColumns + 2;

bool isMovement(int i) {
  for (int k : kMovement)
    if (k == i)
      return true;
  return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in{data, size};
  uint8_t flags = in.take<uint8_t>();
  FrameInputs s{in.take<int32_t>(), in.take<uint32_t>(), (flags & 1) != 0,
                (flags & 2) != 0,   in.take<float>(),    in.take<float>()};
  uint32_t health = barCount(s.health, 12), armor = barCount(s.armor, 10);
  FUZZ_REQUIRE(health <= 12 && armor <= 10);
  KeyGridEffect e;
  std::memset(&e, 0xAA, sizeof e);
  composeFrame(s, &e);
  bool movement = s.illuminatedKeys == 1;
  for (int i = 0; i < kGridSize; i++) {
    FUZZ_REQUIRE(e.base.color[i] == (movement ? 0 : s.keyColor));
    uint32_t want = 0;
    if (movement && isMovement(i))
      want = s.keyColor | kKeySetFlag;
    int h = i - kHealthFirst, a = i - kArmorFirst;
    if (s.showHealth && h >= 0 && h < 12)
      want = static_cast<uint32_t>(h) < health ? healthColor(health) : 0;
    if (s.showArmor && a >= 0 && a < 10)
      want = static_cast<uint32_t>(a) < armor ? kArmorColor : 0;
    FUZZ_REQUIRE(e.keys.color[i] == want);
    FUZZ_REQUIRE(want == 0 || (want & kKeySetFlag));
  }
  return 0;
}
