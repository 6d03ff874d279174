// The key table, the bitmap packing and the bar counts, with no windows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "frame.h"
#include "key_bitmap.h"

namespace {

TEST(KeyLedMapTable, UniqueUsagesAndPositionsLeavingTenUnnamed) {
  std::set<int> usages, bits;
  for (const KeyLedRow &r : KeyLedMap) {
    EXPECT_LE(r.bit, 118);
    usages.insert(r.usage);
    bits.insert(r.bit);
  }
  EXPECT_EQ(usages.size(), 110u);
  EXPECT_EQ(bits.size(), 110u);
  std::set<int> unnamed;
  for (int p = 0; p < 120; p++)
    if (!bits.count(p))
      unnamed.insert(p);
  EXPECT_EQ(unnamed,
            (std::set<int>{32, 56, 71, 91, 100, 101, 102, 111, 113, 119}));
  // Logical keys the controller addresses by index.
  EXPECT_EQ(KeyLedMap[1].usage, 0x3A);
  EXPECT_EQ(KeyLedMap[12].usage, 0x45);
  EXPECT_EQ(KeyLedMap[18].usage, 0x1E);
  EXPECT_EQ(KeyLedMap[27].usage, 0x27);
  EXPECT_EQ(KeyLedMap[41].usage, 0x1A);
  EXPECT_EQ(KeyLedMap[62].usage, 0x04);
  EXPECT_EQ(KeyLedMap[63].usage, 0x16);
  EXPECT_EQ(KeyLedMap[64].usage, 0x07);
  EXPECT_EQ(KeyLedMap[100].usage, 0x2C);
}

TEST(KeyBitmap, ApplyTouchesOnlyNamedBitsAndReadsBitZero) {
  LedBitmap b;
  fillBitmap(b, true);
  KeyFrame f{};
  f.keys[5] = 0xFE; // even: off
  applyFrame(b, f);
  const uint8_t want[15] = {0,    0, 0, 0, 1,    0,    0,   1,
                            0x80, 0, 0, 8, 0x70, 0x80, 0x82};
  EXPECT_EQ(0, std::memcmp(b.bytes, want, 15));
  KeyBitmapPayload p = makePayload(b);
  EXPECT_EQ(0, std::memcmp(p.bytes, want, 15));
  for (int i = 15; i < 20; i++)
    EXPECT_EQ(p.bytes[i], 0);
}

TEST(KeyBitmap, ShortReportsLeaveTheBitmap) {
  LedBitmap b;
  fillBitmap(b, false);
  uint8_t data[15];
  std::memset(data, 0x33, sizeof data);
  EXPECT_FALSE(readReport(data, 14, b));
  EXPECT_FALSE(readReport(nullptr, 15, b));
  EXPECT_EQ(b.bytes[0], 0);
  EXPECT_TRUE(readReport(data, 15, b));
  EXPECT_EQ(b.bytes[14], 0x33);
  EXPECT_EQ(packBytes(1, 1, 2), 0x00010102u);
  EXPECT_EQ(packBytes(255, 0, 0), 0x00FF0000u);
}

TEST(BarCount, TruncatesSinglePrecisionProducts) {
  EXPECT_EQ(barCount(0.5f, 12), 6u);
  EXPECT_EQ(barCount(0.99f, 12), 11u);
  EXPECT_EQ(barCount(1.0f, 12), 12u);
  EXPECT_EQ(barCount(0.04f, 12), 0u);
  EXPECT_EQ(barCount(0.25f, 10), 2u);
  EXPECT_EQ(barCount(0.7f, 10), 7u);
  for (int k = 0; k <= 12; k++)
    EXPECT_EQ(barCount(static_cast<float>(k) / 12.0f, 12), unsigned(k)) << k;
  for (int k = 0; k <= 10; k++)
    EXPECT_EQ(barCount(static_cast<float>(k) / 10.0f, 10), unsigned(k)) << k;
}

TEST(BarCount, OutOfRangeValuesAreDefined) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(barCount(std::nanf(""), 12), 0u);
  EXPECT_EQ(barCount(inf, 12), 0u);
  EXPECT_EQ(barCount(-inf, 12), 0u);
  EXPECT_EQ(barCount(3.0e38f, 12), 0u); // the product overflows to infinity
  EXPECT_EQ(barCount(-0.05f, 12), 0u);
  EXPECT_EQ(barCount(-5.0f, 12), 0u);
  EXPECT_EQ(barCount(1.5f, 12), 12u);
  EXPECT_EQ(barCount(1.0e30f, 10), 10u);
}

int lit(const KeyFrame &f) {
  int n = 0;
  for (uint8_t k : f.keys)
    n += k;
  return n;
}

TEST(ComposeFrame, ModesAndBars) {
  KeyFrame f;
  composeFrame({1, false, false, 1.0f, 1.0f}, f);
  EXPECT_EQ(lit(f), 5);
  for (int k : kMovementKeys)
    EXPECT_EQ(f.keys[k], 1);
  for (int32_t mode : {0, 2, -1}) {
    composeFrame({mode, false, false, 0.0f, 0.0f}, f);
    EXPECT_EQ(lit(f), 110) << mode;
  }
  composeFrame({0, true, false, 0.0f, 0.0f}, f);
  EXPECT_EQ(lit(f), 98);
  composeFrame({1, true, true, 0.5f, 0.25f}, f);
  EXPECT_EQ(lit(f), 13);
  EXPECT_EQ(f.keys[6], 1);
  EXPECT_EQ(f.keys[7], 0);
  EXPECT_EQ(f.keys[19], 1);
  EXPECT_EQ(f.keys[20], 0);
  composeFrame({1, true, true, std::nanf(""), 1e9f}, f);
  EXPECT_EQ(lit(f), 15);
  EXPECT_EQ(f.keys[0], 0); // Escape follows the mode alone
}

} // namespace
