// renderFrame into a service procedure on the same thread, beside a floor
// that touches each of the 110 keys once and copies a 20-byte payload.
#include <benchmark/benchmark.h>

#include <cstring>

#include "controller.h"
#include "talk_link.h"
#include "talk_service.h"

using namespace tovrik;

namespace {

uint8_t sink[20];

LRESULT CALLBACK serviceProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lp);
    std::memcpy(sink, cds->lpData, sizeof sink);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void setUp() {
  static bool done = false;
  if (done)
    return;
  done = true;
  talk::createServiceWindow(serviceProc, 0, 0, 0);
  TalkLink::findService();
  controllerState.initialized = true;
  controllerState.health = 0.5f;
  controllerState.armor = 0.7f;
}

void BM_renderFrame(benchmark::State &state) {
  setUp();
  for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores)
    renderFrame();
    benchmark::DoNotOptimize(sink);
  }
}
BENCHMARK(BM_renderFrame);

void BM_floorTouchKeysCopyPayload(benchmark::State &state) {
  uint8_t frame[110];
  uint8_t bitmap[20] = {};
  for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores)
    std::memset(frame, 1, sizeof frame);
    benchmark::DoNotOptimize(frame);
    for (int i = 0; i < 110; i++)
      bitmap[i % 15] ^= frame[i];
    benchmark::DoNotOptimize(bitmap);
    std::memcpy(sink, bitmap, sizeof sink);
    benchmark::DoNotOptimize(sink);
  }
}
BENCHMARK(BM_floorTouchKeysCopyPayload);

} // namespace

BENCHMARK_MAIN();
