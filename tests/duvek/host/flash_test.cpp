// The damage flash: its frames and pauses, overlapping flashes, and a flash
// that meets unInit0 (run under ThreadSanitizer too).
#include "duvek_host.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

class Flash : public ::testing::Test {
protected:
  void SetUp() override { dv::resetBridge(); }
  void TearDown() override { dv::resetBridge(); }
};

std::vector<int> types(const std::vector<DvCall> &calls) {
  std::vector<int> t;
  t.reserve(calls.size());
  for (const DvCall &c : calls)
    t.push_back(c.type);
  return t;
}

bool allRed(const DvCall &c) {
  if (c.block.size() != 528)
    return false;
  for (size_t i = 0; i < c.block.size(); i++)
    if (c.block[i] != (i % 4 == 0 ? 0xFF : 0))
      return false;
  return true;
}

int redraws() {
  auto t = types(dv::effects(dvrec_calls()));
  return static_cast<int>(std::count(t.begin(), t.end(), 8));
}

// Waits until the record holds n effects, or a generous while.
std::vector<DvCall> awaitEffects(size_t n) {
  for (int i = 0; i < 300; i++) {
    auto e = dv::effects(dvrec_calls());
    if (e.size() >= n)
      return e;
    Sleep(10);
  }
  return dv::effects(dvrec_calls());
}

// The host keeps calling update through the flash and sends a potion colour
// after the first red: update stays off the flash to its very end, and the
// potion is drawn at once rather than at the flash's next step.
TEST_F(Flash, RedDarkRedThenTheCurrentPicture) {
  ASSERT_EQ(dv::init0(), 0);
  dvrec_clear();
  dv::onDamage();
  ASSERT_EQ(awaitEffects(1).size(), 1u);
  EXPECT_TRUE(duvek::controllerState.flashing.load());
  dv::displayPotionColor(0x00FF0000);
  dv::updateHealthAndArmor(1.0f, 0.0f); // shown by the closing redraw
  while (dv::update() == -1 && duvek::runningFlashThreads() > 0)
    Sleep(1);
  dv::waitForFlashes();
  auto calls = dv::effects(dvrec_calls());
  ASSERT_GE(calls.size(), 5u);
  calls.resize(5); // the flash's own redraw or the update that drew first
  ASSERT_EQ(types(calls), (std::vector<int>{2, 4, 0, 2, 8}));
  EXPECT_TRUE(allRed(calls[0]));
  EXPECT_EQ(calls[1].block, (std::vector<uint8_t>{0xFF, 0, 0, 0}));
  EXPECT_LT(calls[1].micros - calls[0].micros, 50000) << "potion at once";
  EXPECT_FALSE(calls[2].hasBlock);
  EXPECT_TRUE(allRed(calls[3]));
  for (const DvCall &c : calls)
    EXPECT_FALSE(c.thirdNonNull);
  EXPECT_EQ(dv::setKeys(dv::decodeKeyGrid(calls[4])).size(), 6u + 12u);
  // Sleep never returns early; the upper bound only catches a hang.  The
  // last gap also shows that no update drew in the flash's last 80 ms.
  const DvCall *steps[] = {&calls[0], &calls[2], &calls[3], &calls[4]};
  const int64_t minGap[] = {99000, 99000, 79000};
  for (int i = 0; i < 3; i++) {
    int64_t gap = steps[i + 1]->micros - steps[i]->micros;
    EXPECT_GE(gap, minGap[i]) << "pause " << i;
    EXPECT_LT(gap, 5000000) << "pause " << i;
  }
  EXPECT_FALSE(duvek::controllerState.flashing.load());
}

TEST_F(Flash, SecondFlashOverlapsAndFirstEndClearsFlashing) {
  ASSERT_EQ(dv::init0(), 0);
  dvrec_clear();
  dv::onDamage();
  Sleep(50);
  dv::onDamage();
  // Once the first redraw is out, flashing is clear although the second
  // sequence has not finished.
  for (int i = 0; i < 300 && redraws() == 0; i++)
    Sleep(5);
  ASSERT_GE(redraws(), 1);
  bool flashing = duvek::controllerState.flashing.load();
  EXPECT_TRUE(!flashing || redraws() == 2) << "the first end clears it";
  dv::waitForFlashes();
  // Both sequences ran whole; how they interleave depends on when the
  // second thread got going.
  std::vector<int> sorted = types(dv::effects(dvrec_calls()));
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<int>{0, 0, 2, 2, 2, 2, 8, 8}));
}

// unInit0 at several points into a flash: the flash never calls the library
// after its "UnInit" or once it is freed, what it did call is the start of
// its usual sequence, and it keeps its pauses and `flashing` to its end.
TEST_F(Flash, MeetsUnInitAtAnyPoint) {
  const DWORD offsets[] = {0,   1,   5,   50,  99,  100, 101,
                           150, 199, 200, 250, 279, 280, 285};
  const std::vector<int> sequence{2, 0, 2, 8};
  for (DWORD offset : offsets) {
    dv::resetBridge();
    ASSERT_EQ(dv::init0(), 0);
    dvrec_clear();
    auto start = std::chrono::steady_clock::now();
    dv::onDamage();
    Sleep(offset);
    EXPECT_EQ(dv::unInit0(), 0);
    // From 50 ms on the flash has surely begun (before, unInit0 may come
    // first and the flash rightly does nothing at all).
    bool begun = offset >= 50;
    if (begun && offset < 250) {
      EXPECT_TRUE(duvek::controllerState.flashing.load()) << offset;
    }
    dv::waitForFlashes();
    if (begun) {
      EXPECT_GE(std::chrono::steady_clock::now() - start,
                std::chrono::milliseconds(279))
          << "offset " << offset;
    }
    auto calls = dvrec_calls();
    EXPECT_FALSE(dv::anyLate(calls)) << "offset " << offset;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().entry, "UnInit") << "offset " << offset;
    auto drawn = types(dv::effects(calls));
    ASSERT_LE(drawn.size(), sequence.size());
    EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), sequence.begin()))
        << "offset " << offset;
    EXPECT_FALSE(duvek::controllerState.flashing.load());
  }
}

// A flash that outlives an unInit0 and init0 pair goes on with the binding
// that is current at each step: the new library shows its dark pause, its
// last red and its closing redraw.
TEST_F(Flash, StepsUseTheBindingCurrentAtEachStep) {
  ASSERT_EQ(dv::init0(), 0);
  dv::onDamage();
  Sleep(30);
  EXPECT_EQ(dv::unInit0(), 0);
  dvrec_clear();
  EXPECT_EQ(dv::init0(), 0);
  dv::waitForFlashes();
  auto calls = dvrec_calls();
  EXPECT_EQ(types(dv::effects(calls)), (std::vector<int>{0, 2, 8}));
  EXPECT_FALSE(dv::anyLate(calls));
  EXPECT_EQ(dv::update(), 0);
}

// Host threads set, draw and flash while another starts and stops the
// library.  Run under ThreadSanitizer this shows any data race; everywhere
// it shows any late call.
TEST_F(Flash, StressWithStartsAndStops) {
  std::atomic<bool> stop{false};
  auto worker = [&](int seed) {
    for (int i = 0; !stop.load(); i++) {
      dv::setIlluminatedKeys(i % 3, 0x00010203 * seed);
      dv::setShowHealth(i % 2);
      dv::setShowArmor(i % 5 != 0);
      dv::updateHealthAndArmor(static_cast<float>(i % 13) / 12.0f, 0.5f);
      dv::update();
      dv::displayPotionColor(i);
      if (i % 50 == 0)
        dv::onDamage();
      if (i % 8 == 0)
        Sleep(1);
    }
  };
  std::thread a(worker, 1), b(worker, 2);
  for (int i = 0; i < 40; i++) {
    dv::init0();
    Sleep(i % 7);
    dv::unInit0();
    Sleep(1);
  }
  stop.store(true);
  a.join();
  b.join();
  dv::waitForFlashes();
  EXPECT_FALSE(dv::anyLate(dvrec_calls()));
}

} // namespace
