// The LED binding's engine path from a registry value of any type, length
// and contents (0 to 600 bytes, terminated or not): the binding opens the
// key read-only in its own view, closes it again, and asks the loader only
// for a string that ends inside its 260-byte buffer and is the value's text.
#include <windows.h>

#include <cstring>
#include <string>

#include "../ulvoran/wine/ulvoran_api.h"
#include "fuzz_input.h"
#include "hostwin_test.h"
#include "led_engine_key.h"
#include "mini_jni.h"

namespace {

// Only the stand-in engine loads; any other name fails as a missing file.
int onlyTheEngine(const char *name) {
  return std::strcmp(name, ULVO_ENGINE_PATH) == 0;
}

ulvoran_api::Api &binding() {
  static ulvoran_api::Api api;
  static bool loaded = api.load(ULVO_BINDING_PATH);
  FUZZ_REQUIRE(loaded);
  return api;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static mini_jni::Env env;
  ulvoran_api::Api &api = binding();
  hostwin_set_load_filter(onlyTheEngine);
  FuzzInput in{data, size};
  DWORD type = in.take<uint8_t>() % 12;
  size_t length = in.size > 600 ? 600 : in.size;
  std::string value(reinterpret_cast<const char *>(in.data), length);
  hostwin_reg_clear();
  hostwin_reg_set_value(HKEY_LOCAL_MACHINE, kLedEngineKey, nullptr, type,
                        value.data(), static_cast<DWORD>(value.size()));
  int loadsBefore = hostwin_load_calls();
  api.UlvoLedInit(env.jni(), nullptr);
  bool loaded = hostwin_load_calls() != loadsBefore;
  // A shorter value than the buffer ends in the buffer's zeros.
  size_t end = value.find('\0');
  bool fits = value.size() < 260 || (value.size() == 260 && end != value.npos);
  FUZZ_REQUIRE(loaded == fits);
  if (loaded)
    FUZZ_REQUIRE(value.compare(0, end, hostwin_last_load_path()) == 0);
  REGSAM masks[4];
  FUZZ_REQUIRE(hostwin_reg_open_masks(masks, 4) == 1);
  FUZZ_REQUIRE(masks[0] == KEY_READ);
  FUZZ_REQUIRE(hostwin_reg_open_handles() == 0);
  return 0;
}
