// The nine native methods of eu.velquor.mod.manager.keyboard.TovrikController.
// None uses its JNI environment or class argument.
#include <jni.h>

#include "controller.h"

#define TOVRIK_METHOD(name)                                                    \
  Java_eu_velquor_mod_manager_keyboard_TovrikController_##name

extern "C" {

JNIEXPORT jboolean JNICALL TOVRIK_METHOD(init)(JNIEnv *, jclass) {
  return tovrik::init() ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT void JNICALL TOVRIK_METHOD(unInit)(JNIEnv *, jclass) {
  tovrik::unInit();
}

JNIEXPORT void JNICALL TOVRIK_METHOD(update)(JNIEnv *, jclass) {
  tovrik::renderFrame();
}

JNIEXPORT void JNICALL TOVRIK_METHOD(onDamage)(JNIEnv *, jclass) {
  tovrik::onDamage();
}

JNIEXPORT void JNICALL TOVRIK_METHOD(displayPotionColor)(JNIEnv *, jclass,
                                                         jint color) {
  tovrik::displayPotionColor(color);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(setIlluminatedKeys)(JNIEnv *, jclass,
                                                         jint mode,
                                                         jint color) {
  tovrik::setIlluminatedKeys(mode, color);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(setShowHealth)(JNIEnv *, jclass,
                                                    jboolean show) {
  tovrik::setShowHealth(show != JNI_FALSE);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(setShowArmor)(JNIEnv *, jclass,
                                                   jboolean show) {
  tovrik::setShowArmor(show != JNI_FALSE);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(updateHealthAndArmor)(JNIEnv *, jclass,
                                                           jfloat health,
                                                           jfloat armor) {
  tovrik::updateHealthAndArmor(health, armor);
}

} // extern "C"
