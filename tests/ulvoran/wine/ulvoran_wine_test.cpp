// The real UlvoranLedJNI.dll of this processor build under Wine, with the
// stand-in engines registered in the machine's registry views.
//
//   ulvoran_wine_test BINDING.dll COMPLETE.dll NOINIT.dll NOFLASH.dll [case...]
//
// Paths may be Unix paths; they are handed to Windows as Z: paths.  The
// binding keeps its table for the life of the process, so the cases run in
// the order written, the unbound ones first.
#include "../../common/check.h"
#include "../../common/process_threads.h"
#include "forward_cases.h"
#include "mini_jni.h"
#include "stub_engine.h"
#include "ulvoran_api.h"
#include "wine_registry.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace wine_registry;

std::string binding, complete, noinit, noflash, logPath;
ulvoran_api::Api api;
mini_jni::Env env;

StubEngine stub(const std::string &path) {
  StubEngine s;
  CHECK(s.load(path.c_str()));
  return s;
}

jboolean init() { return api.UlvoLedInit(env.jni(), nullptr); }

// Each fault that forward_cases::faults found fails the case, named.
void checkNoFaults(const std::vector<std::string> &faults, int line) {
  for (const std::string &fault : faults)
    check::fail(__FILE__, line, fault.c_str());
}

void expectNothingBound() {
  checkNoFaults(forward_cases::faults(api, env, nullptr, 0), __LINE__);
  api.UlvoLedShutdown(env.jni(), nullptr);
}

// No key in this process's own view: an engine registered only in the
// other view is not found.
TEST_CASE(engine_in_the_other_view_is_not_found) {
  unregisterEngine(kOwnView);
  CHECK(registerEngine(kOtherView, complete));
  CHECK_EQ(init(), 0);
  expectNothingBound();
  unregisterEngine(kOtherView);
}

// The complete engine's path stretched to exactly n characters with ".\"
// segments (and one doubled separator), so that it stays loadable.
std::string paddedPath(size_t n) {
  size_t cut = complete.rfind('\\') + 1;
  std::string dir = complete.substr(0, cut), file = complete.substr(cut);
  while (dir.size() + file.size() + 2 <= n)
    dir += ".\\";
  if (dir.size() + file.size() < n)
    dir += "\\";
  return dir + file;
}

TEST_CASE(values_beyond_the_buffer_load_nothing) {
  std::string path = paddedPath(260); // 261 bytes with its NUL
  CHECK_EQ(path.size(), 260u);
  CHECK(registerEngine(kOwnView, path));
  CHECK_EQ(init(), 0);
  // 260 bytes and no terminator: never read on past the buffer.
  CHECK(setEngineValue(kOwnView, REG_BINARY, path.data(), 260));
  CHECK_EQ(init(), 0);
  expectNothingBound();
}

TEST_CASE(expandable_string_is_not_expanded) {
  std::string dir = complete.substr(0, complete.rfind('\\'));
  std::string file = complete.substr(complete.rfind('\\'));
  SetEnvironmentVariableA("ULVO_TEST_ENGINE_DIR", dir.c_str());
  std::string value = "%ULVO_TEST_ENGINE_DIR%" + file;
  CHECK(setEngineValue(kOwnView, REG_EXPAND_SZ, value.c_str(),
                       static_cast<DWORD>(value.size() + 1)));
  CHECK_EQ(init(), 0);
  expectNothingBound();
}

TEST_CASE(engine_without_init_is_bound_but_false) {
  CHECK(registerEngine(kOwnView, noinit));
  CHECK_EQ(init(), 0);
  StubEngine s = stub(noinit);
  s.setBitmapBytes(4);
  checkNoFaults(forward_cases::faults(api, env, &s, 1), __LINE__);
}

// A path of exactly 260 bytes loads; after it, a shorter value stored
// without a terminator: the old value's tail must not follow it into the
// loader.
TEST_CASE(path_of_260_bytes_then_binary_value_byte_for_byte) {
  std::string path = paddedPath(259);
  CHECK(registerEngine(kOwnView, path));
  StubEngine s = stub(complete);
  s.setInitResult(1);
  s.reset();
  CHECK_EQ(init(), 1);
  CHECK(s.calls() == std::vector<std::string>{"UlvoLedInit -> 1"});
  CHECK(setEngineValue(kOwnView, REG_BINARY, complete.data(),
                       static_cast<DWORD>(complete.size())));
  CHECK_EQ(init(), 1);
}

TEST_CASE(every_init_runs_engine_init_and_returns_its_result) {
  CHECK(registerEngine(kOwnView, complete));
  StubEngine s = stub(complete);
  s.reset();
  s.setInitResult(1);
  CHECK_EQ(init(), 1);
  s.setInitResult(0);
  CHECK_EQ(init(), 0);
  std::vector<std::string> calls = s.calls();
  CHECK(calls.size() == 2 && calls[0] == "UlvoLedInit -> 1" &&
        calls[1] == "UlvoLedInit -> 0");
  s.setInitResult(1);
  CHECK_EQ(init(), 1);
}

// Any byte the engine answers reaches Java as it is; a Java boolean reaches
// the engine as 0 or 1.
TEST_CASE(every_method_passes_arguments_and_result) {
  StubEngine s = stub(complete);
  s.setBitmapBytes(4);
  for (unsigned char result : {1, 0, 0x5A})
    checkNoFaults(forward_cases::faults(api, env, &s, result), __LINE__);
  s.setResult(1);
  for (jboolean flag : {0, 1, 2, 0xFF}) {
    s.reset();
    api.UlvoLedPulseSingleKey(env.jni(), nullptr, -1, -2, -3, -4, -5, -6, -7,
                              -8, flag);
    CHECK(s.last() == std::string("UlvoLedPulseSingleKey -1 -2 -3 -4 -5 -6 "
                                  "-7 -8 ") +
                          (flag ? "1" : "0") + " -> 1");
  }
}

TEST_CASE(bitmap_copy_null_empty_and_unallocatable) {
  StubEngine s = stub(complete);
  unsigned char bytes[144];
  for (int i = 0; i < 144; i++)
    bytes[i] = static_cast<unsigned char>(255 - i * 3);
  s.setBitmapBytes(144);
  s.reset();
  env.reset();
  CHECK_EQ(api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr,
                                            env.array(bytes, 144)),
           1);
  CHECK(s.last() == "UlvoLedSetLightingFromBitmap " +
                        forward_cases::hexOf(bytes, 144) + " -> 1");
  CHECK_EQ(env.regionStart, 0);
  CHECK_EQ(env.regionLength, 144);
  s.reset();
  env.reset();
  CHECK_EQ(api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr, nullptr), 0);
  CHECK_EQ(s.count(), 0);
  CHECK_EQ(env.lengthCalls, 0);
  s.setBitmapBytes(0);
  CHECK_EQ(api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr,
                                            env.array(nullptr, 0)),
           1);
  if (sizeof(void *) == 4) {
    // Two gigabytes do not fit beside everything else in a 32-bit process.
    s.reset();
    CHECK_EQ(api.UlvoLedSetLightingFromBitmap(
                 env.jni(), nullptr, env.array(bytes, 0x7FFFFFF0, 144)),
             0);
    CHECK_EQ(s.count(), 0);
  }
}

TEST_CASE(shutdown_is_forwarded_and_binding_stays) {
  StubEngine s = stub(complete);
  s.reset();
  api.UlvoLedShutdown(env.jni(), nullptr);
  CHECK_EQ(api.UlvoLedSetLighting(env.jni(), nullptr, 4, 5, 6), 1);
  std::vector<std::string> calls = s.calls();
  CHECK(calls.size() == 2 && calls[0] == "UlvoLedShutdown -> void" &&
        calls[1] == "UlvoLedSetLighting 4 5 6 -> 1");
}

TEST_CASE(failed_reinit_keeps_the_binding) {
  StubEngine s = stub(complete);
  unregisterEngine(kOwnView);
  s.reset();
  CHECK_EQ(init(), 0);
  CHECK_EQ(api.UlvoLedSetLighting(env.jni(), nullptr, 7, 8, 9), 1);
  CHECK(s.calls() == std::vector<std::string>{"UlvoLedSetLighting 7 8 9 -> 1"});
}

TEST_CASE(missing_flash_single_key_fails_only_that_method) {
  CHECK(registerEngine(kOwnView, noflash));
  CHECK_EQ(init(), 1);
  StubEngine s = stub(noflash);
  s.setBitmapBytes(4);
  checkNoFaults(forward_cases::faults(api, env, &s, 1, "FlashSingleKey"),
                __LINE__);
  unregisterEngine(kOwnView);
}

// What the engines logged: "<us> <record>" per call, times never going back.
TEST_CASE(engine_log_has_one_timed_line_per_call) {
  FILE *f = std::fopen(logPath.c_str(), "r");
  CHECK(f != nullptr);
  if (!f)
    return;
  char line[1024];
  long long last = 0;
  int lines = 0, setLighting = 0;
  while (std::fgets(line, sizeof line, f)) {
    long long us = 0;
    int used = 0;
    CHECK(std::sscanf(line, "%lld %n", &us, &used) == 1 && used > 1);
    CHECK(us >= last);
    last = us;
    lines++;
    setLighting +=
        std::strcmp(line + used, "UlvoLedSetLighting 4 5 6 -> 1\n") == 0;
  }
  std::fclose(f);
  CHECK(lines > 50);
  CHECK_EQ(setLighting, 1);
}

// 100 cycles of loading a copy of the binding, UlvoLedInit, one forwarded
// call and freeing it: every copy binds and forwards, every copy goes, and
// no thread is left behind.  Last, because the program's own handle goes too.
TEST_CASE(load_free_cycles) {
  CHECK(registerEngine(kOwnView, complete));
  FreeLibrary(api.module);
  api = ulvoran_api::Api{};
  int threadsBefore = threadsOfThisProcess();
  int failed = 0, stuck = 0;
  for (int cycle = 0; cycle < 100; cycle++) {
    ulvoran_api::Api copy;
    failed += !(copy.load(binding.c_str()) &&
                copy.UlvoLedInit(env.jni(), nullptr) == 1 &&
                copy.UlvoLedSetLighting(env.jni(), nullptr, 1, 2, 3) == 1);
    if (copy.module)
      FreeLibrary(copy.module);
    stuck += GetModuleHandleA("UlvoranLedJNI.dll") != nullptr;
  }
  CHECK_EQ(failed, 0);
  CHECK_EQ(stuck, 0);
  CHECK(threadsSettleTo(threadsBefore, 2000) <= threadsBefore);
  CHECK(api.load(binding.c_str()));
  unregisterEngine(kOwnView);
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> paths = takePathArguments(
      argc, argv, 4, "BINDING COMPLETE NOINIT NOFLASH [case...]");
  if (paths.empty())
    return 2;
  binding = paths[0];
  complete = paths[1];
  noinit = paths[2];
  noflash = paths[3];
  // Every engine this process loads appends to one fresh log.
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  logPath =
      std::string(temp) + (sizeof(void *) == 8 ? "ulvoran_wine_test_x64.log"
                                               : "ulvoran_wine_test_x86.log");
  DeleteFileA(logPath.c_str());
  SetEnvironmentVariableA("ULVO_LED_LOG", logPath.c_str());
  if (!api.load(binding.c_str())) {
    std::printf("cannot bind %s\n", binding.c_str());
    return 1;
  }
  return check::run(argc, argv);
}
