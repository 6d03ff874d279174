// A stand-in Ulvoran LED engine: the nineteen plain C entries, each of which
// records its name, its arguments in decimal and its result.  The bitmap
// entry records the hex of the first N bytes it is handed.  Records are kept
// in memory for the test controls of ulvo_engine.h and, when ULVO_LED_LOG
// names a file, appended there as "<us> <record>", one line per call.
//
// Variants leave out an entry: ULVO_STUB_WITHOUT_INIT drops "UlvoLedInit",
// ULVO_STUB_WITHOUT_FLASH_SINGLE_KEY drops "UlvoLedFlashSingleKey".
#include "ulvo_engine.h"

#include <windows.h>

#include <stdint.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <time.h>
#endif

#define ULVO_ENTRY ULVO_STUB_API unsigned char ULVO_STUB_CALL

namespace {

// The process environment as the OS keeps it: on Windows the C runtime's
// copy misses what a test host set with SetEnvironmentVariableA.
std::string environment(const char *name) {
#ifdef _WIN32
  char buf[1024];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
#else
  const char *v = std::getenv(name);
  return v ? v : "";
#endif
}

struct Engine {
  CRITICAL_SECTION lock;
  std::vector<std::string> calls;
  FILE *log = nullptr;
  unsigned char result = 1;
  unsigned char initResult = 1;
  int bitmapBytes = 144;
  bool quiet = false;

  Engine() {
    InitializeCriticalSection(&lock);
    std::string n = environment("ULVO_LED_BITMAP_BYTES");
    if (!n.empty())
      bitmapBytes = std::atoi(n.c_str());
    std::string path = environment("ULVO_LED_LOG");
    if (!path.empty())
      log = std::fopen(path.c_str(), "a");
  }
  ~Engine() {
    if (log)
      std::fclose(log);
    DeleteCriticalSection(&lock);
  }
};

Engine engine;

long long nowUs() {
#ifdef _WIN32
  LARGE_INTEGER count, freq;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&freq);
  return static_cast<long long>(count.QuadPart / freq.QuadPart * 1000000 +
                                count.QuadPart % freq.QuadPart * 1000000 /
                                    freq.QuadPart);
#else
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
#endif
}

void record(const char *name, const std::string &args, const char *result) {
  std::string line = name;
  if (!args.empty())
    line += " " + args;
  line += " -> ";
  line += result;
  EnterCriticalSection(&engine.lock);
  engine.calls.push_back(line);
  if (engine.log) {
    std::fprintf(engine.log, "%lld %s\n", nowUs(), line.c_str());
    std::fflush(engine.log);
  }
  LeaveCriticalSection(&engine.lock);
}

std::string decimal(const int32_t *v, int n) {
  std::string s;
  for (int i = 0; i < n; i++) {
    if (i)
      s += ' ';
    s += std::to_string(v[i]);
  }
  return s;
}

unsigned char answer(const char *name, const int32_t *v, int n) {
  unsigned char r = engine.result;
  if (!engine.quiet)
    record(name, decimal(v, n), r ? "1" : "0");
  return r;
}

} // namespace

ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetResult(unsigned char result) {
  engine.result = result;
}

ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetInitResult(unsigned char result) {
  engine.initResult = result;
}

ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetBitmapBytes(int bytes) {
  engine.bitmapBytes = bytes;
}

// Quiet entries only return their result: for timing the call itself.
ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetQuiet(int quiet) {
  engine.quiet = quiet != 0;
}

ULVO_STUB_API void ULVO_STUB_CALL UlvoStubReset(void) {
  EnterCriticalSection(&engine.lock);
  engine.calls.clear();
  LeaveCriticalSection(&engine.lock);
}

ULVO_STUB_API int ULVO_STUB_CALL UlvoStubCallCount(void) {
  EnterCriticalSection(&engine.lock);
  int n = static_cast<int>(engine.calls.size());
  LeaveCriticalSection(&engine.lock);
  return n;
}

ULVO_STUB_API bool ULVO_STUB_CALL UlvoStubCall(int i, char *buf, int size) {
  EnterCriticalSection(&engine.lock);
  bool ok = i >= 0 && i < static_cast<int>(engine.calls.size()) && size > 0;
  if (ok)
    std::snprintf(buf, static_cast<size_t>(size), "%s",
                  engine.calls[i].c_str());
  LeaveCriticalSection(&engine.lock);
  return ok;
}

#ifndef ULVO_STUB_WITHOUT_INIT
ULVO_ENTRY UlvoLedInit(void) {
  unsigned char r = engine.initResult;
  if (!engine.quiet)
    record("UlvoLedInit", "", r ? "1" : "0");
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
  unsigned char r = engine.result;
  if (engine.quiet)
    return r;
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (int i = 0; i < engine.bitmapBytes; i++) {
    hex += digits[bitmap[i] >> 4];
    hex += digits[bitmap[i] & 15];
  }
  record("UlvoLedSetLightingFromBitmap", hex, r ? "1" : "0");
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
  if (!engine.quiet)
    record("UlvoLedShutdown", "", "void");
}
