// What the Windows-side test programs, the stand-ins and the preview's
// player share: one clock, one timing loop, one message pump and one way
// to hand a host path to Windows.  Header-only, so a one-file program built for
// the other bitness can include it too.
#ifndef VELQUOR_WIN_SUPPORT_H
#define VELQUOR_WIN_SUPPORT_H

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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

// Microseconds per call of fn() over n calls in a row.  The benchmarks
// alternate rounds of a call and of its floor and keep each one's best, so
// that a busy machine weighs on both alike.
template <typename Fn> double perCall(int n, Fn fn) {
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  for (int i = 0; i < n; i++)
    fn();
  QueryPerformanceCounter(&t1);
  return static_cast<double>(t1.QuadPart - t0.QuadPart) * 1e6 /
         static_cast<double>(f.QuadPart) / n;
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

// A Windows test program's command line: first the host paths of what it
// tests (`usage` names them), then whatever else the program takes, such
// as the cases to run.  Returns the paths as Windows paths and leaves argv
// holding the program's name and the rest; empty, with the usage printed,
// when paths are missing.
inline std::vector<std::string>
takePathArguments(int &argc, char **&argv, int count, const char *usage) {
  if (argc <= count) {
    std::printf("usage: %s %s\n", argv[0], usage);
    return {};
  }
  std::vector<std::string> paths;
  for (int i = 1; i <= count; i++)
    paths.push_back(windowsPath(argv[i]));
  argv[count] = argv[0];
  argv += count;
  argc -= count;
  return paths;
}

#endif
