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

// Calls the entry as its own function type with the arguments as they came,
// or answers false when the entry is not bound.
template <class Fn, class... Args>
jboolean callEngine(LedEntry entry, Args... args) {
  Fn fn = ledEntry<Fn>(entry);
  return fn ? fn(args...) : JNI_FALSE;
}

} // namespace

extern "C" {

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedInit)(JNIEnv *, jclass) {
  if (!loadLedEngine())
    return JNI_FALSE;
  return callEngine<EngineFn0>(kInit);
}

JNIEXPORT jboolean JNICALL
ULVO_METHOD(UlvoLedSetTargetDevice)(JNIEnv *, jclass, jint targetDevice) {
  return callEngine<EngineFn1>(kSetTargetDevice, targetDevice);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSaveCurrentLighting)(JNIEnv *,
                                                                   jclass) {
  return callEngine<EngineFn0>(kSaveCurrentLighting);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLighting)(JNIEnv *, jclass,
                                                           jint red, jint green,
                                                           jint blue) {
  return callEngine<EngineFn3>(kSetLighting, red, green, blue);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedRestoreLighting)(JNIEnv *,
                                                               jclass) {
  return callEngine<EngineFn0>(kRestoreLighting);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSaveLightingForKey)(JNIEnv *,
                                                                  jclass,
                                                                  jint key) {
  return callEngine<EngineFn1>(kSaveLightingForKey, key);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedRestoreLightingForKey)(JNIEnv *,
                                                                     jclass,
                                                                     jint key) {
  return callEngine<EngineFn1>(kRestoreLightingForKey, key);
}

JNIEXPORT jboolean JNICALL
ULVO_METHOD(UlvoLedFlashLighting)(JNIEnv *, jclass, jint red, jint green,
                                  jint blue, jint duration, jint interval) {
  return callEngine<EngineFn5>(kFlashLighting, red, green, blue, duration,
                               interval);
}

JNIEXPORT jboolean JNICALL
ULVO_METHOD(UlvoLedPulseLighting)(JNIEnv *, jclass, jint red, jint green,
                                  jint blue, jint duration, jint interval) {
  return callEngine<EngineFn5>(kPulseLighting, red, green, blue, duration,
                               interval);
}

// The engine takes a native buffer and no length, so the array is copied
// whole for the length of the call.  A null array, or a copy that cannot be
// allocated, is a false result rather than a crash in the engine; an empty
// array still reaches the engine, with a valid (one-byte) buffer.
JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingFromBitmap)(
    JNIEnv *env, jclass, jbyteArray bitmap) {
  if (!ledEntry<EngineFnBitmap>(kSetLightingFromBitmap) || !bitmap)
    return JNI_FALSE;
  jsize length = env->GetArrayLength(bitmap);
  if (length < 0)
    return JNI_FALSE;
  jbyte *copy = new (std::nothrow) jbyte[length > 0 ? length : 1];
  if (!copy)
    return JNI_FALSE;
  env->GetByteArrayRegion(bitmap, 0, length, copy);
  jboolean result = callEngine<EngineFnBitmap>(
      kSetLightingFromBitmap, reinterpret_cast<unsigned char *>(copy));
  delete[] copy;
  return result;
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithScanCode)(
    JNIEnv *, jclass, jint key, jint red, jint green, jint blue) {
  return callEngine<EngineFn4>(kSetLightingForKeyWithScanCode, key, red, green,
                               blue);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithHidCode)(
    JNIEnv *, jclass, jint key, jint red, jint green, jint blue) {
  return callEngine<EngineFn4>(kSetLightingForKeyWithHidCode, key, red, green,
                               blue);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithQuartzCode)(
    JNIEnv *, jclass, jint key, jint red, jint green, jint blue) {
  return callEngine<EngineFn4>(kSetLightingForKeyWithQuartzCode, key, red,
                               green, blue);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedSetLightingForKeyWithKeyName)(
    JNIEnv *, jclass, jint key, jint red, jint green, jint blue) {
  return callEngine<EngineFn4>(kSetLightingForKeyWithKeyName, key, red, green,
                               blue);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedFlashSingleKey)(
    JNIEnv *, jclass, jint key, jint red, jint green, jint blue, jint duration,
    jint interval) {
  return callEngine<EngineFn6>(kFlashSingleKey, key, red, green, blue, duration,
                               interval);
}

// The Java boolean may hold any nonzero byte; the engine's is 0 or 1.
JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedPulseSingleKey)(
    JNIEnv *, jclass, jint key, jint startRed, jint startGreen, jint startBlue,
    jint endRed, jint endGreen, jint endBlue, jint duration,
    jboolean infinite) {
  EngineBool flag = infinite != 0 ? 1 : 0;
  return callEngine<EngineFnPulseKey>(kPulseSingleKey, key, startRed,
                                      startGreen, startBlue, endRed, endGreen,
                                      endBlue, duration, flag);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedStopEffectsOnKey)(JNIEnv *,
                                                                jclass,
                                                                jint key) {
  return callEngine<EngineFn1>(kStopEffectsOnKey, key);
}

JNIEXPORT jboolean JNICALL ULVO_METHOD(UlvoLedStopEffects)(JNIEnv *, jclass) {
  return callEngine<EngineFn0>(kStopEffects);
}

// Forwarded only: the engine stays loaded and bound afterwards.
JNIEXPORT void JNICALL ULVO_METHOD(UlvoLedShutdown)(JNIEnv *, jclass) {
  EngineFnVoid fn = ledEntry<EngineFnVoid>(kShutdown);
  if (fn)
    fn();
}

} // extern "C"
