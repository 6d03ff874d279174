// The nineteen exports of UlvoranLedJNI, bound by their exact names from a
// DLL path: decorated stdcall names on 32-bit Windows, plain ones on 64-bit
// Windows and on the host build (where LoadLibraryA is dlopen).
#ifndef ULVORAN_API_H
#define ULVORAN_API_H

#include <windows.h>

#include <jni.h>

namespace ulvoran_api {

#if defined(_WIN32) && !defined(_WIN64)
#define ULVO_EXPORT_NAME(m, n) "_Java_com_ulvoran_gaming_UlvoLED_" #m "@" #n
#else
#define ULVO_EXPORT_NAME(m, n) "Java_com_ulvoran_gaming_UlvoLED_" #m
#endif

typedef jboolean(JNICALL *Fn0)(JNIEnv *, jclass);
typedef jboolean(JNICALL *Fn1)(JNIEnv *, jclass, jint);
typedef jboolean(JNICALL *Fn3)(JNIEnv *, jclass, jint, jint, jint);
typedef jboolean(JNICALL *Fn4)(JNIEnv *, jclass, jint, jint, jint, jint);
typedef jboolean(JNICALL *Fn5)(JNIEnv *, jclass, jint, jint, jint, jint, jint);
typedef jboolean(JNICALL *Fn6)(JNIEnv *, jclass, jint, jint, jint, jint, jint,
                               jint);
typedef jboolean(JNICALL *FnPulseKey)(JNIEnv *, jclass, jint, jint, jint, jint,
                                      jint, jint, jint, jint, jboolean);
typedef jboolean(JNICALL *FnBitmap)(JNIEnv *, jclass, jbyteArray);
typedef void(JNICALL *FnVoid)(JNIEnv *, jclass);

struct Api {
  HMODULE module = nullptr;
  Fn0 UlvoLedInit = nullptr;
  Fn1 UlvoLedSetTargetDevice = nullptr;
  Fn0 UlvoLedSaveCurrentLighting = nullptr;
  Fn3 UlvoLedSetLighting = nullptr;
  Fn0 UlvoLedRestoreLighting = nullptr;
  Fn1 UlvoLedSaveLightingForKey = nullptr;
  Fn1 UlvoLedRestoreLightingForKey = nullptr;
  Fn5 UlvoLedFlashLighting = nullptr;
  Fn5 UlvoLedPulseLighting = nullptr;
  FnBitmap UlvoLedSetLightingFromBitmap = nullptr;
  Fn4 UlvoLedSetLightingForKeyWithScanCode = nullptr;
  Fn4 UlvoLedSetLightingForKeyWithHidCode = nullptr;
  Fn4 UlvoLedSetLightingForKeyWithQuartzCode = nullptr;
  Fn4 UlvoLedSetLightingForKeyWithKeyName = nullptr;
  Fn6 UlvoLedFlashSingleKey = nullptr;
  FnPulseKey UlvoLedPulseSingleKey = nullptr;
  Fn1 UlvoLedStopEffectsOnKey = nullptr;
  Fn0 UlvoLedStopEffects = nullptr;
  FnVoid UlvoLedShutdown = nullptr;

  template <class Fn> bool bind(Fn *slot, const char *name) {
    *slot = reinterpret_cast<Fn>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
    return *slot != nullptr;
  }

  // False unless the DLL loads and every one of the nineteen names is found.
  bool load(const char *dllPath) {
    module = LoadLibraryA(dllPath);
    if (!module)
      return false;
    bool ok = true;
#define ULVO_BIND(m, n) ok = bind(&m, ULVO_EXPORT_NAME(m, n)) && ok
    ULVO_BIND(UlvoLedInit, 8);
    ULVO_BIND(UlvoLedSetTargetDevice, 12);
    ULVO_BIND(UlvoLedSaveCurrentLighting, 8);
    ULVO_BIND(UlvoLedSetLighting, 20);
    ULVO_BIND(UlvoLedRestoreLighting, 8);
    ULVO_BIND(UlvoLedSaveLightingForKey, 12);
    ULVO_BIND(UlvoLedRestoreLightingForKey, 12);
    ULVO_BIND(UlvoLedFlashLighting, 28);
    ULVO_BIND(UlvoLedPulseLighting, 28);
    ULVO_BIND(UlvoLedSetLightingFromBitmap, 12);
    ULVO_BIND(UlvoLedSetLightingForKeyWithScanCode, 24);
    ULVO_BIND(UlvoLedSetLightingForKeyWithHidCode, 24);
    ULVO_BIND(UlvoLedSetLightingForKeyWithQuartzCode, 24);
    ULVO_BIND(UlvoLedSetLightingForKeyWithKeyName, 24);
    ULVO_BIND(UlvoLedFlashSingleKey, 32);
    ULVO_BIND(UlvoLedPulseSingleKey, 44);
    ULVO_BIND(UlvoLedStopEffectsOnKey, 12);
    ULVO_BIND(UlvoLedStopEffects, 8);
    ULVO_BIND(UlvoLedShutdown, 8);
#undef ULVO_BIND
    return ok;
  }
};

} // namespace ulvoran_api

#endif
