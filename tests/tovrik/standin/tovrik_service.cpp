// tovrik_service.exe: a stand-in of the vendor's lighting service for Wine
// tests and the preview.  It owns a top-level window with class and title
// "TOVRIK TALK", runs a message loop and, when TOVRIK_SERVICE_LOG names a
// file, appends "ready" once the window exists and then one line per
// message it receives, "<us> <line>" with the line of talk::describe
// (talk_service.h); <us> is QueryPerformanceCounter in microseconds.
//
// Options: --attach-on-discover  answer each discover with an LED attach.
//
// Tests steer it with the registered message "TOVRIK_TEST_SERVICE_COMMAND"
// (not logged), best sent with SendMessageW so that it is done on return:
//   wParam 1: LED attach to the link window, lParam as given
//   wParam 2: light attach, lParam as given
//   wParam 3: key-bitmap report: lParam bits 0-7 fill byte, 8-15 cbData,
//             bit 16 set: no data pointer
//   wParam 4: while handling each key bitmap, send back a 15-byte report of
//             fill byte lParam before returning (-1: stop)
//   wParam 5: quit
// The link window is the one named by the last discover, or else the first
// message-only window of the link's class.
#include "../../common/win_support.h"
#include "talk_service.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

FILE *logFile;
talk::Ids ids;
UINT command;
HWND discoverer;
bool attachOnDiscover;
int echoFill = -1;

long long nowUs() { return qpcMicros(); }

void logLine(const std::string &text) {
  if (!logFile || text.empty())
    return;
  std::fprintf(logFile, "%lld %s\n", nowUs(), text.c_str());
  std::fflush(logFile);
}

void sendReport(LPARAM request) {
  unsigned char data[256];
  std::memset(data, static_cast<int>(request & 0xFF), sizeof data);
  talk::sendReport(ids, talk::linkWindow(discoverer),
                   (request & 0x10000) ? nullptr : data,
                   static_cast<DWORD>((request >> 8) & 0xFF));
}

LRESULT runCommand(HWND self, WPARAM what, LPARAM arg) {
  switch (what) {
  case 1:
  case 2:
    return SendMessageW(talk::linkWindow(discoverer),
                        what == 1 ? ids.ledAttach : ids.lightAttach,
                        reinterpret_cast<WPARAM>(self), arg);
  case 3:
    sendReport(arg);
    return 0;
  case 4:
    echoFill = static_cast<int>(arg);
    return 0;
  case 5:
    DestroyWindow(self);
    return 0;
  }
  return 0;
}

LRESULT CALLBACK serviceProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == command)
    return runCommand(wnd, wp, lp);
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  logLine(talk::describe(ids, msg, wp, lp));
  if (msg == ids.ledDiscover) {
    discoverer = reinterpret_cast<HWND>(wp);
    if (attachOnDiscover)
      talk::answerDiscover(ids, wnd, discoverer);
  } else if (msg == WM_COPYDATA) {
    if (echoFill >= 0 && wp == ids.ledControl)
      sendReport((15 << 8) | echoFill);
    return TRUE;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace

int main(int argc, char **argv) {
  for (int i = 1; i < argc; i++)
    attachOnDiscover |= std::strcmp(argv[i], "--attach-on-discover") == 0;
  const char *path = std::getenv("TOVRIK_SERVICE_LOG");
  if (path && *path)
    logFile = std::fopen(path, "a");
  ids = talk::registerIds();
  command = RegisterWindowMessageA("TOVRIK_TEST_SERVICE_COMMAND");
  HWND wnd =
      talk::createServiceWindow(serviceProc, WS_OVERLAPPEDWINDOW, 100, 100);
  if (!wnd)
    return 1;
  if (logFile) {
    std::fputs("ready\n", logFile);
    std::fflush(logFile);
  }
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0)
    DispatchMessageW(&m);
  if (logFile)
    std::fclose(logFile);
  return 0;
}
