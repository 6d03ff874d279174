// The steady-state picture and the potion colour as the library receives
// them, byte for byte, through the complete stand-in.
#include "duvek_host.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Keys = std::vector<std::pair<int, uint32_t>>;

const int Movement[] = {20, 47, 68, 69, 70, 117};

class Complete : public ::testing::Test {
protected:
  void SetUp() override {
    dv::resetBridge();
    ASSERT_EQ(dv::init0(), 0);
    dvrec_clear();
  }
  void TearDown() override { dv::resetBridge(); }

  // Draws once and hands back the one block the library saw.
  duvek::KeyGridEffect drawn() {
    EXPECT_EQ(dv::update(), 0);
    auto calls = dvrec_calls();
    EXPECT_EQ(calls.size(), 1u);
    dvrec_clear();
    if (calls.empty())
      return {};
    EXPECT_TRUE(calls[0].hasBlock);
    EXPECT_FALSE(calls[0].thirdNonNull);
    return dv::decodeKeyGrid(calls[0]);
  }

  static Keys movement(uint32_t color) {
    Keys k;
    for (int i : Movement)
      k.emplace_back(i, color);
    return k;
  }
};

Keys bar(int first, int count, uint32_t color) {
  Keys k;
  for (int j = 0; j < count; j++)
    k.emplace_back(first + j, color);
  return k;
}

Keys merged(Keys a, const Keys &b) {
  a.insert(a.end(), b.begin(), b.end());
  std::sort(a.begin(), a.end());
  return a;
}

bool baseIsZero(const duvek::KeyGridEffect &e) {
  for (uint32_t c : e.base.color)
    if (c != 0)
      return false;
  return true;
}

TEST_F(Complete, DefaultPictureIsWhiteMovementKeysWithTheFlag) {
  dvrec_set_effect_result(42);
  EXPECT_EQ(dv::update(), 42) << "update hands on the library's result";
  auto calls = dvrec_calls();
  ASSERT_EQ(calls.size(), 1u);
  const DvCall &c = calls[0];
  EXPECT_EQ(c.type, 8);
  ASSERT_EQ(c.block.size(), 1056u);
  for (int i = 0; i < 1056; i++) {
    int key = (i - 528) / 4;
    bool movement = i >= 528 && std::count(std::begin(Movement),
                                           std::end(Movement), key) != 0;
    static const uint8_t white[] = {0xFF, 0xFF, 0xFF, 0x01};
    uint8_t want = movement ? white[i % 4] : 0;
    ASSERT_EQ(c.block[i], want) << "byte " << i;
  }
}

TEST_F(Complete, EveryKeyModeUsesLibraryColourOrder) {
  dv::setIlluminatedKeys(2, 0x00123456); // R 0x12, G 0x34, B 0x56
  dv::updateHealthAndArmor(0.5f, 0.35f);
  duvek::KeyGridEffect e = drawn();
  for (uint32_t c : e.base.color)
    ASSERT_EQ(c, 0x00563412u);
  EXPECT_EQ(dv::setKeys(e),
            merged(bar(3, 6, 0x01007F7Fu), bar(24, 3, 0x0100FFFFu)));
}

TEST_F(Complete, MovementSetInPureRed) {
  dv::setIlluminatedKeys(1, 0x00FF0000);
  duvek::KeyGridEffect e = drawn();
  EXPECT_TRUE(baseIsZero(e));
  EXPECT_EQ(dv::setKeys(e), movement(0x010000FFu));
}

TEST_F(Complete, HealthBarFromF1ArmourBarFromTheTopRowUpwards) {
  const float nan = std::nanf("");
  struct {
    float health;
    int lit;
  } cases[] = {{0.5f, 6},  {1.0f, 12}, {1.5f, 12}, {0.0f, 0},
               {0.04f, 0}, {nan, 0},   {-3.0f, 0}, {1e20f, 12}};
  for (const auto &c : cases) {
    dv::updateHealthAndArmor(c.health, 0.0f);
    duvek::KeyGridEffect e = drawn();
    Keys want = movement(0x01FFFFFFu);
    if (c.lit > 0)
      want = merged(want, bar(3, c.lit, duvek::healthColor(c.lit)));
    EXPECT_EQ(dv::setKeys(e), want) << "health " << c.health;
  }
  for (auto [armor, lit] : {std::pair{0.35f, 3}, {0.7f, 7}, {100.0f, 10}}) {
    dv::updateHealthAndArmor(0.0f, armor);
    EXPECT_EQ(dv::setKeys(drawn()),
              merged(movement(0x01FFFFFFu), bar(24, lit, 0x0100FFFFu)))
        << "armour " << armor;
  }
}

TEST_F(Complete, HiddenBarsDrawNothing) {
  dv::updateHealthAndArmor(1.0f, 1.0f);
  dv::setShowHealth(false);
  EXPECT_EQ(dv::setKeys(drawn()),
            merged(movement(0x01FFFFFFu), bar(24, 10, 0x0100FFFFu)));
  dv::setShowArmor(false);
  EXPECT_EQ(dv::setKeys(drawn()), movement(0x01FFFFFFu));
}

TEST_F(Complete, PotionColourIsOneLibraryColour) {
  dv::displayPotionColor(0x00FF0000);
  auto calls = dvrec_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].type, 4);
  EXPECT_EQ(calls[0].block, (std::vector<uint8_t>{0xFF, 0, 0, 0}));
  EXPECT_FALSE(calls[0].thirdNonNull);
}

TEST_F(Complete, SettingsSurviveUnInitAndInit) {
  dv::setIlluminatedKeys(3, 0x000000FF);
  dv::setShowArmor(false);
  dv::updateHealthAndArmor(0.5f, 1.0f);
  EXPECT_EQ(dv::unInit0(), 0);
  EXPECT_EQ(dv::init0(), 0);
  dvrec_clear();
  duvek::KeyGridEffect e = drawn();
  for (uint32_t c : e.base.color)
    ASSERT_EQ(c, 0x00FF0000u);
  EXPECT_EQ(dv::setKeys(e), bar(3, 6, 0x01007F7Fu));
}

} // namespace
