// The eighteen forwarding methods, each called with distinctive values
// (negative ones and the extremes included, no two alike, so a dropped,
// swapped or truncated argument shows) beside the record the stand-in
// engine must make of the call.  Shared by the host and the Wine tests.
#ifndef ULVORAN_FORWARD_CASES_H
#define ULVORAN_FORWARD_CASES_H

#include "mini_jni.h"
#include "stub_engine.h"
#include "ulvoran_api.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace forward_cases {

struct Case {
  const char *name;
  jboolean (*call)(const ulvoran_api::Api &, JNIEnv *);
  const char *record; // without " -> <result>"
};

using ulvoran_api::Api;

inline const Case *all(int *count) {
  static const Case cases[] = {
      {"SetTargetDevice",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSetTargetDevice(e, nullptr, -7);
       },
       "UlvoLedSetTargetDevice -7"},
      {"SaveCurrentLighting",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSaveCurrentLighting(e, nullptr);
       },
       "UlvoLedSaveCurrentLighting"},
      {"SetLighting",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSetLighting(e, nullptr, 100, -1, INT_MIN);
       },
       "UlvoLedSetLighting 100 -1 -2147483648"},
      {"RestoreLighting",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedRestoreLighting(e, nullptr);
       },
       "UlvoLedRestoreLighting"},
      {"SaveLightingForKey",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSaveLightingForKey(e, nullptr, 0x1E);
       },
       "UlvoLedSaveLightingForKey 30"},
      {"RestoreLightingForKey",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedRestoreLightingForKey(e, nullptr, INT_MAX);
       },
       "UlvoLedRestoreLightingForKey 2147483647"},
      {"FlashLighting",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedFlashLighting(e, nullptr, 1, -2, 3, -4, 5);
       },
       "UlvoLedFlashLighting 1 -2 3 -4 5"},
      {"PulseLighting",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedPulseLighting(e, nullptr, -11, 12, -13, 14, -15);
       },
       "UlvoLedPulseLighting -11 12 -13 14 -15"},
      {"SetLightingForKeyWithScanCode",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSetLightingForKeyWithScanCode(e, nullptr, 0x39, 21,
                                                       -22, 23);
       },
       "UlvoLedSetLightingForKeyWithScanCode 57 21 -22 23"},
      {"SetLightingForKeyWithHidCode",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSetLightingForKeyWithHidCode(e, nullptr, 0x2C, -31, 32,
                                                      -33);
       },
       "UlvoLedSetLightingForKeyWithHidCode 44 -31 32 -33"},
      {"SetLightingForKeyWithQuartzCode",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSetLightingForKeyWithQuartzCode(e, nullptr, 0x0400, 41,
                                                         42, -43);
       },
       "UlvoLedSetLightingForKeyWithQuartzCode 1024 41 42 -43"},
      {"SetLightingForKeyWithKeyName",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedSetLightingForKeyWithKeyName(e, nullptr, -51, 52, -53,
                                                      54);
       },
       "UlvoLedSetLightingForKeyWithKeyName -51 52 -53 54"},
      {"FlashSingleKey",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedFlashSingleKey(e, nullptr, 61, -62, 63, -64, 65, -66);
       },
       "UlvoLedFlashSingleKey 61 -62 63 -64 65 -66"},
      {"PulseSingleKey",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedPulseSingleKey(e, nullptr, 71, -72, 73, -74, 75, -76,
                                        77, -78, JNI_TRUE);
       },
       "UlvoLedPulseSingleKey 71 -72 73 -74 75 -76 77 -78 1"},
      {"StopEffectsOnKey",
       [](const Api &a, JNIEnv *e) {
         return a.UlvoLedStopEffectsOnKey(e, nullptr, -81);
       },
       "UlvoLedStopEffectsOnKey -81"},
      {"StopEffects",
       [](const Api &a, JNIEnv *e) { return a.UlvoLedStopEffects(e, nullptr); },
       "UlvoLedStopEffects"},
      {"SetLightingFromBitmap",
       [](const Api &a, JNIEnv *e) {
         static const unsigned char bytes[4] = {0x00, 0x7f, 0x80, 0xff};
         mini_jni::Env *env = mini_jni::Env::of(e);
         return a.UlvoLedSetLightingFromBitmap(e, nullptr,
                                               env->array(bytes, 4));
       },
       "UlvoLedSetLightingFromBitmap 007f80ff"},
  };
  *count = static_cast<int>(sizeof cases / sizeof cases[0]);
  return cases;
}

// Calls every case once with the engine answering `result` and returns one
// line for each case that went wrong.  A bound case must hand back the
// engine's byte as it is and leave exactly its own record; the case named
// `unbound` (every case, when there is no engine) must return false, reach
// no engine and never ask the JVM about its array.
inline std::vector<std::string> faults(const Api &api, mini_jni::Env &env,
                                       const StubEngine *engine,
                                       unsigned char result,
                                       const char *unbound = "") {
  std::vector<std::string> out;
  int n = 0;
  const Case *cases = all(&n);
  if (engine)
    engine->setResult(result);
  for (int i = 0; i < n; i++) {
    bool bound = engine && std::strcmp(cases[i].name, unbound) != 0;
    std::vector<std::string> want, calls;
    if (bound)
      want.push_back(std::string(cases[i].record) +
                     (result ? " -> 1" : " -> 0"));
    if (engine)
      engine->reset();
    env.reset();
    int got = cases[i].call(api, env.jni());
    if (engine)
      calls = engine->calls();
    bool askedJvm = env.lengthCalls != 0 || env.regionCalls != 0;
    if (got != (bound ? result : 0) || calls != want || (!bound && askedJvm))
      out.push_back(std::string(cases[i].name) + " returned " +
                    std::to_string(got) + ", engine saw " +
                    (calls.empty() ? "nothing" : calls.back()));
  }
  return out;
}

// The bytes as the stand-in engine records a bitmap: two hex digits each.
inline std::string hexOf(const unsigned char *bytes, int n) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (int i = 0; i < n; i++) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 15];
  }
  return hex;
}

} // namespace forward_cases

#endif
