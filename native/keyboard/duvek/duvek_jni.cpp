// The nine native methods of eu.velquor.mod.manager.keyboard.DuvekController.
// None uses its JNI environment or object argument.
#include <jni.h>

#include "controller.h"

#define DUVEK_METHOD(name)                                                     \
  Java_eu_velquor_mod_manager_keyboard_DuvekController_##name

extern "C" {

// The 32-bit result code widens with its sign: -1 reaches Java as -1L.
JNIEXPORT jlong JNICALL DUVEK_METHOD(init0)(JNIEnv *, jobject) {
  return static_cast<jlong>(duvek::init());
}

JNIEXPORT jlong JNICALL DUVEK_METHOD(unInit0)(JNIEnv *, jobject) {
  return static_cast<jlong>(duvek::unInit());
}

JNIEXPORT jint JNICALL DUVEK_METHOD(update)(JNIEnv *, jobject) {
  return duvek::renderFrame();
}

JNIEXPORT void JNICALL DUVEK_METHOD(onDamage)(JNIEnv *, jobject) {
  duvek::onDamage();
}

JNIEXPORT void JNICALL DUVEK_METHOD(setIlluminatedKeys)(JNIEnv *, jobject,
                                                        jint mode, jint color) {
  duvek::setIlluminatedKeys(mode, color);
}

JNIEXPORT void JNICALL DUVEK_METHOD(setShowHealth)(JNIEnv *, jobject,
                                                   jboolean show) {
  duvek::setShowHealth(show != JNI_FALSE);
}

JNIEXPORT void JNICALL DUVEK_METHOD(setShowArmor)(JNIEnv *, jobject,
                                                  jboolean show) {
  duvek::setShowArmor(show != JNI_FALSE);
}

JNIEXPORT void JNICALL DUVEK_METHOD(updateHealthAndArmor)(JNIEnv *, jobject,
                                                          jfloat health,
                                                          jfloat armor) {
  duvek::updateHealthAndArmor(health, armor);
}

JNIEXPORT void JNICALL DUVEK_METHOD(displayPotionColor)(JNIEnv *, jobject,
                                                        jint color) {
  duvek::displayPotionColor(color);
}

} // extern "C"
