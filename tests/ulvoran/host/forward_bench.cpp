// What a forwarded call costs over calling the engine entry directly: the
// same quiet stand-in entry, once through UlvoLedSetLighting and once
// through a function pointer to "UlvoLedSetLighting" itself.
#include "../wine/stub_engine.h"
#include "../wine/ulvoran_api.h"
#include "led_engine_key.h"
#include "mini_jni.h"

#include <hostwin_test.h>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

typedef unsigned char (*EngineSetLighting)(int32_t, int32_t, int32_t);
typedef unsigned char (*EngineBitmap)(unsigned char *);

struct Setup {
  ulvoran_api::Api api;
  StubEngine engine;
  EngineSetLighting direct = nullptr;
  EngineBitmap directBitmap = nullptr;

  Setup() {
    hostwin_reg_set_value(HKEY_LOCAL_MACHINE, kLedEngineKey, nullptr, REG_SZ,
                          ULVO_ENGINE_COMPLETE, sizeof ULVO_ENGINE_COMPLETE);
    if (!api.load(ULVO_BINDING_PATH) || !api.UlvoLedInit(nullptr, nullptr) ||
        !engine.load(ULVO_ENGINE_COMPLETE))
      std::abort();
    engine.setQuiet(1);
    HMODULE m = LoadLibraryA(ULVO_ENGINE_COMPLETE);
    direct = StubEngine::entry<EngineSetLighting>(m, "UlvoLedSetLighting");
    directBitmap =
        StubEngine::entry<EngineBitmap>(m, "UlvoLedSetLightingFromBitmap");
  }
};

Setup &setup() {
  static Setup s;
  return s;
}

void BM_DirectEngineSetLighting(benchmark::State &state) {
  EngineSetLighting fn = setup().direct;
  int32_t i = 0;
  for (auto _ : state) // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(fn(i++, 2, 3));
}
BENCHMARK(BM_DirectEngineSetLighting);

void BM_ForwardedSetLighting(benchmark::State &state) {
  decltype(ulvoran_api::Api::UlvoLedSetLighting) fn =
      setup().api.UlvoLedSetLighting;
  int32_t i = 0;
  for (auto _ : state) // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(fn(nullptr, nullptr, i++, 2, 3));
}
BENCHMARK(BM_ForwardedSetLighting);

// The one method that allocates: length, copy and free around the call.
void BM_DirectEngineBitmap(benchmark::State &state) {
  EngineBitmap fn = setup().directBitmap;
  unsigned char bytes[144] = {};
  for (auto _ : state) // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(fn(bytes));
}
BENCHMARK(BM_DirectEngineBitmap);

void BM_ForwardedBitmap(benchmark::State &state) {
  decltype(ulvoran_api::Api::UlvoLedSetLightingFromBitmap) fn =
      setup().api.UlvoLedSetLightingFromBitmap;
  mini_jni::Env env;
  unsigned char bytes[144] = {};
  jbyteArray array = env.array(bytes, 144);
  for (auto _ : state) // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(fn(env.jni(), nullptr, array));
}
BENCHMARK(BM_ForwardedBitmap);

} // namespace

BENCHMARK_MAIN();
