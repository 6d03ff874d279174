// The nine native methods of eu.velquor.mod.manager.keyboard.TovrikController.
// None uses its JNI environment or class argument.
#include <jni.h>

#include "controller.h"

#define TOVRIK_METHOD(name)                                                    \
  Java_eu_velquor_mod_manager_keyboard_TovrikController_##name

extern "C" {

JNIEXPORT jboolean JNICALL TOVRIK_METHOD(init)(JNIEnv *, jclass) {
  return controllerInit() ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT void JNICALL TOVRIK_METHOD(unInit)(JNIEnv *, jclass) {
  controllerUnInit();
}

JNIEXPORT void JNICALL TOVRIK_METHOD(update)(JNIEnv *, jclass) {
  controllerUpdate();
}

JNIEXPORT void JNICALL TOVRIK_METHOD(onDamage)(JNIEnv *, jclass) {
  controllerOnDamage();
}

JNIEXPORT void JNICALL TOVRIK_METHOD(displayPotionColor)(JNIEnv *, jclass,
                                                         jint color) {
  controllerDisplayPotionColor(color);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(setIlluminatedKeys)(JNIEnv *, jclass,
                                                         jint mode,
                                                         jint color) {
  controllerSetIlluminatedKeys(mode, color);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(setShowHealth)(JNIEnv *, jclass,
                                                    jboolean show) {
  controllerSetShowHealth(show != JNI_FALSE);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(setShowArmor)(JNIEnv *, jclass,
                                                   jboolean show) {
  controllerSetShowArmor(show != JNI_FALSE);
}

JNIEXPORT void JNICALL TOVRIK_METHOD(updateHealthAndArmor)(JNIEnv *, jclass,
                                                           jfloat health,
                                                           jfloat armor) {
  controllerUpdateHealthAndArmor(health, armor);
}

} // extern "C"
