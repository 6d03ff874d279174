// The link against a service thread: the bytes on the wire, the posted
// messages, attach and report handling, and a service that goes away.
#include "tovrik_fixture.h"

using namespace tovrik;

namespace {

const char kWasd[] = "00 00 00 00 00 00 02 60 00 02 00 00 00 00 01";

using LinkTest = ServiceTest;

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

TEST_F(LinkTest, KeyBitmapVectorsOnTheWire) {
  struct Case {
    bool lightFirst;
    KeyFrame frame;
    const char *expect;
  } cases[] = {
      {false, frameOf({41, 62, 63, 64, 100}), kWasd},
      {false, frameOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
       "FC C1 13 00 00 00 00 00 00 00 00 00 00 00 00"},
      {false, frameOf({1, 2, 3, 4, 5, 6}),
       "1C C0 01 00 00 00 00 00 00 00 00 00 00 00 00"},
      {true, KeyFrame{}, "00 00 00 00 01 00 00 01 80 00 00 08 70 80 82"},
      {false, frameOf({0, 1}, 3),
       "06 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
  };
  KeyFrame ones;
  std::fill(std::begin(ones.keys), std::end(ones.keys), 1);
  KeyFrame twoThree = frameOf({1}, 3);
  twoThree.keys[0] = 2;
  cases[4].frame = twoThree;
  cases[4].expect = "04 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
  for (const Case &c : cases) {
    service->clear();
    c.lightFirst ? TalkLink::lightAllKeys() : TalkLink::clearKeys();
    TalkLink::sendKeys(c.frame);
    auto sent = bitmaps(expectEvents(2));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(hex(sent[1].data), c.expect);
  }
  service->clear();
  TalkLink::clearKeys();
  TalkLink::sendKeys(ones);
  auto sent = bitmaps(expectEvents(2));
  EXPECT_EQ(hex(sent[0].data), "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(hex(sent[1].data), "FF FF FF FF FE FF FF FE 7F FF FF F7 8F 7F 7D");
  for (const auto &e : sent) {
    EXPECT_EQ(e.wp, ids.ledControl);
    EXPECT_EQ(e.cbData, 20u);
    EXPECT_EQ(e.dwData, 0u);
    EXPECT_EQ(hex(std::vector<uint8_t>(e.data.begin() + 15, e.data.end()), 5),
              "00 00 00 00 00");
  }
}

TEST_F(LinkTest, PostedModeAndColourMessages) {
  TalkLink::postLight(1, 1, 2, 255, 0, 0);
  TalkLink::postLight(0, 1, 2, 255, 255, 255);
  TalkLink::restoreLight();
  TalkLink::setSdkMode(1);
  TalkLink::setSdkMode(0);
  auto ev = expectEvents(5);
  ASSERT_EQ(ev.size(), 5u);
  struct {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  } want[] = {{ids.lightControl, 0x00010102, 0x00FF0000},
              {ids.lightControl, 0x00000102, 0x00FFFFFF},
              {ids.lightControl, 0xFFFFFFFF, 0},
              {ids.ledControl, 15, 1},
              {ids.ledControl, 15, 0}};
  for (int i = 0; i < 5; i++) {
    EXPECT_EQ(ev[i].msg, want[i].msg) << i;
    EXPECT_EQ(ev[i].wp, want[i].wp) << i;
    EXPECT_EQ(ev[i].lp, want[i].lp) << i;
  }
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

TEST_F(LinkTest, ReportReplacesAllBytesAndSendKeysKeepsUnnamedOnes) {
  TalkLink::clearKeys();
  const uint8_t report[15] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  service->report(TalkLink::ownWindow(), ids.ledControl, report, 15);
  LedBitmap held = TalkLink::heldBitmap();
  EXPECT_EQ(hex({held.bytes, held.bytes + 15}),
            "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
  service->clear();
  TalkLink::sendKeys(KeyFrame{});
  EXPECT_EQ(hex(bitmaps(expectEvents(1))[0].data),
            "00 00 00 00 01 00 00 01 80 00 00 08 70 80 82");
}

TEST_F(LinkTest, ShortEmptyOrForeignReportsAreIgnored) {
  TalkLink::clearKeys();
  std::vector<uint8_t> bytes(14, 0xAB);
  HWND own = TalkLink::ownWindow();
  service->report(own, ids.ledControl, bytes.data(), 14);
  service->report(own, ids.ledControl, nullptr, 20);
  service->report(own, ids.ledControl, nullptr, 0);
  bytes.resize(15, 0xAB);
  service->report(own, ids.lightControl, bytes.data(), 15);
  LedBitmap held = TalkLink::heldBitmap();
  EXPECT_EQ(hex({held.bytes, held.bytes + 15}),
            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  service->report(own, ids.ledControl, bytes.data(), 15);
  held = TalkLink::heldBitmap();
  EXPECT_EQ(held.bytes[14], 0xAB);
}

TEST_F(LinkTest, ReportDuringTheLoadingThreadsOwnSendDoesNotDeadlock) {
  std::vector<uint8_t> report(15, 0x5A);
  service->reportWhileHandling(TalkLink::ownWindow(), report);
  TalkLink::lightAllKeys(); // returns only once the echo has been taken
  LedBitmap held = TalkLink::heldBitmap();
  EXPECT_EQ(held.bytes[0], 0x5A);
  EXPECT_EQ(held.bytes[14], 0x5A);
}

TEST_F(LinkTest, ServiceThatExitsIsLookedUpAgain) {
  HWND first = service->window();
  service.reset();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(TalkLink::findService());
  LedBitmap before = TalkLink::heldBitmap();
  TalkLink::lightAllKeys(); // no service: nothing changes
  TalkLink::sendKeys(frameOf({0}));
  EXPECT_EQ(TalkLink::heldBitmap().bytes[0], before.bytes[0]);

  service = std::make_unique<FakeService>();
  EXPECT_TRUE(TalkLink::findService());
  EXPECT_EQ(TalkLink::serviceWindow(), service->window());
  TalkLink::sendKeys(frameOf({41, 62, 63, 64, 100}));
  auto sent = bitmaps(expectEvents(1));
  ASSERT_EQ(sent.size(), 1u);
}

} // namespace
