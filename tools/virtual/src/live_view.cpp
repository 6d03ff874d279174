#include "live_view.h"

#include "canvas.h"

#include <windows.h>

#include <string>

namespace virtualkb {

namespace {

constexpr UINT kChanged = WM_APP + 1;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
const wchar_t kClass[] = L"Virtual keyboard view";

// What the calling threads share with the window's thread.  `current` is
// the window that shows the picture; `wanted` is false from a close until
// the next open, so a window whose thread starts late closes itself.
struct Shared {
  CRITICAL_SECTION lock;
  HWND current = nullptr;
  bool wanted = false;
  std::wstring title;
  DrawFn draw = nullptr;
  std::string shotName;
  Shared() { InitializeCriticalSection(&lock); }
};

Shared shared;

struct Window {
  Canvas canvas;
  DrawFn draw = nullptr;
  bool stale = true;
};

void redraw(HWND wnd, Window *win) {
  preview::Image img = win->draw();
  bool resized =
      img.width != win->canvas.width || img.height != win->canvas.height;
  if (!canvasShow(&win->canvas, img))
    return;
  if (resized) {
    SIZE s = windowSizeFor(win->canvas, kStyle, false);
    SetWindowPos(wnd, nullptr, 0, 0, s.cx, s.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  canvasShot(&win->canvas);
}

LRESULT CALLBACK viewProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  // The window's own record, set at WM_NCCREATE (null before it).
  // NOLINTNEXTLINE(performance-no-int-to-ptr): window data is an integer
  auto *win = reinterpret_cast<Window *>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  switch (msg) {
  case WM_NCCREATE: {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the message's pointer
    auto *cs = reinterpret_cast<CREATESTRUCTW *>(lp);
    SetWindowLongPtrW(wnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    break;
  }
  case kChanged:
    win->stale = true;
    InvalidateRect(wnd, nullptr, FALSE);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    if (win->stale)
      redraw(wnd, win);
    win->stale = false;
    canvasPaint(win->canvas, dc);
    EndPaint(wnd, &ps);
    return 0;
  }
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

// Creates the window; null when another one already shows the picture or
// the library was closed meanwhile.
HWND createView(HMODULE self, Window *win) {
  EnterCriticalSection(&shared.lock);
  std::wstring title = shared.title;
  win->draw = shared.draw;
  std::string shotName = shared.shotName;
  LeaveCriticalSection(&shared.lock);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = viewProc;
  wc.hInstance = self;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
  wc.lpszClassName = kClass;
  RegisterClassExW(&wc); // fails harmlessly when already registered
  canvasWantShots(&win->canvas, shotName.c_str());
  canvasShow(&win->canvas, win->draw());
  SIZE s = windowSizeFor(win->canvas, kStyle, false);
  HWND wnd =
      CreateWindowExW(0, kClass, title.c_str(), kStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, s.cx, s.cy, nullptr, nullptr, self, win);
  EnterCriticalSection(&shared.lock);
  bool keep = wnd && shared.wanted && !shared.current;
  if (keep)
    shared.current = wnd;
  LeaveCriticalSection(&shared.lock);
  if (wnd && !keep) {
    DestroyWindow(wnd);
    wnd = nullptr;
  }
  return wnd;
}

DWORD WINAPI viewThread(void *param) {
  auto self = static_cast<HMODULE>(param);
  Window win;
  HWND wnd = createView(self, &win);
  if (wnd) {
    // Shown without taking the focus from the game.
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    EnterCriticalSection(&shared.lock);
    if (shared.current == wnd)
      shared.current = nullptr;
    LeaveCriticalSection(&shared.lock);
  }
  canvasFree(&win.canvas);
  FreeLibraryAndExitThread(self, 0);
  return 0;
}

} // namespace

void liveViewOpen(const wchar_t *title, DrawFn draw, const char *shotName) {
  EnterCriticalSection(&shared.lock);
  shared.wanted = true;
  bool open = shared.current != nullptr;
  shared.title = title;
  shared.draw = draw;
  shared.shotName = shotName;
  LeaveCriticalSection(&shared.lock);
  if (open)
    return;
  // A reference of the window's own to this library (see the header).
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&liveViewOpen), &self))
    return;
  HANDLE thread = CreateThread(nullptr, 0, viewThread, self, 0, nullptr);
  if (thread)
    CloseHandle(thread);
  else
    FreeLibrary(self);
}

void liveViewChanged() {
  EnterCriticalSection(&shared.lock);
  HWND wnd = shared.current;
  LeaveCriticalSection(&shared.lock);
  if (wnd)
    PostMessageW(wnd, kChanged, 0, 0);
}

void liveViewClose() {
  EnterCriticalSection(&shared.lock);
  shared.wanted = false;
  HWND wnd = shared.current;
  shared.current = nullptr;
  LeaveCriticalSection(&shared.lock);
  if (wnd)
    PostMessageW(wnd, WM_CLOSE, 0, 0);
}

} // namespace virtualkb
