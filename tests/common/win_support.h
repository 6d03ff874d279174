// What the Windows-side test programs, the stand-ins and the preview's
// player share: one clock, one message pump and one way to hand a host
// path to Windows.  Header-only, so a one-file program built for the other
// bitness can include it too.
#ifndef VELQUOR_WIN_SUPPORT_H
#define VELQUOR_WIN_SUPPORT_H

#include <windows.h>

#include <cstdint>
#include <string>

// QueryPerformanceCounter in microseconds: system-wide under Wine, so stamps
// from a test, a stand-in and the player compare.  Split into whole seconds
// and the rest so that the product never overflows.
inline int64_t qpcMicros() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return c.QuadPart / f.QuadPart * 1000000 +
         c.QuadPart % f.QuadPart * 1000000 / f.QuadPart;
}

// Dispatches every message waiting for this thread, sent or posted.
inline void pumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// "/work/x/y.dll" becomes "Z:\work\x\y.dll" (Wine maps Z: to the host's
// root); a Windows path stays as it is, but for its separators.
inline std::string windowsPath(const std::string &path) {
  std::string w = !path.empty() && path[0] == '/' ? "Z:" + path : path;
  for (char &c : w)
    if (c == '/')
      c = '\\';
  return w;
}

#endif
