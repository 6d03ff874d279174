// Timings of the real DLL under Wine, each beside its floor in the same
// process: update against a bare SendMessageW of the same WM_COPYDATA to
// the same service process, onDamage against CreateThread + CloseHandle,
// and the flash's steps against 100, 100 and 80 ms; then update against a
// hung service, and how soon the loading thread's update follows another
// thread's that held it back.
// Usage: tovrik_wine_bench <Tovrik.dll> <tovrik_service.exe>
#include <algorithm>
#include <vector>

#include "jni_export.h"
#include "service_process.h"
#include "tovrik_api.h"
#include "win_support.h"

namespace {

DWORD WINAPI nothing(LPVOID) { return 0; }

TovrikApi *shared;
volatile long long otherEnd;
DWORD WINAPI otherUpdate(LPVOID) {
  shared->update(nullptr, nullptr);
  otherEnd = qpcMicros();
  return 0;
}

// Another thread's update waits 30 ms on a slow service, and this (the
// loading) thread's update waits behind it.  How much later it returns than
// the other, less one update of its own, is how late its wait ended.
void waitBehindAnotherSend(ServiceProcess &service, TovrikApi &api,
                           double ownUpdateUs) {
  shared = &api;
  std::vector<double> late;
  for (int i = 0; i < 30; i++) {
    PostMessageW(service.window(), ServiceProcess::command(), 6, 30);
    Sleep(5);
    HANDLE other = CreateThread(nullptr, 0, otherUpdate, nullptr, 0, nullptr);
    Sleep(5);
    api.update(nullptr, nullptr);
    long long end = qpcMicros();
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);
    late.push_back(static_cast<double>(end - otherEnd) - ownUpdateUs);
  }
  std::sort(late.begin(), late.end());
  std::printf("loading thread behind another send: woken %.3f ms late at the "
              "median, %.3f ms at the 90th percentile\n",
              late[late.size() / 2] / 1000.0,
              late[late.size() * 9 / 10] / 1000.0);
}

void report(const char *what, double value, double floor) {
  std::printf("%-34s %9.2f us   floor %9.2f us   ratio %.3f\n", what, value,
              floor, value / floor);
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> paths =
      takePathArguments(argc, argv, 2, "Tovrik.dll tovrik_service.exe");
  if (paths.empty())
    return 2;
  ServiceProcess service;
  TovrikApi api;
  if (!service.start(paths[1]) || !api.load(paths[0].c_str()))
    return 1;

  // onDamage before init: the worker ends at once, so only the start counts.
  double damage = 1e30, thread = 1e30;
  for (int round = 0; round < 20; round++) {
    thread = std::min(
        thread, perCall(100, [] {
          CloseHandle(CreateThread(nullptr, 0, nothing, nullptr, 0, nullptr));
        }));
    damage =
        std::min(damage, perCall(100, [&] { api.onDamage(nullptr, nullptr); }));
    pumpFor(20);
  }

  api.init(nullptr, nullptr);
  UINT ledControl = RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API");
  unsigned char payload[20] = {};
  COPYDATASTRUCT cds{0, sizeof payload, payload};
  HWND to = service.window();
  for (int i = 0; i < 200; i++)
    api.update(nullptr, nullptr);
  double update = 1e30, bare = 1e30;
  for (int round = 0; round < 20; round++) {
    bare = std::min(bare, perCall(500, [&] {
                      SendMessageW(to, WM_COPYDATA, ledControl,
                                   reinterpret_cast<LPARAM>(&cds));
                    }));
    update =
        std::min(update, perCall(500, [&] { api.update(nullptr, nullptr); }));
  }
  report("update (until the service has it)", update, bare);
  report("onDamage (return)", damage, thread);
  waitBehindAnotherSend(service, api, update);

  double worst = 0;
  for (int flash = 0; flash < 5; flash++) {
    size_t before = service.of("keys").size();
    api.onDamage(nullptr, nullptr);
    auto k = service.waitFor("keys", before + 4, 50);
    if (k.size() < before + 4)
      return 1;
    const double want[3] = {100000, 100000, 80000};
    std::printf("flash %d steps:", flash);
    for (int s = 0; s < 3; s++) {
      double step =
          static_cast<double>(k[before + s + 1].us - k[before + s].us);
      worst = std::max(worst, step > want[s] ? step - want[s] : want[s] - step);
      std::printf(" %.2f ms", step / 1000.0);
    }
    std::printf("\n");
  }
  std::printf("flash steps: worst deviation %.2f ms from 100/100/80\n",
              worst / 1000.0);
  api.unload();
  return 0;
}
