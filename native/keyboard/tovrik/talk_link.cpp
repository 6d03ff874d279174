// The window-system half of the link.  The bitmap itself is plain code in
// key_bitmap.cpp; this file only guards it and moves it.
//
// Locks.  `bitmapLock` guards the held bitmap and is held only while a
// payload is composed and copied out, never across a send: the window
// procedure takes it for a report, and a report can arrive on the loading
// thread while that same thread waits inside its own send.  `sendLock` is
// held from composing a payload to the end of its send, so payloads reach
// the service in the order they were composed and a stale bitmap never
// overtakes a newer one.  A service may send to our window while it handles
// someone else's bitmap, and only the loading thread can take that message;
// so the loading thread never blocks on `sendLock` but keeps handling sent
// messages while it waits for it.  Both are slim locks: they need no
// clean-up, so nothing is deleted when the library goes, whichever thread
// that happens on.
//
// Waits.  The service is another program and may hang, stall on a report
// it sends back, or be slow.  A send waits for it at most kSendTimeoutMs;
// what happens to each bitmap (sent, dropped, sent after a probe, or sent
// as a retry) is decided by the plain SendPolicy (send_policy.h) from the
// times and outcomes of the sends and probes before it.  So a hung service
// costs the game one wait, not one per frame; a dropped bitmap costs no
// call to the window system; probes, which on Windows can cost a whole
// clock tick, come at most a few times a second; and a slow service is
// waited for at most a tenth of the time.  When a retry of a stalled
// service is due, a new instance of the service that answers beside it
// replaces it, taken over by the controller as init does.
#include "talk_link.h"

#include <atomic>

#include "proc_gate.h"
#include "send_policy.h"

namespace tovrik {

namespace {

const wchar_t kClassName[] = L"Vesk MK Pro SDK Class";
const wchar_t kWindowName[] = L"Vesk MK Pro SDK Window";
const wchar_t kServiceName[] = L"TOVRIK TALK";
// The LED control message's selectors: 15 switches the service's per-key
// control on (lParam 1) or off (lParam 0); the all-ones one on the light
// control message hands the light back to the service.
constexpr WPARAM kPerKeyControlSelector = 15;
constexpr WPARAM kRestoreSelector = 0xFFFFFFFF;
// On Windows a timed wait ends on the system clock tick (15.6 ms), so
// 90 ms ends within 100 ms there too.
constexpr UINT kSendTimeoutMs = 90;
constexpr UINT kProbeTimeoutMs = 3;
// Service windows looked at when a retry looks for a new instance.
constexpr int kMostServiceWindows = 8;
// Sent messages to the calling thread's own windows are handled while it
// waits, as with SendMessageW; a service that the system already deems
// hung, or whose thread ends, fails the send at once.
constexpr UINT kSendFlags = SMTO_NORMAL | SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT;
// How often a lost service is looked up by name while none is found.
constexpr DWORD kLookupIntervalMs = 250;
// How long an unload on another thread waits for the loading thread to
// leave the window procedure; it never blocks there, so this is only a
// bound for a thread that was suspended or killed inside it.
constexpr DWORD kLeaveProcMs = 2000;

// Everything the link knows, in one place.  The message ids are registered
// once, on the loading thread, before any other thread can see the link.
struct LinkState {
  UINT ledDiscoverMsg = 0;
  UINT ledAttachMsg = 0;
  UINT ledControlMsg = 0;
  UINT lightDiscoverMsg = 0;
  UINT lightAttachMsg = 0;
  UINT lightControlMsg = 0;
  std::atomic<HWND> service{nullptr};
  std::atomic<bool> lost{false}; // the known service window is gone
  // A new instance found beside the stalled service, for the controller
  // to take over (findLostService) before anything is sent to it.
  std::atomic<HWND> replacement{nullptr};
  std::atomic<DWORD> lastLookup{0};     // set back one interval at load
  SendPolicy policy;                    // under sendLock
  std::atomic<bool> policyStale{false}; // a new service: policy starts anew
  int64_t clockFrequency = 1;           // of QueryPerformanceCounter
  std::atomic<HWND> own{nullptr};
  DWORD ownerThread = 0;
  WNDPROC gate = nullptr; // the window procedure the window system calls
  LedBitmap held{};
  SRWLOCK bitmapLock = SRWLOCK_INIT;
  SRWLOCK sendLock = SRWLOCK_INIT;
  std::atomic<DWORD> sender{0}; // the thread holding sendLock, 0 for none
  std::atomic<bool> ownerWaiting{false};
  HANDLE sendFreed = nullptr; // set when sendLock is let go while the
                              // loading thread waits for it
};

LinkState link;

void useService(HWND wnd) {
  if (link.service.exchange(wnd) != wnd)
    link.policyStale.store(true);
  link.lost.store(false);
}

bool adoptReplacement() {
  HWND wnd = link.replacement.exchange(nullptr);
  if (!wnd)
    return false;
  useService(wnd);
  return true;
}

Micros clockNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const int64_t f = link.clockFrequency;
  return now.QuadPart / f * 1000000 + now.QuadPart % f * 1000000 / f;
}

// A post or send to `to` failed and its window has gone.
void noteGone(HWND to) {
  if (link.service.load() == to)
    link.lost.store(true);
}

enum class Outcome { done, failed, gone };

Outcome sendWithin(HWND to, UINT msg, WPARAM wp, LPARAM lp, UINT ms) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(to, msg, wp, lp, kSendFlags, ms, &result))
    return Outcome::done;
  if (IsWindow(to))
    return Outcome::failed;
  noteGone(to);
  return Outcome::gone;
}

// A retry of the stalled service `stalled` is due: another window of the
// service's name that answers at once is a new instance, which replaces it.
bool offerReplacement(HWND stalled) {
  HWND wnd = nullptr;
  for (int i = 0; i < kMostServiceWindows; i++) {
    wnd = FindWindowExW(nullptr, wnd, kServiceName, kServiceName);
    if (!wnd)
      return false;
    DWORD_PTR result = 0;
    if (wnd != stalled && SendMessageTimeoutW(wnd, WM_NULL, 0, 0, kSendFlags,
                                              kProbeTimeoutMs, &result)) {
      link.replacement.store(wnd);
      return true;
    }
  }
  return false;
}

// Under the send lock.  The policy decides first, so a dropped bitmap
// costs no call to the window system.
void sendPayload(HWND to, const KeyBitmapPayload &payload) {
  if (link.replacement.load())
    return;
  SendPolicy &policy = link.policy;
  if (link.policyStale.exchange(false))
    policy = SendPolicy();
  Micros now = clockNow();
  SendStep step = policy.next(now);
  if (step == SendStep::drop)
    return;
  if (step == SendStep::probe) {
    Outcome probe = sendWithin(to, WM_NULL, 0, 0, kProbeTimeoutMs);
    if (probe == Outcome::gone || !policy.probed(now, probe == Outcome::done))
      return;
  }
  if (step == SendStep::retry && offerReplacement(to))
    return;
  COPYDATASTRUCT cds{};
  cds.dwData = 0;
  cds.cbData = sizeof payload.bytes;
  cds.lpData = const_cast<uint8_t *>(payload.bytes);
  Micros start = step == SendStep::send ? now : clockNow();
  Outcome sent = sendWithin(to, WM_COPYDATA, link.ledControlMsg,
                            reinterpret_cast<LPARAM>(&cds), kSendTimeoutMs);
  if (sent != Outcome::gone)
    policy.sent(start, clockNow(), sent == Outcome::done);
}

// The loading thread waits here when another thread holds the send lock:
// woken as soon as that thread lets go, and meanwhile handling what is sent
// to its windows, which may be the very report the other send waits for.
void waitForSendLockPumping() {
  while (!TryAcquireSRWLockExclusive(&link.sendLock)) {
    link.ownerWaiting.store(true);
    if (TryAcquireSRWLockExclusive(&link.sendLock))
      break;
    DWORD handles = link.sendFreed ? 1 : 0;
    DWORD woke = MsgWaitForMultipleObjectsEx(
        handles, &link.sendFreed, handles ? kSendTimeoutMs : 1, QS_SENDMESSAGE,
        MWMO_INPUTAVAILABLE);
    MSG msg;
    if (woke != WAIT_OBJECT_0 || !handles)
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  link.ownerWaiting.store(false);
}

// False for a thread that holds the lock already.  A thread waiting in a
// send handles messages sent to its own windows, and their handlers may
// call back into the library; such a call cannot wait for the lock its own
// thread holds until the outer send returns, so it sends nothing.  The
// next render draws what it would have sent; waiting would hang the thread
// for good.
bool enterSendLock() {
  DWORD self = GetCurrentThreadId();
  if (link.sender.load() == self)
    return false;
  if (self == link.ownerThread)
    waitForSendLockPumping();
  else
    AcquireSRWLockExclusive(&link.sendLock);
  link.sender.store(self);
  return true;
}

void leaveSendLock() {
  link.sender.store(0);
  ReleaseSRWLockExclusive(&link.sendLock);
  if (link.ownerWaiting.load())
    SetEvent(link.sendFreed);
}

// Composes under the bitmap lock and sends outside it, in send order.
// The service is read again once the lock is held, so that the outcome of
// the send is that of the service the policy is about.
template <typename Compose> void composeAndSend(Compose compose) {
  if (!link.service.load() || !enterSendLock())
    return;
  HWND to = link.service.load();
  if (!to) {
    leaveSendLock();
    return;
  }
  AcquireSRWLockExclusive(&link.bitmapLock);
  compose(link.held);
  KeyBitmapPayload payload = makePayload(link.held);
  ReleaseSRWLockExclusive(&link.bitmapLock);
  sendPayload(to, payload);
  leaveSendLock();
}

void postToService(UINT msg, WPARAM wp, LPARAM lp) {
  HWND to = link.service.load();
  if (to && !PostMessageW(to, msg, wp, lp) && !IsWindow(to))
    noteGone(to);
}

void registerClass(WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = kClassName;
  if (RegisterClassExW(&wc))
    return;
  // Left by an earlier copy of this library that was unloaded on another
  // thread; its gate now leads to the default procedure, so it can go.
  UnregisterClassW(kClassName, nullptr);
  RegisterClassExW(&wc);
}

HWND createOwnWindow(WNDPROC proc) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): HWND_MESSAGE is an integer
  const HWND messageOnly = HWND_MESSAGE;
  HWND wnd = CreateWindowExW(
      0, kClassName, kWindowName, WS_DISABLED, CW_USEDEFAULT, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, messageOnly, nullptr, nullptr, nullptr);
  // Whatever class the window came from, its messages come here.
  if (wnd)
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  return wnd;
}

// The library goes, and the loading thread may at this moment be inside
// the window procedure, or about to call the gate.  The gate is turned to
// the default procedure, so no call that enters it from now on reaches this
// library, and the library lets go once every call inside has left.
void closeGate() {
  if (!link.gate)
    return;
  turnProcGate(link.gate, DefWindowProcW);
  DWORD start = GetTickCount();
  while (callsInProcGate(link.gate) != 0 &&
         GetTickCount() - start < kLeaveProcMs)
    Sleep(1);
}

bool isAttach(UINT msg, LPARAM lp) {
  return lp == 1 && ((link.ledAttachMsg && msg == link.ledAttachMsg) ||
                     (link.lightAttachMsg && msg == link.lightAttachMsg));
}

// True while the process exits: every other thread is gone, possibly
// killed inside the window procedure, and the system takes the windows.
bool processExiting() {
  using Query = BOOLEAN(WINAPI *)();
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto query = reinterpret_cast<Query>(reinterpret_cast<void *>(
      ntdll ? GetProcAddress(ntdll, "RtlDllShutdownInProgress") : nullptr));
  return query && query();
}

} // namespace

TalkLink::TalkLink() {
  link.ownerThread = GetCurrentThreadId();
  link.service.store(nullptr);
  link.ledDiscoverMsg =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_DISCOVER");
  link.ledAttachMsg =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_ATTACH");
  link.ledControlMsg = RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API");
  link.lightDiscoverMsg =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API_DISCOVER");
  link.lightAttachMsg =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API_ATTACH");
  link.lightControlMsg =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API");
  link.sendFreed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  LARGE_INTEGER frequency;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
    link.clockFrequency = frequency.QuadPart;
  link.lastLookup.store(GetTickCount() - kLookupIntervalMs);
  // Without a gate the link has no window: a window whose procedure could
  // outlive the library is worse than none, and the service is still found
  // by name.
  link.gate = openProcGate(TalkLink::windowProc);
  HWND own = nullptr;
  if (link.gate) {
    registerClass(link.gate);
    own = createOwnWindow(link.gate);
  }
  link.own.store(own);
  if (own)
    PostMessageW(HWND_BROADCAST, link.ledDiscoverMsg,
                 reinterpret_cast<WPARAM>(own), 0);
  if (!link.service.load())
    link.service.store(FindWindowW(kServiceName, kServiceName));
}

// Windows lets only the owner thread destroy a window.  When the library
// goes on another thread (the last flash thread releasing it), the window
// is orphaned instead: it closes itself the next time the loading thread
// pumps, and the next load of the library takes the class back.  When the
// loading thread has ended, the system took the window with it, and the
// class can go at once.  While the process exits nothing is done: other
// threads were stopped wherever they were, and the system takes windows,
// classes and handles with the process.
TalkLink::~TalkLink() {
  if (processExiting())
    return;
  HWND own = link.own.exchange(nullptr);
  if (own && GetCurrentThreadId() == link.ownerThread) {
    DestroyWindow(own);
    own = nullptr;
  }
  closeGate();
  if (own && IsWindow(own))
    PostMessageW(own, WM_CLOSE, 0, 0);
  else
    UnregisterClassW(kClassName, nullptr);
  if (link.sendFreed)
    CloseHandle(link.sendFreed);
  link.sendFreed = nullptr;
}

bool TalkLink::findService() {
  adoptReplacement();
  HWND known = link.service.load();
  if (known && IsWindow(known))
    return true;
  HWND found = FindWindowW(kServiceName, kServiceName);
  // An attach that arrived meanwhile wins over the lookup.
  if (link.service.compare_exchange_strong(known, found)) {
    link.lost.store(false);
    link.policyStale.store(true);
  }
  HWND now = link.service.load();
  return now && IsWindow(now);
}

bool TalkLink::serviceLost() {
  return !link.service.load() || link.lost.load() || link.replacement.load();
}

bool TalkLink::findLostService() {
  if (adoptReplacement())
    return true;
  DWORD now = GetTickCount();
  if (now - link.lastLookup.load() < kLookupIntervalMs)
    return false;
  link.lastLookup.store(now);
  HWND found = FindWindowW(kServiceName, kServiceName);
  if (!found)
    return false;
  useService(found);
  return true;
}

void TalkLink::setSdkMode(int32_t mode) {
  postToService(link.ledControlMsg, kPerKeyControlSelector,
                static_cast<LPARAM>(mode));
}

void TalkLink::clearKeys() {
  composeAndSend([](LedBitmap &b) { fillBitmap(b, false); });
}

void TalkLink::lightAllKeys() {
  composeAndSend([](LedBitmap &b) { fillBitmap(b, true); });
}

void TalkLink::sendKeys(const KeyFrame &frame) {
  composeAndSend([&frame](LedBitmap &b) { applyFrame(b, frame); });
}

void TalkLink::postLight(uint8_t first, uint8_t second, uint8_t third,
                         uint8_t red, uint8_t green, uint8_t blue) {
  postToService(link.lightControlMsg, packBytes(first, second, third),
                static_cast<LPARAM>(packBytes(red, green, blue)));
}

void TalkLink::restoreLight() {
  postToService(link.lightControlMsg, kRestoreSelector, 0);
}

LRESULT CALLBACK TalkLink::windowProc(HWND wnd, UINT msg, WPARAM wp,
                                      LPARAM lp) {
  if (isAttach(msg, lp)) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): an attach carries the HWND
    useService(reinterpret_cast<HWND>(wp));
    return 0;
  }
  if (msg == WM_COPYDATA && wp == link.ledControlMsg && link.ledControlMsg) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): WM_COPYDATA's lParam
    const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lp);
    if (cds) {
      AcquireSRWLockExclusive(&link.bitmapLock);
      readReport(cds->lpData, cds->cbData, link.held);
      ReleaseSRWLockExclusive(&link.bitmapLock);
    }
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

LedBitmap TalkLink::heldBitmap() {
  AcquireSRWLockExclusive(&link.bitmapLock);
  LedBitmap copy = link.held;
  ReleaseSRWLockExclusive(&link.bitmapLock);
  return copy;
}

HWND TalkLink::ownWindow() { return link.own.load(); }
HWND TalkLink::serviceWindow() { return link.service.load(); }
UINT TalkLink::ledControlId() { return link.ledControlMsg; }

// The library's one link: made while the library attaches, on the loading
// thread, and taken down as it detaches.
static TalkLink theLink;

} // namespace tovrik
