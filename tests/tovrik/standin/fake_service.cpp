#include "fake_service.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

const wchar_t kName[] = L"TOVRIK TALK";
constexpr UINT kRunJob = WM_USER + 1;

void registerServiceClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = kName;
    RegisterClassExW(&wc);
  });
}

} // namespace

TalkIds talkIds() {
  return TalkIds{
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_DISCOVER"),
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_ATTACH"),
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API"),
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API_DISCOVER"),
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API_ATTACH"),
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API")};
}

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

// The service's procedure finds its object through a thread-local.
static thread_local FakeService *current = nullptr;

FakeService::FakeService() {
  registerServiceClass();
  thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
  while (!ready_.load())
    Sleep(1);
}

FakeService::~FakeService() {
  PostMessageW(wnd_, WM_CLOSE, 0, 0);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
}

DWORD WINAPI FakeService::threadMain(LPVOID arg) {
  auto *self = static_cast<FakeService *>(arg);
  current = self;
  self->wnd_ = CreateWindowExW(0, kName, kName, 0, 0, 0, 0, 0, nullptr, nullptr,
                               nullptr, nullptr);
  SetWindowLongPtrW(self->wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  self->ready_.store(true);
  MSG m;
  while (IsWindow(self->wnd_) && GetMessageW(&m, nullptr, 0, 0))
    DispatchMessageW(&m);
  return 0;
}

LRESULT CALLBACK FakeService::proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  FakeService *self = current;
  if (msg == kRunJob) {
    auto *job = reinterpret_cast<std::function<void()> *>(lp);
    (*job)();
    delete job;
    return 0;
  }
  if (msg == WM_CLOSE || msg == WM_DESTROY || msg == 0x0081 || msg == 0x0082 ||
      msg == 0x0001)
    return DefWindowProcW(wnd, msg, wp, lp);
  ServiceEvent e{msg, wp, lp, 0, 0, {}, hostwin_message_stamp()};
  if (msg == WM_COPYDATA) {
    const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lp);
    e.cbData = cds->cbData;
    e.dwData = cds->dwData;
    const auto *p = static_cast<const uint8_t *>(cds->lpData);
    e.data.assign(p, p + cds->cbData);
  }
  std::vector<uint8_t> echo;
  HWND echoTo;
  {
    std::lock_guard<std::mutex> g(self->lock_);
    self->events_.push_back(e);
    echo = self->echo_;
    echoTo = self->echoTo_;
  }
  self->changed_.notify_all();
  if (msg == WM_COPYDATA && !echo.empty())
    self->report(echoTo, talkIds().ledControl, echo.data(),
                 static_cast<DWORD>(echo.size()));
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

void FakeService::clear() {
  std::lock_guard<std::mutex> g(lock_);
  events_.clear();
}

bool FakeService::waitForEvents(size_t n, int timeoutMs) {
  return pumpUntil([&] { return events().size() >= n; }, timeoutMs);
}

void FakeService::runOnServiceThread(std::function<void()> job) {
  std::atomic<bool> done{false};
  auto *wrapped = new std::function<void()>([job, &done] {
    job();
    done.store(true);
  });
  PostMessageW(wnd_, kRunJob, 0, reinterpret_cast<LPARAM>(wrapped));
  pumpUntil([&] { return done.load(); }, 10000);
}

void FakeService::attach(HWND link, UINT msg, LPARAM lp, bool send) {
  HWND self = wnd_;
  runOnServiceThread([=] {
    if (send)
      SendMessageW(link, msg, reinterpret_cast<WPARAM>(self), lp);
    else
      PostMessageW(link, msg, reinterpret_cast<WPARAM>(self), lp);
  });
  pumpUntil([] { return false; }, send ? 0 : 20);
}

void FakeService::report(HWND link, UINT wp, const void *data, DWORD size) {
  COPYDATASTRUCT cds{0, size, const_cast<void *>(data)};
  auto doSend = [=]() mutable {
    SendMessageW(link, WM_COPYDATA, wp, reinterpret_cast<LPARAM>(&cds));
  };
  if (current == this)
    doSend();
  else
    runOnServiceThread(doSend);
}

void FakeService::reportWhileHandling(HWND link, std::vector<uint8_t> bytes) {
  std::lock_guard<std::mutex> g(lock_);
  echo_ = std::move(bytes);
  echoTo_ = link;
}
