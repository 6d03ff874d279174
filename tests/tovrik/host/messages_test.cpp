// The messaging stand-in behaves like Windows where the link relies on it.
// Registered message ids are checked through the link (LinkOpen).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "fake_service.h"
#include "hostwin_test.h"

namespace {

std::atomic<int> seen{0};
std::atomic<bool> dataWasCopy{false};
const void *senderBuffer = nullptr;

LRESULT CALLBACK counting(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_USER)
    seen++;
  if (msg == WM_COPYDATA) {
    auto *cds = reinterpret_cast<COPYDATASTRUCT *>(lp);
    dataWasCopy = cds->lpData != senderBuffer && cds->cbData == 4 &&
                  std::memcmp(cds->lpData, "abcd", 4) == 0;
    return 42;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

HWND makeWindow(const wchar_t *cls, HWND parent) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = counting;
  wc.lpszClassName = cls;
  RegisterClassExW(&wc);
  return CreateWindowExW(0, cls, L"t", 0, 0, 0, 0, 0, parent, nullptr, nullptr,
                         nullptr);
}

TEST(Messages, BroadcastSkipsMessageOnlyAndPostsFailForGoneWindows) {
  HWND top = makeWindow(L"hostwin top", nullptr);
  HWND hidden = makeWindow(L"hostwin hidden", HWND_MESSAGE);
  seen = 0;
  EXPECT_TRUE(PostMessageW(HWND_BROADCAST, WM_USER, 0, 0));
  pumpUntil([] { return false; }, 20);
  EXPECT_EQ(seen.load(), 1);
  EXPECT_TRUE(PostMessageW(hidden, WM_USER, 0, 0));
  pumpUntil([] { return false; }, 20);
  EXPECT_EQ(seen.load(), 2);
  EXPECT_EQ(FindWindowW(L"hostwin hidden", nullptr), nullptr);
  EXPECT_EQ(FindWindowW(L"hostwin top", L"t"), top);
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(PostMessageW(top, WM_USER, 0, 0));
  EXPECT_EQ(FindWindowW(L"hostwin top", L"t"), nullptr);
  std::thread([&] { EXPECT_FALSE(DestroyWindow(hidden)); }).join();
  EXPECT_TRUE(IsWindow(hidden));
  EXPECT_TRUE(DestroyWindow(hidden));
}

TEST(Messages, CrossThreadSendCopiesDataAndServesSendsWhileWaiting) {
  HWND mine = makeWindow(L"hostwin mine", HWND_MESSAGE);
  std::atomic<HWND> theirs{nullptr};
  std::atomic<bool> stop{false};
  std::thread owner([&] {
    HWND w = makeWindow(L"hostwin theirs", nullptr);
    theirs = w;
    while (!stop)
      pumpUntil([] { return false; }, 5);
    DestroyWindow(w);
  });
  while (!theirs)
    Sleep(1);
  char buffer[] = "abcd";
  senderBuffer = buffer;
  COPYDATASTRUCT cds{7, 4, buffer};
  EXPECT_EQ(
      SendMessageW(theirs, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 42);
  EXPECT_TRUE(dataWasCopy.load());

  // The other thread sends to us while we wait inside a send to it.
  seen = 0;
  std::thread nested([&] { SendMessageW(mine, WM_USER, 0, 0); });
  while (seen.load() == 0) {
    SendMessageW(theirs, WM_NULL, 0, 0);
    Sleep(1);
  }
  nested.join();
  EXPECT_EQ(seen.load(), 1);
  stop = true;
  owner.join();
  DestroyWindow(mine);
}

} // namespace
