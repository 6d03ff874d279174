// Checks what a played session left in the stand-ins' logs: the key states
// each keyboard shows after chosen session lines, the flash steps, and the
// LED engine calls.  Run under Wine after the player, on its run folder:
//   preview_wine_check SESSION x86|x64 RUN
// Both builds play all three libraries, so the same cases hold for either.
#include "check.h"
#include "lighting.h"
#include "lit_keys.h"
#include "runs.h"

#include <set>
#include <string>

using namespace preview;
using namespace preview::lit;

// Strings compared, both shown on a mismatch.
#define CHECK_STR(a, b)                                                        \
  do {                                                                         \
    std::string va_ = (a), vb_ = (b);                                          \
    if (va_ != vb_)                                                            \
      check::fail(__FILE__, __LINE__,                                          \
                  ("\"" + va_ + "\" != \"" + vb_ + "\"").c_str());             \
  } while (0)

namespace {

Session gSession;
Timeline gTimeline;
Build gBuild = Build::X86;
std::string gRun;
std::vector<LogLine> gEngine;

// The line of the nth call (from 0) of a method after line `after`; -1
// when there is none.
int lineOf(Library lib, const char *method, int nth = 0, int after = 0) {
  for (const Call &c : gSession.calls) {
    if (c.line > after && c.method->library == lib &&
        std::string(c.method->name) == method && nth-- == 0)
      return c.line;
  }
  return -1;
}

int healthLine(Library lib, float health, float armor) {
  for (const Call &c : gSession.calls) {
    if (c.method->library == lib &&
        std::string(c.method->name) == "updateHealthAndArmor" &&
        c.args[0].f == health && c.args[1].f == armor)
      return c.line;
  }
  return -1;
}

std::string resultOf(int line) {
  for (const PlayerCall &c : readPlayerLog(readLog(gRun + "/player.log")).calls)
    if (c.line == line)
      return c.result;
  return "(not called)";
}

// The picture of the library's board in the run checked.
const Picture *after(Library lib, int line) {
  return pictureAfterLine(gTimeline, {lib, gBuild}, line);
}

bool engineCalled(const std::vector<LogLine> &log, const std::string &entry) {
  for (const LogLine &l : log) {
    if (!l.words.empty() && l.words[0] == entry)
      return true;
  }
  return false;
}

bool isDefault() { return lineOf(Library::Tovrik, "onDamage") > 0; }

} // namespace

TEST_CASE(start_up_results) {
  CHECK_STR(resultOf(lineOf(Library::Tovrik, "init")), "true");
  CHECK_STR(resultOf(lineOf(Library::Duvek, "init0")), "0");
  CHECK_STR(resultOf(lineOf(Library::Ulvoran, "UlvoLedInit")), "true");
}

TEST_CASE(tovrik_half_health_quarter_armour) {
  if (!isDefault())
    return;
  int line = lineOf(Library::Tovrik, "update", 0,
                    healthLine(Library::Tovrik, 0.5f, 0.25f));
  const Picture *p = after(Library::Tovrik, line);
  CHECK(p != nullptr);
  CHECK(tovrikLit(p) == plus(plus(range(1, 6), {18, 19}), kTovrikMovement));
  CHECK_EQ(p ? p->tovrik.colour : 0, 0x00FF00u);
  CHECK(p && p->tovrik.sdkMode);
}

TEST_CASE(tovrik_bars_and_modes) {
  if (!isDefault())
    return;
  int line = lineOf(Library::Tovrik, "update", 0,
                    healthLine(Library::Tovrik, 0.75f, 0.7f));
  CHECK(tovrikLit(after(Library::Tovrik, line)) ==
        plus(plus(range(1, 9), range(18, 24)), kTovrikMovement));
  // Every-key mode in orange with health 0.5 and armour 0.25.
  line = lineOf(Library::Tovrik, "update", 0,
                lineOf(Library::Tovrik, "setIlluminatedKeys", 1));
  const Picture *p = after(Library::Tovrik, line);
  CHECK(tovrikLit(p) ==
        minus(range(0, 109), plus(range(7, 12), range(20, 27))));
  CHECK_EQ(p ? p->tovrik.colour : 0, 0xFF8000u);
  // Both bars hidden: every key.
  line = lineOf(Library::Tovrik, "update", 0,
                lineOf(Library::Tovrik, "setShowArmor", 1));
  CHECK(tovrikLit(after(Library::Tovrik, line)) == range(0, 109));
  // Health empty, armour none: the bars are dark in the every-key mode.
  line = lineOf(Library::Tovrik, "update", 0,
                healthLine(Library::Tovrik, 0.0f, 0.0f));
  CHECK(tovrikLit(after(Library::Tovrik, line)) ==
        minus(range(0, 109), plus(range(1, 12), range(18, 27))));
}

TEST_CASE(tovrik_potion_and_hand_back) {
  if (!isDefault())
    return;
  const Picture *p =
      after(Library::Tovrik, lineOf(Library::Tovrik, "displayPotionColor"));
  CHECK(tovrikLit(p) == range(0, 109));
  CHECK_EQ(p ? p->tovrik.colour : 0, 0x8020FFu);
  p = after(Library::Tovrik, lineOf(Library::Tovrik, "unInit"));
  CHECK(p && !p->tovrik.sdkMode && p->tovrik.restored);
}

TEST_CASE(duvek_half_health_quarter_armour) {
  if (!isDefault())
    return;
  int line = lineOf(Library::Duvek, "update", 0,
                    healthLine(Library::Duvek, 0.5f, 0.25f));
  Cells want = duvekMovement(0x00FF00);
  addCells(&want, 0x0003, 0x0008, 0x7F7F00);
  addCells(&want, 0x0102, 0x0103, 0xFFFF00);
  CHECK(duvekLit(after(Library::Duvek, line)) == want);
  CHECK_STR(resultOf(line), "0");
}

TEST_CASE(duvek_every_key_mode_and_potion) {
  if (!isDefault())
    return;
  int line = lineOf(Library::Duvek, "update", 0,
                    lineOf(Library::Duvek, "setIlluminatedKeys", 1));
  const Picture *p = after(Library::Duvek, line);
  CHECK(p && p->duvek.effect == 8);
  CHECK_EQ(p ? p->duvek.cells[3] : 0, 0x7F7F00u); // health bar, 6 keys
  CHECK_EQ(p ? p->duvek.cells[9] : 0, 0xFF8000u); // beyond it: base colour
  CHECK_EQ(p ? p->duvek.cells[131] : 0, 0xFF8000u);
  p = after(Library::Duvek, lineOf(Library::Duvek, "displayPotionColor"));
  CHECK(p && p->duvek.effect == 4);
  CHECK_EQ(p ? p->duvek.cells[0] : 0, 0x8020FFu);
  CHECK_STR(resultOf(lineOf(Library::Duvek, "unInit0")), "0");
}

// Three flashes per board (one alone, two overlapping): red, dark, red and
// a redraw, each step at least about as long as its pause.
TEST_CASE(flashes_are_complete_and_ordered) {
  if (!isDefault())
    return;
  int seen[2] = {};
  for (const FlashTiming &f : gTimeline.flashes) {
    seen[f.board.library == Library::Duvek]++;
    CHECK(f.complete());
    static const double kPause[3] = {100, 100, 80};
    // Steps of overlapping flashes interleave, so only a lone flash's
    // steps are held to their pauses (less a little timer slack).
    for (int i = 0; i < 3 && !f.overlapping; i++) {
      CHECK_TIME(f.stepMs(i) >= kPause[i] - 10);
      CHECK_TIME(f.stepMs(i) < 2000);
    }
  }
  CHECK_EQ(seen[0], 3);
  CHECK_EQ(seen[1], 3);
  // The update during the first flash draws nothing.
  int during =
      lineOf(Library::Duvek, "update", 0, lineOf(Library::Duvek, "onDamage"));
  CHECK_STR(resultOf(during), "-1");
  for (const Picture &p : gTimeline.pictures)
    CHECK(p.line != during &&
          p.line != lineOf(Library::Tovrik, "update", 0,
                           lineOf(Library::Tovrik, "onDamage")));
}

TEST_CASE(led_engine_gets_every_entry) {
  int n = 0;
  const Method *m = methodsOf(Library::Ulvoran, &n);
  for (int i = 0; isDefault() && i < n; i++) {
    if (!engineCalled(gEngine, m[i].name))
      std::printf("  not called: %s\n", m[i].name);
    CHECK(engineCalled(gEngine, m[i].name));
  }
  for (const LogLine &l : gEngine) {
    if (l.words.size() > 2 && l.words[0] == "UlvoLedSetLighting")
      CHECK(l.words[1] == "0" || l.words[1] == "100" || l.words[1] == "50");
    if (l.words.size() > 9 && l.words[0] == "UlvoLedPulseSingleKey")
      CHECK(l.words[9] == (isDefault() ? "1" : "0"));
    if (l.words.size() > 1 && l.words[0] == "UlvoLedSetLightingFromBitmap")
      CHECK(l.words[1].rfind(isDefault() ? "000000" : "0102030405", 0) == 0);
  }
}

TEST_CASE(bars_session_edges) {
  if (isDefault())
    return;
  // Tovrik every-key mode, health 0.99: F1 to F11; armour 1.0: all ten.
  int line = lineOf(Library::Tovrik, "update", 0);
  CHECK(tovrikLit(after(Library::Tovrik, line)) == minus(range(0, 109), {12}));
  // Mode 1, health bar hidden: F keys follow the mode (dark); armour 0.7
  // as a 32-bit float lights seven keys.
  line = lineOf(Library::Tovrik, "update", 1);
  const Picture *p = after(Library::Tovrik, line);
  CHECK(tovrikLit(p) == plus(range(18, 24), kTovrikMovement));
  CHECK_EQ(p ? p->tovrik.colour : 0, 0xFF0000u);
  // Duvek: health 1.5 is still twelve keys in full green, armour 0.35 three
  // keys, over a blue base grid.
  line = lineOf(Library::Duvek, "update", 0);
  p = after(Library::Duvek, line);
  CHECK_EQ(p ? p->duvek.cells[3] : 0, 0x00FF00u);
  CHECK_EQ(p ? p->duvek.cells[14] : 0, 0x00FF00u);
  CHECK_EQ(p ? p->duvek.cells[15] : 0, 0x0000FFu);
  CHECK_EQ(p ? p->duvek.cells[22 + 4] : 0, 0xFFFF00u);
  CHECK_EQ(p ? p->duvek.cells[22 + 5] : 0, 0x0000FFu);
  // Health 0.04 lights no key, armour hidden: only the red movement set.
  line = lineOf(Library::Duvek, "update", 1);
  CHECK(duvekLit(after(Library::Duvek, line)) == duvekMovement(0xFF0000));
  // Nothing before init0, and update after unInit0 returns -1.
  for (const Picture &q : gTimeline.pictures)
    CHECK(q.board.library != Library::Duvek ||
          q.line != lineOf(Library::Duvek, "displayPotionColor"));
  CHECK_STR(resultOf(lineOf(Library::Duvek, "update", 2)), "-1");
}

int main(int argc, char **argv) {
  std::string build = argc == 4 ? argv[2] : "";
  if (build != "x86" && build != "x64") {
    std::printf("usage: preview_wine_check SESSION x86|x64 RUN\n");
    return 2;
  }
  std::string text;
  std::vector<std::string> errors;
  if (!readFile(argv[1], &text) || !parseSession(text, &gSession, &errors)) {
    std::printf("cannot read the session %s\n", argv[1]);
    return 2;
  }
  gBuild = build == "x64" ? Build::X64 : Build::X86;
  gRun = argv[3];
  addRun(&gTimeline, gBuild, gSession, gRun);
  gEngine = readLog(gRun + "/" + libraryInfo(Library::Ulvoran).standInLog);
  for (const FlashTiming &f : gTimeline.flashes)
    std::printf("flash %s line %d: %.1f / %.1f / %.1f ms\n",
                boardName(f.board).c_str(), f.line, f.stepMs(0), f.stepMs(1),
                f.stepMs(2));
  char *none[] = {argv[0]};
  return check::run(1, none);
}
