#include "platform.h"

#include <cstdio>

namespace preview {

namespace {

constexpr int64_t kMicrosPerMs = 1000;

} // namespace

void pumpMessagesUntil(int64_t us) {
  for (;;) {
    pumpPendingMessages();
    int64_t left = us - qpcMicros();
    if (left <= 0)
      return;
    // Wakes for any message; otherwise sleeps to within a millisecond.
    MsgWaitForMultipleObjects(0, nullptr, FALSE,
                              static_cast<DWORD>(left / kMicrosPerMs),
                              QS_ALLINPUT);
    if (left < kMicrosPerMs) {
      while (qpcMicros() < us)
        Sleep(0);
      return;
    }
  }
}

namespace {

// The service gets this long to open its window, looked for every poll;
// and this long to close when asked before it is ended.
constexpr int kServiceStartMs = 30000;
constexpr DWORD kServicePollMs = 10;
constexpr DWORD kServiceStopMs = 3000;

HWND serviceWindow() { return FindWindowW(L"TOVRIK TALK", L"TOVRIK TALK"); }

bool startServiceOnce(const std::string &exe, ServiceProcess *s) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &s->pi)) {
    std::fprintf(stderr, "player: cannot start %s: error %lu\n", exe.c_str(),
                 GetLastError());
    return false;
  }
  s->running = true;
  for (int waited = 0; waited < kServiceStartMs; waited += kServicePollMs) {
    if (serviceWindow())
      return true;
    if (WaitForSingleObject(s->pi.hProcess, kServicePollMs) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(s->pi.hProcess, &code);
      std::fprintf(stderr, "player: the service ended with code %lu\n", code);
      break;
    }
  }
  stopService(s);
  return false;
}

} // namespace

// Tried twice: no library is loaded yet, so a second start hides nothing of
// theirs, and one failed process start under Wine on a busy machine does
// not end the whole run.
bool startService(const std::string &exe, ServiceProcess *s) {
  return startServiceOnce(exe, s) || startServiceOnce(exe, s);
}

void stopService(ServiceProcess *s) {
  if (!s->running)
    return;
  HWND w = serviceWindow();
  if (w)
    PostMessageW(w, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(s->pi.hProcess, kServiceStopMs) != WAIT_OBJECT_0)
    TerminateProcess(s->pi.hProcess, 0);
  CloseHandle(s->pi.hThread);
  CloseHandle(s->pi.hProcess);
  s->running = false;
}

} // namespace preview
