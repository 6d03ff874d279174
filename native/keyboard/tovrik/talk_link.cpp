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
#include "talk_link.h"

#include <atomic>

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
  std::atomic<HWND> own{nullptr};
  DWORD ownerThread = 0;
  LedBitmap held{};
  SRWLOCK bitmapLock = SRWLOCK_INIT;
  SRWLOCK sendLock = SRWLOCK_INIT;
  // Threads inside windowProc: the library must not go while one is.
  std::atomic<int> inWindowProc{0};
};

LinkState link;

void enterSendLock() {
  if (TryAcquireSRWLockExclusive(&link.sendLock))
    return;
  if (GetCurrentThreadId() != link.ownerThread) {
    AcquireSRWLockExclusive(&link.sendLock);
    return;
  }
  while (!TryAcquireSRWLockExclusive(&link.sendLock)) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(1);
  }
}

void sendPayload(HWND to, const KeyBitmapPayload &payload) {
  COPYDATASTRUCT cds{};
  cds.dwData = 0;
  cds.cbData = sizeof payload.bytes;
  cds.lpData = const_cast<uint8_t *>(payload.bytes);
  SendMessageW(to, WM_COPYDATA, link.ledControlMsg,
               reinterpret_cast<LPARAM>(&cds));
}

// Composes under the bitmap lock and sends outside it, in send order.
template <typename Compose> void composeAndSend(Compose compose) {
  HWND to = link.service.load();
  if (!to)
    return;
  enterSendLock();
  AcquireSRWLockExclusive(&link.bitmapLock);
  compose(link.held);
  KeyBitmapPayload payload = makePayload(link.held);
  ReleaseSRWLockExclusive(&link.bitmapLock);
  sendPayload(to, payload);
  ReleaseSRWLockExclusive(&link.sendLock);
}

void postToService(UINT msg, WPARAM wp, LPARAM lp) {
  HWND to = link.service.load();
  if (to)
    PostMessageW(to, msg, wp, lp);
}

void registerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW;
  wc.lpfnWndProc = TalkLink::windowProc;
  wc.lpszClassName = kClassName;
  if (RegisterClassExW(&wc))
    return;
  // Left by an earlier copy of this library that was unloaded on another
  // thread; its procedure was reset to the default one, so it can go.
  UnregisterClassW(kClassName, nullptr);
  RegisterClassExW(&wc);
}

HWND createOwnWindow() {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): HWND_MESSAGE is an integer
  const HWND messageOnly = HWND_MESSAGE;
  HWND wnd = CreateWindowExW(
      0, kClassName, kWindowName, WS_DISABLED, CW_USEDEFAULT, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, messageOnly, nullptr, nullptr, nullptr);
  // Whatever class the window came from, its messages come here.
  if (wnd)
    SetWindowLongPtrW(wnd, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(TalkLink::windowProc));
  return wnd;
}

void waitUntilNoWindowProc() {
  while (link.inWindowProc.load() != 0)
    Sleep(1);
}

// The library goes on a thread other than the loading one, which may at
// this moment be inside windowProc handling a report or an attach.  The
// window and its class get the default procedure, so no new call can start
// here, and the library lets go only once every running call has left.
// The pause catches a call the window system had already routed here just
// before the swap.
void orphanWindow(HWND wnd) {
  waitUntilNoWindowProc();
  auto def = reinterpret_cast<LONG_PTR>(DefWindowProcW);
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, def);
  SetClassLongPtrW(wnd, GCLP_WNDPROC, def);
  Sleep(1);
  waitUntilNoWindowProc();
  PostMessageW(wnd, WM_CLOSE, 0, 0);
}

struct WindowProcEntry {
  WindowProcEntry() { link.inWindowProc.fetch_add(1); }
  ~WindowProcEntry() { link.inWindowProc.fetch_sub(1); }
  WindowProcEntry(const WindowProcEntry &) = delete;
  WindowProcEntry &operator=(const WindowProcEntry &) = delete;
};

bool isAttach(UINT msg, LPARAM lp) {
  return lp == 1 && ((link.ledAttachMsg && msg == link.ledAttachMsg) ||
                     (link.lightAttachMsg && msg == link.lightAttachMsg));
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
  registerClass();
  HWND own = createOwnWindow();
  link.own.store(own);
  if (own)
    PostMessageW(HWND_BROADCAST, link.ledDiscoverMsg,
                 reinterpret_cast<WPARAM>(own), 0);
  if (!link.service.load())
    link.service.store(FindWindowW(kServiceName, kServiceName));
}

// Windows lets only the owner thread destroy a window.  When the library
// goes on another thread (the last flash thread releasing it), the window
// is orphaned instead and closes itself the next time the loading thread
// pumps; the next load of the library takes the class back.
TalkLink::~TalkLink() {
  HWND own = link.own.exchange(nullptr);
  if (own && GetCurrentThreadId() == link.ownerThread) {
    DestroyWindow(own);
    UnregisterClassW(kClassName, nullptr);
  } else if (own) {
    orphanWindow(own);
  } else {
    UnregisterClassW(kClassName, nullptr);
  }
}

bool TalkLink::findService() {
  HWND known = link.service.load();
  if (known && IsWindow(known))
    return true;
  HWND found = FindWindowW(kServiceName, kServiceName);
  // An attach that arrived meanwhile wins over the lookup.
  link.service.compare_exchange_strong(known, found);
  HWND now = link.service.load();
  return now && IsWindow(now);
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
  WindowProcEntry entry;
  if (isAttach(msg, lp)) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): an attach carries the HWND
    link.service.store(reinterpret_cast<HWND>(wp));
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
