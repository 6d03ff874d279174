#include "tovrik_fixture.h"

using namespace tovrik;

void resetController() {
  ControllerState &s = controllerState;
  s.illuminatedKeys = 1;
  s.keyColor = 0x00FFFFFF;
  s.showHealth = true;
  s.showArmor = true;
  s.initialized = false;
  s.flashing = false;
  s.health = 0.0f;
  s.armor = 0.0f;
  s.lastSentColor = 0x00FFFFFF;
  s.colorStale = false;
  s.handedBack = false;
  s.colorPosted = false;
}

Lines lines(const std::vector<ServiceEvent> &all) {
  Lines out;
  for (const auto &e : all)
    out.push_back(describe(e));
  return out;
}

std::vector<ServiceEvent> ofMessage(const std::vector<ServiceEvent> &all,
                                    UINT msg) {
  std::vector<ServiceEvent> out;
  for (const auto &e : all)
    if (e.msg == msg)
      out.push_back(e);
  return out;
}

std::vector<ServiceEvent> bitmaps(const std::vector<ServiceEvent> &all) {
  return ofMessage(all, WM_COPYDATA);
}

std::vector<ServiceEvent> lights(const std::vector<ServiceEvent> &all) {
  return ofMessage(all, talk::registerIds().lightControl);
}

tovrik::KeyFrame frameOf(std::initializer_list<int> lit, uint8_t on) {
  KeyFrame f{};
  for (int k : lit)
    f.keys[k] = on;
  return f;
}

void ServiceTest::SetUp() {
  resetController();
  service = std::make_unique<FakeService>();
  ASSERT_TRUE(TalkLink::findService());
  ASSERT_EQ(TalkLink::serviceWindow(), service->window());
}

void ServiceTest::TearDown() {
  // Let flash workers of this test finish before the next one starts.
  pumpUntil([] { return runningFlashThreads() == 0; });
  service.reset();
  pumpUntil([] { return false; }, 20);
}

std::vector<ServiceEvent> ServiceTest::expectEvents(size_t n) {
  EXPECT_TRUE(service->waitForEvents(n)) << "only " << service->events().size();
  pumpUntil([] { return false; }, 30);
  return service->events();
}

// The lines leave out wParam and dwData of a WM_COPYDATA; checked here.
Lines ServiceTest::expectBitmaps(size_t n) {
  auto ev = expectEvents(n);
  for (const auto &e : ev) {
    EXPECT_EQ(e.msg, static_cast<UINT>(WM_COPYDATA));
    EXPECT_EQ(e.wp, ids.ledControl);
    EXPECT_EQ(e.dwData, 0u);
  }
  return lines(ev);
}
