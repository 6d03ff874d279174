// Host threads calling every method at once beside a service that sends
// reports: no race (run under ThreadSanitizer), no deadlock, and every
// payload a whole frame.
#include <jni.h>

#include <cstring>
#include <thread>

#include "compose.h"
#include "tovrik_fixture.h"

using namespace tovrik;

namespace {

bool bit(const std::vector<uint8_t> &d, int row) {
  int p = KeyLedMap[row].bit;
  return (d[p / 8] >> (p % 8)) & 1;
}

bool isBarKey(int row) {
  return (row >= kHealthFirstKey && row < kHealthFirstKey + kHealthKeys) ||
         (row >= kArmorFirstKey && row < kArmorFirstKey + kArmorKeys);
}

// A bar lights a prefix of its keys.
bool barIsPrefix(const std::vector<uint8_t> &d, int first, int keys) {
  bool dark = false;
  for (int i = 0; i < keys; i++) {
    if (!bit(d, first + i))
      dark = true;
    else if (dark)
      return false;
  }
  return true;
}

// Either every key alike (clear, light-all) or a render in one of the modes.
bool wellFormed(const ServiceEvent &e) {
  if (e.cbData != 20 || e.data.size() != 20 || e.dwData != 0)
    return false;
  for (int i = 15; i < 20; i++)
    if (e.data[i])
      return false;
  bool movement = true, every = true;
  for (int row = 0; row < kKeyCount; row++) {
    if (isBarKey(row))
      continue;
    bool wasd = false;
    for (int k : kMovementKeys)
      wasd |= k == row;
    movement &= bit(e.data, row) == wasd;
    every &= bit(e.data, row);
  }
  bool allDark = true;
  for (int row = 0; row < kKeyCount; row++)
    allDark &= !bit(e.data, row);
  return allDark || ((movement || every) &&
                     barIsPrefix(e.data, kHealthFirstKey, kHealthKeys) &&
                     barIsPrefix(e.data, kArmorFirstKey, kArmorKeys));
}

// The key colours (selector bytes 1, 1, 2) the service got, in order.
std::vector<uint32_t> keyColours(const std::vector<ServiceEvent> &all) {
  std::vector<uint32_t> out;
  for (const auto &e : lights(all))
    if (e.wp == 0x00010102u)
      out.push_back(static_cast<uint32_t>(e.lp));
  return out;
}

// Holds a flash worker's post of one colour until the test lets it go or
// 300 ms pass: the moment at which another render could overtake it.
struct PostHold {
  static inline std::atomic<UINT> lightId{0};
  static inline std::atomic<uint32_t> colour{0};
  static inline std::atomic<DWORD> hostThread{0};
  static inline std::atomic<bool> holding{false}, released{false};

  static void hook(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != lightId.load() || wp != 0x00010102u ||
        static_cast<uint32_t>(lp) != colour.load() ||
        GetCurrentThreadId() == hostThread.load())
      return;
    holding.store(true);
    for (int i = 0; i < 300 && !released.load(); i++)
      Sleep(1);
  }
};

using StressTest = ServiceTest;

// The flash's closing render posts green; while that post is held, the host
// sets blue and updates.  Whatever the interleaving, the colour the service
// sees last is the one recorded as sent, so the service ends on blue.
TEST_F(StressTest, KeyColourPostsInTheOrderTheyAreRecorded) {
  const jint green = 0x0000FF00, blue = 0x000000FF;
  ASSERT_TRUE(M(init)(nullptr, nullptr));
  M(setIlluminatedKeys)(nullptr, nullptr, 1, green);
  M(update)(nullptr, nullptr);
  PostHold::lightId = ids.lightControl;
  PostHold::colour = green;
  PostHold::hostThread = GetCurrentThreadId();
  PostHold::holding = PostHold::released = false;
  hostwin_set_post_hook(PostHold::hook);
  M(onDamage)(nullptr, nullptr);
  EXPECT_TRUE(pumpUntil([] { return PostHold::holding.load(); }));
  M(setIlluminatedKeys)(nullptr, nullptr, 1, blue);
  M(update)(nullptr, nullptr);
  PostHold::released = true;
  pumpUntil([] { return runningFlashThreads() == 0; });
  hostwin_set_post_hook(nullptr);
  M(update)(nullptr, nullptr);
  pumpUntil([] { return false; }, 30);
  auto colours = keyColours(service->events());
  ASSERT_FALSE(colours.empty());
  EXPECT_EQ(colours.back(), static_cast<uint32_t>(blue));
  EXPECT_EQ(controllerState.lastSentColor.load(), static_cast<uint32_t>(blue));
}

TEST_F(StressTest, EveryMethodAtOnceBesideReports) {
  ASSERT_TRUE(M(init)(nullptr, nullptr));
  std::atomic<bool> stop{false};
  std::atomic<int> rounds{0};
  auto host = [&](int seed) {
    for (int i = 0; !stop.load(); i++) {
      M(setIlluminatedKeys)
      (nullptr, nullptr, (i + seed) % 3,
       static_cast<jint>((i * 0x010203u) & 0xFFFFFF));
      M(setShowHealth)(nullptr, nullptr, (i & 1) != 0);
      M(setShowArmor)(nullptr, nullptr, (i & 2) != 0);
      M(updateHealthAndArmor)
      (nullptr, nullptr, static_cast<float>(i % 13) / 12.0f,
       static_cast<float>(i % 11) / 10.0f);
      M(update)(nullptr, nullptr);
      if (i % 200 == seed)
        M(onDamage)(nullptr, nullptr);
      if (i % 300 == 7)
        M(displayPotionColor)(nullptr, nullptr, i);
      rounds++;
    }
  };
  HWND link = TalkLink::ownWindow();
  auto reporter = [&] {
    uint8_t bytes[20];
    for (int i = 0; !stop.load(); i++) {
      std::memset(bytes, i & 0xFF, sizeof bytes);
      service->report(link, ids.ledControl, bytes, (i % 3) ? 20 : 9);
      Sleep(2);
    }
  };
  std::thread a(host, 1), b(host, 2), r(reporter);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  for (int i = 0; std::chrono::steady_clock::now() < end; i++) {
    M(update)(nullptr, nullptr); // the loading thread sends too
    if (i % 100 == 0)
      M(onDamage)(nullptr, nullptr);
    pumpUntil([] { return false; }, 1);
  }
  stop = true;
  // The reporter needs this thread to pump until it has finished.
  pumpUntil([&] { return false; }, 50);
  a.join();
  b.join();
  std::thread waiter([&] { r.join(); });
  pumpUntil([] { return false; }, 100);
  waiter.join();
  pumpUntil([] { return runningFlashThreads() == 0; });

  // The service was left on the colour recorded as sent, so one more render
  // brings it to the key colour whatever order the racing renders took.
  M(update)(nullptr, nullptr);
  expectEvents(1);
  auto colours = keyColours(service->events());
  ASSERT_FALSE(colours.empty());
  EXPECT_EQ(colours.back(), controllerState.keyColor.load());
  EXPECT_EQ(controllerState.lastSentColor.load(),
            controllerState.keyColor.load());

  auto sent = bitmaps(service->events());
  EXPECT_GT(rounds.load(), 100);
  EXPECT_GT(sent.size(), 100u);
  size_t bad = 0;
  for (const auto &e : sent)
    bad += !wellFormed(e);
  EXPECT_EQ(bad, 0u) << "of " << sent.size();
}

} // namespace
