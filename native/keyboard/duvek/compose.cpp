// The steady-state picture and its helpers: plain arithmetic on the lighting
// inputs, nothing of the library or of Windows.
#include "compose.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace duvek {

uint32_t toEffectColor(int32_t javaColor) {
  uint32_t c = static_cast<uint32_t>(javaColor);
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

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

// Worked out in double precision at compile time, where the arithmetic is
// plain IEEE double on every target (the x87 build would otherwise carry
// excess precision into values such as 4 / 12 * 255).
static constexpr uint32_t healthColorOf(uint32_t lit) {
  uint32_t green = static_cast<uint32_t>(lit / 12.0 * 255.0) & 0xFFu;
  uint32_t red = static_cast<uint32_t>((12.0 - lit) / 12.0 * 255.0) & 0xFFu;
  return kKeySetFlag | (green << 8) | red;
}

namespace {

// Every bar, for every count, as it lies in the key grid: row n holds n lit
// keys followed by zeros.  A draw copies one fixed-size row instead of
// looping over a variable count.
template <uint32_t Length> struct BarRows { uint32_t row[Length + 1][Length]; };

constexpr BarRows<kHealthKeys> makeHealthBars() {
  BarRows<kHealthKeys> t{};
  for (uint32_t n = 0; n <= kHealthKeys; n++)
    for (uint32_t j = 0; j < n; j++)
      t.row[n][j] = healthColorOf(n);
  return t;
}

constexpr BarRows<kArmorKeys> makeArmorBars() {
  BarRows<kArmorKeys> t{};
  for (uint32_t n = 0; n <= kArmorKeys; n++)
    for (uint32_t j = 0; j < n; j++)
      t.row[n][j] = kArmorColor;
  return t;
}

constexpr BarRows<kHealthKeys> kHealthBars = makeHealthBars();
constexpr BarRows<kArmorKeys> kArmorBars = makeArmorBars();

} // namespace

uint32_t healthColor(uint32_t lit) {
  constexpr uint32_t none = healthColorOf(0);
  if (lit == 0)
    return none;
  return kHealthBars.row[lit < kHealthKeys ? lit : kHealthKeys][0];
}

void fillColorGrid(ColorGrid *grid, uint32_t color) {
  for (uint32_t &entry : grid->color)
    entry = color;
}

// The three key sets never share a key, so each writes its own entries over
// a zeroed key grid in any order.  Everything is worked out from the inputs
// before the block is touched: the compiler must assume `out` may alias
// `in`, and would otherwise read the inputs again after the zeroing.
void composeFrame(const FrameInputs &in, KeyGridEffect *out) {
  const bool movement = in.illuminatedKeys == 1;
  const uint32_t color = in.keyColor;
  const uint32_t *health =
      in.showHealth ? kHealthBars.row[barCount(in.health, kHealthKeys)]
                    : nullptr;
  const uint32_t *armor =
      in.showArmor ? kArmorBars.row[barCount(in.armor, kArmorKeys)] : nullptr;
  if (movement) {
    std::memset(out, 0, sizeof *out);
#pragma GCC unroll 6
    for (int index : kMovementKeys)
      out->keys.color[index] = color | kKeySetFlag;
  } else {
    fillColorGrid(&out->base, color);
    std::memset(&out->keys, 0, sizeof out->keys);
  }
  if (health)
    std::memcpy(&out->keys.color[kHealthFirstKey], health,
                sizeof kHealthBars.row[0]);
  if (armor)
    std::memcpy(&out->keys.color[kArmorFirstKey], armor,
                sizeof kArmorBars.row[0]);
}

} // namespace duvek
