// The arithmetic of the picture: colour conversion, bar counts for every
// kind of float, and the health colours.
#include "controller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using duvek::barCount;
using duvek::healthColor;
using duvek::toEffectColor;

TEST(Compose, EffectColorSwapsRedAndBlueAndDropsTopByte) {
  EXPECT_EQ(toEffectColor(0x00FF0000), 0x000000FFu);
  EXPECT_EQ(toEffectColor(0x0000FF00), 0x0000FF00u);
  EXPECT_EQ(toEffectColor(0x000000FF), 0x00FF0000u);
  EXPECT_EQ(toEffectColor(0x00123456), 0x00563412u);
  EXPECT_EQ(toEffectColor(static_cast<int32_t>(0xFF123456u)), 0x00563412u);
  EXPECT_EQ(toEffectColor(-1), 0x00FFFFFFu);
}

TEST(Compose, BarCountTruncatesTheSinglePrecisionProductOfAnyFloat) {
  EXPECT_EQ(barCount(0.7f, 10), 7u); // the double product would give 6
  EXPECT_EQ(barCount(0.35f, 10), 3u);
  EXPECT_EQ(barCount(0.5f, 12), 6u);
  EXPECT_EQ(barCount(0.04f, 12), 0u);
  EXPECT_EQ(barCount(1.0f / 12.0f, 12), 1u);
  EXPECT_EQ(barCount(0.9999f, 12), 11u);
  EXPECT_EQ(barCount(1.0f, 12), 12u);
  EXPECT_EQ(barCount(1.0f, 10), 10u);
  // Every other float, in range or not, gives a defined count.
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float cases[][2] = {
      {nan, 0},      {-nan, 0},
      {inf, 0},      {-inf, 0},
      {-0.0f, 0},    {-0.05f, 0},
      {-0.5f, 0},    {-1.0f, 0},
      {-1e30f, 0},   {1.5f, 12},
      {2.0f, 12},    {4294967296.0f, 12},
      {1e30f, 12},   {3.4e38f, 0},
      {1e-45f, 0},   {std::nextafter(1.0f, 0.0f), 11},
      {-3.4e38f, 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(barCount(c[0], 12), static_cast<uint32_t>(c[1]))
        << "fraction " << c[0];
  EXPECT_EQ(barCount(1e30f, 10), 10u);
  EXPECT_EQ(barCount(nan, 10), 0u);
  // Products that overflow to infinity in single precision count as
  // infinite: no keys.
  EXPECT_EQ(barCount(std::numeric_limits<float>::max(), 12), 0u);
}

TEST(Compose, HealthColorGreenGrowsAsRedShrinks) {
  EXPECT_EQ(healthColor(1), 0x010015E9u);  // green 21, red 233
  EXPECT_EQ(healthColor(6), 0x01007F7Fu);  // 127 and 127
  EXPECT_EQ(healthColor(12), 0x0100FF00u); // full green
  EXPECT_EQ(healthColor(4), 0x010055AAu);  // 85 and 170
  EXPECT_EQ(healthColor(0), 0x010000FFu);
}
