// Tovrik.dll under Wine against tovrik_service.exe in a process of its own:
// what reaches the service, byte for byte, through the real exports.
// Usage: tovrik_wine_test <Tovrik.dll> <tovrik_service.exe> [case...]
#include "bitmap_line.h"
#include "check.h"
#include "process_threads.h"
#include "service_process.h"
#include "tovrik_api.h"

namespace {

std::string dllPath, servicePath;
const wchar_t kLinkClass[] = L"Vesk MK Pro SDK Class";

// Bitmap bytes as spaced hex, to the payload of the service's "keys" line.
std::string keys(const char *spaced) {
  return bitmapLine(spaced).substr(sizeof "keys");
}

const std::string kAllOff =
    keys("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
const std::string kAllOn = keys("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
const std::string kWasd = keys("00 00 00 00 00 00 02 60 00 02 00 00 00 00 01");
// After every key was lit: the positions no key names stay on.
const std::string kWasdAfterAllOn =
    keys("00 00 00 00 01 00 02 61 80 02 00 08 70 80 83");

int litKeys(const std::string &rest) {
  if (rest.compare(0, 3, "20 ") != 0)
    return -1;
  int n = 0;
  for (size_t i = 3; i + 1 < rest.size() && i < 3 + 30; i += 2)
    n += __builtin_popcount(std::stoi(rest.substr(i, 2), nullptr, 16));
  return n;
}

HWND linkWindow() {
  return FindWindowExW(HWND_MESSAGE, nullptr, kLinkClass, nullptr);
}

// The window procedure of the link's class, or null while it is not
// registered.
WNDPROC linkClassProc() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), kLinkClass, &wc))
    return nullptr;
  return wc.lpfnWndProc;
}

// A service, then a fresh load of the library, bars hidden and mode 1.
struct Session {
  ServiceProcess service;
  TovrikApi api;
  bool ok = false;

  explicit Session(bool withInit = true) {
    ok = service.start(servicePath);
    if (ok && !api.load(dllPath.c_str())) {
      std::printf("  cannot load %s: error %lu\n", dllPath.c_str(),
                  GetLastError());
      ok = false;
    }
    if (!ok)
      return;
    api.setShowHealth(nullptr, nullptr, JNI_FALSE);
    api.setShowArmor(nullptr, nullptr, JNI_FALSE);
    if (withInit) {
      ok = api.init(nullptr, nullptr) == JNI_TRUE;
      service.waitFor("keys", 1);
    }
  }
  ~Session() {
    pumpFor(350); // let any flash end before the library goes
    api.unload();
    pumpFor(20);
  }
  // The `n`th key bitmap, once it is the last one; else a note of how many
  // came.
  std::string nthKeys(size_t n, DWORD settleMs = 60) {
    auto k = service.waitFor("keys", n, settleMs);
    return k.size() == n ? k.back().rest : std::to_string(k.size()) + " keys";
  }
};

// Before init the library announces itself, lights every key for a potion
// and does nothing else; init then takes the keyboard over.
TEST_CASE(discover_potion_then_init_takes_over) {
  Session s(false);
  REQUIRE(s.ok);
  HWND own = linkWindow();
  CHECK(own != nullptr);
  auto discover = s.service.waitFor("discover", 1);
  CHECK_EQ(discover.size(), 1u);
  char want[16];
  std::snprintf(want, sizeof want, "0x%08lX",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(own)));
  CHECK(!discover.empty() && discover[0].rest == want);
  s.api.update(nullptr, nullptr);
  s.api.onDamage(nullptr, nullptr);
  s.api.displayPotionColor(nullptr, nullptr, 0x00102030);
  auto k = s.service.waitFor("keys", 1, 400);
  CHECK(k.size() == 1 && k[0].rest == kAllOn);
  auto light = s.service.of("light-control");
  CHECK(light.size() == 1 && light[0].rest == "0x00000102 0x00102030");
  CHECK(s.service.of("led-control").empty());
  CHECK(s.api.init(nullptr, nullptr) == JNI_TRUE);
  auto mode = s.service.waitFor("led-control", 1);
  CHECK(mode.size() == 1 && mode[0].rest == "15 1");
  k = s.service.waitFor("keys", 2);
  CHECK(k.size() == 2 && k[1].rest == kAllOff);
  CHECK_EQ(s.service.of("light-control").size(), 1u);
}

TEST_CASE(worked_example_and_frame_vectors) {
  Session s;
  REQUIRE(s.ok);
  s.api.setShowHealth(nullptr, nullptr, JNI_TRUE);
  s.api.setShowArmor(nullptr, nullptr, JNI_TRUE);
  s.api.setIlluminatedKeys(nullptr, nullptr, 1, 0x0000FF00);
  s.api.updateHealthAndArmor(nullptr, nullptr, 0.5f, 0.25f);
  s.api.update(nullptr, nullptr);
  s.api.update(nullptr, nullptr);
  auto k = s.service.waitFor("keys", 3);
  auto light = s.service.of("light-control");
  CHECK(light.size() == 1 && light[0].rest == "0x00010102 0x0000FF00");
  const std::string worked =
      keys("1C E0 01 02 00 00 02 60 00 02 00 00 00 00 01");
  CHECK(k.size() == 3 && k[1].rest == worked && k[2].rest == worked);

  s.api.setShowArmor(nullptr, nullptr, JNI_FALSE);
  s.api.updateHealthAndArmor(nullptr, nullptr, 1.0f, 0.0f);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(4) == keys("FC C1 13 00 00 00 02 60 00 02 00 00 00 00 01"));
  s.api.setShowHealth(nullptr, nullptr, JNI_FALSE);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(5) == kWasd);
  s.api.setIlluminatedKeys(nullptr, nullptr, 0, 0x0000FF00);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(6) == keys("FF FF FF FF FE FF FF FE 7F FF FF F7 8F 7F 7D"));
  s.api.displayPotionColor(nullptr, nullptr, 0x00FFFFFF);
  s.api.setIlluminatedKeys(nullptr, nullptr, 7, 0x0000FF00);
  s.api.setShowHealth(nullptr, nullptr, JNI_TRUE);
  s.api.updateHealthAndArmor(nullptr, nullptr, 0.0f, 0.0f);
  s.api.update(nullptr, nullptr); // the unnamed positions stay lit
  CHECK(s.nthKeys(8) == keys("03 3E EC FF FF FF FF FF FF FF FF FF FF FF FF"));
  light = s.service.of("light-control");
  CHECK(light.size() == 2 && light[1].rest == "0x00000102 0x00FFFFFF");
}

TEST_CASE(bars_use_single_precision_products) {
  Session s;
  REQUIRE(s.ok);
  s.api.setShowArmor(nullptr, nullptr, JNI_TRUE);
  const float armor[] = {0.7f, 0.25f, 1.0f, -0.5f, 3.0e38f, 2.0f};
  const int lit[] = {7, 2, 10, 0, 0, 10};
  for (int i = 0; i < 6; i++) {
    s.api.updateHealthAndArmor(nullptr, nullptr, 0.0f, armor[i]);
    s.api.update(nullptr, nullptr);
    CHECK_EQ(litKeys(s.nthKeys(2 + i, 0)), 5 + lit[i]);
  }
  s.api.setShowArmor(nullptr, nullptr, JNI_FALSE);
  s.api.setShowHealth(nullptr, nullptr, JNI_TRUE);
  s.api.updateHealthAndArmor(nullptr, nullptr, 0.99f, 0.0f);
  s.api.update(nullptr, nullptr);
  CHECK_EQ(litKeys(s.nthKeys(8, 0)), 5 + 11);
}

TEST_CASE(colour_posted_on_change_top_byte_counts) {
  Session s;
  REQUIRE(s.ok);
  s.api.update(nullptr, nullptr); // white since load: nothing posted
  s.api.setIlluminatedKeys(nullptr, nullptr, 1, static_cast<jint>(0xAB123456u));
  s.api.update(nullptr, nullptr);
  s.api.update(nullptr, nullptr);
  s.api.setIlluminatedKeys(nullptr, nullptr, 1, 0x00123456);
  s.api.update(nullptr, nullptr);
  s.service.waitFor("keys", 5);
  auto light = s.service.of("light-control");
  CHECK_EQ(light.size(), 2u);
  for (auto &l : light)
    CHECK(l.rest == "0x00010102 0x00123456");
}

// Off and on: a colour the service was given is given again after it had
// the light back; white, never posted, is still left to it.
TEST_CASE(uninit_hands_back_and_init_takes_again) {
  Session s;
  REQUIRE(s.ok);
  s.api.unInit(nullptr, nullptr);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(2) == kWasd);
  auto light = s.service.of("light-control");
  auto mode = s.service.of("led-control");
  CHECK(light.size() == 1 && light[0].rest == "0xFFFFFFFF 0x00000000");
  CHECK(mode.size() == 2 && mode[1].rest == "15 0");
  CHECK(s.api.init(nullptr, nullptr) == JNI_TRUE);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(4) == kWasd);
  CHECK_EQ(s.service.of("light-control").size(), 1u);

  s.api.setIlluminatedKeys(nullptr, nullptr, 1, 0x0000FF00);
  s.api.update(nullptr, nullptr);
  s.api.unInit(nullptr, nullptr);
  CHECK(s.api.init(nullptr, nullptr) == JNI_TRUE);
  s.api.update(nullptr, nullptr);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(8) == kWasd);
  light = s.service.of("light-control");
  CHECK(light.size() == 4 && light[1].rest == "0x00010102 0x0000FF00" &&
        light[2].rest == "0xFFFFFFFF 0x00000000" &&
        light[3].rest == "0x00010102 0x0000FF00");
}

// A service that stops taking messages costs one short wait, not one per
// frame, and the first update after it answers again draws the picture.
TEST_CASE(hung_service_never_holds_the_game) {
  Session s;
  REQUIRE(s.ok);
  s.service.hang(1500);
  long long t0 = qpcMicros();
  s.api.update(nullptr, nullptr);
  long long first = qpcMicros() - t0, rest = 0;
  for (int i = 0; i < 10; i++) {
    pumpFor(20);
    t0 = qpcMicros();
    s.api.update(nullptr, nullptr);
    rest += qpcMicros() - t0;
  }
  std::printf("  against a hung service: first update %lld us, ten more %lld "
              "us\n",
              first, rest);
  CHECK_TIME(first < 300000);
  CHECK_TIME(rest < 300000);
  pumpFor(1600);
  s.api.setShowHealth(nullptr, nullptr, JNI_TRUE);
  s.api.updateHealthAndArmor(nullptr, nullptr, 1.0f, 0.0f);
  size_t before = s.service.of("keys").size();
  s.api.update(nullptr, nullptr);
  auto k = s.service.waitFor("keys", before + 1);
  CHECK(k.size() > before &&
        k.back().rest == keys("FC C1 13 00 00 00 02 60 00 02 00 00 00 00 01"));
}

// The library was first used on a worker thread that then never handles
// messages, and the game updates from its own thread.  The service answers
// each bitmap with a report to the link's window, which waits for that
// worker for ever, while the service's thread still answers probes: one
// bitmap waits the whole send time, and the next are dropped until the
// retry is due, however the probes answer.
struct LoadedOnAWorkerThatNeverPumps {
  TovrikApi api;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
  bool ok = false;
  static DWORD WINAPI run(LPVOID arg) {
    auto *self = static_cast<LoadedOnAWorkerThatNeverPumps *>(arg);
    self->ok = self->api.load(dllPath.c_str());
    if (self->ok) {
      self->api.setShowHealth(nullptr, nullptr, JNI_FALSE);
      self->api.setShowArmor(nullptr, nullptr, JNI_FALSE);
      self->ok = self->api.init(nullptr, nullptr) == JNI_TRUE;
    }
    SetEvent(self->ready);
    WaitForSingleObject(self->release, INFINITE); // no message handled
    pumpFor(300); // the reports that waited, then the library goes here
    self->api.unload();
    return 0;
  }
  LoadedOnAWorkerThatNeverPumps() {
    thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
    WaitForSingleObject(ready, INFINITE);
  }
  ~LoadedOnAWorkerThatNeverPumps() {
    SetEvent(release);
    WaitForSingleObject(thread, INFINITE);
    for (HANDLE h : {thread, ready, release})
      CloseHandle(h);
  }
};

// Microseconds the calling thread spends in `n` updates `gapMs` apart.
long long updatesApart(TovrikApi &api, int n, DWORD gapMs) {
  long long total = 0;
  for (int i = 0; i < n; i++) {
    long long t0 = qpcMicros();
    api.update(nullptr, nullptr);
    total += qpcMicros() - t0;
    Sleep(gapMs);
  }
  return total;
}

TEST_CASE(probe_answers_but_bitmap_stalls_costs_one_wait) {
  ServiceProcess service;
  REQUIRE(service.start(servicePath, "--report-each-bitmap"));
  LoadedOnAWorkerThatNeverPumps loaded;
  REQUIRE(loaded.ok);
  size_t before = service.waitFor("keys", 1, 0).size();
  long long total = updatesApart(loaded.api, 40, 16);
  size_t during = service.of("keys").size() - before;
  std::printf("  40 updates 16 ms apart: %lld us, %d bitmaps\n", total,
              static_cast<int>(during));
  CHECK_TIME(total < 600000);
  CHECK(during >= 1 && during <= 2); // the one that stalled, maybe a retry
}

// A service that takes 50 ms over each bitmap is sent fewer, each the
// current frame, and every one again once it is quick.
TEST_CASE(slow_service_is_paced_until_quick_again) {
  ServiceProcess service;
  REQUIRE(service.start(servicePath, "--bitmap-ms 50"));
  TovrikApi api;
  REQUIRE(api.load(dllPath.c_str()));
  api.setShowHealth(nullptr, nullptr, JNI_FALSE);
  api.setShowArmor(nullptr, nullptr, JNI_FALSE);
  REQUIRE(api.init(nullptr, nullptr) == JNI_TRUE);
  size_t before = service.waitFor("keys", 1, 0).size();
  long long total = updatesApart(api, 40, 16);
  auto k = service.waitFor("keys", before + 1, 100);
  std::printf("  40 updates 16 ms apart: %lld us, %d bitmaps\n", total,
              static_cast<int>(k.size() - before));
  CHECK_TIME(total < 600000);
  CHECK(k.size() >= before + 2);
  CHECK(k.back().rest == kWasd);
  service.run(7, 0);
  api.setShowHealth(nullptr, nullptr, JNI_TRUE);
  api.updateHealthAndArmor(nullptr, nullptr, 1.0f, 0.0f);
  const std::string full = keys("FC C1 13 00 00 00 02 60 00 02 00 00 00 00 01");
  long long t0 = qpcMicros();
  bool arrived = false;
  while (!arrived && qpcMicros() - t0 < 2500000) {
    api.update(nullptr, nullptr);
    pumpFor(16);
    k = service.of("keys");
    arrived = k.back().rest == full;
  }
  CHECK(arrived);
  size_t quick = k.size();
  for (int i = 0; i < 5; i++)
    api.update(nullptr, nullptr);
  CHECK_EQ(service.waitFor("keys", quick + 5).size(), quick + 5);
  api.unload();
}

// The known service hangs while a new instance starts: when the retry is
// due the new one is taken over as init does, and drawn.
TEST_CASE(new_instance_replaces_a_hung_service) {
  Session s;
  REQUIRE(s.ok);
  s.api.setIlluminatedKeys(nullptr, nullptr, 1, 0x0000FF00);
  s.api.update(nullptr, nullptr);
  s.service.waitFor("keys", 2, 0);
  s.service.hang(3000);
  s.api.update(nullptr, nullptr); // stalls
  ServiceProcess second;
  REQUIRE(second.start(servicePath));
  pumpFor(1100); // the retry is due a second after the stall
  s.api.update(nullptr, nullptr);
  s.api.update(nullptr, nullptr);
  auto k = second.waitFor("keys", 3);
  auto mode = second.of("led-control");
  auto light = second.of("light-control");
  CHECK(k.size() == 3 && k[0].rest == kAllOff && k[1].rest == kWasd &&
        k[2].rest == kWasd);
  CHECK(mode.size() == 1 && mode[0].rest == "15 1");
  CHECK(light.size() == 1 && light[0].rest == "0x00010102 0x0000FF00");
  second.stop();
}

TEST_CASE(attach_needs_lparam_one) {
  Session s;
  REQUIRE(s.ok);
  ServiceProcess other;
  REQUIRE(other.start(servicePath));
  for (LPARAM lp : {0, 2}) {
    other.run(1, lp);
    other.run(2, lp);
  }
  s.api.update(nullptr, nullptr);
  s.service.waitFor("keys", 2);
  CHECK(other.of("keys").empty());
  other.run(2, 1); // light attach
  s.api.update(nullptr, nullptr);
  CHECK_EQ(other.waitFor("keys", 1).size(), 1u);
  s.service.run(1, 1); // LED attach takes it back
  s.api.update(nullptr, nullptr);
  CHECK_EQ(s.service.waitFor("keys", 3).size(), 3u);
  CHECK_EQ(other.of("keys").size(), 1u);
  // An attach that leaves a handle of no window: the next update finds the
  // service by name and takes it over.
  other.run(1, 1);
  other.stop();
  s.api.update(nullptr, nullptr);
  auto k = s.service.waitFor("keys", 5);
  CHECK(k.size() == 5 && k[3].rest == kAllOff && k[4].rest == kWasd);
  auto mode = s.service.of("led-control");
  CHECK(mode.size() == 2 && mode[1].rest == "15 1");
}

// A report the service sends while the loading thread waits in its own
// send is taken at once; short, empty or data-less reports are ignored, and
// a whole one replaces every byte.
TEST_CASE(reports_taken_during_own_send_short_ones_ignored) {
  Session s;
  REQUIRE(s.ok);
  s.service.run(4, 0xFF);         // answer every bitmap with a report of 0xFF
  s.api.update(nullptr, nullptr); // returns only if the report is taken
  s.service.run(4, -1);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(3) == kWasdAfterAllOn);
  s.service.run(3, 14 << 8);             // too short
  s.service.run(3, 0x10000 | (20 << 8)); // no data
  s.service.run(3, 0 << 8);              // empty
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(4) == kWasdAfterAllOn);
  s.service.run(3, 15 << 8);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(5) == kWasd);
}

// The service restarts, announcing nothing: update alone takes the new one
// over, gives it the colour and draws.  init finds none while none runs.
TEST_CASE(service_restart_is_taken_over_by_update) {
  Session s;
  REQUIRE(s.ok);
  s.api.setIlluminatedKeys(nullptr, nullptr, 1, 0x0000FF00);
  s.api.update(nullptr, nullptr);
  s.service.stop();
  s.api.update(nullptr, nullptr); // none found: nothing anywhere
  ServiceProcess second;
  REQUIRE(second.start(servicePath));
  pumpFor(300); // past the pause between lookups
  s.api.update(nullptr, nullptr);
  // Posted and sent messages may reach the service in either order.
  auto k = second.waitFor("keys", 2);
  auto mode = second.of("led-control");
  auto light = second.of("light-control");
  CHECK(k.size() == 2 && k[0].rest == kAllOff && k[1].rest == kWasd);
  CHECK(mode.size() == 1 && mode[0].rest == "15 1");
  CHECK(light.size() == 1 && light[0].rest == "0x00010102 0x0000FF00");
  CHECK(mode.size() == 1 && light.size() == 1 && mode[0].us <= light[0].us);
  second.stop();
  CHECK(s.api.init(nullptr, nullptr) == JNI_FALSE);
}

TEST_CASE(damage_flash_sequence_and_steps) {
  Session s;
  REQUIRE(s.ok);
  s.api.setIlluminatedKeys(nullptr, nullptr, 1, 0x0000FF00);
  s.api.update(nullptr, nullptr);
  s.service.waitFor("keys", 2);
  s.api.onDamage(nullptr, nullptr);
  pumpFor(30);
  s.api.update(nullptr, nullptr); // during the flash: nothing
  auto k = s.service.waitFor("keys", 6, 200);
  CHECK_EQ(k.size(), 6u);
  if (k.size() != 6)
    return;
  CHECK(k[2].rest == kAllOn && k[3].rest == kAllOff && k[4].rest == kAllOn);
  CHECK(k[5].rest == kWasdAfterAllOn);
  auto light = s.service.of("light-control");
  CHECK(light.size() == 3 && light[1].rest == "0x00010102 0x00FF0000" &&
        light[2].rest == "0x00010102 0x0000FF00");
  long long on = k[3].us - k[2].us, off = k[4].us - k[3].us,
            last = k[5].us - k[4].us;
  std::printf("  flash steps: %lld %lld %lld us\n", on, off, last);
  CHECK_TIME(on >= 90000 && on < 2000000);
  CHECK_TIME(off >= 90000 && off < 2000000);
  CHECK_TIME(last >= 70000 && last < 2000000);
}

TEST_CASE(overlapping_flashes) {
  Session s;
  REQUIRE(s.ok);
  s.api.onDamage(nullptr, nullptr);
  pumpFor(40);
  s.api.onDamage(nullptr, nullptr);
  auto k = s.service.waitFor("keys", 1 + 6 + 2, 400);
  int on = 0, off = 0;
  for (auto &l : k) {
    on += l.rest == kAllOn;
    off += l.rest == kAllOff;
  }
  CHECK_EQ(on, 4);
  CHECK_EQ(off, 3); // two flashes and the init
  CHECK_EQ(s.service.of("light-control").size(), 2u); // red, white again
}

TEST_CASE(unload_mid_flash_and_load_again) {
  Session s;
  REQUIRE(s.ok);
  WNDPROC oldProc = linkClassProc();
  s.api.onDamage(nullptr, nullptr);
  s.api.unload();
  CHECK(GetModuleHandleA("Tovrik.dll") != nullptr); // the worker holds it
  for (int i = 0; i < 200 && GetModuleHandleA("Tovrik.dll"); i++)
    pumpFor(10);
  CHECK(GetModuleHandleA("Tovrik.dll") == nullptr);
  auto k = s.service.waitFor("keys", 1 + 4); // init, then the whole flash
  CHECK(k.size() == 5 && k[1].rest == kAllOn && k[2].rest == kAllOff &&
        k[3].rest == kAllOn && k[4].rest == kWasdAfterAllOn);
  pumpFor(50); // the loading thread closes the orphaned window
  CHECK(linkWindow() == nullptr);

  REQUIRE(s.api.load(dllPath.c_str()));
  HWND own = linkWindow();
  CHECK(own != nullptr);
  CHECK(FindWindowExW(HWND_MESSAGE, own, kLinkClass, nullptr) == nullptr);
  WNDPROC proc = linkClassProc(); // the new copy took the class back
  CHECK(proc != nullptr && proc != oldProc);
  CHECK(s.api.init(nullptr, nullptr) == JNI_TRUE);
  s.service.run(1, 1);
  s.api.setShowHealth(nullptr, nullptr, JNI_FALSE);
  s.api.setShowArmor(nullptr, nullptr, JNI_FALSE);
  s.api.update(nullptr, nullptr);
  CHECK(s.nthKeys(7) == kWasd);

  s.api.unload(); // on the loading thread: window and class go at once
  CHECK(linkWindow() == nullptr);
  CHECK(linkClassProc() == nullptr);
}

// A process that exits while its loading thread is inside the link's
// window procedure: the detach, on the exiting thread with every other
// thread stopped where it was, must neither wait for the held thread (it
// never leaves) nor touch windows.  This program runs itself as that
// process (exitInsideWindowProcedure), which names an event it sets once
// the loading thread is held; its exit is timed from there.
const char kExitChild[] = "--exit-inside-window-procedure";
HANDLE childHeld = nullptr;
HWND heldWindow = nullptr;

// The link hands WM_WINDOWPOSCHANGED on to DefWindowProcW, which sends
// WM_MOVE to the window: this hook holds that send, inside the procedure.
LRESULT CALLBACK holdOnMove(int code, WPARAM wp, LPARAM lp) {
  const auto *cwp = reinterpret_cast<const CWPSTRUCT *>(lp);
  if (code == HC_ACTION && cwp->hwnd == heldWindow && cwp->message == WM_MOVE) {
    SetEvent(childHeld);
    Sleep(INFINITE);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

DWORD WINAPI exitOnceHeld(LPVOID) {
  WaitForSingleObject(childHeld, INFINITE);
  Sleep(20);
  ExitProcess(0);
}

int exitInsideWindowProcedure(const char *eventName) {
  childHeld = OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, eventName);
  TovrikApi api;
  if (!childHeld || !api.load(dllPath.c_str()))
    return 2;
  heldWindow = linkWindow();
  if (!heldWindow || !SetWindowsHookExW(WH_CALLWNDPROC, holdOnMove, nullptr,
                                        GetCurrentThreadId()))
    return 3;
  CloseHandle(CreateThread(nullptr, 0, exitOnceHeld, nullptr, 0, nullptr));
  WINDOWPOS pos{};
  pos.hwnd = heldWindow;
  SendMessageW(heldWindow, WM_WINDOWPOSCHANGED, 0,
               reinterpret_cast<LPARAM>(&pos));
  return 4; // the hook never let the send go
}

TEST_CASE(exit_with_the_loading_thread_inside_the_window_procedure) {
  char name[64], exe[MAX_PATH];
  std::snprintf(name, sizeof name, "tovrik-test-held-%lu",
                GetCurrentProcessId());
  HANDLE held = CreateEventA(nullptr, TRUE, FALSE, name);
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string cmd = std::string("\"") + exe + "\" \"" + dllPath + "\" \"" +
                    servicePath + "\" " + kExitChild + " " + name;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  REQUIRE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                         nullptr, &si, &pi));
  HANDLE either[2] = {held, pi.hProcess};
  DWORD first = WaitForMultipleObjects(2, either, FALSE, 20000);
  CHECK(first == WAIT_OBJECT_0);
  long long t0 = qpcMicros();
  DWORD exited = WaitForSingleObject(pi.hProcess, 10000);
  long long took = qpcMicros() - t0;
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  std::printf("  held, then exited in %lld us with %lu\n", took, code);
  CHECK(exited == WAIT_OBJECT_0);
  CHECK_EQ(code, 0u);
  CHECK_TIME(took < 1000000); // a detach that waits for it takes 2 s
  if (exited != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 1);
  for (HANDLE h : {pi.hProcess, pi.hThread, held})
    CloseHandle(h);
}

// Keeps the service sending reports and attach messages to whatever link
// window exists, and a thread of this program asking that window for its
// title (which the link leaves to DefWindowProcW, a slow path), so that the
// loading thread is inside the link's window procedure most of the time.
struct Feeder {
  ServiceProcess *service;
  volatile LONG stop;
  HANDLE threads[2];

  bool stopping() { return InterlockedCompareExchange(&stop, 0, 0) != 0; }
  static DWORD WINAPI serviceSends(LPVOID arg) {
    auto *f = static_cast<Feeder *>(arg);
    for (int i = 0; !f->stopping(); i++) {
      f->service->run(3, (15 << 8) | (i & 0xFF)); // a report
      f->service->run(i % 2 ? 1 : 2, 1);          // an attach
    }
    return 0;
  }
  static DWORD WINAPI titleAsks(LPVOID arg) {
    auto *f = static_cast<Feeder *>(arg);
    wchar_t title[64];
    while (!f->stopping())
      if (!SendMessageW(linkWindow(), WM_GETTEXT, 64,
                        reinterpret_cast<LPARAM>(title)))
        Sleep(0);
    return 0;
  }
  explicit Feeder(ServiceProcess &s) : service(&s), stop(0) {
    threads[0] = CreateThread(nullptr, 0, serviceSends, this, 0, nullptr);
    threads[1] = CreateThread(nullptr, 0, titleAsks, this, 0, nullptr);
  }
  ~Feeder() {
    InterlockedExchange(&stop, 1);
    for (HANDLE t : threads) {
      while (WaitForSingleObject(t, 0) == WAIT_TIMEOUT)
        pumpFor(5);
      CloseHandle(t);
    }
  }
};

// Handles messages without pausing until `done` or `ms` have passed, so the
// window procedure runs as often as it can meanwhile.
template <typename Done> bool busyPumpUntil(Done done, DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while (!done() && static_cast<LONG>(end - GetTickCount()) > 0) {
    pumpPendingMessages();
  }
  return done();
}

// 100 cycles of load, init, onDamage and free, while the service keeps
// sending reports and attach messages to the loading thread.  Each flash
// worker's exit unloads the library, on the worker, while this thread may
// be inside the link's window procedure: the unload waits for it, and no
// window, class or thread of a freed copy is left behind.
TEST_CASE(load_free_cycles_during_flashes_and_reports_stress) {
  ServiceProcess service;
  REQUIRE(service.start(servicePath));
  int threadsBefore = threadsOfThisProcess();
  int stuck = 0, windowsLeft = 0;
  {
    Feeder feeder(service);
    for (int cycle = 0; cycle < 100; cycle++) {
      TovrikApi api;
      if (!api.load(dllPath.c_str()) ||
          api.init(nullptr, nullptr) != JNI_TRUE) {
        CHECK(!"load and init");
        break;
      }
      api.onDamage(nullptr, nullptr);
      api.unload();
      auto gone = [] { return GetModuleHandleA("Tovrik.dll") == nullptr; };
      stuck += !busyPumpUntil(gone, 3000);
      windowsLeft +=
          !busyPumpUntil([] { return linkWindow() == nullptr; }, 500);
    }
  }
  CHECK_EQ(stuck, 0);
  CHECK_EQ(windowsLeft, 0);
  // A last copy freed on this thread takes the class (left by the copies
  // freed on workers) with it.
  TovrikApi api;
  CHECK(api.load(dllPath.c_str()));
  api.unload();
  CHECK(linkClassProc() == nullptr);
  CHECK(linkWindow() == nullptr);
  service.stop();
  CHECK(threadsSettleTo(threadsBefore, 2000) <= threadsBefore);
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> paths = takePathArguments(
      argc, argv, 2, "Tovrik.dll tovrik_service.exe [case...]");
  if (paths.empty())
    return 2;
  dllPath = paths[0];
  servicePath = paths[1];
  if (argc == 3 && std::strcmp(argv[1], kExitChild) == 0)
    return exitInsideWindowProcedure(argv[2]);
  return check::run(argc, argv);
}
