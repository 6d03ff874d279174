// Freeing the library while a flash runs, then loading it again, in one
// process: the worker keeps the code mapped until it ends, nothing of the
// old copy is left behind, and the new copy works.
#include <gtest/gtest.h>
#include <jni.h>

#include <dlfcn.h>

#include <atomic>
#include <string>

#include "fake_service.h"
#include "host_library.h"
#include "hostwin_test.h"
#include "jni_export.h"

namespace {

const wchar_t kLinkClass[] = L"Vesk MK Pro SDK Class";

VELQUOR_JNI_API(Api, TOVRIK_EXPORT_PREFIX, TOVRIK_METHODS);

bool loaded() { return libraryMapped(TOVRIK_LIBRARY); }

HWND linkWindow() {
  return FindWindowExW(HWND_MESSAGE, nullptr, kLinkClass, nullptr);
}

// Holds the loading thread inside the link's window procedure (which hands
// this message on to DefWindowProcW) for 700 ms, well past the end of a
// flash, and notes whether the window's procedure was swapped meanwhile.
constexpr UINT kHoldMessage = WM_USER + 77;
std::atomic<bool> swappedWhileInside{false};

void holdInsideWindowProc(HWND, UINT msg, WPARAM, LPARAM) {
  if (msg != kHoldMessage)
    return;
  for (int i = 0; i < 70; i++) {
    Sleep(10);
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(nullptr, kLinkClass, &wc) &&
        wc.lpfnWndProc == DefWindowProcW)
      swappedWhileInside = true;
  }
}

size_t bitmapCount(FakeService &s) {
  size_t n = 0;
  for (const auto &e : s.events())
    n += e.msg == WM_COPYDATA;
  return n;
}

TEST(Reload, FreeOnTheLoadingThreadTakesWindowAndClass) {
  Api api;
  ASSERT_TRUE(api.load(TOVRIK_LIBRARY));
  EXPECT_NE(linkWindow(), nullptr);
  api.unload();
  EXPECT_FALSE(loaded());
  EXPECT_EQ(linkWindow(), nullptr);
  WNDCLASSEXW wc;
  EXPECT_FALSE(GetClassInfoExW(nullptr, kLinkClass, &wc));
}

TEST(Reload, FreeDuringAFlashThenLoadAgain) {
  FakeService service;
  int windowsBefore = hostwin_live_windows();
  Api api;
  ASSERT_TRUE(api.load(TOVRIK_LIBRARY));
  ASSERT_TRUE(api.init(nullptr, nullptr));
  api.onDamage(nullptr, nullptr);
  api.unload();
  EXPECT_TRUE(loaded()); // the flash worker holds it
  EXPECT_TRUE(pumpUntil([] { return !loaded(); }));
  EXPECT_EQ(bitmapCount(service), 1u + 4u); // init, then the whole flash
  // The orphaned window closes itself on this thread's next pump.
  pumpUntil([&] { return hostwin_live_windows() == windowsBefore; });
  EXPECT_EQ(linkWindow(), nullptr);

  ASSERT_TRUE(api.load(TOVRIK_LIBRARY));
  HWND own = linkWindow();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(FindWindowExW(HWND_MESSAGE, own, kLinkClass, nullptr), nullptr);
  WNDCLASSEXW wc;
  ASSERT_TRUE(GetClassInfoExW(nullptr, kLinkClass, &wc));
  Dl_info info{};
  ASSERT_TRUE(dladdr(reinterpret_cast<void *>(wc.lpfnWndProc), &info));
  EXPECT_NE(std::string(info.dli_fname).find("libTovrik"), std::string::npos);
  ASSERT_TRUE(api.init(nullptr, nullptr));
  service.attach(own, talk::registerIds().ledAttach, 1, true);
  api.update(nullptr, nullptr);
  EXPECT_EQ(bitmapCount(service), 5u + 2u);
  api.unload();
  EXPECT_FALSE(loaded());
}

// The last flash worker unloads the library while the loading thread is
// inside the window procedure: the unload swaps nothing and lets the image
// go only once that call has returned (else this test swaps early, then
// returns into unmapped code).
TEST(Reload, UnloadOnAWorkerWaitsForTheWindowProcedure) {
  FakeService service;
  Api api;
  ASSERT_TRUE(api.load(TOVRIK_LIBRARY));
  ASSERT_TRUE(api.init(nullptr, nullptr));
  HWND own = linkWindow();
  api.onDamage(nullptr, nullptr);
  api.unload();
  hostwin_set_defproc_hook(holdInsideWindowProc);
  SendMessageW(own, kHoldMessage, 0, 0);
  hostwin_set_defproc_hook(nullptr);
  EXPECT_FALSE(swappedWhileInside.load());
  EXPECT_TRUE(pumpUntil([] { return !loaded(); }));
  EXPECT_TRUE(pumpUntil([] { return linkWindow() == nullptr; }));
}

} // namespace
