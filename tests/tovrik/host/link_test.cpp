// The link against a service thread: the bytes on the wire, the posted
// messages, attach and report handling, and a service that goes away.
#include "tovrik_fixture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace tovrik;

namespace {

// The 15 bytes of the bitmap the link holds, as the tests spell them.
std::string held() {
  LedBitmap b = TalkLink::heldBitmap();
  std::string out;
  for (uint8_t byte : b.bytes) {
    char two[4];
    std::snprintf(two, sizeof two, "%s%02X", out.empty() ? "" : " ", byte);
    out += two;
  }
  return out;
}

using LinkTest = ServiceTest;
std::atomic<int> posts{0};

TEST(LinkOpen, MakesOneMessageOnlyWindowOfItsClass) {
  HWND own = TalkLink::ownWindow();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"Vesk MK Pro SDK Class",
                          L"Vesk MK Pro SDK Window"),
            own);
  EXPECT_EQ(FindWindowW(L"Vesk MK Pro SDK Class", nullptr), nullptr);
  EXPECT_EQ(TalkLink::ledControlId(), talk::registerIds().ledControl);
  EXPECT_GE(talk::registerIds().ledDiscover, 0xC000u);
}

// Each frame sent after the bitmap was cleared or lit whole: the first
// payload shows the reset, the second the frame on top of it; only bit 0 of
// a key's byte counts.
TEST_F(LinkTest, KeyBitmapVectorsOnTheWire) {
  KeyFrame ones;
  std::fill(std::begin(ones.keys), std::end(ones.keys), 1);
  KeyFrame twoThree = frameOf({1}, 3);
  twoThree.keys[0] = 2;
  const struct {
    bool lightFirst;
    KeyFrame frame;
    const char *expect;
  } cases[] = {
      {false, frameOf({41, 62, 63, 64, 100}),
       "00 00 00 00 00 00 02 60 00 02 00 00 00 00 01"},
      {false, frameOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
       "FC C1 13 00 00 00 00 00 00 00 00 00 00 00 00"},
      {false, frameOf({1, 2, 3, 4, 5, 6}),
       "1C C0 01 00 00 00 00 00 00 00 00 00 00 00 00"},
      {false, twoThree, "04 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
      {false, ones, "FF FF FF FF FE FF FF FE 7F FF FF F7 8F 7F 7D"},
      {true, KeyFrame{}, "00 00 00 00 01 00 00 01 80 00 00 08 70 80 82"},
  };
  for (const auto &c : cases) {
    service->clear();
    c.lightFirst ? TalkLink::lightAllKeys() : TalkLink::clearKeys();
    TalkLink::sendKeys(c.frame);
    EXPECT_EQ(expectBitmaps(2),
              (Lines{c.lightFirst ? kAllOn : kAllOff, bitmapLine(c.expect)}))
        << c.expect;
  }
}

TEST_F(LinkTest, PostedModeAndColourMessages) {
  TalkLink::postLight(1, 1, 2, 255, 0, 0);
  TalkLink::postLight(0, 1, 2, 255, 255, 255);
  TalkLink::restoreLight();
  TalkLink::setSdkMode(1);
  TalkLink::setSdkMode(0);
  EXPECT_EQ(lines(expectEvents(5)), (Lines{
                                        "light-control 0x00010102 0x00FF0000",
                                        "light-control 0x00000102 0x00FFFFFF",
                                        "light-control 0xFFFFFFFF 0x00000000",
                                        "led-control 15 1",
                                        "led-control 15 0",
                                    }));
}

TEST_F(LinkTest, AttachNeedsLParamOneAndReplacesTheKnownWindow) {
  FakeService other;
  HWND own = TalkLink::ownWindow();
  for (LPARAM lp : {0, 2}) {
    other.attach(own, ids.ledAttach, lp, true);
    other.attach(own, ids.lightAttach, lp, false);
    EXPECT_EQ(TalkLink::serviceWindow(), service->window()) << lp;
  }
  other.attach(own, ids.ledAttach, 1, true);
  EXPECT_EQ(TalkLink::serviceWindow(), other.window());
  other.attach(own, ids.lightAttach, 1, false);
  service->attach(own, ids.lightAttach, 1, false);
  EXPECT_EQ(TalkLink::serviceWindow(), service->window());
}

// Short, empty or foreign reports are ignored; a whole one replaces every
// byte, and a frame sent after it keeps the bytes no key names.
TEST_F(LinkTest, ReportsReplaceAllBytesOrAreIgnored) {
  TalkLink::clearKeys();
  std::vector<uint8_t> bytes(14, 0xAB);
  HWND own = TalkLink::ownWindow();
  service->report(own, ids.ledControl, bytes.data(), 14);
  service->report(own, ids.ledControl, nullptr, 20);
  service->report(own, ids.ledControl, nullptr, 0);
  bytes.resize(15, 0xAB);
  service->report(own, ids.lightControl, bytes.data(), 15);
  EXPECT_EQ(held(), "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  service->report(own, ids.ledControl, bytes.data(), 15);
  EXPECT_EQ(held(), "AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB");
  bytes.assign(15, 0xFF);
  service->report(own, ids.ledControl, bytes.data(), 15);
  EXPECT_EQ(held(), "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
  service->clear();
  TalkLink::sendKeys(KeyFrame{});
  EXPECT_EQ(expectBitmaps(1),
            Lines{bitmapLine("00 00 00 00 01 00 00 01 80 00 00 08 70 80 82")});
}

// A window of the game's on the loading thread, whose handler draws.
std::atomic<int> nestedSends{0};
LRESULT CALLBACK drawingWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_COPYDATA)
    return DefWindowProcW(w, msg, wp, lp);
  nestedSends++;
  TalkLink::sendKeys(frameOf({1}));
  return 0;
}

// While the loading thread waits in its own send it takes what is sent to
// its windows: the service's report, and a message whose handler calls the
// link again.  That inner call sends nothing rather than wait for the send
// its own thread is in.
TEST_F(LinkTest, MessagesTakenDuringTheLoadingThreadsOwnSendDoNotDeadlock) {
  std::vector<uint8_t> report(15, 0x5A);
  service->reportWhileHandling(TalkLink::ownWindow(), report);
  TalkLink::lightAllKeys(); // returns only once the echo has been taken
  EXPECT_EQ(held(), "5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A 5A");

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = drawingWindowProc;
  wc.lpszClassName = L"game window";
  RegisterClassExW(&wc);
  HWND game = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr,
                              nullptr, nullptr, nullptr);
  service->reportWhileHandling(game, report);
  service->clear();
  TalkLink::clearKeys();
  EXPECT_EQ(nestedSends.load(), 1);
  EXPECT_EQ(expectBitmaps(1), (Lines{kAllOff}));
  DestroyWindow(game);
}

// Milliseconds the calling thread spends in `fn`.
template <typename Fn> double msIn(Fn fn) {
  auto t0 = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now() - t0)
      .count();
}

// Another thread's send waits 30 ms for a slow service; the loading
// thread's send behind it is woken as soon as that one ends, not when its
// own wait for the lock runs out (90 ms): about 30 ms behind, 30 ms its own.
TEST_F(LinkTest, LoadingThreadBehindAnotherSendIsWokenAsItEnds) {
  service->slowBitmaps(30);
  std::thread other([] { TalkLink::sendKeys(frameOf({1})); });
  while (service->events().empty()) // the other send is in
    Sleep(1);
  double ms = msIn([] { TalkLink::sendKeys(frameOf({2})); });
  other.join();
  EXPECT_LT(ms, 95.0);
  EXPECT_EQ(expectBitmaps(2).size(), 2u);
}

// While the loading thread waits for another thread's send, it takes what
// is sent to its windows: here the service's report, without which that
// send would never end and the service would count as stalled.
TEST_F(LinkTest, LoadingThreadWaitingBehindAnotherSendTakesTheReport) {
  service->slowBitmaps(30);
  service->reportWhileHandling(TalkLink::ownWindow(),
                               std::vector<uint8_t>(15, 0x11));
  std::thread other([] { TalkLink::sendKeys(frameOf({1})); });
  while (service->events().empty())
    Sleep(1);
  TalkLink::sendKeys(frameOf({2}));
  other.join();
  EXPECT_EQ(expectBitmaps(2).size(), 2u); // neither was dropped
}

TEST_F(LinkTest, ServiceThatExitsIsLookedUpAgain) {
  HWND first = service->window();
  service.reset();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(TalkLink::findService());
  // No service: nothing changes and nothing is posted anywhere, not even
  // to this thread's own queue (where a post to a null window would go).
  std::string before = held();
  pumpUntil([] { return false; }, 1); // what was queued before
  hostwin_set_post_hook([](HWND, UINT, WPARAM, LPARAM) { posts++; });
  TalkLink::lightAllKeys();
  TalkLink::sendKeys(frameOf({0}));
  TalkLink::clearKeys();
  TalkLink::postLight(1, 1, 2, 255, 0, 0);
  TalkLink::restoreLight();
  TalkLink::setSdkMode(1);
  hostwin_set_post_hook(nullptr);
  MSG queued;
  EXPECT_FALSE(PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(posts.load(), 0);
  EXPECT_EQ(held(), before);

  service = std::make_unique<FakeService>();
  EXPECT_TRUE(TalkLink::findService());
  EXPECT_EQ(TalkLink::serviceWindow(), service->window());
  TalkLink::clearKeys();
  TalkLink::sendKeys(frameOf({41, 62, 63, 64, 100}));
  EXPECT_EQ(expectBitmaps(2), (Lines{kAllOff, kWasd}));
}

} // namespace
