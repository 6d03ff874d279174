// UlvoLedSetLightingFromBitmap with Java byte arrays of any length, null
// included: the binding asks for exactly the array's length from index 0,
// and for nothing when there is no array.  How much the engine reads is the
// engine's affair, so the stand-in reads exactly the array's length; the
// copy is an exact buffer, so a read past it is caught.
#include <windows.h>

#include <vector>

#include "../ulvoran/wine/stub_engine.h"
#include "../ulvoran/wine/ulvoran_api.h"
#include "fuzz_input.h"
#include "hostwin_test.h"
#include "led_engine_key.h"
#include "mini_jni.h"

namespace {

ulvoran_api::Api &boundBinding(mini_jni::Env &env) {
  static ulvoran_api::Api api;
  static bool ready = [&] {
    const char path[] = ULVO_ENGINE_PATH;
    hostwin_reg_set_value(HKEY_LOCAL_MACHINE, kLedEngineKey, nullptr, REG_SZ,
                          path, sizeof path);
    return api.load(ULVO_BINDING_PATH) && api.UlvoLedInit(env.jni(), nullptr);
  }();
  FUZZ_REQUIRE(ready);
  return api;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static mini_jni::Env env;
  ulvoran_api::Api &api = boundBinding(env);
  static StubEngine engine;
  static bool controlled = engine.load(ULVO_ENGINE_PATH);
  FUZZ_REQUIRE(controlled);
  FuzzInput in{data, size};
  bool null = (in.take<uint8_t>() & 7) == 0;
  std::vector<uint8_t> bytes(in.data, in.data + in.size);
  engine.setBitmapBytes(static_cast<int>(bytes.size()));
  env.reset();
  jbyteArray array =
      null ? nullptr
           : env.array(bytes.data(), static_cast<jsize>(bytes.size()));
  api.UlvoLedSetLightingFromBitmap(env.jni(), nullptr, array);
  FUZZ_REQUIRE(env.regionCalls == (null ? 0 : 1));
  if (!null)
    FUZZ_REQUIRE(env.regionStart == 0 &&
                 env.regionLength == static_cast<jsize>(bytes.size()));
  return 0;
}
