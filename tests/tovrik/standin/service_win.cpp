// tovrik_service.exe: a stand-in of the vendor's lighting service for Wine
// tests and the preview.  It owns a top-level window with class and title
// "TOVRIK TALK", runs a message loop and, when TOVRIK_SERVICE_LOG names a
// file, appends "ready" once the window exists and then one line per
// message it receives, "<us> <line>" with the line of talk::describe
// (talk_service.h); <us> is QueryPerformanceCounter in microseconds.
//
// Options: --attach-on-discover  answer each discover with an LED attach.
//          --report-each-bitmap  answer each key bitmap with a report of
//                                its 15 bytes, sent to the link window and
//                                waited for before the bitmap's send returns
//          --bitmap-ms N         take N ms over each key bitmap
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
//   wParam 6: take no message for lParam ms, as a hung service (post it)
//   wParam 7: take lParam ms over each key bitmap from now on (0: none)
//   wParam 8: --report-each-bitmap from now on when lParam is 1, else not
// The link window is the one named by the last discover, or else the first
// message-only window of the link's class.
#include "../../common/win_support.h"
#include "tovrik_service.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

FILE *logFile;
UINT command;

void logLine(const std::string &text) {
  if (!logFile || text.empty())
    return;
  std::fprintf(logFile, "%lld %s\n", static_cast<long long>(qpcMicros()),
               text.c_str());
  std::fflush(logFile);
}

void sendReport(const standin::Service &s, LPARAM request) {
  unsigned char data[256];
  std::memset(data, static_cast<int>(request & 0xFF), sizeof data);
  talk::sendReport(s.ids, standin::linkOf(s),
                   (request & 0x10000) ? nullptr : data,
                   static_cast<DWORD>((request >> 8) & 0xFF));
}

LRESULT runCommand(standin::Service &s, WPARAM what, LPARAM arg) {
  switch (what) {
  case 1:
  case 2:
    return standin::attach(s, standin::linkOf(s),
                           what == 1 ? s.ids.ledAttach : s.ids.lightAttach, arg,
                           true);
  case 3:
    sendReport(s, arg);
    return 0;
  case 4:
    s.echo.assign(static_cast<int>(arg) >= 0 ? 15 : 0,
                  static_cast<uint8_t>(arg & 0xFF));
    return 0;
  case 5:
    DestroyWindow(s.window);
    return 0;
  case 6:
    Sleep(static_cast<DWORD>(arg));
    return 0;
  case 7:
    s.bitmapMs = static_cast<DWORD>(arg);
    return 0;
  case 8:
    s.reportEach = arg == 1;
    return 0;
  }
  return 0;
}

} // namespace

namespace standin {

bool serviceCommand(Service &s, UINT msg, WPARAM wp, LPARAM lp,
                    LRESULT *result) {
  if (msg != command)
    return false;
  *result = runCommand(s, wp, lp);
  return true;
}

void serviceHeard(Service &s, UINT msg, WPARAM wp, LPARAM lp) {
  logLine(talk::describe(s.ids, msg, wp, lp));
}

} // namespace standin

int main(int argc, char **argv) {
  standin::Service service;
  for (int i = 1; i < argc; i++) {
    service.attachOnDiscover |=
        std::strcmp(argv[i], "--attach-on-discover") == 0;
    service.reportEach |= std::strcmp(argv[i], "--report-each-bitmap") == 0;
    if (std::strcmp(argv[i], "--bitmap-ms") == 0 && i + 1 < argc)
      service.bitmapMs = static_cast<DWORD>(std::atoi(argv[++i]));
  }
  const char *path = std::getenv("TOVRIK_SERVICE_LOG");
  if (path && *path)
    logFile = std::fopen(path, "a");
  command = RegisterWindowMessageA("TOVRIK_TEST_SERVICE_COMMAND");
  if (!standin::openService(service, WS_OVERLAPPEDWINDOW, 100, 100)) {
    std::fprintf(stderr, "tovrik_service: no window: error %lu\n",
                 GetLastError());
    return 1;
  }
  if (logFile) {
    std::fputs("ready\n", logFile);
    std::fflush(logFile);
  }
  standin::runService();
  if (logFile)
    std::fclose(logFile);
  return 0;
}
