// Native side of UlvoLEDTest: plays the machine (the registry) and reads the
// stand-in engine, inside the JVM that loaded UlvoranLedJNI.  Also holds an
// empty native method to time the bare JNI call against.
#include "../wine/stub_engine.h"
#include "led_engine_key.h"

#include <hostwin_test.h>
#include <jni.h>

#include <cstdio>
#include <cstdlib>

#define SUPPORT(name) Java_com_ulvoran_gaming_UlvoLEDTest_##name

namespace {

StubEngine &engine() {
  static StubEngine s;
  static bool loaded = s.load(ULVO_ENGINE_COMPLETE);
  if (!loaded) {
    std::fprintf(stderr, "cannot load %s\n", ULVO_ENGINE_COMPLETE);
    std::abort();
  }
  return s;
}

} // namespace

extern "C" {

JNIEXPORT void JNICALL SUPPORT(registerEngine)(JNIEnv *, jclass) {
  hostwin_reg_set_value(HKEY_LOCAL_MACHINE, kLedEngineKey, nullptr, REG_SZ,
                        ULVO_ENGINE_COMPLETE, sizeof ULVO_ENGINE_COMPLETE);
}

JNIEXPORT void JNICALL SUPPORT(unregisterEngine)(JNIEnv *, jclass) {
  hostwin_reg_delete_key(HKEY_LOCAL_MACHINE, kLedEngineKey);
}

JNIEXPORT void JNICALL SUPPORT(engineReset)(JNIEnv *, jclass) {
  engine().reset();
}

JNIEXPORT void JNICALL SUPPORT(engineSetResult)(JNIEnv *, jclass,
                                                jboolean result) {
  engine().setResult(result);
}

JNIEXPORT void JNICALL SUPPORT(engineSetBitmapBytes)(JNIEnv *, jclass,
                                                     jint bytes) {
  engine().setBitmapBytes(bytes);
}

JNIEXPORT void JNICALL SUPPORT(engineSetQuiet)(JNIEnv *, jclass,
                                               jboolean quiet) {
  engine().setQuiet(quiet);
}

JNIEXPORT jint JNICALL SUPPORT(engineCallCount)(JNIEnv *, jclass) {
  return engine().count();
}

JNIEXPORT jstring JNICALL SUPPORT(engineLastCall)(JNIEnv *env, jclass) {
  return env->NewStringUTF(engine().last().c_str());
}

JNIEXPORT jboolean JNICALL SUPPORT(emptyNative)(JNIEnv *, jclass, jint, jint,
                                                jint) {
  return JNI_TRUE;
}

} // extern "C"
