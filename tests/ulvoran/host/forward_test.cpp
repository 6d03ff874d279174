// The eighteen forwarding methods against the complete stand-in engine,
// bound once for the whole process.
#include "alloc_count.h"
#include "ulvo_host.h"

namespace {

class UlvoranForward : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    registerEngine(ULVO_ENGINE_COMPLETE);
    ASSERT_TRUE(binding().UlvoLedInit(nullptr, nullptr));
  }
  void SetUp() override {
    engine = stub(ULVO_ENGINE_COMPLETE);
    engine.setResult(1);
    engine.setBitmapBytes(4);
    engine.setQuiet(0);
    engine.reset();
    env.reset();
    failNothrowArrays(false);
  }
  const ulvoran_api::Api &api = binding();
  StubEngine engine;
  mini_jni::Env env;
};

// Any byte the engine answers reaches Java as it is, not squeezed to 0 or 1;
// a Java boolean reaches the engine as 0 or 1.
TEST_F(UlvoranForward, EveryMethodPassesItsArgumentsAndTheEngineResult) {
  for (unsigned char result : {1, 0, 0x5A})
    EXPECT_EQ(forward_cases::faults(api, env, &engine, result),
              std::vector<std::string>{})
        << int(result);
  engine.setResult(1);
  for (jboolean flag : {0, 1, 2, 0x80, 0xFF}) {
    engine.reset();
    api.UlvoLedPulseSingleKey(env.jni(), nullptr, 1, 2, 3, 4, 5, 6, 7, 8, flag);
    EXPECT_EQ(engine.calls(),
              std::vector<std::string>{
                  std::string("UlvoLedPulseSingleKey 1 2 3 4 5 6 7 8 ") +
                  (flag ? "1" : "0") + " -> 1"})
        << int(flag);
  }
}

// Only the bitmap copy allocates; a quiet engine allocates nothing itself.
TEST_F(UlvoranForward, PlainForwardingAllocatesNothing) {
  int n = 0;
  const forward_cases::Case *cases = forward_cases::all(&n);
  engine.setQuiet(1);
  startCountingAllocations();
  for (int i = 0; i < n; i++)
    if (std::strcmp(cases[i].name, "SetLightingFromBitmap") != 0)
      cases[i].call(api, env.jni());
  api.UlvoLedShutdown(env.jni(), nullptr);
  EXPECT_EQ(stopCountingAllocations(), 0);
  engine.setQuiet(0);
}

TEST_F(UlvoranForward, BitmapIsCopiedWholeIntoAnExactBuffer) {
  unsigned char bytes[144];
  for (int i = 0; i < 144; i++)
    bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  const std::string hex = forward_cases::hexOf(bytes, 144);
  engine.setBitmapBytes(144);
  startCountingAllocations();
  for (unsigned char result : {1, 0}) {
    engine.setResult(result);
    engine.reset();
    EXPECT_EQ(api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr,
                                               env.array(bytes, 144)),
              result);
    EXPECT_EQ(engine.last(), "UlvoLedSetLightingFromBitmap " + hex +
                                 (result ? " -> 1" : " -> 0"));
  }
  AllocationCount counted = countedAllocations();
  stopCountingAllocations();
  EXPECT_EQ(counted.nothrowArrays, 2);
  EXPECT_EQ(counted.lastNothrowArraySize, 144u);
  EXPECT_EQ(env.regionStart, 0);
  EXPECT_EQ(env.regionLength, 144);
}

// No array, an empty one, and a copy that cannot be allocated: nothing is
// read through null, and only the empty array reaches the engine.
TEST_F(UlvoranForward, NullEmptyAndUnallocatableBitmaps) {
  startCountingAllocations();
  EXPECT_FALSE(api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr, nullptr));
  EXPECT_EQ(stopCountingAllocations(), 0);
  EXPECT_EQ(env.lengthCalls, 0);
  engine.setBitmapBytes(0);
  EXPECT_TRUE(api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr,
                                               env.array(nullptr, 0)));
  env.reset();
  failNothrowArrays(true);
  unsigned char bytes[4] = {1, 2, 3, 4};
  EXPECT_FALSE(api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr,
                                                env.array(bytes, 4)));
  failNothrowArrays(false);
  EXPECT_EQ(env.regionCalls, 0);
  EXPECT_EQ(engine.calls(),
            std::vector<std::string>{"UlvoLedSetLightingFromBitmap -> 1"});
}

// Several Java threads at once: each call is forwarded on its own thread
// with its own arguments (ThreadSanitizer checks the table reads).
TEST_F(UlvoranForward, ConcurrentCallsAreAllForwarded) {
  struct Worker {
    const ulvoran_api::Api *api;
    int id;
  };
  auto run = [](LPVOID p) -> DWORD {
    auto *w = static_cast<Worker *>(p);
    mini_jni::Env e;
    unsigned char bytes[4] = {1, 2, 3, 4};
    for (int i = 0; i < 500; i++) {
      w->api->UlvoLedSetLighting(e.jni(), nullptr, w->id, i, -i);
      w->api->UlvoLedSetLightingFromBitmap(e.jni(), nullptr, e.array(bytes, 4));
    }
    return 0;
  };
  Worker workers[4];
  HANDLE threads[4];
  for (int t = 0; t < 4; t++) {
    workers[t] = Worker{&api, t};
    threads[t] = CreateThread(nullptr, 0, run, &workers[t], 0, nullptr);
    ASSERT_NE(threads[t], nullptr);
  }
  for (HANDLE h : threads) {
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    CloseHandle(h);
  }
  std::vector<std::string> calls = engine.calls();
  EXPECT_EQ(calls.size(), 4000u);
  int fromThree = 0;
  for (const std::string &c : calls)
    fromThree += c.rfind("UlvoLedSetLighting 3 ", 0) == 0;
  EXPECT_EQ(fromThree, 500);
}

} // namespace
