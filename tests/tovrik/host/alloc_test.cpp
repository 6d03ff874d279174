// update composes and sends without touching the heap: a counting
// allocator on the calling thread, with the service window on that same
// thread so that the stand-in delivers the message by a direct call.
#include <gtest/gtest.h>
#include <jni.h>

#include "alloc_count.h"
#include "controller.h"
#include "talk_link.h"

using namespace tovrik;

namespace {
int bitmapsSeen = 0;
} // namespace

extern "C" void
Java_eu_velquor_mod_manager_keyboard_TovrikController_update(JNIEnv *, jclass);

namespace {

LRESULT CALLBACK serviceProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA)
    bitmapsSeen++;
  return DefWindowProcW(w, msg, wp, lp);
}

TEST(UpdateAllocation, NoHeapAllocationPerUpdate) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = serviceProc;
  wc.lpszClassName = L"TOVRIK TALK";
  RegisterClassExW(&wc);
  HWND wnd = CreateWindowExW(0, L"TOVRIK TALK", L"TOVRIK TALK", 0, 0, 0, 0, 0,
                             nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(TalkLink::findService());
  controllerState.initialized = true;
  controllerState.illuminatedKeys = 0;
  controllerState.health = 0.5f;
  controllerState.armor = 0.7f;
  startCountingAllocations();
  for (int i = 0; i < 1000; i++)
    Java_eu_velquor_mod_manager_keyboard_TovrikController_update(nullptr,
                                                                 nullptr);
  EXPECT_EQ(stopCountingAllocations(), 0);
  EXPECT_EQ(bitmapsSeen, 1000);
  DestroyWindow(wnd);
}

} // namespace
