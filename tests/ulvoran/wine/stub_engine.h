// The test controls of a stand-in LED engine, reached through the module
// that loading the same engine file again yields.
#ifndef ULVORAN_STUB_ENGINE_H
#define ULVORAN_STUB_ENGINE_H

#include "../standin/ulvo_engine.h"

#include <windows.h>

#include <string>
#include <vector>

struct StubEngine {
  UlvoStubSetResultFn setResult = nullptr;
  UlvoStubSetResultFn setInitResult = nullptr;
  UlvoStubSetBitmapBytesFn setBitmapBytes = nullptr;
  UlvoStubSetQuietFn setQuiet = nullptr;
  UlvoStubResetFn reset = nullptr;
  UlvoStubCallCountFn count = nullptr;
  UlvoStubCallFn call = nullptr;

  template <class Fn> static Fn entry(HMODULE m, const char *name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(m, name)));
  }

  bool load(const char *path) {
    HMODULE m = LoadLibraryA(path);
    if (!m)
      return false;
    setResult = entry<UlvoStubSetResultFn>(m, "UlvoStubSetResult");
    setInitResult = entry<UlvoStubSetResultFn>(m, "UlvoStubSetInitResult");
    setBitmapBytes =
        entry<UlvoStubSetBitmapBytesFn>(m, "UlvoStubSetBitmapBytes");
    setQuiet = entry<UlvoStubSetQuietFn>(m, "UlvoStubSetQuiet");
    reset = entry<UlvoStubResetFn>(m, "UlvoStubReset");
    count = entry<UlvoStubCallCountFn>(m, "UlvoStubCallCount");
    call = entry<UlvoStubCallFn>(m, "UlvoStubCall");
    return setResult && setInitResult && setBitmapBytes && setQuiet && reset &&
           count && call;
  }

  // Every recorded call since the last reset.
  std::vector<std::string> calls() const {
    std::vector<std::string> out;
    std::vector<char> buf(4096);
    for (int i = 0; i < count(); i++)
      if (call(i, buf.data(), static_cast<int>(buf.size())))
        out.push_back(buf.data());
    return out;
  }

  std::string last() const {
    std::vector<std::string> all = calls();
    return all.empty() ? std::string() : all.back();
  }
};

#endif
