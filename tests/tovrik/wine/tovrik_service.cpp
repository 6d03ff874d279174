// tovrik_service.exe: a stand-in of the vendor's lighting service for Wine
// tests and the preview.  It owns a top-level window with class and title
// "TOVRIK TALK", runs a message loop and, when TOVRIK_SERVICE_LOG names a
// file, appends one line per message it receives:
//   ready                                  (once the window exists)
//   <us> discover 0x<wParam>
//   <us> led-control <wParam> <lParam>     (decimal)
//   <us> light-control 0x<wParam> 0x<lParam>
//   <us> keys <cbData> <hex of the data>
//   <us> msg 0x<msg> 0x<wParam> 0x<lParam> (any other message from WM_USER)
// <us> is QueryPerformanceCounter in microseconds.  Message parameters are
// logged at their full width, so a 64-bit sender's stray upper bits show.
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
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const wchar_t kName[] = L"TOVRIK TALK";
FILE *logFile;
UINT ledDiscover, ledAttach, ledControl, lightAttach, lightControl, command;
HWND linkWindow;
bool attachOnDiscover;
int echoFill = -1;

long long nowUs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<long long>(c.QuadPart / (f.QuadPart / 1000000.0));
}

void logLine(const char *fmt, ...) {
  if (!logFile)
    return;
  va_list args;
  va_start(args, fmt);
  std::fprintf(logFile, "%lld ", nowUs());
  std::vfprintf(logFile, fmt, args);
  std::fputc('\n', logFile);
  std::fflush(logFile);
  va_end(args);
}

HWND link() {
  if (linkWindow && IsWindow(linkWindow))
    return linkWindow;
  return FindWindowExW(HWND_MESSAGE, nullptr, L"Vesk MK Pro SDK Class",
                       nullptr);
}

void sendReport(HWND self, LPARAM request) {
  unsigned char data[256];
  std::memset(data, static_cast<int>(request & 0xFF), sizeof data);
  COPYDATASTRUCT cds{};
  cds.cbData = static_cast<DWORD>((request >> 8) & 0xFF);
  cds.lpData = (request & 0x10000) ? nullptr : data;
  (void)self;
  SendMessageW(link(), WM_COPYDATA, ledControl, reinterpret_cast<LPARAM>(&cds));
}

void logKeys(const COPYDATASTRUCT *cds) {
  char hex[2 * 256 + 1] = "";
  const auto *p = static_cast<const unsigned char *>(cds->lpData);
  DWORD n = cds->cbData < 256 ? cds->cbData : 256;
  for (DWORD i = 0; p && i < n; i++)
    std::sprintf(hex + 2 * i, "%02x", p[i]);
  logLine("keys %lu %s", static_cast<unsigned long>(cds->cbData), hex);
}

LRESULT runCommand(HWND self, WPARAM what, LPARAM arg) {
  switch (what) {
  case 1:
  case 2:
    return SendMessageW(link(), what == 1 ? ledAttach : lightAttach,
                        reinterpret_cast<WPARAM>(self), arg);
  case 3:
    sendReport(self, arg);
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
  if (msg == ledDiscover) {
    logLine("discover 0x%08llX", static_cast<unsigned long long>(wp));
    linkWindow = reinterpret_cast<HWND>(wp);
    if (attachOnDiscover)
      PostMessageW(linkWindow, ledAttach, reinterpret_cast<WPARAM>(wnd), 1);
  } else if (msg == ledControl) {
    logLine("led-control %llu %lld", static_cast<unsigned long long>(wp),
            static_cast<long long>(lp));
  } else if (msg == lightControl) {
    logLine("light-control 0x%08llX 0x%08llX",
            static_cast<unsigned long long>(wp),
            static_cast<unsigned long long>(lp));
  } else if (msg == WM_COPYDATA) {
    logKeys(reinterpret_cast<const COPYDATASTRUCT *>(lp));
    if (echoFill >= 0 && wp == ledControl)
      sendReport(wnd, (15 << 8) | echoFill);
    return TRUE;
  } else if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  } else if (msg >= WM_USER) {
    logLine("msg 0x%04X 0x%08llX 0x%08llX", msg,
            static_cast<unsigned long long>(wp),
            static_cast<unsigned long long>(lp));
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
  ledDiscover =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_DISCOVER");
  ledAttach = RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_ATTACH");
  ledControl = RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API");
  lightAttach =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API_ATTACH");
  lightControl = RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API");
  command = RegisterWindowMessageA("TOVRIK_TEST_SERVICE_COMMAND");

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = serviceProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kName;
  RegisterClassExW(&wc);
  HWND wnd = CreateWindowExW(0, kName, kName, WS_OVERLAPPEDWINDOW, 0, 0, 100,
                             100, nullptr, nullptr, wc.hInstance, nullptr);
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
