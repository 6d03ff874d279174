// The key table, the bar counts, the frame and the send policy, with no
// windows.  The bitmap packing is checked on the wire, in the link's tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "compose.h"
#include "key_bitmap.h"
#include "send_policy.h"

using namespace tovrik;

namespace {

// Every row of the key table, usage and bit position, written out here
// independently of the product's table: a row out of place or a position
// mistyped fails by index.
TEST(KeyLedMapTable, EveryRowAsTheKeyboardHasIt) {
  const KeyLedRow expected[kKeyCount] = {
      {0x29, 1},   {0x3A, 2},   {0x3B, 14},  {0x3C, 3},   {0x3D, 15},
      {0x3E, 4},   {0x3F, 16},  {0x40, 5},   {0x41, 17},  {0x42, 6},
      {0x43, 7},   {0x44, 8},   {0x45, 20},  {0x46, 9},   {0x47, 21},
      {0x48, 33},  {0xAA, 0},   {0x35, 12},  {0x1E, 13},  {0x1F, 25},
      {0x20, 26},  {0x21, 27},  {0x22, 39},  {0x23, 28},  {0x24, 40},
      {0x25, 29},  {0x26, 41},  {0x27, 18},  {0x2D, 30},  {0x2E, 19},
      {0x2A, 44},  {0x49, 45},  {0x4A, 57},  {0x4B, 69},  {0x53, 10},
      {0x54, 22},  {0x55, 11},  {0x56, 23},  {0xAB, 24},  {0x2B, 36},
      {0x14, 37},  {0x1A, 49},  {0x08, 38},  {0x15, 50},  {0x17, 51},
      {0x1C, 52},  {0x18, 64},  {0x0C, 53},  {0x12, 42},  {0x13, 54},
      {0x2F, 31},  {0x30, 43},  {0x28, 68},  {0x4C, 81},  {0x4D, 93},
      {0x4E, 105}, {0x5F, 34},  {0x60, 46},  {0x61, 35},  {0x57, 47},
      {0xAC, 48},  {0x39, 60},  {0x04, 61},  {0x16, 73},  {0x07, 62},
      {0x09, 74},  {0x0A, 63},  {0x0B, 75},  {0x0D, 76},  {0x0E, 65},
      {0x0F, 66},  {0x33, 78},  {0x34, 55},  {0x32, 67},  {0x5C, 58},
      {0x5D, 70},  {0x5E, 59},  {0xAD, 72},  {0xE1, 84},  {0x64, 85},
      {0x1D, 97},  {0x1B, 86},  {0x06, 98},  {0x19, 87},  {0x05, 99},
      {0x11, 88},  {0x10, 77},  {0x36, 89},  {0x37, 90},  {0x38, 79},
      {0xE5, 80},  {0x52, 117}, {0x59, 82},  {0x5A, 94},  {0x5B, 83},
      {0x58, 95},  {0xAE, 96},  {0xE0, 108}, {0xE3, 109}, {0xE2, 110},
      {0x2C, 112}, {0xE6, 114}, {0xF1, 115}, {0x65, 103}, {0xE4, 92},
      {0x50, 104}, {0x51, 116}, {0x4F, 118}, {0x62, 106}, {0x63, 107},
  };
  for (int i = 0; i < kKeyCount; i++) {
    EXPECT_EQ(KeyLedMap[i].usage, expected[i].usage) << "row " << i;
    EXPECT_EQ(KeyLedMap[i].bit, expected[i].bit) << "row " << i;
  }
}

TEST(BarCount, TruncatesSinglePrecisionProductsOfAnyFloat) {
  EXPECT_EQ(barCount(0.99f, 12), 11u);
  EXPECT_EQ(barCount(0.04f, 12), 0u);
  EXPECT_EQ(barCount(0.25f, 10), 2u);
  // Every whole twelfth and tenth: 0.7f * 10 in double would give 6.
  for (int k = 0; k <= 12; k++)
    EXPECT_EQ(barCount(static_cast<float>(k) / 12.0f, 12), unsigned(k)) << k;
  for (int k = 0; k <= 10; k++)
    EXPECT_EQ(barCount(static_cast<float>(k) / 10.0f, 10), unsigned(k)) << k;
  // Out of range, not a number or overflowing: still a defined count.
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

// The keys a frame lights, and whether every other key is exactly 0.
std::vector<int> litKeys(const KeyFrame &f) {
  std::vector<int> out;
  for (int k = 0; k < kKeyCount; k++) {
    if (f.keys[k] == 1)
      out.push_back(k);
    else
      EXPECT_EQ(f.keys[k], 0) << "key " << k;
  }
  return out;
}

std::vector<int> range(int first, int count) {
  std::vector<int> out(count);
  std::iota(out.begin(), out.end(), first);
  return out;
}

std::vector<int> withMovement(std::vector<int> keys) {
  keys.insert(keys.end(), std::begin(kMovementKeys), std::end(kMovementKeys));
  std::sort(keys.begin(), keys.end());
  return keys;
}

TEST(ComposeFrame, ModesAndBars) {
  KeyFrame f;
  composeFrame({1, false, false, 1.0f, 1.0f}, f);
  EXPECT_EQ(litKeys(f), (std::vector<int>{41, 62, 63, 64, 100}));
  for (int32_t mode : {0, 2, -1}) {
    composeFrame({mode, false, false, 0.0f, 0.0f}, f);
    EXPECT_EQ(litKeys(f), range(0, kKeyCount)) << mode;
  }
  // An empty health bar darkens F1 to F12 in every-key mode.
  composeFrame({0, true, false, 0.0f, 0.0f}, f);
  std::vector<int> noF = range(0, 1);
  for (int k : range(13, kKeyCount - 13))
    noF.push_back(k);
  EXPECT_EQ(litKeys(f), noF);
  composeFrame({1, true, true, 0.5f, 0.25f}, f);
  std::vector<int> bars = range(1, 6);
  bars.insert(bars.end(), {18, 19});
  EXPECT_EQ(litKeys(f), withMovement(bars));
  composeFrame({1, true, true, std::nanf(""), 1e9f}, f);
  EXPECT_EQ(litKeys(f), withMovement(range(18, 10))); // Escape stays dark
}

// When bitmaps go to the service: times in microseconds, outcomes as the
// link reports them.
constexpr Micros kMs = 1000;

// A send of `took` at `now` as the link makes it when the policy says so.
void sendAt(SendPolicy &p, Micros now, Micros took, bool done = true) {
  p.sent(now, now + took, done);
}

TEST(SendPolicy, HealthySendsAreAllSentEvenWithAnOddSlowOne) {
  SendPolicy p;
  Micros t = 0;
  for (int i = 0; i < 100; i++, t += 16 * kMs) {
    ASSERT_EQ(p.next(t), SendStep::send) << i;
    // every tenth send is slow, as on a busy machine; two in a row too
    sendAt(p, t, i % 10 == 0 || i % 10 == 1 ? 30 * kMs : 200);
  }
  EXPECT_FALSE(p.paced());
  EXPECT_FALSE(p.stalled());
}

// Three slow sends in a row: each next send waits nine times as long as the
// last took; a send of a few milliseconds ends the pacing, a middling one
// does not.
TEST(SendPolicy, SlowSendsArePacedUntilAQuickOne) {
  SendPolicy p;
  Micros t = 0;
  for (int i = 0; i < 3; i++, t += 66 * kMs) {
    ASSERT_EQ(p.next(t), SendStep::send);
    sendAt(p, t, 50 * kMs);
  }
  EXPECT_TRUE(p.paced());
  Micros end = t - 66 * kMs + 50 * kMs;
  EXPECT_EQ(p.next(end + 449 * kMs), SendStep::drop);
  ASSERT_EQ(p.next(end + 450 * kMs), SendStep::send);
  sendAt(p, end + 450 * kMs, 10 * kMs); // middling: still paced
  EXPECT_TRUE(p.paced());
  end += 460 * kMs;
  EXPECT_EQ(p.next(end + 89 * kMs), SendStep::drop);
  ASSERT_EQ(p.next(end + 90 * kMs), SendStep::send);
  sendAt(p, end + 90 * kMs, 3 * kMs);
  EXPECT_FALSE(p.paced());
  EXPECT_EQ(p.next(end + 94 * kMs), SendStep::send);
}

// A stalled service is probed four times a second, bitmaps dropped
// between.  A probe that answers ends the stall only when a probe had failed
// since the send that stalled; one that answers at once leaves the service
// stalled until the retry.
TEST(SendPolicy, AnsweringProbeEndsOnlyAStallOfAServiceThatStoppedAnswering) {
  SendPolicy p;
  sendAt(p, 0, 90 * kMs, false);
  Micros t = 90 * kMs;
  EXPECT_TRUE(p.stalled());
  EXPECT_EQ(p.next(t + 249 * kMs), SendStep::drop);
  ASSERT_EQ(p.next(t + 250 * kMs), SendStep::probe);
  EXPECT_FALSE(p.probed(t + 250 * kMs, true)); // answers, bitmap did not
  EXPECT_EQ(p.next(t + 260 * kMs), SendStep::drop);
  ASSERT_EQ(p.next(t + 500 * kMs), SendStep::probe);
  EXPECT_FALSE(p.probed(t + 500 * kMs, false)); // now it hangs
  ASSERT_EQ(p.next(t + 750 * kMs), SendStep::probe);
  EXPECT_TRUE(p.probed(t + 750 * kMs, true)); // and comes back: send
  sendAt(p, t + 750 * kMs, 1 * kMs);
  EXPECT_FALSE(p.stalled());
  EXPECT_EQ(p.next(t + 752 * kMs), SendStep::send);
}

// Probes, failed or not, never move the retry clock: the retry comes one
// second after the stall, then two, four and eight seconds after each
// retry that failed; a send that goes through starts again at one.
TEST(SendPolicy, RetriesComeDueWhateverTheProbesSay) {
  SendPolicy p;
  sendAt(p, 0, 90 * kMs, false);
  Micros t = 90 * kMs;
  for (Micros probe = 250; probe < 1000; probe += 250) {
    ASSERT_EQ(p.next(t + probe * kMs), SendStep::probe) << probe;
    p.probed(t + probe * kMs, probe == 500);
  }
  EXPECT_EQ(p.next(t + 999 * kMs), SendStep::drop);
  const Micros gaps[] = {1000, 2000, 4000, 8000, 8000};
  for (Micros gap : gaps) {
    ASSERT_EQ(p.next(t + gap * kMs), SendStep::retry) << gap;
    sendAt(p, t + gap * kMs, 90 * kMs, false);
    t += gap * kMs + 90 * kMs;
    EXPECT_NE(p.next(t + (gap == 8000 ? 7999 : gap * 2 - 1) * kMs),
              SendStep::retry)
        << gap;
  }
  ASSERT_EQ(p.next(t + 8000 * kMs), SendStep::retry);
  sendAt(p, t + 8000 * kMs, 1 * kMs);
  t += 8001 * kMs;
  sendAt(p, t, 90 * kMs, false);
  EXPECT_NE(p.next(t + 90 * kMs + 999 * kMs), SendStep::retry);
  EXPECT_EQ(p.next(t + 90 * kMs + 1000 * kMs), SendStep::retry);
}

} // namespace
