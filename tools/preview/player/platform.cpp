#include "platform.h"

namespace preview {

void pumpMessagesUntil(int64_t us) {
  for (;;) {
    pumpPendingMessages();
    int64_t left = us - qpcMicros();
    if (left <= 0)
      return;
    // Wakes for any message; otherwise sleeps to within a millisecond.
    MsgWaitForMultipleObjects(0, nullptr, FALSE,
                              static_cast<DWORD>(left / 1000), QS_ALLINPUT);
    if (left < 1000) {
      while (qpcMicros() < us)
        Sleep(0);
      return;
    }
  }
}

namespace {

HWND serviceWindow() { return FindWindowW(L"TOVRIK TALK", L"TOVRIK TALK"); }

} // namespace

bool startService(const std::string &exe, ServiceProcess *s) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &s->pi))
    return false;
  s->running = true;
  for (int i = 0; i < 3000; i++) {
    if (serviceWindow())
      return true;
    if (WaitForSingleObject(s->pi.hProcess, 10) == WAIT_OBJECT_0)
      break;
  }
  stopService(s);
  return false;
}

void stopService(ServiceProcess *s) {
  if (!s->running)
    return;
  HWND w = serviceWindow();
  if (w)
    PostMessageW(w, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(s->pi.hProcess, 3000) != WAIT_OBJECT_0)
    TerminateProcess(s->pi.hProcess, 0);
  CloseHandle(s->pi.hThread);
  CloseHandle(s->pi.hProcess);
  s->running = false;
}

} // namespace preview
