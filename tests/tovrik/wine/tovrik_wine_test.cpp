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
  return check::run(argc, argv);
}
