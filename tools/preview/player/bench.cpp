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

// Runs send() n times and pairs each call with the service's log line.
template <typename F> Timing measure(long n, const char *serviceLog, F send) {
  size_t before = receipts(serviceLog).size();
  std::vector<int64_t> start(n), back(n);
  for (long i = 0; i < n; i++) {
    pumpPendingMessages();
    start[i] = nowUs();
    send();
    back[i] = nowUs();
  }
  std::vector<int64_t> got = receipts(serviceLog);
  Timing t;
  if (got.size() < before + n) {
    std::fprintf(stderr, "bench: the service logged %zu of %ld sends\n",
                 got.size() - before, n);
    return t;
  }
  std::vector<int64_t> oneWay(n), round(n);
  for (long i = 0; i < n; i++) {
    oneWay[i] = got[before + i] - start[i];
    round[i] = back[i] - start[i];
  }
  t.oneWay = median(oneWay);
  t.round = median(round);
  return t;
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
  Timing lib = measure(n, serviceLog, [&] { update(nullptr, nullptr); });

  UINT control = RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API");
  unsigned char payload[20] = {0, 0, 0, 0, 0, 0, 2, 0x60, 0, 2,
                               0, 0, 0, 0, 1, 0, 0, 0,    0, 0};
  COPYDATASTRUCT cds = {0, sizeof payload, payload};
  Timing bare = measure(n, serviceLog, [&] {
    SendMessageW(service, WM_COPYDATA, control, reinterpret_cast<LPARAM>(&cds));
  });
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
  return lib.oneWay < 0 || bare.oneWay < 0;
}

} // namespace preview
