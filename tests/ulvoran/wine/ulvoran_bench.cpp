// The forwarding cost under Wine, for this processor build: the quiet
// stand-in engine's "UlvoLedSetLighting" called through a function pointer,
// against the same entry reached through the DLL's UlvoLedSetLighting.
// Google Benchmark does not build for MinGW's win32 thread model, so this
// is the same measurement by hand: the best of many rounds of many calls,
// the two loops alternating so that both see the same machine.
//
//   ulvoran_bench BINDING.dll ENGINE.dll [calls per round] [rounds]
#include "stub_engine.h"
#include "ulvoran_api.h"
#include "wine_registry.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

typedef unsigned char(__cdecl *EngineSetLighting)(int, int, int);

// The pointers are volatile so that every call loads one, as a caller that
// got them at run time would; the results are summed so none is dropped.
volatile EngineSetLighting direct;
volatile decltype(ulvoran_api::Api::UlvoLedSetLighting) forwarded;
volatile unsigned sink;

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> paths =
      takePathArguments(argc, argv, 2, "BINDING ENGINE [calls] [rounds]");
  if (paths.empty())
    return 2;
  const std::string &binding = paths[0], &engine = paths[1];
  int calls = argc > 1 ? std::atoi(argv[1]) : 10000000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 21;
  ulvoran_api::Api api;
  StubEngine stub;
  if (!wine_registry::registerEngine(wine_registry::kOwnView, engine) ||
      !api.load(binding.c_str()) || !api.UlvoLedInit(nullptr, nullptr) ||
      !stub.load(engine.c_str())) {
    std::printf("cannot set up %s with %s\n", binding.c_str(), engine.c_str());
    return 1;
  }
  stub.setQuiet(1);
  direct = StubEngine::entry<EngineSetLighting>(LoadLibraryA(engine.c_str()),
                                                "UlvoLedSetLighting");
  forwarded = api.UlvoLedSetLighting;
  double bestDirect = 1e30, bestForwarded = 1e30;
  for (int r = 0; r < rounds; r++) {
    EngineSetLighting d0 = direct;
    decltype(ulvoran_api::Api::UlvoLedSetLighting) f0 = forwarded;
    unsigned sum = 0;
    int i = 0, j = 0;
    double d = perCall(calls, [&] { sum += d0(i++, 2, 3); });
    double f = perCall(calls, [&] { sum += f0(nullptr, nullptr, j++, 2, 3); });
    sink = sum;
    bestDirect = std::min(bestDirect, d * 1e3);
    bestForwarded = std::min(bestForwarded, f * 1e3);
  }
  wine_registry::unregisterEngine(wine_registry::kOwnView);
  std::printf("%d-bit: direct engine call %.3f ns, forwarded %.3f ns, "
              "overhead %.3f ns, ratio %.3f\n",
              static_cast<int>(sizeof(void *) * 8), bestDirect, bestForwarded,
              bestForwarded - bestDirect, bestForwarded / bestDirect);
  std::printf("1 passed, 0 failed\n");
  return 0;
}
