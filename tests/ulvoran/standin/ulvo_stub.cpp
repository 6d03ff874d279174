// The stand-in engine's sink: records are kept in memory for the test
// controls of ulvo_engine.h and, when ULVO_LED_LOG names a file, appended
// there as "<us> <record>", one line per call.
#include "ulvo_engine.h"
#include "ulvo_sink.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef _WIN32
#include <time.h>
#endif

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

} // namespace

bool ulvo_sink_listening() { return !engine.quiet; }

unsigned char ulvo_sink_result(bool init) {
  return init ? engine.initResult : engine.result;
}

int ulvo_sink_bitmap_bytes() { return engine.bitmapBytes; }

void ulvo_sink_record(const std::string &line) {
  EnterCriticalSection(&engine.lock);
  engine.calls.push_back(line);
  if (engine.log) {
    std::fprintf(engine.log, "%lld %s\n", nowUs(), line.c_str());
    std::fflush(engine.log);
  }
  LeaveCriticalSection(&engine.lock);
}

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
