// renderFrame into a "CreateKeyboardEffect" that only returns, beside a
// floor that does the least any drawing must: zero the block, write the
// movement and bar entries, and make one indirect call to the same entry.
#include "duvek_host.h"

#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

duvek::CreateKeyboardEffectFn entry = nullptr;

void BM_Floor(benchmark::State &state) {
  const int movement[] = {47, 68, 69, 70, 117, 20};
  duvek::CreateKeyboardEffectFn volatile call = entry;
  for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores)
    duvek::KeyGridEffect e;
    std::memset(&e, 0, sizeof e);
    for (int i : movement)
      e.keys.color[i] = 0x01FFFFFFu;
    for (int j = 0; j < 6; j++)
      e.keys.color[3 + j] = 0x01007F7Fu;
    for (int j = 0; j < 7; j++)
      e.keys.color[24 + j] = 0x0100FFFFu;
    benchmark::DoNotOptimize(call(8, &e, nullptr));
  }
}

void BM_RenderFrame(benchmark::State &state) {
  for (auto _ : state) // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(dv::update());
}

// The two parts of renderFrame on their own: the composition into the same
// entry, and the draw ticket that keeps a draw and unInit0 apart.
void BM_ComposeOnly(benchmark::State &state) {
  duvek::CreateKeyboardEffectFn volatile call = entry;
  duvek::FrameInputs in = duvek::currentInputs();
  for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores)
    duvek::KeyGridEffect e;
    duvek::composeFrame(in, &e);
    benchmark::DoNotOptimize(call(8, &e, nullptr));
  }
}
void BM_Gate(benchmark::State &state) {
  for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores)
    duvek::DrawTicket t;
    if (duvek::beginDraw(&t))
      duvek::endDraw();
    benchmark::DoNotOptimize(t.draw);
  }
}
BENCHMARK(BM_ComposeOnly);
BENCHMARK(BM_Gate);
BENCHMARK(BM_Floor);
BENCHMARK(BM_RenderFrame);

} // namespace

// The stand-in that only returns is loaded by path first; init0's bare-name
// load then finds it already in the process by its soname.
int main(int argc, char **argv) {
  HMODULE silent = LoadLibraryA(DVGLOW_SILENT_PATH);
  if (!silent || dv::init0() != 0) {
    std::fprintf(stderr, "cannot start the silent stand-in\n");
    return 1;
  }
  entry = duvek::effectApi.CreateKeyboardEffect.load();
  dv::updateHealthAndArmor(0.5f, 0.7f);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  dv::unInit0();
  return 0;
}
