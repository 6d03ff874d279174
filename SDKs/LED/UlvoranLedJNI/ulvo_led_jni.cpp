// The native methods of com.ulvoran.gaming.UlvoLED.  Each one calls the
// engine entry of its own name with the Java arguments as they came, or
// returns false when the entry is not bound.  Only the bitmap method touches
// the JNI environment; none uses the class reference.
#include "led_engine.h"

#include <jni.h>

#include <new>

using namespace ulvoran;

#define ULVO_METHOD(name) Java_com_ulvoran_gaming_UlvoLED_##name

// Defined beside its readers: 64-bit MinGW reaches data defined in another
// file through an extra pointer (.refptr), one more load per forwarded call.
LedEngine ulvoran::ledEngine;

namespace {

jboolean callEngine0(LedEntry e) {
  EngineFn0 fn = ledEntry<EngineFn0>(e);
  return fn ? fn() : JNI_FALSE;
}

jboolean callEngine1(LedEntry e, jint a) {
  EngineFn1 fn = ledEntry<EngineFn1>(e);
  return fn ? fn(a) : JNI_FALSE;
}

jboolean callEngine4(LedEntry e, jint a, jint b, jint c, jint d) {
  EngineFn4 fn = ledEntry<EngineFn4>(e);
  return fn ? fn(a, b, c, d) : JNI_FALSE;
}

jboolean callEngine5(LedEntry e, jint a, jint b, jint c, jint d, jint f) {
  EngineFn5 fn = ledEntry<EngineFn5>(e);
  return fn ? fn(a, b, c, d, f) : JNI_FALSE;
}

} // namespace

extern "C" {

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedInit)(JNIEnv *, jclass) {
  if (!loadLedEngine())
    return JNI_FALSE;
  return callEngine0(kInit);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetTargetDevice)(JNIEnv *, jclass,
                                                               jint device) {
  return callEngine1(kSetTargetDevice, device);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSaveCurrentLighting)(JNIEnv *,
                                                                   jclass) {
  return callEngine0(kSaveCurrentLighting);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLighting)(JNIEnv *, jclass,
                                                           jint a, jint b,
                                                           jint c) {
  EngineFn3 fn = ledEntry<EngineFn3>(kSetLighting);
  return fn ? fn(a, b, c) : JNI_FALSE;
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedRestoreLighting)(JNIEnv *,
                                                               jclass) {
  return callEngine0(kRestoreLighting);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSaveLightingForKey)(JNIEnv *,
                                                                  jclass,
                                                                  jint key) {
  return callEngine1(kSaveLightingForKey, key);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedRestoreLightingForKey)(JNIEnv *,
                                                                     jclass,
                                                                     jint key) {
  return callEngine1(kRestoreLightingForKey, key);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedFlashLighting)(JNIEnv *, jclass,
                                                             jint a, jint b,
                                                             jint c, jint d,
                                                             jint e) {
  return callEngine5(kFlashLighting, a, b, c, d, e);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedPulseLighting)(JNIEnv *, jclass,
                                                             jint a, jint b,
                                                             jint c, jint d,
                                                             jint e) {
  return callEngine5(kPulseLighting, a, b, c, d, e);
}

// The engine takes a native buffer and no length, so the array is copied
// whole for the length of the call.  A null array, or a copy that cannot be
// allocated, is a false result rather than a crash in the engine; an empty
// array still reaches the engine, with a valid (one-byte) buffer.
JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingFromBitmap)(
    JNIEnv *env, jclass, jbyteArray bitmap) {
  EngineFnBitmap fn = ledEntry<EngineFnBitmap>(kSetLightingFromBitmap);
  if (!fn || !bitmap)
    return JNI_FALSE;
  jsize length = env->GetArrayLength(bitmap);
  if (length < 0)
    return JNI_FALSE;
  jbyte *copy = new (std::nothrow) jbyte[length > 0 ? length : 1];
  if (!copy)
    return JNI_FALSE;
  env->GetByteArrayRegion(bitmap, 0, length, copy);
  EngineBool result = fn(reinterpret_cast<unsigned char *>(copy));
  delete[] copy;
  return result;
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithScanCode)(
    JNIEnv *, jclass, jint a, jint b, jint c, jint d) {
  return callEngine4(kSetLightingForKeyWithScanCode, a, b, c, d);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithHidCode)(
    JNIEnv *, jclass, jint a, jint b, jint c, jint d) {
  return callEngine4(kSetLightingForKeyWithHidCode, a, b, c, d);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithQuartzCode)(
    JNIEnv *, jclass, jint a, jint b, jint c, jint d) {
  return callEngine4(kSetLightingForKeyWithQuartzCode, a, b, c, d);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithKeyName)(
    JNIEnv *, jclass, jint a, jint b, jint c, jint d) {
  return callEngine4(kSetLightingForKeyWithKeyName, a, b, c, d);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedFlashSingleKey)(JNIEnv *, jclass,
                                                              jint a, jint b,
                                                              jint c, jint d,
                                                              jint e, jint f) {
  EngineFn6 fn = ledEntry<EngineFn6>(kFlashSingleKey);
  return fn ? fn(a, b, c, d, e, f) : JNI_FALSE;
}

// The Java boolean may hold any nonzero byte; the engine's is 0 or 1.
JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedPulseSingleKey)(
    JNIEnv *, jclass, jint a, jint b, jint c, jint d, jint e, jint f, jint g,
    jint h, jboolean infinite) {
  EngineFnPulseKey fn = ledEntry<EngineFnPulseKey>(kPulseSingleKey);
  EngineBool flag = infinite != 0 ? 1 : 0;
  return fn ? fn(a, b, c, d, e, f, g, h, flag) : JNI_FALSE;
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedStopEffectsOnKey)(JNIEnv *,
                                                                jclass,
                                                                jint key) {
  return callEngine1(kStopEffectsOnKey, key);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedStopEffects)(JNIEnv *, jclass) {
  return callEngine0(kStopEffects);
}

// Forwarded only: the engine stays loaded and bound afterwards.
JNIEXPORT void JNICALL ULVO_METHOD(UlvoLedShutdown)(JNIEnv *, jclass) {
  EngineFnVoid fn = ledEntry<EngineFnVoid>(kShutdown);
  if (fn)
    fn();
}

} // extern "C"
