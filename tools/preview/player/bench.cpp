#include "bench.h"

#include "logs.h"
#include "platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace preview {

namespace {

typedef unsigned char(__stdcall *InitFn)(void *, void *);
typedef void(__stdcall *UpdateFn)(void *, void *);

std::vector<int64_t> receipts(const char *serviceLog) {
  std::vector<int64_t> out;
  for (const LogLine &l : readLog(serviceLog)) {
    if (!l.words.empty() && l.words[0] == "keys")
      out.push_back(l.us);
  }
  return out;
}

double median(std::vector<int64_t> v) {
  if (v.empty())
    return -1;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

struct Timing {
  double oneWay = -1; // call to the service's receipt, median us
  double round = -1;  // call to return, median us
};

// Alternates the two kinds of send, n of each, so that drift of the machine
// touches both alike, and pairs every send with the service's log line.
template <typename A, typename B>
bool measure(long n, const char *serviceLog, A sendA, B sendB, Timing *a,
             Timing *b) {
  size_t before = receipts(serviceLog).size();
  std::vector<int64_t> start(2 * n), back(2 * n);
  for (long i = 0; i < 2 * n; i++) {
    pumpPendingMessages();
    start[i] = qpcMicros();
    if (i % 2)
      sendB();
    else
      sendA();
    back[i] = qpcMicros();
  }
  std::vector<int64_t> got = receipts(serviceLog);
  if (got.size() < before + 2 * n) {
    std::fprintf(stderr, "bench: the service logged %zu of %ld sends\n",
                 got.size() - before, 2 * n);
    return false;
  }
  std::vector<int64_t> oneWay[2], round[2];
  for (long i = 0; i < 2 * n; i++) {
    oneWay[i % 2].push_back(got[before + i] - start[i]);
    round[i % 2].push_back(back[i] - start[i]);
  }
  a->oneWay = median(oneWay[0]);
  a->round = median(round[0]);
  b->oneWay = median(oneWay[1]);
  b->round = median(round[1]);
  return true;
}

} // namespace

int runBench(HMODULE tovrik, long n) {
  const char *serviceLog = std::getenv("TOVRIK_SERVICE_LOG");
  auto init = reinterpret_cast<InitFn>(reinterpret_cast<void *>(GetProcAddress(
      tovrik,
      "_Java_eu_velquor_mod_manager_keyboard_TovrikController_init@8")));
  auto update =
      reinterpret_cast<UpdateFn>(reinterpret_cast<void *>(GetProcAddress(
          tovrik,
          "_Java_eu_velquor_mod_manager_keyboard_TovrikController_update@8")));
  HWND service = FindWindowW(L"TOVRIK TALK", L"TOVRIK TALK");
  if (!tovrik || !init || !update || !service || !serviceLog) {
    std::fprintf(stderr, "bench: needs Tovrik, the service and its log\n");
    return 1;
  }
  if (!init(nullptr, nullptr)) {
    std::fprintf(stderr, "bench: init found no service\n");
    return 1;
  }
  UINT control = RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API");
  unsigned char payload[20] = {0, 0, 0, 0, 0, 0, 2, 0x60, 0, 2,
                               0, 0, 0, 0, 1, 0, 0, 0,    0, 0};
  COPYDATASTRUCT cds = {0, sizeof payload, payload};
  Timing lib, bare;
  bool ok = measure(
      n, serviceLog, [&] { update(nullptr, nullptr); },
      [&] {
        SendMessageW(service, WM_COPYDATA, control,
                     reinterpret_cast<LPARAM>(&cds));
      },
      &lib, &bare);
  std::printf("bench: %ld calls each\n", n);
  std::printf("bench: Tovrik update      call->receipt median %.1f us, "
              "call->return median %.1f us\n",
              lib.oneWay, lib.round);
  std::printf("bench: bare SendMessageW  call->receipt median %.1f us, "
              "call->return median %.1f us\n",
              bare.oneWay, bare.round);
  if (bare.oneWay > 0 && bare.round > 0)
    std::printf("bench: ratio %.2f (receipt), %.2f (return)\n",
                lib.oneWay / bare.oneWay, lib.round / bare.round);
  return ok ? 0 : 1;
}

} // namespace preview
