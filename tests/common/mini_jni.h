// Just enough of a JNIEnv for the native methods that take a Java byte
// array, for the test hosts and the preview's player: a function table that
// is null but for GetArrayLength (171) and GetByteArrayRegion (200), and
// byte arrays that are plain native buffers.  It counts what the library
// asks of it.
#ifndef VELQUOR_MINI_JNI_H
#define VELQUOR_MINI_JNI_H

#include <jni.h>

#include <cstddef>
#include <cstring>

namespace mini_jni {

static_assert(offsetof(JNINativeInterface_, GetArrayLength) ==
                  171 * sizeof(void *),
              "GetArrayLength is entry 171");
static_assert(offsetof(JNINativeInterface_, GetByteArrayRegion) ==
                  200 * sizeof(void *),
              "GetByteArrayRegion is entry 200");

// What a jbyteArray handed out by Env::array points to.  length may claim
// more than data holds (to ask for a copy that cannot be allocated): the
// region copy then stops at data's real size.
struct ByteArray {
  const jbyte *data;
  jsize length;
  jsize stored;
};

struct Env {
  JNIEnv_ env; // first, so a JNIEnv * is an Env *
  JNINativeInterface_ table;
  int lengthCalls;
  int regionCalls;
  jsize regionStart;
  jsize regionLength;
  ByteArray slot;

  Env() : slot{nullptr, 0, 0} {
    std::memset(static_cast<void *>(&table), 0, sizeof table);
    table.GetArrayLength = &getArrayLength;
    table.GetByteArrayRegion = &getByteArrayRegion;
    env.functions = &table;
    reset();
  }

  void reset() {
    lengthCalls = regionCalls = 0;
    regionStart = regionLength = -1;
  }

  JNIEnv *jni() { return &env; }

  // A Java byte[] of `length` elements, of which the first `stored` are in
  // data (all of them unless told otherwise).
  jbyteArray array(const void *data, jsize length, jsize stored = -1) {
    slot = ByteArray{static_cast<const jbyte *>(data), length,
                     stored < 0 ? length : stored};
    return reinterpret_cast<jbyteArray>(&slot);
  }

  static Env *of(JNIEnv *e) { return reinterpret_cast<Env *>(e); }

  static jsize JNICALL getArrayLength(JNIEnv *e, jarray a) {
    of(e)->lengthCalls++;
    return reinterpret_cast<ByteArray *>(a)->length;
  }

  static void JNICALL getByteArrayRegion(JNIEnv *e, jbyteArray a, jsize start,
                                         jsize len, jbyte *buf) {
    Env *self = of(e);
    auto *arr = reinterpret_cast<ByteArray *>(a);
    self->regionCalls++;
    self->regionStart = start;
    self->regionLength = len;
    jsize n = len;
    if (start < 0 || start > arr->stored)
      return;
    if (n > arr->stored - start)
      n = arr->stored - start;
    if (n > 0)
      std::memcpy(buf, arr->data + start, static_cast<size_t>(n));
  }
};

} // namespace mini_jni

#endif
