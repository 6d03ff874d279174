// Duvek.dll under Wine, against the 32-bit stand-in variants of
// "DvGlowSDK.dll" and their call log.  Each case picks its variant with
// SetDllDirectoryA, so the bare-name load takes the platform's search order.
#include "check.h"
#include "duvek_api.h"
#include "process_threads.h"
#include "win_support.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

DuvekApi duvek;
std::string logPath;
// From the command line: Duvek.dll, and the folder of the stand-in variants.
std::string duvekPath, variantRoot;
// The program's threads while no flash runs.
int idleThreads = 0;

// Waits for every flash thread to end.
void waitForFlashes() { threadsSettleTo(idleThreads, 3000); }

struct LogLine {
  long long us = 0;
  std::string entry; // "LATE" lines keep the entry in `entry`, late = true
  bool late = false;
  int type = -1;
  std::string block; // hex, or "null"
  std::string third;
  int rc = 0;
};

std::vector<LogLine> readLog() {
  std::vector<LogLine> lines;
  FILE *f = std::fopen(logPath.c_str(), "r");
  if (!f)
    return lines;
  static char buf[4096];
  while (std::fgets(buf, sizeof buf, f)) {
    LogLine l;
    char entry[64] = {}, second[64] = {};
    int n = std::sscanf(buf, "%lld %63s %63s", &l.us, entry, second);
    if (n < 2)
      continue;
    l.entry = entry;
    if (l.entry == "LATE") {
      l.late = true;
      l.entry = second;
    } else if (l.entry == "CreateKeyboardEffect") {
      static char block[2200], third[16];
      std::sscanf(buf, "%*s %*s %d %2199s %15s -> %d", &l.type, block, third,
                  &l.rc);
      l.block = block;
      l.third = third;
    } else {
      std::sscanf(buf, "%*s %*s -> %d", &l.rc);
    }
    lines.push_back(l);
  }
  std::fclose(f);
  return lines;
}

std::vector<LogLine> effects() {
  std::vector<LogLine> out;
  for (const LogLine &l : readLog())
    if (l.entry == "CreateKeyboardEffect")
      out.push_back(l);
  return out;
}

int count(const char *entry) {
  int n = 0;
  for (const LogLine &l : readLog())
    n += l.entry == entry;
  return n;
}

// The effect types of the log's "CreateKeyboardEffect" lines, one digit
// each, in the order called.
std::string effectTypes() {
  std::string order;
  for (const LogLine &l : effects())
    order += static_cast<char>('0' + l.type);
  return order;
}

bool anyLate() {
  for (const LogLine &l : readLog())
    if (l.late)
      return true;
  return false;
}

void clearLog() { DeleteFileA(logPath.c_str()); }

// Every variant folder holds a stand-in under the name this build loads
// first; the complete one also one that fails "Init" with 87 under the
// other name.
bool effectLibraryLoaded() { return GetModuleHandleA(kEffectLibraryName); }

// Stops whatever the last case left, waits out its flashes and restores the
// settings at load, then points the search at one variant.
void useVariant(const char *variant) {
  waitForFlashes();
  duvek.unInit0(nullptr, nullptr);
  duvek.setIlluminatedKeys(nullptr, nullptr, 1, 0x00FFFFFF);
  duvek.setShowHealth(nullptr, nullptr, JNI_TRUE);
  duvek.setShowArmor(nullptr, nullptr, JNI_TRUE);
  duvek.updateHealthAndArmor(nullptr, nullptr, 0.0f, 0.0f);
  SetEnvironmentVariableA("DVGLOW_EFFECT_RESULT", nullptr);
  SetDllDirectoryA((variantRoot + "\\" + variant).c_str());
  clearLog();
}

// The complete stand-in, started, with an empty log.
void startComplete() {
  useVariant("dvglow_complete");
  CHECK_EQ(duvek.init0(nullptr, nullptr), 0);
  clearLog();
}

// The hex of a 1056-byte KeyGridEffect whose base grid holds `base`
// everywhere and whose key grid holds the given entries.
struct Grid {
  uint32_t base = 0;
  uint32_t keys[132] = {};
  void set(int first, int n, uint32_t color) {
    for (int j = 0; j < n; j++)
      keys[first + j] = color;
  }
  void movement(uint32_t color) {
    for (int i : {47, 68, 69, 70, 117, 20})
      keys[i] = color;
  }
  std::string hex() const {
    std::string s;
    char b[12];
    for (int i = 0; i < 264; i++) {
      uint32_t v = i < 132 ? base : keys[i - 132];
      std::snprintf(b, sizeof b, "%02x%02x%02x%02x", v & 0xFF, (v >> 8) & 0xFF,
                    (v >> 16) & 0xFF, v >> 24);
      s += b;
    }
    return s;
  }
};

std::string redGrid() {
  std::string s;
  for (int i = 0; i < 132; i++)
    s += "ff000000";
  return s;
}

jint update() { return duvek.update(nullptr, nullptr); }

std::string drawnHex() {
  clearLog();
  CHECK_EQ(update(), 0);
  auto e = effects();
  CHECK_EQ(e.size(), 1u);
  return e.empty() ? std::string() : e[0].block;
}

} // namespace

// 50 cycles of load, init0, onDamage, unInit0 and free, the flash in
// flight at some point of its course when the binding goes and when Duvek is
// freed, so that the flash thread's exit unloads Duvek.  No call reaches a
// stopped effect library, the effect library and every copy of Duvek go,
// and no thread is left behind.  First of all cases, while no earlier case
// has left an effect library loaded (freeing Duvek without unInit0 does).
TEST_CASE(load_free_cycles_during_flashes_stress) {
  useVariant("dvglow_complete");
  duvek.unload();
  int threadsBefore = threadsOfThisProcess();
  int stuck = 0, effectLibraryLeft = 0, darkSteps = 0;
  for (int cycle = 0; cycle < 50; cycle++) {
    DuvekApi copy;
    if (!copy.load(duvekPath.c_str()) || copy.init0(nullptr, nullptr) != 0) {
      CHECK(!"load and init0");
      break;
    }
    copy.onDamage(nullptr, nullptr);
    Sleep(cycle * 6 % 300);
    copy.unInit0(nullptr, nullptr);
    effectLibraryLeft += effectLibraryLoaded();
    copy.unload();
    for (int i = 0; i < 200 && GetModuleHandleA("Duvek.dll"); i++)
      Sleep(5);
    stuck += GetModuleHandleA("Duvek.dll") != nullptr;
  }
  for (const LogLine &l : effects())
    darkSteps += l.type == 0;
  CHECK_EQ(stuck, 0);
  CHECK_EQ(effectLibraryLeft, 0);
  CHECK(darkSteps >= 25); // the cycles that stopped after 100 ms
  CHECK(!anyLate());
  CHECK(threadsSettleTo(threadsBefore, 2000) <= threadsBefore);
  CHECK(duvek.load(duvekPath.c_str()));
}

TEST_CASE(codes_of_each_variant) {
  useVariant("none"); // every init tries the load again
  CHECK_EQ(duvek.init0(nullptr, nullptr), 1062);
  CHECK_EQ(duvek.init0(nullptr, nullptr), 1062);
  CHECK_EQ(update(), -1);
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 5023);

  useVariant("dvglow_no_init");
  CHECK_EQ(duvek.init0(nullptr, nullptr), 1168);
  CHECK_EQ(duvek.init0(nullptr, nullptr), 1168);
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
  CHECK(!effectLibraryLoaded());

  useVariant("dvglow_no_querydevice");
  CHECK_EQ(duvek.init0(nullptr, nullptr), 1168);
  CHECK_EQ(update(), -1);
  duvek.displayPotionColor(nullptr, nullptr, 0x00FF0000);
  CHECK_EQ(duvek.init0(nullptr, nullptr), 5023);
  CHECK_EQ(count("Init"), 1);
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
  CHECK(effects().empty());

  useVariant("dvglow_no_uninit");
  CHECK_EQ(duvek.init0(nullptr, nullptr), 0);
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), -1);
  CHECK(!effectLibraryLoaded());

  useVariant("dvglow_init_87");
  CHECK_EQ(duvek.init0(nullptr, nullptr), 87);
  CHECK_EQ(duvek.init0(nullptr, nullptr), 5023);
  CHECK_EQ(count("Init"), 1);
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
  CHECK_EQ(count("UnInit"), 1);
  CHECK(!effectLibraryLoaded());
  CHECK_EQ(duvek.init0(nullptr, nullptr), 87);
  CHECK_EQ(count("Init"), 2);

  useVariant("dvglow_init_m1");
  jlong rc = duvek.init0(nullptr, nullptr);
  CHECK(rc == -1LL);

  useVariant("dvglow_complete");
  duvek.displayPotionColor(nullptr, nullptr, 0x00FF0000); // not started: none
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 5023);
  CHECK_EQ(duvek.init0(nullptr, nullptr), 0); // not the other name's 87
  CHECK_EQ(duvek.init0(nullptr, nullptr), 5023);
  CHECK_EQ(update(), -1);
  CHECK(effects().empty());
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
  CHECK(!anyLate());
}

#ifdef _WIN64
TEST_CASE(plain_name_alone_serves_64_bit) {
  useVariant("dvglow_plain_name");
  CHECK_EQ(duvek.init0(nullptr, nullptr), 0);
  CHECK(GetModuleHandleA("DvGlowSDK.dll") != nullptr);
  CHECK_EQ(update(), 0);
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
  CHECK(GetModuleHandleA("DvGlowSDK.dll") == nullptr);
}
#endif

TEST_CASE(steady_state_byte_for_byte) {
  startComplete();
  Grid g;
  g.movement(0x01FFFFFF);
  CHECK(drawnHex() == g.hex());

  SetEnvironmentVariableA("DVGLOW_EFFECT_RESULT", "7");
  CHECK_EQ(update(), 7);
  SetEnvironmentVariableA("DVGLOW_EFFECT_RESULT", nullptr);

  duvek.updateHealthAndArmor(nullptr, nullptr, 0.5f, 0.7f);
  g.set(3, 6, 0x01007F7F);
  g.set(24, 7, 0x0100FFFF);
  CHECK(drawnHex() == g.hex());

  duvek.updateHealthAndArmor(nullptr, nullptr, 1.5f, 0.35f);
  Grid full;
  full.movement(0x01FFFFFF);
  full.set(3, 12, 0x0100FF00);
  full.set(24, 3, 0x0100FFFF);
  CHECK(drawnHex() == full.hex());

  duvek.updateHealthAndArmor(nullptr, nullptr, std::nanf(""), -2.0f);
  duvek.setIlluminatedKeys(nullptr, nullptr, 2, 0x00123456);
  Grid every;
  every.base = 0x00563412;
  CHECK(drawnHex() == every.hex());

  duvek.setIlluminatedKeys(nullptr, nullptr, 1, 0x00FF0000);
  duvek.updateHealthAndArmor(nullptr, nullptr, 1.0f, 1.0f);
  duvek.setShowHealth(nullptr, nullptr, JNI_FALSE);
  duvek.setShowArmor(nullptr, nullptr, JNI_FALSE);
  Grid red;
  red.movement(0x010000FF);
  CHECK(drawnHex() == red.hex());

  clearLog(); // the potion colour: one colour in the library's order
  duvek.displayPotionColor(nullptr, nullptr, 0x00FF0000);
  auto e = effects();
  CHECK(e.size() == 1 && e[0].type == 4 && e[0].block == "ff000000" &&
        e[0].third == "null");
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
}

TEST_CASE(flash_red_dark_red_redraw) {
  startComplete();
  duvek.onDamage(nullptr, nullptr);
  for (int i = 0; i < 200 && effects().empty(); i++)
    Sleep(5);
  CHECK_EQ(update(), -1);
  duvek.updateHealthAndArmor(nullptr, nullptr, 0.5f, 0.0f);
  waitForFlashes();
  auto e = effects();
  CHECK_EQ(e.size(), 4u);
  if (e.size() == 4) {
    CHECK(e[0].type == 2 && e[0].block == redGrid());
    CHECK(e[1].type == 0 && e[1].block == "null");
    CHECK(e[2].type == 2 && e[2].block == redGrid());
    Grid g;
    g.movement(0x01FFFFFF);
    g.set(3, 6, 0x01007F7F);
    CHECK(e[3].type == 8 && e[3].block == g.hex());
    const long long minGap[] = {90000, 90000, 70000};
    for (int i = 0; i < 3; i++) {
      long long gap = e[i + 1].us - e[i].us;
      CHECK_TIME(gap >= minGap[i] && gap < 5000000);
    }
    for (const LogLine &l : e)
      CHECK(l.third == "null");
  }
  CHECK_EQ(update(), 0);
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
}

TEST_CASE(overlapping_flashes) {
  startComplete();
  duvek.onDamage(nullptr, nullptr);
  Sleep(50);
  duvek.onDamage(nullptr, nullptr);
  waitForFlashes();
  // How the two sequences interleave depends on when the second thread got
  // going; both run whole.
  std::string order = effectTypes();
  std::sort(order.begin(), order.end());
  CHECK(order == "00222288");
  CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
}

TEST_CASE(flash_meets_uninit) {
  const DWORD offsets[] = {0, 1, 5, 50, 100, 150, 200, 250, 280};
  for (DWORD offset : offsets) {
    startComplete();
    duvek.onDamage(nullptr, nullptr);
    Sleep(offset);
    CHECK_EQ(duvek.unInit0(nullptr, nullptr), 0);
    waitForFlashes();
    auto log = readLog();
    std::string order = effectTypes();
    bool startOfFlash =
        std::string("2028").compare(0, order.size(), order) == 0;
    CHECK(!anyLate() && startOfFlash);
    CHECK(!log.empty() && log.back().entry == "UnInit");
    if (anyLate() || !startOfFlash)
      std::printf("  offset %lu: effects %s\n", offset, order.c_str());
  }
}

// Runs last: it leaves the effect library loaded and started, as a host
// that frees Duvek without unInit0 does.
TEST_CASE(flash_survives_freeing_duvek) {
  startComplete();
  duvek.onDamage(nullptr, nullptr);
  duvek.unload();
  CHECK(GetModuleHandleA("Duvek.dll") != nullptr);
  for (int i = 0; i < 600 && GetModuleHandleA("Duvek.dll"); i++)
    Sleep(5);
  CHECK(GetModuleHandleA("Duvek.dll") == nullptr);
  CHECK_EQ(effects().size(), 4u);
  CHECK(effectLibraryLoaded());
  CHECK(duvek.load(duvekPath.c_str()));
}

int main(int argc, char **argv) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  logPath = std::string(temp) + "dvglow-test.log";
  SetEnvironmentVariableA("DVGLOW_LOG", logPath.c_str());
  std::vector<std::string> paths =
      takePathArguments(argc, argv, 2, "Duvek.dll VARIANT-ROOT [case...]");
  if (paths.empty())
    return 2;
  duvekPath = paths[0];
  variantRoot = paths[1];
  if (!duvek.load(duvekPath.c_str())) {
    std::printf("cannot load %s\n", duvekPath.c_str());
    return 1;
  }
  idleThreads = threadsOfThisProcess();
  return check::run(argc, argv);
}
