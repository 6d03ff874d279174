// The controller through its native methods, against a service thread: the
// state transitions and the flash.  The wire bytes of renders are checked
// on the real DLL under Wine and through the JVM.
#include <jni.h>

#include <chrono>

#include "tovrik_fixture.h"

namespace {

const char kAllOn[] = "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF";
const char kAllOff[] = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";

class ControllerTest : public ServiceTest {
protected:
  void initAndClear() {
    ASSERT_TRUE(M(init)(nullptr, nullptr));
    expectEvents(2); // mode on, every key dark
    service->clear();
  }
};

int litKeys(const std::vector<uint8_t> &bitmap) {
  // Counts set bits: after init the unnamed positions are dark, so in a
  // render every set bit is a key.
  int n = 0;
  for (int i = 0; i < 15; i++)
    n += __builtin_popcount(bitmap[i]);
  return n;
}

TEST_F(ControllerTest, InitTakesOverAndDarkens) {
  ASSERT_TRUE(M(init)(nullptr, nullptr));
  auto ev = expectEvents(2);
  ASSERT_EQ(ev.size(), 2u);
  auto mode = modes(ev);
  ASSERT_EQ(mode.size(), 1u);
  EXPECT_EQ(mode[0].wp, 15u);
  EXPECT_EQ(mode[0].lp, 1);
  ASSERT_EQ(bitmaps(ev).size(), 1u);
  EXPECT_EQ(hex(bitmaps(ev)[0].data), kAllOff);
  EXPECT_TRUE(controllerState.initialized.load());
}

TEST_F(ControllerTest, NothingDrawnBeforeInitPotionRegardless) {
  M(update)(nullptr, nullptr);
  M(onDamage)(nullptr, nullptr);
  M(displayPotionColor)(nullptr, nullptr, 0x00102030);
  auto ev = expectEvents(2);
  pumpUntil([] { return activeFlashWorkers.load() == 0; });
  ev = service->events();
  ASSERT_EQ(ev.size(), 2u);
  ASSERT_EQ(lights(ev).size(), 1u);
  EXPECT_EQ(lights(ev)[0].wp, 0x00000102u);
  EXPECT_EQ(lights(ev)[0].lp, 0x00102030);
  EXPECT_EQ(hex(bitmaps(ev)[0].data), kAllOn);
  EXPECT_EQ(controllerState.lastSentColor.load(), 0x00FFFFFFu);
  EXPECT_FALSE(controllerState.flashing.load());
}

TEST_F(ControllerTest, FailedInitClearsInitialized) {
  initAndClear();
  service.reset();
  EXPECT_FALSE(M(init)(nullptr, nullptr));
  EXPECT_FALSE(controllerState.initialized.load());
  service = std::make_unique<FakeService>();
  M(update)(nullptr, nullptr); // not initialised: silent
  pumpUntil([] { return false; }, 50);
  EXPECT_TRUE(service->events().empty());
}

TEST_F(ControllerTest, DamageFlashSequenceAndTiming) {
  initAndClear();
  M(setIlluminatedKeys)(nullptr, nullptr, 1, 0x0000FF00);
  M(update)(nullptr, nullptr);
  expectEvents(2);
  service->clear();
  M(onDamage)(nullptr, nullptr);
  M(update)(nullptr, nullptr); // a flash is (about to be) running
  pumpUntil([] { return controllerState.flashing.load(); }, 1000);
  M(update)(nullptr, nullptr); // ignored while flashing
  auto ev = expectEvents(6);
  pumpUntil([] { return false; }, 50);
  ev = service->events();
  auto posts = lights(ev);
  auto sent = bitmaps(ev);
  // The first update may have beaten the worker; drop its frame if so.
  if (sent.size() == 5 && hex(sent[0].data) != kAllOn)
    sent.erase(sent.begin());
  ASSERT_EQ(posts.size(), 2u);
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(posts[0].lp, 0x00FF0000);
  EXPECT_EQ(posts[1].lp, 0x0000FF00); // key colour again after red
  EXPECT_EQ(hex(sent[0].data), kAllOn);
  EXPECT_EQ(hex(sent[1].data), kAllOff);
  EXPECT_EQ(hex(sent[2].data), kAllOn);
  // Five keys, and the ten unnamed positions the flash left on.
  EXPECT_EQ(hex(sent[3].data), "00 00 00 00 01 00 02 61 80 02 00 08 70 80 83");
}

TEST_F(ControllerTest, FlashPauseLengthsAreAtLeastTheirDurations) {
  initAndClear();
  auto t0 = std::chrono::steady_clock::now();
  std::vector<std::chrono::steady_clock::time_point> at;
  M(onDamage)(nullptr, nullptr);
  size_t seen = 0;
  pumpUntil([&] {
    size_t n = bitmaps(service->events()).size();
    for (; seen < n; seen++)
      at.push_back(std::chrono::steady_clock::now());
    return n >= 4;
  });
  ASSERT_EQ(at.size(), 4u);
  auto ms = [](auto a, auto b) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count();
  };
  EXPECT_GE(ms(at[0], at[1]), 95);
  EXPECT_GE(ms(at[1], at[2]), 95);
  EXPECT_GE(ms(at[2], at[3]), 75);
  EXPECT_LT(ms(t0, at[3]), 5000);
}

TEST_F(ControllerTest, OverlappingFlashesEachRunWhole) {
  initAndClear();
  M(setIlluminatedKeys)(nullptr, nullptr, 1, 0x000000FF);
  controllerState.lastSentColor = 0x000000FF;
  M(onDamage)(nullptr, nullptr);
  Sleep(30);
  M(onDamage)(nullptr, nullptr);
  auto ev = expectEvents(1 + 6 + 1 + 2);
  Sleep(400);
  pumpUntil([] { return false; }, 30);
  ev = service->events();
  auto posts = lights(ev);
  auto sent = bitmaps(ev);
  ASSERT_EQ(posts.size(), 2u); // red once, blue once
  EXPECT_EQ(posts[0].lp, 0x00FF0000);
  EXPECT_EQ(posts[1].lp, 0x000000FF);
  int on = 0, off = 0, frames = 0;
  for (const auto &e : sent)
    hex(e.data) == kAllOn ? on++ : hex(e.data) == kAllOff ? off++ : frames++;
  EXPECT_EQ(on, 4);
  EXPECT_EQ(off, 2);
  EXPECT_GE(frames, 1);
  EXPECT_LE(frames, 2);
  EXPECT_EQ(litKeys(sent.back().data), 5 + 10);
}

TEST_F(ControllerTest, FlashStartingOnRedPostsNoRed) {
  initAndClear();
  M(setIlluminatedKeys)(nullptr, nullptr, 1, 0x00FF0000);
  M(update)(nullptr, nullptr);
  expectEvents(2);
  service->clear();
  M(onDamage)(nullptr, nullptr);
  auto ev = expectEvents(4);
  Sleep(50);
  pumpUntil([] { return false; }, 20);
  EXPECT_TRUE(lights(service->events()).empty());
  EXPECT_EQ(bitmaps(service->events()).size(), 4u);
}

} // namespace
