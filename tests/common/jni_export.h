// Binds the JNI exports of a loaded library by the names the linker gave
// them: on 32-bit Windows the stdcall form _Java_..._method@N, elsewhere the
// plain Java_..._method.  For Windows test programs and tools, and for host
// tests that load a library by path (LoadLibraryA is dlopen there).
#ifndef VELQUOR_JNI_EXPORT_H
#define VELQUOR_JNI_EXPORT_H

#include <windows.h>

#include <cstdio>

#include "jni_methods.h"

// The bytes a stdcall function of this type pops: every argument takes a
// whole number of 4-byte slots.
template <class Fn> struct StackBytes;
template <class R, class... A> struct StackBytes<R(A...)> {
  static constexpr int value =
      (0 + ... + static_cast<int>((sizeof(A) + 3) / 4 * 4));
};

template <typename Fn>
bool bindJniExport(HMODULE module, Fn &fn, const char *prefix,
                   const char *method, int argBytes) {
  char name[160];
#if defined(_WIN32) && !defined(_WIN64)
  std::snprintf(name, sizeof name, "_%s%s@%d", prefix, method, argBytes);
#else
  (void)argBytes;
  std::snprintf(name, sizeof name, "%s%s", prefix, method);
#endif
  fn = reinterpret_cast<Fn>(
      reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
  return fn != nullptr;
}

#define VELQUOR_JNI_FIELD(ret, name, params)                                   \
  ret(JNICALL *name) params = nullptr;
#define VELQUOR_JNI_BIND(ret, name, params)                                    \
  ok = bindJniExport(module, name, kPrefix, #name,                             \
                     StackBytes<ret params>::value) &&                         \
       ok;

// A struct `Type` holding one pointer per method of LIST (jni_methods.h),
// named as the method, and load(dllPath): true only when the library loads
// and every export is found; otherwise nothing is kept.
#define VELQUOR_JNI_API(Type, PREFIX, LIST)                                    \
  struct Type {                                                                \
    static constexpr const char *kPrefix = PREFIX;                             \
    HMODULE module = nullptr;                                                  \
    LIST(VELQUOR_JNI_FIELD)                                                    \
    bool load(const char *dllPath) {                                           \
      module = LoadLibraryA(dllPath);                                          \
      if (!module)                                                             \
        return false;                                                          \
      bool ok = true;                                                          \
      LIST(VELQUOR_JNI_BIND)                                                   \
      if (!ok)                                                                 \
        unload();                                                              \
      return ok;                                                               \
    }                                                                          \
    void unload() {                                                            \
      if (module)                                                              \
        FreeLibrary(module);                                                   \
      *this = Type{};                                                          \
    }                                                                          \
  }

#endif
