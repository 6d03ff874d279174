// Freeing the library while a flash runs, then loading it again, in one
// process: the worker keeps the code mapped until it ends, nothing of the
// old copy is left behind, and the new copy works.
#include <gtest/gtest.h>
#include <jni.h>

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
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
// flash, and notes whether the unload closed the window meanwhile, its last
// step before the library goes.
constexpr UINT kHoldMessage = WM_USER + 77;
std::atomic<bool> closedWhileInside{false};

void holdInsideWindowProc(HWND, UINT msg, WPARAM, LPARAM) {
  if (msg != kHoldMessage)
    return;
  for (int i = 0; i < 70; i++) {
    Sleep(10);
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE) && m.message == WM_CLOSE)
      closedWhileInside = true;
  }
}

// Holds a thread that handles kHoldMessage where `hook` is called until
// `release`, saying when it is held.
std::atomic<bool> held{false}, release{false};
void holdUntilReleased(HWND, UINT msg, WPARAM, LPARAM) {
  if (msg != kHoldMessage)
    return;
  held = true;
  while (!release)
    Sleep(1);
}

// Frees the library on a thread of its own once a thread is held.  With
// `exiting` it plays a process that exits, and ends it: with 0 when the
// detach left every window as it was.
struct Unload {
  Api *api;
  bool exiting;
};
DWORD WINAPI unloadOnceHeld(LPVOID arg) {
  auto *u = static_cast<Unload *>(arg);
  while (!held)
    Sleep(1);
  int windows = hostwin_live_windows();
  hostwin_set_shutdown(u->exiting);
  u->api->unload();
  if (u->exiting)
    std::_Exit(hostwin_live_windows() == windows && !loaded() ? 0 : 3);
  release = true;
  return 0;
}

// Sends kHoldMessage to `wnd` from a thread of its own, so that the loading
// thread, pumping, handles it.
HANDLE sendHoldFromAnotherThread(HWND wnd) {
  return CreateThread(
      nullptr, 0,
      [](LPVOID w) -> DWORD {
        SendMessageW(static_cast<HWND>(w), kHoldMessage, 0, 0);
        return 0;
      },
      wnd, 0, nullptr);
}

WNDPROC classProc() {
  WNDCLASSEXW wc{};
  return GetClassInfoExW(nullptr, kLinkClass, &wc) ? wc.lpfnWndProc : nullptr;
}

size_t bitmapCount(FakeService &s) {
  size_t n = 0;
  for (const auto &e : s.events())
    n += e.msg == WM_COPYDATA;
  return n;
}

// Freed on a flash worker, the library leaves its window to the loading
// thread; freed on the loading thread, it takes window and class at once.
TEST(Reload, FreeDuringAFlashThenLoadAgain) {
  FakeService service;
  int windowsBefore = hostwin_live_windows();
  Api api;
  ASSERT_TRUE(api.load(TOVRIK_LIBRARY));
  ASSERT_TRUE(api.init(nullptr, nullptr));
  WNDPROC oldProc = classProc();
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
  // The class was taken back: its procedure is the new copy's.
  EXPECT_NE(classProc(), nullptr);
  EXPECT_NE(classProc(), oldProc);
  ASSERT_TRUE(api.init(nullptr, nullptr));
  service.attach(own, talk::registerIds().ledAttach, 1, true);
  api.update(nullptr, nullptr);
  EXPECT_EQ(bitmapCount(service), 5u + 2u);
  api.unload();
  EXPECT_FALSE(loaded());
  EXPECT_EQ(linkWindow(), nullptr);
  EXPECT_EQ(classProc(), nullptr);
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
  EXPECT_FALSE(closedWhileInside.load());
  EXPECT_TRUE(pumpUntil([] { return !loaded(); }));
  EXPECT_TRUE(pumpUntil([] { return linkWindow() == nullptr; }));
}

// The loading thread has looked the window's procedure up and not yet
// called it when another thread frees the library: the call must still
// land in code that exists (else this test crashes), and reach the default
// procedure, not the freed library.
TEST(Reload, UnloadBetweenLookupAndCallOfTheWindowProcedure) {
  Api api;
  ASSERT_TRUE(api.load(TOVRIK_LIBRARY));
  HWND own = linkWindow();
  held = release = false;
  hostwin_set_dispatch_hook(holdUntilReleased);
  HANDLE sender = sendHoldFromAnotherThread(own);
  Unload unload{&api, false};
  HANDLE unloader =
      CreateThread(nullptr, 0, unloadOnceHeld, &unload, 0, nullptr);
  EXPECT_TRUE(pumpUntil([] { return release.load(); }));
  hostwin_set_dispatch_hook(nullptr);
  EXPECT_FALSE(loaded());
  EXPECT_TRUE(pumpUntil([] { return linkWindow() == nullptr; }));
  for (HANDLE t : {sender, unloader}) {
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
  }
}

// The loading thread ended before the unload: the system took its window,
// and the unload takes the class, whose procedure would otherwise outlive
// the library.
TEST(Reload, UnloadAfterTheLoadingThreadEnded) {
  Api api;
  HANDLE loader = CreateThread(
      nullptr, 0,
      [](LPVOID a) -> DWORD {
        return static_cast<Api *>(a)->load(TOVRIK_LIBRARY) ? 0 : 1;
      },
      &api, 0, nullptr);
  WaitForSingleObject(loader, INFINITE);
  CloseHandle(loader);
  ASSERT_NE(api.module, nullptr);
  EXPECT_EQ(linkWindow(), nullptr);
  EXPECT_NE(classProc(), nullptr);
  api.unload();
  EXPECT_FALSE(loaded());
  EXPECT_EQ(classProc(), nullptr);
}

// A process that exits detaches its libraries with every other thread
// stopped where it was, here the loading thread inside the window
// procedure: the detach must neither wait for it nor touch the window.
// Run in a child process, which exits with the held thread still inside.
TEST(ReloadDeathTest, DetachWhileTheProcessExitsNeitherWaitsNorTouchesWindows) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto exitingDetach = [] {
    alarm(10); // a detach that waits ends the child by SIGALRM
    Api api;
    if (!api.load(TOVRIK_LIBRARY))
      std::_Exit(2);
    HWND own = linkWindow();
    hostwin_set_defproc_hook(holdUntilReleased);
    HANDLE sender = sendHoldFromAnotherThread(own);
    Unload unload{&api, true};
    HANDLE unloader =
        CreateThread(nullptr, 0, unloadOnceHeld, &unload, 0, nullptr);
    (void)sender;
    (void)unloader;
    pumpUntil([] { return false; }, 20000);
    std::_Exit(4);
  };
  EXPECT_EXIT(exitingDetach(), ::testing::ExitedWithCode(0), "");
}

} // namespace
