// Test-only JNI library for the JVM tests: a lighting service thread in the
// JVM's process, what it recorded as strings, and an empty native method as
// the floor of a JNI call.
#include <jni.h>

#include <memory>
#include <string>

#include "fake_service.h"

namespace {

std::unique_ptr<FakeService> service;

} // namespace

#define PROBE(name)                                                            \
  Java_eu_velquor_mod_manager_keyboard_tests_TovrikProbe_##name

extern "C" {

JNIEXPORT void JNICALL PROBE(startService)(JNIEnv *, jclass) {
  service.reset();
  service = std::make_unique<FakeService>();
}

JNIEXPORT void JNICALL PROBE(stopService)(JNIEnv *, jclass) { service.reset(); }

JNIEXPORT void JNICALL PROBE(clear)(JNIEnv *, jclass) {
  if (service)
    service->clear();
}

JNIEXPORT jobjectArray JNICALL PROBE(events)(JNIEnv *env, jclass, jint atLeast,
                                             jint timeoutMs) {
  std::vector<ServiceEvent> ev;
  if (service) {
    service->waitForEvents(static_cast<size_t>(atLeast), timeoutMs);
    ev = service->events();
  }
  jclass str = env->FindClass("java/lang/String");
  jobjectArray out =
      env->NewObjectArray(static_cast<jsize>(ev.size()), str, nullptr);
  for (size_t i = 0; i < ev.size(); i++) {
    jstring s = env->NewStringUTF(describe(ev[i]).c_str());
    env->SetObjectArrayElement(out, static_cast<jsize>(i), s);
    env->DeleteLocalRef(s);
  }
  return out;
}

JNIEXPORT void JNICALL PROBE(empty)(JNIEnv *, jclass) {}

} // extern "C"
