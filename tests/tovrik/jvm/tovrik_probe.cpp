// Test-only JNI library for the JVM tests: a lighting service thread in the
// JVM's process, what it recorded as strings, and an empty native method as
// the floor of a JNI call.
#include <jni.h>

#include <cstdio>
#include <memory>
#include <string>

#include "fake_service.h"

namespace {

std::unique_ptr<FakeService> service;

std::string describe(const ServiceEvent &e) {
  TalkIds ids = talkIds();
  char buf[128];
  if (e.msg == WM_COPYDATA) {
    std::string out = "keys " + std::to_string(e.cbData) + " ";
    for (uint8_t b : e.data) {
      std::snprintf(buf, sizeof buf, "%02x", b);
      out += buf;
    }
    return out;
  }
  if (e.msg == ids.ledDiscover)
    std::snprintf(buf, sizeof buf, "discover 0x%08lX",
                  static_cast<unsigned long>(e.wp));
  else if (e.msg == ids.ledControl)
    std::snprintf(buf, sizeof buf, "led-control %lu %ld",
                  static_cast<unsigned long>(e.wp), static_cast<long>(e.lp));
  else if (e.msg == ids.lightControl)
    std::snprintf(buf, sizeof buf, "light-control 0x%08lX 0x%08lX",
                  static_cast<unsigned long>(e.wp),
                  static_cast<unsigned long>(e.lp));
  else
    std::snprintf(buf, sizeof buf, "msg 0x%04X 0x%08lX 0x%08lX", e.msg,
                  static_cast<unsigned long>(e.wp),
                  static_cast<unsigned long>(e.lp));
  return buf;
}

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
