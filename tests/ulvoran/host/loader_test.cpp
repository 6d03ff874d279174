// UlvoLedInit against the in-memory registry and the stand-in engines.  The
// binding's table lives as long as its library, so each case loads a copy
// of the library of its own, from a file of its own: every case starts from
// an empty table whatever ran before it, and stands alone.  (An engine,
// once loaded, stays loaded; cases that use one reset its record.)
#include "alloc_count.h"
#include "ulvo_host.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

mini_jni::Env env;

// Every method but UlvoLedInit returns false, touches nothing and copies
// no array.
void expectNothingBound(const ulvoran_api::Api &api) {
  startCountingAllocations();
  std::vector<std::string> faults = forward_cases::faults(api, env, nullptr, 0);
  api.UlvoLedShutdown(env.jni(), nullptr);
  EXPECT_EQ(countedAllocations().nothrowArrays, 0);
  stopCountingAllocations();
  EXPECT_EQ(faults, std::vector<std::string>{});
}

// Leaves non-zero bytes where the next call's locals will be, so that a
// buffer the binding forgot to clear holds garbage rather than zeros.
__attribute__((noinline)) void paintStack() {
  volatile char junk[8192];
  for (size_t i = 0; i < sizeof junk; i++)
    junk[i] = 'x';
}

// A path of exactly `length` characters that names the complete engine, a
// link that lives as long as the object (a loaded engine stays loaded).
struct LongEnginePath {
  std::string path;
  explicit LongEnginePath(size_t length);
  ~LongEnginePath() {
    unlink(path.c_str());
    std::string dir = path.substr(0, path.rfind('/'));
    rmdir(dir.c_str());
    rmdir(dir.substr(0, dir.rfind('/')).c_str());
  }
};

LongEnginePath::LongEnginePath(size_t length) {
  char base[] = "/tmp/ulvoXXXXXX";
  EXPECT_NE(mkdtemp(base), nullptr);
  std::string dir = std::string(base) + "/" + std::string(120, 'd');
  EXPECT_EQ(mkdir(dir.c_str(), 0700), 0);
  path = dir + "/";
  path += std::string(length - path.size() - 3, 'e') + ".so";
  EXPECT_EQ(symlink(ULVO_ENGINE_COMPLETE, path.c_str()), 0);
  EXPECT_EQ(path.size(), length);
}

// A copy of the binding as a process that loads it for the first time has
// it.
struct FreshBinding {
  std::string dir, path;
  ulvoran_api::Api api;
  FreshBinding() {
    char base[] = "/tmp/ulvobindXXXXXX";
    EXPECT_NE(mkdtemp(base), nullptr);
    dir = base;
    path = dir + "/UlvoranLedJNI.so";
    std::ifstream from(ULVO_BINDING_PATH, std::ios::binary);
    std::ofstream(path, std::ios::binary) << from.rdbuf();
    EXPECT_TRUE(api.load(path.c_str()));
  }
  ~FreshBinding() {
    if (api.module)
      FreeLibrary(api.module);
    unlink(path.c_str());
    rmdir(dir.c_str());
  }
};

class UlvoranLoader : public ::testing::Test {
protected:
  jboolean init() { return api.UlvoLedInit(env.jni(), nullptr); }
  FreshBinding fresh;
  const ulvoran_api::Api &api = fresh.api;
};

TEST_F(UlvoranLoader, WithoutKeyOrValueNothingIsLoadedOrForwarded) {
  unregisterEngine();
  int before = hostwin_load_calls();
  EXPECT_FALSE(init());
  hostwin_reg_create_key(HKEY_LOCAL_MACHINE, kLedEngineKey); // no default value
  hostwin_reg_set_value(HKEY_LOCAL_MACHINE, kLedEngineKey, "Other", REG_SZ,
                        ULVO_ENGINE_COMPLETE, sizeof ULVO_ENGINE_COMPLETE);
  EXPECT_FALSE(init());
  EXPECT_EQ(hostwin_load_calls(), before);
  expectNothingBound(api);
  EXPECT_EQ(hostwin_reg_open_handles(), 0);
}

// The loader gets the value's text as it is, an environment reference
// unexpanded; a file that does not load leaves the table unbound.
TEST_F(UlvoranLoader, UnloadablePathsLeaveTableUnbound) {
  setenv("ULVO_TEST_ENGINE", ULVO_ENGINE_COMPLETE, 1);
  const char missing[] = "/nonexistent/ulvo_engine.so";
  const char reference[] = "%ULVO_TEST_ENGINE%";
  setEngineValue(REG_SZ, missing, sizeof missing);
  int before = hostwin_load_calls();
  EXPECT_FALSE(init());
  EXPECT_STREQ(hostwin_last_load_path(), missing);
  setEngineValue(REG_EXPAND_SZ, reference, sizeof reference);
  EXPECT_FALSE(init());
  EXPECT_STREQ(hostwin_last_load_path(), reference);
  EXPECT_EQ(hostwin_load_calls(), before + 2);
  expectNothingBound(api);
}

TEST_F(UlvoranLoader, ValuesBeyondTheBufferLoadNothing) {
  int before = hostwin_load_calls();
  LongEnginePath link(260); // 261 bytes with its NUL
  const std::string &tooLong = link.path;
  registerEngine(tooLong);
  EXPECT_FALSE(init());
  // 260 bytes and no terminator: must not run on past the buffer.
  setEngineValue(REG_BINARY, tooLong.data(), 260);
  EXPECT_FALSE(init());
  setEngineValue(REG_SZ, tooLong.data(), 260);
  EXPECT_FALSE(init());
  EXPECT_EQ(hostwin_load_calls(), before);
  expectNothingBound(api);
  EXPECT_EQ(hostwin_reg_open_handles(), 0);
}

TEST_F(UlvoranLoader, EngineWithoutInitIsBoundButReportsFalse) {
  registerEngine(ULVO_ENGINE_NOINIT);
  EXPECT_FALSE(init());
  StubEngine s = stub(ULVO_ENGINE_NOINIT);
  s.setBitmapBytes(4);
  EXPECT_EQ(forward_cases::faults(api, env, &s, 1), std::vector<std::string>{});
}

// A path of exactly 260 bytes loads; after it, a value stored without a
// terminator, shorter than the buffer: nothing left in the buffer may follow
// it into the loader.
TEST_F(UlvoranLoader, PathOf260BytesThenBinaryValueByteForByte) {
  LongEnginePath link(259);
  registerEngine(link.path);
  StubEngine s = stub(ULVO_ENGINE_COMPLETE);
  s.reset();
  s.setInitResult(1);
  EXPECT_TRUE(init());
  EXPECT_EQ(hostwin_last_load_path(), link.path);
  EXPECT_EQ(s.calls(), std::vector<std::string>{"UlvoLedInit -> 1"});
  const std::string path = ULVO_ENGINE_COMPLETE;
  setEngineValue(REG_BINARY, path.data(), static_cast<DWORD>(path.size()));
  paintStack();
  EXPECT_TRUE(init());
  EXPECT_EQ(hostwin_last_load_path(), path);
}

TEST_F(UlvoranLoader, EveryInitRunsTheEngineInitAndReturnsItsResult) {
  registerEngine(ULVO_ENGINE_COMPLETE);
  StubEngine s = stub(ULVO_ENGINE_COMPLETE);
  s.reset();
  s.setInitResult(1);
  EXPECT_TRUE(init());
  s.setInitResult(0);
  EXPECT_FALSE(init());
  EXPECT_EQ(s.calls(),
            (std::vector<std::string>{"UlvoLedInit -> 1", "UlvoLedInit -> 0"}));
  // The engine's false does not unbind anything.
  EXPECT_TRUE(api.UlvoLedStopEffects(env.jni(), nullptr));
  s.setInitResult(1);
  EXPECT_TRUE(init());
  EXPECT_EQ(hostwin_reg_open_handles(), 0);
}

TEST_F(UlvoranLoader, FailedReinitKeepsTheFirstBinding) {
  registerEngine(ULVO_ENGINE_COMPLETE);
  ASSERT_TRUE(init());
  StubEngine s = stub(ULVO_ENGINE_COMPLETE);
  unregisterEngine();
  s.reset();
  EXPECT_FALSE(init());
  EXPECT_TRUE(api.UlvoLedSetLighting(env.jni(), nullptr, 1, 2, 3));
  EXPECT_EQ(s.calls(),
            std::vector<std::string>{"UlvoLedSetLighting 1 2 3 -> 1"});
}

TEST_F(UlvoranLoader, MissingFlashSingleKeyFailsOnlyThatMethod) {
  registerEngine(ULVO_ENGINE_NOFLASH);
  EXPECT_TRUE(init());
  StubEngine s = stub(ULVO_ENGINE_NOFLASH);
  s.setBitmapBytes(4);
  EXPECT_EQ(forward_cases::faults(api, env, &s, 1, "FlashSingleKey"),
            std::vector<std::string>{});
}

// Reinitialising many times keeps no key open, and every open asks to read
// in the process's own view: no KEY_WOW64_* flag.
TEST_F(UlvoranLoader, RepeatedInitsReadOwnViewAndLeakNoKeyHandles) {
  hostwin_reg_clear();
  registerEngine(ULVO_ENGINE_COMPLETE);
  for (int i = 0; i < 100; i++)
    ASSERT_TRUE(init());
  EXPECT_EQ(hostwin_reg_open_handles(), 0);
  REGSAM masks[100];
  ASSERT_EQ(hostwin_reg_open_masks(masks, 100), 100);
  for (REGSAM m : masks)
    EXPECT_EQ(m, static_cast<REGSAM>(KEY_READ));
}

} // namespace
