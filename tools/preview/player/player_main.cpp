// preview_player: plays a session through the real DLLs, as the Java host
// would call them, at the session's times.  The libraries are loaded on the
// main thread, which pumps its messages between calls (the Tovrik link's
// window lives on the loading thread).
//
//   preview_player --session FILE [--tovrik DLL] [--duvek DLL]
//                  [--ulvoran DLL] [--service EXE] [--engine DLL]
//                  [--log FILE] [--tail MS] [--bench N]
//
// --service starts the stand-in lighting service first and waits until
// its window exists.  --engine registers the LED engine in this process's
// registry view, where UlvoranLedJNI looks for it.  Lines of a library that
// was not given are skipped.  --bench N skips the session and measures N
// Tovrik updates against N bare WM_COPYDATA sends.
//
// The log (default player.log) gets "<us> start", "<us> call <line>",
// "<us> done <line> <result>" per call and "<us> end", on the same
// microsecond clock as the stand-ins' logs.
#include "bench.h"
#include "jni_call.h"
#include "led_engine_key.h"
#include "options.h"
#include "platform.h"
#include "session.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace preview;

namespace {

// How long the player keeps pumping after the last call, so that flash
// workers and their messages finish before the end line.
constexpr long kDefaultTailMs = 700;

struct Options {
  std::string session, dll[kLibraries], service, engine, log = "player.log";
  long tailMs = 0;
  long bench = 0;
};

bool parseOptions(int argc, char **argv, Options *o) {
  std::string tail = std::to_string(kDefaultTailMs), bench = "0";
  const Option table[] = {
      {"--session", &o->session, nullptr}, {"--tovrik", &o->dll[0], nullptr},
      {"--duvek", &o->dll[1], nullptr},    {"--ulvoran", &o->dll[2], nullptr},
      {"--service", &o->service, nullptr}, {"--engine", &o->engine, nullptr},
      {"--log", &o->log, nullptr},         {"--tail", &tail, nullptr},
      {"--bench", &bench, nullptr},
  };
  if (!preview::parseOptions(argc, argv, table))
    return false;
  for (std::string *path : {&o->session, &o->dll[0], &o->dll[1], &o->dll[2],
                            &o->service, &o->engine, &o->log})
    *path = windowsPath(*path);
  o->tailMs = std::atol(tail.c_str());
  o->bench = std::atol(bench.c_str());
  return !o->session.empty() || o->bench > 0;
}

FILE *gLog = nullptr;

void logLine(const char *fmt, const std::string &a = "",
             const std::string &b = "") {
  std::fprintf(gLog, "%lld ", static_cast<long long>(qpcMicros()));
  std::fprintf(gLog, fmt, a.c_str(), b.c_str());
  std::fputc('\n', gLog);
  std::fflush(gLog);
}

bool registerEngine(const std::string &path) {
  HKEY h;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLedEngineKey, 0, nullptr, 0,
                      KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExA(h, nullptr, 0, REG_SZ,
                           reinterpret_cast<const BYTE *>(path.c_str()),
                           static_cast<DWORD>(path.size() + 1));
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

HMODULE loadLibrary(const std::string &path) {
  HMODULE m = LoadLibraryA(path.c_str());
  if (!m)
    std::fprintf(stderr, "player: cannot load %s (error %lu)\n", path.c_str(),
                 GetLastError());
  return m;
}

int play(const Options &o, const Session &session,
         HMODULE modules[kLibraries]) {
  logLine("start");
  int64_t t0 = qpcMicros();
  for (const Call &c : session.calls) {
    pumpMessagesUntil(t0 + c.timeMs * 1000);
    HMODULE m = modules[static_cast<int>(c.method->library)];
    if (!m)
      continue;
    std::string name = exportName(*c.method);
    FARPROC fn = GetProcAddress(m, name.c_str());
    if (!fn) {
      std::fprintf(stderr, "player: line %d: %s is not exported\n", c.line,
                   name.c_str());
      logLine("missing %s %s", std::to_string(c.line), name);
      continue;
    }
    std::string result;
    logLine("call %s", std::to_string(c.line));
    callNative(fn, c, &result);
    logLine("done %s %s", std::to_string(c.line), result);
  }
  // Let flash workers and their messages finish before the end line.
  pumpMessagesUntil(qpcMicros() + o.tailMs * 1000);
  logLine("end");
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  Options o;
  if (!parseOptions(argc, argv, &o)) {
    std::fprintf(stderr, "usage: see the head of player_main.cpp\n");
    return 2;
  }
  Session session;
  if (!o.session.empty()) {
    std::string text;
    std::vector<std::string> errors;
    if (!readFile(o.session, &text)) {
      std::fprintf(stderr, "player: cannot read %s\n", o.session.c_str());
      return 2;
    }
    if (!parseSession(text, &session, &errors)) {
      for (const std::string &e : errors)
        std::fprintf(stderr, "%s:%s\n", o.session.c_str(), e.c_str());
      return 2;
    }
  }
  gLog = std::fopen(o.log.c_str(), "w");
  if (!gLog) {
    std::fprintf(stderr, "player: cannot write %s\n", o.log.c_str());
    return 2;
  }
  ServiceProcess service;
  if (!o.service.empty() && !startService(o.service, &service)) {
    std::fprintf(stderr, "player: the lighting service did not start\n");
    return 1;
  }
  if (!o.engine.empty() && !registerEngine(o.engine))
    std::fprintf(stderr, "player: cannot register the LED engine\n");
  HMODULE modules[kLibraries] = {};
  int rc = 0;
  for (int i = 0; i < kLibraries; i++) {
    if (!o.dll[i].empty() && !(modules[i] = loadLibrary(o.dll[i])))
      rc = 1;
  }
  if (rc == 0)
    rc =
        o.bench > 0 ? runBench(modules[0], o.bench) : play(o, session, modules);
  stopService(&service);
  std::fclose(gLog);
  return rc;
}
