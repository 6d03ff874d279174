// Threads of the calling process, for Windows test programs that check that
// no thread is left behind (running code of a library that has gone).
#ifndef VELQUOR_PROCESS_THREADS_H
#define VELQUOR_PROCESS_THREADS_H

#include <windows.h>

#include <tlhelp32.h>

inline int threadsOfThisProcess() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE)
    return -1;
  THREADENTRY32 e{};
  e.dwSize = sizeof e;
  int n = 0;
  DWORD self = GetCurrentProcessId();
  for (BOOL more = Thread32First(snap, &e); more; more = Thread32Next(snap, &e))
    n += e.th32OwnerProcessID == self;
  CloseHandle(snap);
  return n;
}

// Waits up to `ms` for the count to come down to `want`; the count reached.
inline int threadsSettleTo(int want, DWORD ms) {
  int n = threadsOfThisProcess();
  for (DWORD waited = 0; n > want && waited < ms; waited += 10) {
    Sleep(10);
    n = threadsOfThisProcess();
  }
  return n;
}

#endif
