// The native methods of eu.velquor.mod.manager.keyboard.DuvekController.
// None of them touches the JNI environment or the object reference.
#include "duvek.h"

#include <jni.h>

using namespace duvek;

#define DUVEK_METHOD(name)                                                     \
  Java_eu_velquor_mod_manager_keyboard_DuvekController_##name

extern "C" {

// The 32-bit result code widens with its sign: -1 reaches Java as -1L.
JNIEXPORT jlong JNICALL DUVEK_METHOD(init0)(JNIEnv *, jobject) {
  return static_cast<jlong>(initBinding());
}

JNIEXPORT jlong JNICALL DUVEK_METHOD(unInit0)(JNIEnv *, jobject) {
  return static_cast<jlong>(unInitBinding());
}

JNIEXPORT jint JNICALL DUVEK_METHOD(update)(JNIEnv *, jobject) {
  return renderFrame();
}

JNIEXPORT void JNICALL DUVEK_METHOD(onDamage)(JNIEnv *, jobject) {
  startDamageFlash();
}

JNIEXPORT void JNICALL DUVEK_METHOD(setIlluminatedKeys)(JNIEnv *, jobject,
                                                        jint mode, jint color) {
  controllerState.illuminatedKeys.store(mode, std::memory_order_relaxed);
  controllerState.keyColor.store(toEffectColor(color),
                                 std::memory_order_relaxed);
}

JNIEXPORT void JNICALL DUVEK_METHOD(setShowHealth)(JNIEnv *, jobject,
                                                   jboolean show) {
  controllerState.showHealth.store(show != 0, std::memory_order_relaxed);
}

JNIEXPORT void JNICALL DUVEK_METHOD(setShowArmor)(JNIEnv *, jobject,
                                                  jboolean show) {
  controllerState.showArmor.store(show != 0, std::memory_order_relaxed);
}

JNIEXPORT void JNICALL DUVEK_METHOD(updateHealthAndArmor)(JNIEnv *, jobject,
                                                          jfloat health,
                                                          jfloat armor) {
  controllerState.health.store(health, std::memory_order_relaxed);
  controllerState.armor.store(armor, std::memory_order_relaxed);
}

JNIEXPORT void JNICALL DUVEK_METHOD(displayPotionColor)(JNIEnv *, jobject,
                                                        jint color) {
  displayPotionColor(color);
}

} // extern "C"
