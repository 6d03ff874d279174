#include "lighting.h"
#include "lit_keys.h"

#include <gtest/gtest.h>

#include <set>

using namespace preview;
using namespace preview::lit;

namespace {

const Board kTovrik{Library::Tovrik, Build::X86};
const Board kDuvek{Library::Duvek, Build::X86};

std::set<int> litKeys(const std::string &hex) {
  std::vector<uint8_t> b;
  EXPECT_TRUE(parseHex(hex, &b));
  return tovrikLitIn(b.data());
}

// Applies one stand-in log line to a board's state: whether what the board
// shows changed.  A line that does not parse fails the test.
template <class State>
bool applied(bool (*apply)(const LogLine &, State *, std::string *),
             const std::string &text, State *state) {
  LogLine l;
  std::string note;
  EXPECT_TRUE(parseLogLine(text, &l)) << text;
  return apply(l, state, &note);
}

Session session(const std::string &text) {
  Session s;
  std::vector<std::string> errors;
  EXPECT_TRUE(parseSession(text, &s, &errors));
  return s;
}

RunLogs run(const std::string &player, const std::string &lib) {
  RunLogs r;
  r.player = readPlayerLog(parseLogText(player));
  r.lines = parseLogText(lib);
  return r;
}

// A key-grid block of the effect library: base grid, then key grid.
std::string keyGridHex(const std::vector<std::pair<int, uint32_t>> &keys,
                       uint32_t base) {
  std::vector<uint32_t> v(2 * static_cast<size_t>(kDuvekCells), 0);
  for (int i = 0; i < kDuvekCells; i++)
    v[i] = base;
  for (auto &k : keys)
    v[kDuvekCells + k.first] = k.second;
  std::string hex;
  char buf[3];
  for (uint32_t x : v) {
    for (int s = 0; s < 32; s += 8) {
      std::snprintf(buf, sizeof buf, "%02x", (x >> s) & 0xFF);
      hex += buf;
    }
  }
  return hex;
}

} // namespace

// Known bitmaps of the service protocol, read back through the key table.
TEST(TovrikKeys, BitmapsReadBackAsTheirKeys) {
  EXPECT_EQ(litKeys("000000000000026000020000000001"),
            (std::set<int>{41, 62, 63, 64, 100}));
  EXPECT_EQ(litKeys("fcc113000000000000000000000000"), range(1, 12));
  EXPECT_EQ(litKeys("1cc001000000000000000000000000"), range(1, 6));
  EXPECT_EQ(litKeys("040000000000000000000000000000"), (std::set<int>{1}));
  // Only the ten positions without a key: nothing lit.
  EXPECT_TRUE(litKeys("00000000010000018000000870808200").empty());
  EXPECT_EQ(litKeys("fffffffffefffffe7ffffff78f7f7d"), range(0, 109));
}

TEST(TovrikKeys, TableIsLaidOutInSixRowsWithoutOverlap) {
  const TovrikKey *k = tovrikKeys();
  static const int kRowStart[] = {0, 16, 38, 60, 77, 96, 110};
  std::set<int> bits;
  for (int row = 0; row < 6; row++) {
    for (int i = kRowStart[row]; i < kRowStart[row + 1]; i++) {
      EXPECT_EQ(k[i].row, row) << i;
      bits.insert(k[i].bit);
      for (int j = kRowStart[row]; j < i; j++)
        EXPECT_TRUE(k[j].x + k[j].width <= k[i].x ||
                    k[i].x + k[i].width <= k[j].x)
            << k[i].label << " overlaps " << k[j].label;
    }
  }
  EXPECT_EQ(bits.size(), 110u);
  EXPECT_STREQ(k[41].label, "W");
  EXPECT_STREQ(k[100].label, "Space");
  EXPECT_EQ(k[18].usage, 0x1E);
}

TEST(TovrikLog, HealthAndArmourShowOnTheBoardAfterUpdate) {
  Session s = session("0 tovrik init\n"
                      "50 tovrik setIlluminatedKeys 1 0x0000FF00\n"
                      "50 tovrik updateHealthAndArmor 0.5 0.25\n"
                      "50 tovrik update\n"
                      "90 tovrik update\n");
  RunLogs r = run("1000000 start\n"
                  "1000010 call 1\n1000400 done 1 true\n"
                  "1050000 call 2\n1050010 call 3\n"
                  "1050020 call 4\n1050900 done 4\n"
                  "1090000 call 5\n1090500 done 5\n1091000 end\n",
                  "999000 ready\n"
                  "1000100 led-control 15 1\n"
                  "1000200 keys 20 0000000000000000000000000000000000000000\n"
                  "1050100 light-control 0x00010102 0x0000FF00\n"
                  "1050300 keys 20 1ce0010200000260000200000000010000000000\n"
                  "1090300 keys 20 1ce0010200000260000200000000010000000000\n");
  Timeline t;
  addBoard(&t, kTovrik, s, r);
  const Picture *p = pictureAfterLine(t, kTovrik, 4);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->line, 4);
  EXPECT_EQ(p->tovrik.colour, 0x00FF00u);
  EXPECT_TRUE(p->tovrik.sdkMode);
  // F1 to F6, number keys 1 and 2, and the movement keys.
  EXPECT_EQ(tovrikLit(p), plus(plus(range(1, 6), {18, 19}), kTovrikMovement));
  // The colour post and its frame are one moment; the same frame sent
  // again changes nothing and makes no picture.
  int pictures = 0;
  for (const Picture &q : t.pictures)
    pictures += q.line == 4 || q.line == 5;
  EXPECT_EQ(pictures, 1);
  EXPECT_EQ(pictureAfterLine(t, kTovrik, 5), p);
}

TEST(TovrikLog, ColourPostsAndHandBack) {
  TovrikState s;
  EXPECT_TRUE(
      applied(applyTovrikLine, "5 light-control 0x00000102 0x128020FF", &s));
  EXPECT_EQ(s.colour, 0x8020FFu) << "the top byte is not a colour";
  EXPECT_TRUE(
      applied(applyTovrikLine, "6 light-control 0xFFFFFFFF 0x00000000", &s));
  EXPECT_TRUE(s.restored);
  EXPECT_EQ(s.colour, 0x8020FFu);
  EXPECT_FALSE(applied(applyTovrikLine, "7 keys 20 00ff", &s))
      << "short payload";
  EXPECT_FALSE(
      applied(applyTovrikLine, "8 msg 0x0400 0x00000000 0x00000000", &s));
}

TEST(DuvekEffects, KeyGridOverBaseGrid) {
  uint32_t cells[kDuvekCells];
  std::vector<uint8_t> block;
  ASSERT_TRUE(parseHex(
      keyGridHex({{3, 0x01007F7F}, {4, 0x000000FF}}, 0x00FF8000), &block));
  ASSERT_TRUE(composeDuvekEffect(8, block, cells));
  EXPECT_EQ(cells[3], 0x7F7F00u) << "flagged key entry wins, BGR to RGB";
  EXPECT_EQ(cells[4], 0x0080FFu) << "entry without the flag shows the base";
  EXPECT_EQ(cells[131], 0x0080FFu);
  block.resize(1055);
  EXPECT_FALSE(composeDuvekEffect(8, block, cells));
  EXPECT_FALSE(composeDuvekEffect(2, std::vector<uint8_t>(527), cells));
  ASSERT_TRUE(composeDuvekEffect(4, {0xFF, 0x00, 0x00, 0x00}, cells));
  EXPECT_EQ(cells[0], 0xFF0000u);
  EXPECT_EQ(cells[131], 0xFF0000u);
  ASSERT_TRUE(composeDuvekEffect(0, {}, cells));
  EXPECT_EQ(cells[77], 0u);
  EXPECT_FALSE(composeDuvekEffect(3, std::vector<uint8_t>(1056), cells));
}

TEST(DuvekLog, BarsLightTheirKeyCodes) {
  Session s = session("0 duvek init0\n"
                      "10 duvek updateHealthAndArmor 0.5 0.25\n"
                      "10 duvek update\n");
  std::vector<std::pair<int, uint32_t>> keys;
  for (int i : {47, 68, 69, 70, 117, 20})
    keys.push_back({i, 0x0100FF00});
  for (int c = 3; c <= 8; c++)
    keys.push_back({c, 0x01007F7F});
  for (int c = 2; c <= 3; c++)
    keys.push_back({22 + c, 0x0100FFFF});
  RunLogs r = run("100 start\n110 call 1\n200 done 1 0\n"
                  "10100 call 2\n10110 call 3\n10900 done 3 0\n11000 end\n",
                  "150 Init -> 0\n"
                  "10500 CreateKeyboardEffect 8 " +
                      keyGridHex(keys, 0) + " null -> 0\n");
  Timeline t;
  addBoard(&t, kDuvek, s, r);
  const Picture *p = pictureAfterLine(t, kDuvek, 3);
  ASSERT_NE(p, nullptr);
  // Health bar F1 to F6, armour bar 1 and 2, movement keys: each key code's
  // cell in its colour, BGR read as RGB.
  Cells want = duvekMovement(0x00FF00);
  addCells(&want, 0x0003, 0x0008, 0x7F7F00);
  addCells(&want, 0x0102, 0x0103, 0xFFFF00);
  EXPECT_EQ(duvekLit(p), want);
  EXPECT_EQ(pictureAfterLine(t, kDuvek, 2), nullptr);
}

// Two flashes 50 ms apart interleave their steps; each is matched to its
// own call, with an update during the flashes that draws nothing.
TEST(Flash, OverlappingFlashesAreTimedApart) {
  Session s = session("0 tovrik onDamage\n"
                      "50 tovrik onDamage\n"
                      "60 tovrik update\n");
  const char *on = "keys 20 ffffffffffffffffffffffffffffff0000000000";
  const char *off = "keys 20 0000000000000000000000000000000000000000";
  const char *frame = "keys 20 000000000000026000020000000001"
                      "0000000000";
  std::string lib;
  auto add = [&](int64_t ms10, const char *what) {
    lib += std::to_string(1000000 + ms10 * 100) + " " + what + "\n";
  };
  // Times in tenths of a millisecond after 1 s.
  add(3, "light-control 0x00010102 0x00FF0000");
  add(4, on);
  add(505, on);
  add(1012, off);
  add(1508, off);
  add(2010, on);
  add(2511, on);
  // The redraw's colour post reaches the service after its frame, here
  // 6 ms later: posted messages wait in the queue while a sent one is
  // handled at once, and on a busy machine for milliseconds.
  add(2815, frame);
  add(2875, "light-control 0x00010102 0x0000FF00");
  add(3312, frame);
  RunLogs r = run("1000000 start\n1000000 call 1\n1000050 done 1\n"
                  "1050000 call 2\n1050050 done 2\n"
                  "1060000 call 3\n1060050 done 3\n1400000 end\n",
                  lib);
  Timeline t;
  addBoard(&t, kTovrik, s, r);
  ASSERT_EQ(t.flashes.size(), 2u);
  const FlashTiming &a = t.flashes[0], &b = t.flashes[1];
  ASSERT_TRUE(a.complete());
  ASSERT_TRUE(b.complete());
  EXPECT_NEAR(a.stepMs(0), 100.8, 0.01);
  EXPECT_NEAR(a.stepMs(1), 99.8, 0.01);
  EXPECT_NEAR(a.stepMs(2), 80.5, 0.01);
  EXPECT_NEAR(b.stepMs(0), 100.3, 0.01);
  EXPECT_NEAR(b.stepMs(1), 100.3, 0.01);
  EXPECT_NEAR(b.stepMs(2), 80.1, 0.01);
  EXPECT_TRUE(a.overlapping && b.overlapping);
  // Flash steps belong to the onDamage calls, not to the update between.
  for (const Picture &p : t.pictures)
    EXPECT_NE(p.line, 3) << p.note;
  const Picture *last = pictureAfterLine(t, kTovrik, 3);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->tovrik.colour, 0x00FF00u);
}

TEST(Flash, MissingStepsLeaveTheTimingIncomplete) {
  Session s = session("0 duvek onDamage\n");
  RunLogs r = run("0 start\n10 call 1\n20 done 1\n",
                  "1000 CreateKeyboardEffect 2 " + std::string(1056, '0') +
                      " null -> 0\n");
  Timeline t;
  addBoard(&t, kDuvek, s, r);
  ASSERT_EQ(t.flashes.size(), 1u);
  EXPECT_FALSE(t.flashes[0].complete());
  EXPECT_LT(t.flashes[0].stepMs(0), 0);
}

TEST(UlvoranLog, CallsBecomeColoursBitmapsAndKeys) {
  UlvoranState s;
  EXPECT_TRUE(
      applied(applyUlvoranLine, "1 UlvoLedSetLighting 100 50 0 -> 1", &s));
  EXPECT_EQ(s.colour, 0xFF8000u);
  EXPECT_TRUE(applied(applyUlvoranLine,
                      "2 UlvoLedSetLightingForKeyWithHidCode 58 0 0 "
                      "100 -> 1",
                      &s));
  EXPECT_TRUE(applied(applyUlvoranLine,
                      "3 UlvoLedSetLightingForKeyWithHidCode 58 0 100 "
                      "0 -> 1",
                      &s));
  ASSERT_EQ(s.keys.size(), 1u) << "a key set twice keeps its latest colour";
  EXPECT_EQ(s.keys[0].colour, 0x00FF00u);
  EXPECT_TRUE(applied(applyUlvoranLine,
                      "4 UlvoLedSetLightingFromBitmap 00ff7f -> 1", &s));
  EXPECT_EQ(s.bitmap, (std::vector<uint8_t>{0, 255, 127}));
  EXPECT_EQ(abbreviateHex("7 UlvoLedSetLightingFromBitmap "
                          "00112233445566778899 -> 1"),
            "7 UlvoLedSetLightingFromBitmap <10 bytes> -> 1");
  EXPECT_FALSE(applied(applyUlvoranLine, "5 UlvoLedInit -> 1", &s));
  EXPECT_EQ(percentToByte(-3), 0);
  EXPECT_EQ(percentToByte(250), 255);
}

TEST(Logs, PartialLastLineWaitsAndPlayerLogPairsCalls) {
  std::vector<LogLine> lines = parseLogText("ready\n12 call 3\n15 done 3 -1\n"
                                            "20 call 4\n21 do");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].us, -1);
  EXPECT_EQ(lines[0].text, "ready");
  PlayerLog p = readPlayerLog(lines);
  ASSERT_EQ(p.calls.size(), 2u);
  EXPECT_EQ(p.calls[0].line, 3);
  EXPECT_EQ(p.calls[0].doneUs, 15);
  EXPECT_EQ(p.calls[0].result, "-1");
  EXPECT_EQ(p.calls[1].doneUs, 20);
  EXPECT_FALSE(p.ended);
}
