// Shared pieces of the host tests: the binding and the stand-in engines
// loaded through the Win32 stand-in, and the engine's registry value.
#ifndef ULVO_HOST_H
#define ULVO_HOST_H

#include "../wine/forward_cases.h"
#include "../wine/stub_engine.h"
#include "../wine/ulvoran_api.h"
#include "led_engine_key.h"
#include "mini_jni.h"

#include <hostwin_test.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

inline void setEngineValue(DWORD type, const void *data, DWORD size) {
  hostwin_reg_set_value(HKEY_LOCAL_MACHINE, kLedEngineKey, nullptr, type, data,
                        size);
}

// The path as a string value with its terminating NUL.
inline void registerEngine(const std::string &path) {
  setEngineValue(REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
}

inline void unregisterEngine() {
  hostwin_reg_delete_key(HKEY_LOCAL_MACHINE, kLedEngineKey);
}

inline const ulvoran_api::Api &binding() {
  static ulvoran_api::Api api;
  static bool loaded = api.load(ULVO_BINDING_PATH);
  EXPECT_TRUE(loaded);
  return api;
}

inline StubEngine stub(const char *path) {
  StubEngine s;
  EXPECT_TRUE(s.load(path)) << path;
  return s;
}

#endif
