#include "tovrik_service.h"

#include <cstring>

namespace standin {
namespace {

// The service of the window the calling thread is handling: each service
// window has a thread of its own.
thread_local Service *current = nullptr;

// Creation and destruction (WM_CREATE, WM_NCCREATE, WM_CLOSE, WM_DESTROY,
// WM_NCDESTROY): the window's own life, not something the link said.
bool ownLife(UINT msg) {
  return msg == 0x0001 || msg == 0x0081 || msg == WM_CLOSE ||
         msg == WM_DESTROY || msg == 0x0082;
}

// A key bitmap from the link; the echo or report goes back before the
// link's send returns, as a service that reports while it draws does, and
// a slow service takes its time first.
LRESULT keyBitmap(Service &s, WPARAM wp, LPARAM lp) {
  if (wp != s.ids.ledControl)
    return TRUE;
  if (s.bitmapMs)
    Sleep(s.bitmapMs);
  HWND to = s.echoTo ? s.echoTo : linkOf(s);
  if (!s.echo.empty())
    talk::sendData(to, s.ids.ledControl, s.echo.data(),
                   static_cast<DWORD>(s.echo.size()));
  // NOLINTNEXTLINE(performance-no-int-to-ptr): WM_COPYDATA's lParam
  const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lp);
  if (s.reportEach && cds && cds->lpData && cds->cbData >= talk::kBitmapBytes) {
    uint8_t bytes[talk::kBitmapBytes];
    std::memcpy(bytes, cds->lpData, sizeof bytes);
    talk::sendReport(s.ids, to, bytes, sizeof bytes);
  }
  return TRUE;
}

LRESULT CALLBACK serviceProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Service &s = *current;
  LRESULT result = 0;
  if (serviceCommand(s, msg, wp, lp, &result))
    return result;
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (!ownLife(msg))
    serviceHeard(s, msg, wp, lp);
  if (msg == s.ids.ledDiscover) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a discover carries the HWND
    s.discoverer = reinterpret_cast<HWND>(wp);
    if (s.attachOnDiscover)
      talk::answerDiscover(s.ids, wnd, s.discoverer);
  } else if (msg == WM_COPYDATA) {
    return keyBitmap(s, wp, lp);
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace

HWND openService(Service &s, DWORD style, int width, int height) {
  current = &s;
  s.ids = talk::registerIds();
  s.window = talk::createServiceWindow(serviceProc, style, width, height);
  return s.window;
}

void runService() {
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0)
    DispatchMessageW(&m);
}

HWND linkOf(const Service &s) { return talk::linkWindow(s.discoverer); }

LRESULT attach(const Service &s, HWND link, UINT msg, LPARAM lp, bool send) {
  auto self = reinterpret_cast<WPARAM>(s.window);
  if (send)
    return SendMessageW(link, msg, self, lp);
  PostMessageW(link, msg, self, lp);
  return 0;
}

} // namespace standin
