// The LED engine table: the engine's nineteen entry points, bound by
// UlvoLedInit and read by the forwarding methods.
#ifndef ULVORAN_LED_ENGINE_H
#define ULVORAN_LED_ENGINE_H

#include <windows.h>

#include <stdint.h>

// The engine's entries are plain C functions: on 32-bit Windows the caller
// pops the arguments, unlike the stdcall JNI methods that forward to them.
#ifdef _WIN32
#define ULVO_ENGINE_CALL __cdecl
#else
#define ULVO_ENGINE_CALL
#endif

namespace ulvoran {

// The engine's boolean is one byte, zero meaning false.
typedef unsigned char EngineBool;

typedef EngineBool(ULVO_ENGINE_CALL *EngineFn0)(void);
typedef EngineBool(ULVO_ENGINE_CALL *EngineFn1)(int32_t);
typedef EngineBool(ULVO_ENGINE_CALL *EngineFn3)(int32_t, int32_t, int32_t);
typedef EngineBool(ULVO_ENGINE_CALL *EngineFn4)(int32_t, int32_t, int32_t,
                                                int32_t);
typedef EngineBool(ULVO_ENGINE_CALL *EngineFn5)(int32_t, int32_t, int32_t,
                                                int32_t, int32_t);
typedef EngineBool(ULVO_ENGINE_CALL *EngineFn6)(int32_t, int32_t, int32_t,
                                                int32_t, int32_t, int32_t);
typedef EngineBool(ULVO_ENGINE_CALL *EngineFnPulseKey)(int32_t, int32_t,
                                                       int32_t, int32_t,
                                                       int32_t, int32_t,
                                                       int32_t, int32_t,
                                                       EngineBool);
typedef EngineBool(ULVO_ENGINE_CALL *EngineFnBitmap)(unsigned char *);
typedef void(ULVO_ENGINE_CALL *EngineFnVoid)(void);

// In binding order; kLedEntryNames holds the exported names in this order.
enum LedEntry {
  kInit,
  kSetTargetDevice,
  kSaveCurrentLighting,
  kSetLighting,
  kRestoreLighting,
  kFlashLighting,
  kPulseLighting,
  kSetLightingFromBitmap,
  kSetLightingForKeyWithScanCode,
  kSetLightingForKeyWithHidCode,
  kSetLightingForKeyWithQuartzCode,
  kSetLightingForKeyWithKeyName,
  kPulseSingleKey,
  kFlashSingleKey,
  kStopEffectsOnKey,
  kSaveLightingForKey,
  kRestoreLightingForKey,
  kStopEffects,
  kShutdown,
  kLedEntryCount
};

extern const char *const kLedEntryNames[kLedEntryCount];

// Null until bound.  Written only by loadLedEngine, read with plain loads:
// keeping UlvoLedInit apart from the other calls is the Java side's job.
struct LedEngine {
  FARPROC entry[kLedEntryCount];
};

extern LedEngine ledEngine;

// The entry as its own function type (via void(*)(void), the one cast GCC
// accepts between unrelated function types without a warning).
template <class Fn> inline Fn ledEntry(LedEntry e) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void (*)(void)>(ledEngine.entry[e]));
}

// A registry value as the loader may take it: the value's bytes hold a NUL
// somewhere in the buffer's capacity.  A value filling the whole buffer
// without one would be read past its end.
bool isTerminatedPath(const char *buf, size_t capacity);

// Reads the engine's path from the registry, loads the engine and binds the
// table.  False when the path cannot be read or the engine not loaded; the
// table is then untouched.
bool loadLedEngine();

} // namespace ulvoran

#endif
