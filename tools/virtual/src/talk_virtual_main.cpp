// TovrikTalkVirtual.exe: a virtual lighting service.  Its window has the
// class and title "TOVRIK TALK", so the Tovrik library finds it as it finds
// the vendor's service, and it speaks the protocol through the stand-in's
// own code (tests/tovrik/standin/talk_service.h): it answers the discover
// broadcast with an attach, follows per-key control, the colour posts and
// the restore, takes key bitmaps, and draws the keyboard as the preview does.
// The Report menu, or the keys A and N, send a key-bitmap report back: every
// key lit, or none.
#include "canvas.h"
#include "logs.h"
#include "talk_service.h"
#include "tovrik.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr UINT_PTR kReportAllLit = 101, kReportNoneLit = 102;

struct Service {
  talk::Ids ids{};
  HWND discoverer = nullptr; // the link window of the last discover
  preview::TovrikState state;
  std::string note = "waiting for the game";
  int bitmaps = 0;
  virtualkb::Canvas canvas;
  bool stale = true;
};

Service svc;

std::string statusLine() {
  return std::string("per-key control ") + (svc.state.sdkMode ? "on" : "off") +
         "   colour " + preview::rgbHex(svc.state.colour, true) + "   " +
         std::to_string(svc.bitmaps) + " key bitmaps received";
}

preview::Image drawBoard() {
  return preview::drawTovrikBoard(svc.state, svc.note, statusLine());
}

void changed(HWND wnd) {
  svc.stale = true;
  InvalidateRect(wnd, nullptr, FALSE);
}

// A message from the link, as the stand-in logs it, applied to the board
// the way the preview reads the stand-in's log.
void heard(HWND wnd, const std::string &line) {
  preview::LogLine parsed;
  if (!preview::parseLogLine(line, &parsed))
    return;
  std::string note;
  preview::applyTovrikLine(parsed, &svc.state, &note);
  if (parsed.words[0] == "keys")
    svc.bitmaps++;
  else if (!note.empty())
    svc.note = note;
  changed(wnd);
}

void report(HWND wnd, uint8_t fill) {
  HWND link = talk::linkWindow(svc.discoverer);
  if (!link) {
    svc.note = "no game to report to";
    changed(wnd);
    return;
  }
  uint8_t payload[20] = {}; // the link's own layout: 15 bitmap bytes, 5 zero
  std::memset(payload, fill, talk::kBitmapBytes);
  talk::sendReport(svc.ids, link, payload, sizeof payload);
  std::memcpy(svc.state.bitmap, payload, talk::kBitmapBytes);
  svc.note = fill ? "reported: every key lit" : "reported: no key lit";
  changed(wnd);
}

void paint(HWND wnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  if (svc.stale) {
    virtualkb::canvasShow(&svc.canvas, drawBoard());
    virtualkb::canvasShot(&svc.canvas);
    svc.stale = false;
  }
  virtualkb::canvasPaint(svc.canvas, dc);
  EndPaint(wnd, &ps);
}

LRESULT CALLBACK serviceProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == svc.ids.ledDiscover) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a window handle as wParam
    svc.discoverer = reinterpret_cast<HWND>(wp);
    talk::answerDiscover(svc.ids, wnd, svc.discoverer);
    svc.note = "a game discovered the service";
    changed(wnd);
    return 0;
  }
  if (msg == svc.ids.ledControl || msg == svc.ids.lightControl ||
      msg == WM_COPYDATA) {
    heard(wnd, talk::describe(svc.ids, msg, wp, lp));
    return msg == WM_COPYDATA ? TRUE : 0;
  }
  switch (msg) {
  case WM_COMMAND:
    if (LOWORD(wp) == kReportAllLit || LOWORD(wp) == kReportNoneLit)
      report(wnd, LOWORD(wp) == kReportAllLit ? 0xFF : 0x00);
    return 0;
  case WM_KEYDOWN:
    if (wp == 'A' || wp == 'N')
      report(wnd, wp == 'A' ? 0xFF : 0x00);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    paint(wnd);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

HMENU reportMenu() {
  HMENU items = CreatePopupMenu();
  AppendMenuW(items, MF_STRING, kReportAllLit,
              L"Report every key &lit to the game\tA");
  AppendMenuW(items, MF_STRING, kReportNoneLit,
              L"Report &no key lit to the game\tN");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), L"&Report");
  return bar;
}

} // namespace

int main() {
  svc.ids = talk::registerIds();
  virtualkb::canvasWantShots(&svc.canvas, "tovrik");
  virtualkb::canvasShow(&svc.canvas, drawBoard());
  SIZE s = virtualkb::windowSizeFor(svc.canvas, kStyle, true);
  HWND wnd =
      talk::createServiceWindow(serviceProc, kStyle, s.cx, s.cy, reportMenu());
  if (!wnd) {
    MessageBoxW(nullptr, L"The window could not be made.", L"TOVRIK TALK",
                MB_ICONERROR);
    return 1;
  }
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  virtualkb::canvasFree(&svc.canvas);
  return 0;
}
