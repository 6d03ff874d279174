// Finds a JNI export of a loaded DLL by the name the linker gave it: on
// 32-bit Windows the stdcall form _Java_..._method@N, on 64-bit the plain
// Java_..._method.  For Windows test programs and tools.
#ifndef VELQUOR_JNI_EXPORT_H
#define VELQUOR_JNI_EXPORT_H

#include <windows.h>

template <typename Fn>
bool bindJniExport(HMODULE module, Fn &fn, const char *prefix,
                   const char *method, int argBytes) {
  char name[160];
#ifdef _WIN64
  (void)argBytes;
  wsprintfA(name, "%s%s", prefix, method);
#else
  wsprintfA(name, "_%s%s@%d", prefix, method, argBytes);
#endif
  fn = reinterpret_cast<Fn>(
      reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
  return fn != nullptr;
}

// QueryPerformanceCounter in microseconds: one clock for every process of
// the machine, so stamps from a test and a stand-in service compare.
inline double qpcMicroseconds() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1e6 /
         static_cast<double>(f.QuadPart);
}

#endif
