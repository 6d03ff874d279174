// The host part of the stand-in service: a thread of the test process runs
// the window, and what the window hears is recorded for the test to read.
#include "fake_service.h"

#include <algorithm>
#include <chrono>

namespace {

// The host's command channel: a job for the service thread, its lParam a
// heap-allocated std::function that the handler runs and deletes.
constexpr UINT kRunJob = WM_USER + 1;

} // namespace

namespace standin {

bool serviceCommand(Service &, UINT msg, WPARAM, LPARAM lp, LRESULT *result) {
  if (msg != kRunJob)
    return false;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the job travels as lParam
  auto *job = reinterpret_cast<std::function<void()> *>(lp);
  (*job)();
  delete job;
  *result = 0;
  return true;
}

void serviceHeard(Service &s, UINT msg, WPARAM wp, LPARAM lp) {
  auto *self = static_cast<FakeService *>(s.platform);
  ServiceEvent e{msg, wp, lp, 0, 0, {}, hostwin_message_stamp()};
  if (msg == WM_COPYDATA) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): WM_COPYDATA's lParam
    const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lp);
    e.cbData = cds->cbData;
    e.dwData = cds->dwData;
    const auto *p = static_cast<const uint8_t *>(cds->lpData);
    if (p)
      e.data.assign(p, p + cds->cbData);
  }
  {
    std::lock_guard<std::mutex> g(self->lock_);
    self->events_.push_back(std::move(e));
  }
  self->changed_.notify_all();
}

} // namespace standin

bool pumpUntil(const std::function<bool()> &done, int timeoutMs) {
  auto end =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&m);
    Sleep(1);
  }
  return true;
}

FakeService::FakeService() {
  service_.platform = this;
  thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
  while (!ready_.load())
    Sleep(1);
}

FakeService::~FakeService() {
  PostMessageW(service_.window, WM_CLOSE, 0, 0);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
}

DWORD WINAPI FakeService::threadMain(LPVOID arg) {
  auto *self = static_cast<FakeService *>(arg);
  standin::openService(self->service_, 0, 0, 0);
  self->ready_.store(true);
  standin::runService();
  return 0;
}

// A thread takes sent messages before posted ones, so the order of arrival
// is not the order of sending; the stamps give the latter.
std::vector<ServiceEvent> FakeService::events() {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<ServiceEvent> sorted = events_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const ServiceEvent &a, const ServiceEvent &b) {
                     return a.sent.seq < b.sent.seq;
                   });
  return sorted;
}

double msBetween(const ServiceEvent &a, const ServiceEvent &b) {
  return static_cast<double>(b.sent.ns - a.sent.ns) / 1e6;
}

std::string describe(const ServiceEvent &e) {
  void *data = e.data.empty() ? nullptr : const_cast<uint8_t *>(e.data.data());
  COPYDATASTRUCT cds{e.dwData, e.cbData, data}; // data holds cbData bytes
  LPARAM lp = e.msg == WM_COPYDATA ? reinterpret_cast<LPARAM>(&cds) : e.lp;
  return talk::describe(talk::registerIds(), e.msg, e.wp, lp);
}

void FakeService::clear() {
  std::lock_guard<std::mutex> g(lock_);
  events_.clear();
}

bool FakeService::waitForEvents(size_t n, int timeoutMs) {
  return pumpUntil([&] { return events().size() >= n; }, timeoutMs);
}

void FakeService::runOnServiceThread(std::function<void()> job) {
  std::atomic<bool> done{false};
  auto *wrapped = new std::function<void()>([job = std::move(job), &done] {
    job();
    done.store(true);
  });
  PostMessageW(service_.window, kRunJob, 0, reinterpret_cast<LPARAM>(wrapped));
  pumpUntil([&] { return done.load(); }, 10000);
}

void FakeService::attach(HWND link, UINT msg, LPARAM lp, bool send) {
  runOnServiceThread([=] { standin::attach(service_, link, msg, lp, send); });
  pumpUntil([] { return false; }, send ? 0 : 20);
}

void FakeService::report(HWND link, UINT wp, const void *data, DWORD size) {
  runOnServiceThread([=] { talk::sendData(link, wp, data, size); });
}

void FakeService::reportWhileHandling(HWND link, std::vector<uint8_t> bytes) {
  runOnServiceThread([this, link, bytes = std::move(bytes)] {
    service_.echo = bytes;
    service_.echoTo = link;
  });
}

void FakeService::slowBitmaps(DWORD ms) {
  runOnServiceThread([this, ms] { service_.bitmapMs = ms; });
}
