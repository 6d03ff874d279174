// Starts and steers tovrik_service.exe from a Windows test program, and
// reads back what it logged.  The calling thread keeps pumping its messages
// while it waits, because the service's attach messages and reports are
// sent to the link window that this thread owns.
#ifndef TOVRIK_SERVICE_PROCESS_H
#define TOVRIK_SERVICE_PROCESS_H

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win_support.h"

struct LogLine {
  long long us = 0;
  std::string kind; // discover, led-control, light-control, keys, msg, ready
  std::string rest;
};

inline void pumpFor(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  do {
    pumpPendingMessages();
    Sleep(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

class ServiceProcess {
public:
  static UINT command() {
    return RegisterWindowMessageA("TOVRIK_TEST_SERVICE_COMMAND");
  }

  bool start(const std::string &exe, const char *extraArgs = "") {
    static int serial = 0;
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    char name[MAX_PATH + 64];
    std::snprintf(name, sizeof name, "%stovrik-svc-%lu-%d.log", dir,
                  GetCurrentProcessId(), ++serial);
    log_ = name;
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("TOVRIK_SERVICE_LOG", log_.c_str());
    std::string cmd = "\"" + exe + "\" " + extraArgs;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi_)) {
      std::printf("  cannot start %s: error %lu\n", exe.c_str(),
                  GetLastError());
      return false;
    }
    for (int i = 0; i < 3000 && !window_; i++) {
      pumpFor(5);
      if (!lines().empty())
        window_ = findOwnWindow();
    }
    if (!window_)
      std::printf("  %s showed no window (%d log lines)\n", exe.c_str(),
                  static_cast<int>(lines().size()));
    return window_ != nullptr;
  }

  void stop() {
    if (!pi_.hProcess)
      return;
    PostMessageW(window_, command(), 5, 0);
    for (int i = 0; i < 1000; i++) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0)
        break;
      pumpFor(5);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = PROCESS_INFORMATION{};
    window_ = nullptr;
  }

  ~ServiceProcess() { stop(); }

  HWND window() const { return window_; }

  // Runs a command on the service and returns once it is done.
  LRESULT run(WPARAM what, LPARAM arg) {
    return SendMessageW(window_, command(), what, arg);
  }

  // The service takes no message for `ms` from about now.
  void hang(DWORD ms) {
    PostMessageW(window_, command(), 6, static_cast<LPARAM>(ms));
    pumpFor(30);
  }

  std::vector<LogLine> lines() const {
    std::vector<LogLine> out;
    FILE *f = std::fopen(log_.c_str(), "r");
    if (!f)
      return out;
    char buf[1024];
    while (std::fgets(buf, sizeof buf, f)) {
      LogLine l;
      char kind[32] = "";
      int used = 0;
      if (std::strncmp(buf, "ready", 5) == 0) {
        l.kind = "ready";
      } else if (std::sscanf(buf, "%lld %31s %n", &l.us, kind, &used) >= 2) {
        l.kind = kind;
        l.rest = buf + used;
        while (!l.rest.empty() &&
               (l.rest.back() == '\n' || l.rest.back() == '\r'))
          l.rest.pop_back();
      }
      out.push_back(l);
    }
    std::fclose(f);
    return out;
  }

  std::vector<LogLine> of(const char *kind) const {
    std::vector<LogLine> out;
    for (const LogLine &l : lines())
      if (l.kind == kind)
        out.push_back(l);
    return out;
  }

  // Waits until `n` lines of `kind` are in, then a little longer so that
  // lines that should not come have had their chance.
  std::vector<LogLine> waitFor(const char *kind, size_t n,
                               DWORD settleMs = 60) const {
    for (int i = 0; i < 1000 && of(kind).size() < n; i++)
      pumpFor(5);
    pumpFor(settleMs);
    return of(kind);
  }

  size_t count() const { return lines().size(); }

private:
  HWND findOwnWindow() {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"TOVRIK TALK", L"TOVRIK TALK"))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == pi_.dwProcessId)
        return w;
    }
    return nullptr;
  }

  std::string log_;
  PROCESS_INFORMATION pi_{};
  HWND window_ = nullptr;
};

#endif
