// update composes and sends without touching the heap: a counting
// allocator on the calling thread, with the service window on that same
// thread so that the stand-in delivers the message by a direct call.
#include <gtest/gtest.h>
#include <jni.h>

#include "alloc_count.h"
#include "controller.h"
#include "jni_methods.h"
#include "talk_link.h"
#include "talk_service.h"

using namespace tovrik;

extern "C" {
TOVRIK_METHODS(VELQUOR_DECLARE_TOVRIK)
}

namespace {

int bitmapsSeen = 0;

LRESULT CALLBACK serviceProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA)
    bitmapsSeen++;
  return DefWindowProcW(w, msg, wp, lp);
}

TEST(UpdateAllocation, NoHeapAllocationPerUpdate) {
  HWND wnd = talk::createServiceWindow(serviceProc, 0, 0, 0);
  ASSERT_TRUE(TalkLink::findService());
  controllerState.initialized = true;
  controllerState.illuminatedKeys = 0;
  controllerState.health = 0.5f;
  controllerState.armor = 0.7f;
  startCountingAllocations();
  for (int i = 0; i < 1000; i++)
    TOVRIK_EXPORT(update)(nullptr, nullptr);
  EXPECT_EQ(stopCountingAllocations(), 0);
  EXPECT_EQ(bitmapsSeen, 1000);
  DestroyWindow(wnd);
}

} // namespace
