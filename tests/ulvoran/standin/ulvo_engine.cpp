// A stand-in Ulvoran LED engine: the nineteen plain C entries, each of which
// hands its sink (ulvo_sink.h) a record of its name, its arguments in
// decimal and its result.  The bitmap entry records the hex of the first N
// bytes it is handed.  The stand-in's sink (ulvo_stub.cpp) keeps the records
// for the test controls of ulvo_engine.h and a log; the virtual engine's
// draws them.
//
// Variants leave out an entry: ULVO_STUB_WITHOUT_INIT drops "UlvoLedInit",
// ULVO_STUB_WITHOUT_FLASH_SINGLE_KEY drops "UlvoLedFlashSingleKey".
#include "ulvo_engine.h"
#include "ulvo_sink.h"

#include <stdint.h>

#include <string>

#define ULVO_ENTRY ULVO_STUB_API unsigned char ULVO_STUB_CALL

namespace {

std::string decimal(const int32_t *v, int n) {
  std::string s;
  for (int i = 0; i < n; i++) {
    if (i)
      s += ' ';
    s += std::to_string(v[i]);
  }
  return s;
}

void record(const char *name, const std::string &args, unsigned char result,
            const char *shown = nullptr) {
  std::string line = name;
  if (!args.empty())
    line += " " + args;
  line += " -> ";
  line += shown ? shown : result ? "1" : "0";
  ulvo_sink_record(line);
}

unsigned char answer(const char *name, const int32_t *v, int n) {
  unsigned char r = ulvo_sink_result(false);
  if (ulvo_sink_listening())
    record(name, decimal(v, n), r);
  return r;
}

} // namespace

#ifndef ULVO_STUB_WITHOUT_INIT
ULVO_ENTRY UlvoLedInit(void) {
  unsigned char r = ulvo_sink_result(true);
  if (ulvo_sink_listening())
    record("UlvoLedInit", "", r);
  return r;
}
#endif

ULVO_ENTRY UlvoLedSetTargetDevice(int32_t device) {
  return answer("UlvoLedSetTargetDevice", &device, 1);
}

ULVO_ENTRY UlvoLedSaveCurrentLighting(void) {
  return answer("UlvoLedSaveCurrentLighting", nullptr, 0);
}

ULVO_ENTRY UlvoLedSetLighting(int32_t a, int32_t b, int32_t c) {
  int32_t v[] = {a, b, c};
  return answer("UlvoLedSetLighting", v, 3);
}

ULVO_ENTRY UlvoLedRestoreLighting(void) {
  return answer("UlvoLedRestoreLighting", nullptr, 0);
}

ULVO_ENTRY UlvoLedFlashLighting(int32_t a, int32_t b, int32_t c, int32_t d,
                                int32_t e) {
  int32_t v[] = {a, b, c, d, e};
  return answer("UlvoLedFlashLighting", v, 5);
}

ULVO_ENTRY UlvoLedPulseLighting(int32_t a, int32_t b, int32_t c, int32_t d,
                                int32_t e) {
  int32_t v[] = {a, b, c, d, e};
  return answer("UlvoLedPulseLighting", v, 5);
}

ULVO_ENTRY UlvoLedSetLightingFromBitmap(unsigned char *bitmap) {
  unsigned char r = ulvo_sink_result(false);
  if (!ulvo_sink_listening())
    return r;
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (int i = 0; i < ulvo_sink_bitmap_bytes(); i++) {
    hex += digits[bitmap[i] >> 4];
    hex += digits[bitmap[i] & 15];
  }
  record("UlvoLedSetLightingFromBitmap", hex, r);
  return r;
}

ULVO_ENTRY UlvoLedSetLightingForKeyWithScanCode(int32_t a, int32_t b, int32_t c,
                                                int32_t d) {
  int32_t v[] = {a, b, c, d};
  return answer("UlvoLedSetLightingForKeyWithScanCode", v, 4);
}

ULVO_ENTRY UlvoLedSetLightingForKeyWithHidCode(int32_t a, int32_t b, int32_t c,
                                               int32_t d) {
  int32_t v[] = {a, b, c, d};
  return answer("UlvoLedSetLightingForKeyWithHidCode", v, 4);
}

ULVO_ENTRY UlvoLedSetLightingForKeyWithQuartzCode(int32_t a, int32_t b,
                                                  int32_t c, int32_t d) {
  int32_t v[] = {a, b, c, d};
  return answer("UlvoLedSetLightingForKeyWithQuartzCode", v, 4);
}

ULVO_ENTRY UlvoLedSetLightingForKeyWithKeyName(int32_t a, int32_t b, int32_t c,
                                               int32_t d) {
  int32_t v[] = {a, b, c, d};
  return answer("UlvoLedSetLightingForKeyWithKeyName", v, 4);
}

// The flag is recorded as the byte received, so a binding that passed a
// Java boolean through unconverted would show here.
ULVO_ENTRY UlvoLedPulseSingleKey(int32_t a, int32_t b, int32_t c, int32_t d,
                                 int32_t e, int32_t f, int32_t g, int32_t h,
                                 unsigned char infinite) {
  int32_t v[] = {a, b, c, d, e, f, g, h, infinite};
  return answer("UlvoLedPulseSingleKey", v, 9);
}

#ifndef ULVO_STUB_WITHOUT_FLASH_SINGLE_KEY
ULVO_ENTRY UlvoLedFlashSingleKey(int32_t a, int32_t b, int32_t c, int32_t d,
                                 int32_t e, int32_t f) {
  int32_t v[] = {a, b, c, d, e, f};
  return answer("UlvoLedFlashSingleKey", v, 6);
}
#endif

ULVO_ENTRY UlvoLedStopEffectsOnKey(int32_t key) {
  return answer("UlvoLedStopEffectsOnKey", &key, 1);
}

ULVO_ENTRY UlvoLedSaveLightingForKey(int32_t key) {
  return answer("UlvoLedSaveLightingForKey", &key, 1);
}

ULVO_ENTRY UlvoLedRestoreLightingForKey(int32_t key) {
  return answer("UlvoLedRestoreLightingForKey", &key, 1);
}

ULVO_ENTRY UlvoLedStopEffects(void) {
  return answer("UlvoLedStopEffects", nullptr, 0);
}

ULVO_STUB_API void ULVO_STUB_CALL UlvoLedShutdown(void) {
  if (ulvo_sink_listening())
    record("UlvoLedShutdown", "", 0, "void");
}
