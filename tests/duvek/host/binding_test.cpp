// The result codes and states of init0 and unInit0 against each variant of
// the stand-in.  Each suite runs in its own process with that variant alone
// on the library path (see CMakeLists.txt).
#include "duvek_host.h"

#include <hostwin_test.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

int count(const char *entry) {
  return static_cast<int>(dv::callsNamed(dvrec_calls(), entry).size());
}

// How many of the library's handle and six entry points are bound.
int bound() {
  const duvek::EffectApi &api = duvek::effectApi;
  const bool set[] = {api.module.load() != nullptr,
                      api.Init.load() != nullptr,
                      api.CreateEffect.load() != nullptr,
                      api.CreateKeyboardEffect.load() != nullptr,
                      api.SetEffect.load() != nullptr,
                      api.DeleteEffect.load() != nullptr,
                      api.QueryDevice.load() != nullptr};
  return static_cast<int>(std::count(std::begin(set), std::end(set), true));
}

class Binding : public ::testing::Test {
protected:
  void SetUp() override { dv::resetBridge(); }
  void TearDown() override {
    dv::resetBridge();
    EXPECT_FALSE(dvrec_loaded()) << "the library must be released";
  }
};

using Missing = Binding;
using CompleteBinding = Binding;
using NoInit = Binding;
using NoQueryDevice = Binding;
using NoUnInit = Binding;
using InitFails = Binding;

TEST_F(Missing, EveryInitTriesTheLoadAgain) {
  int before = hostwin_load_calls();
  for (int i = 1; i <= 3; i++) {
    EXPECT_EQ(dv::init0(), 1062);
    EXPECT_EQ(hostwin_load_calls(), before + i);
    EXPECT_STREQ(hostwin_last_load_path(), "DvGlowSDK.dll");
  }
  EXPECT_EQ(dv::update(), -1);
  EXPECT_EQ(dv::unInit0(), 5023);
}

// unInit0 before init0 is an invalid state and loads nothing; init0 binds
// every entry and unInit0 clears them.
TEST_F(CompleteBinding, ReadyBindsEveryEntryAndUnInitClearsThem) {
  int loads = dvrec_loads();
  EXPECT_EQ(dv::unInit0(), 5023);
  EXPECT_EQ(bound(), 0);
  EXPECT_EQ(dvrec_loads(), loads);
  EXPECT_TRUE(dvrec_calls().empty());
  EXPECT_EQ(dv::init0(), 0);
  EXPECT_TRUE(duvek::controllerState.initialized.load());
  EXPECT_EQ(bound(), 7);
  EXPECT_EQ(dv::unInit0(), 0);
  EXPECT_EQ(bound(), 0);
  dv::expectNothingDrawn();
  EXPECT_EQ(count("Init"), 1);
  EXPECT_EQ(count("UnInit"), 1);
  EXPECT_EQ(dv::effects(dvrec_calls()).size(), 0u)
      << "the unused entries are never called";
  EXPECT_EQ(dvrec_calls().size(), 2u);
}

TEST_F(CompleteBinding, SecondInitStopsLightingUntilUnInit) {
  int loads = dvrec_loads();
  EXPECT_EQ(dv::init0(), 0);
  EXPECT_EQ(dv::init0(), 5023);
  EXPECT_EQ(count("Init"), 1);
  EXPECT_FALSE(duvek::controllerState.initialized.load());
  dv::expectNothingDrawn();
  EXPECT_EQ(dv::unInit0(), 0);
  EXPECT_EQ(dvrec_loads(), loads + 1);
  EXPECT_EQ(dv::init0(), 0);
  EXPECT_EQ(dv::update(), 0);
  EXPECT_FALSE(dv::anyLate(dvrec_calls()));
}

TEST_F(NoInit, LoadedOnceAndLookedUpEachTime) {
  int before = hostwin_load_calls();
  EXPECT_EQ(dv::init0(), 1168);
  EXPECT_EQ(dv::init0(), 1168);
  EXPECT_EQ(hostwin_load_calls(), before + 1);
  EXPECT_EQ(dvrec_loads(), 1);
  EXPECT_EQ(dv::update(), -1);
  EXPECT_EQ(dv::unInit0(), 0) << "UnInit is called even without Init";
  EXPECT_EQ(count("UnInit"), 1);
  EXPECT_FALSE(dv::anyLate(dvrec_calls()));
}

TEST_F(NoQueryDevice, StartedButNothingIsDrawn) {
  EXPECT_EQ(dv::init0(), 1168);
  EXPECT_EQ(count("Init"), 1);
  EXPECT_FALSE(duvek::controllerState.initialized.load());
  EXPECT_NE(duvek::effectApi.CreateKeyboardEffect.load(), nullptr);
  dv::expectNothingDrawn();
  EXPECT_EQ(dv::init0(), 5023);
  EXPECT_EQ(count("Init"), 1);
  EXPECT_EQ(dv::unInit0(), 0);
  EXPECT_EQ(count("UnInit"), 1);
}

TEST_F(NoUnInit, ReleasedAnywayWithMinusOne) {
  EXPECT_EQ(dv::init0(), 0);
  EXPECT_EQ(dv::unInit0(), -1);
  EXPECT_FALSE(dvrec_loaded());
  EXPECT_EQ(dv::init0(), 0) << "a fresh start after the release";
  EXPECT_EQ(dvrec_loads(), 2);
  EXPECT_EQ(dv::unInit0(), -1);
}

// The variants whose "Init" returns 87 or -1; the test's environment names
// the code so that one test serves both.
TEST_F(InitFails, FailureCodeThenInvalidStateUntilUnInit) {
  const char *expected = std::getenv("DVGLOW_INIT_RESULT");
  ASSERT_NE(expected, nullptr);
  const jlong code = std::atoll(expected);
  jlong rc = dv::init0();
  EXPECT_EQ(rc, code) << "the code widens with its sign";
  EXPECT_EQ(dv::init0(), 5023);
  EXPECT_EQ(count("Init"), 1) << "no Init while it is still bound";
  EXPECT_EQ(dv::unInit0(), 0);
  EXPECT_EQ(count("UnInit"), 1);
  EXPECT_FALSE(dvrec_loaded());
  EXPECT_EQ(dv::init0(), code);
  EXPECT_EQ(count("Init"), 2);
  EXPECT_EQ(dvrec_loads(), 2);
}

} // namespace
