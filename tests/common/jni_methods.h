// The native methods of each library, one line each: the Java result type,
// the method name and the C parameter list the JVM calls it with.  The
// Windows test programs' binders and the host tests' declarations are made
// from these lists; the .def files and the expected-export lists stay apart,
// as they are what the checks compare against.
#ifndef VELQUOR_JNI_METHODS_H
#define VELQUOR_JNI_METHODS_H

#include <jni.h>

#define TOVRIK_EXPORT_PREFIX                                                   \
  "Java_eu_velquor_mod_manager_keyboard_TovrikController_"
#define TOVRIK_EXPORT(name)                                                    \
  Java_eu_velquor_mod_manager_keyboard_TovrikController_##name
#define TOVRIK_METHODS(X)                                                      \
  X(jboolean, init, (JNIEnv *, jclass))                                        \
  X(void, unInit, (JNIEnv *, jclass))                                          \
  X(void, update, (JNIEnv *, jclass))                                          \
  X(void, onDamage, (JNIEnv *, jclass))                                        \
  X(void, displayPotionColor, (JNIEnv *, jclass, jint))                        \
  X(void, setIlluminatedKeys, (JNIEnv *, jclass, jint, jint))                  \
  X(void, setShowHealth, (JNIEnv *, jclass, jboolean))                         \
  X(void, setShowArmor, (JNIEnv *, jclass, jboolean))                          \
  X(void, updateHealthAndArmor, (JNIEnv *, jclass, jfloat, jfloat))

#define DUVEK_EXPORT_PREFIX                                                    \
  "Java_eu_velquor_mod_manager_keyboard_DuvekController_"
#define DUVEK_EXPORT(name)                                                     \
  Java_eu_velquor_mod_manager_keyboard_DuvekController_##name
#define DUVEK_METHODS(X)                                                       \
  X(jlong, init0, (JNIEnv *, jobject))                                         \
  X(jlong, unInit0, (JNIEnv *, jobject))                                       \
  X(jint, update, (JNIEnv *, jobject))                                         \
  X(void, onDamage, (JNIEnv *, jobject))                                       \
  X(void, setIlluminatedKeys, (JNIEnv *, jobject, jint, jint))                 \
  X(void, setShowHealth, (JNIEnv *, jobject, jboolean))                        \
  X(void, setShowArmor, (JNIEnv *, jobject, jboolean))                         \
  X(void, updateHealthAndArmor, (JNIEnv *, jobject, jfloat, jfloat))           \
  X(void, displayPotionColor, (JNIEnv *, jobject, jint))

#define ULVORAN_EXPORT_PREFIX "Java_com_ulvoran_gaming_UlvoLED_"
#define ULVORAN_EXPORT(name) Java_com_ulvoran_gaming_UlvoLED_##name
#define ULVORAN_METHODS(X)                                                     \
  X(jboolean, UlvoLedInit, (JNIEnv *, jclass))                                 \
  X(jboolean, UlvoLedSetTargetDevice, (JNIEnv *, jclass, jint))                \
  X(jboolean, UlvoLedSaveCurrentLighting, (JNIEnv *, jclass))                  \
  X(jboolean, UlvoLedSetLighting, (JNIEnv *, jclass, jint, jint, jint))        \
  X(jboolean, UlvoLedRestoreLighting, (JNIEnv *, jclass))                      \
  X(jboolean, UlvoLedSaveLightingForKey, (JNIEnv *, jclass, jint))             \
  X(jboolean, UlvoLedRestoreLightingForKey, (JNIEnv *, jclass, jint))          \
  X(jboolean, UlvoLedFlashLighting,                                            \
    (JNIEnv *, jclass, jint, jint, jint, jint, jint))                          \
  X(jboolean, UlvoLedPulseLighting,                                            \
    (JNIEnv *, jclass, jint, jint, jint, jint, jint))                          \
  X(jboolean, UlvoLedSetLightingFromBitmap, (JNIEnv *, jclass, jbyteArray))    \
  X(jboolean, UlvoLedSetLightingForKeyWithScanCode,                            \
    (JNIEnv *, jclass, jint, jint, jint, jint))                                \
  X(jboolean, UlvoLedSetLightingForKeyWithHidCode,                             \
    (JNIEnv *, jclass, jint, jint, jint, jint))                                \
  X(jboolean, UlvoLedSetLightingForKeyWithQuartzCode,                          \
    (JNIEnv *, jclass, jint, jint, jint, jint))                                \
  X(jboolean, UlvoLedSetLightingForKeyWithKeyName,                             \
    (JNIEnv *, jclass, jint, jint, jint, jint))                                \
  X(jboolean, UlvoLedFlashSingleKey,                                           \
    (JNIEnv *, jclass, jint, jint, jint, jint, jint, jint))                    \
  X(jboolean, UlvoLedPulseSingleKey,                                           \
    (JNIEnv *, jclass, jint, jint, jint, jint, jint, jint, jint, jint,         \
     jboolean))                                                                \
  X(jboolean, UlvoLedStopEffectsOnKey, (JNIEnv *, jclass, jint))               \
  X(jboolean, UlvoLedStopEffects, (JNIEnv *, jclass))                          \
  X(void, UlvoLedShutdown, (JNIEnv *, jclass))

// Declares each method of a list as the library exports it, for host tests
// that link the library directly:  LIST(VELQUOR_DECLARE_TOVRIK) etc.
#define VELQUOR_DECLARE_TOVRIK(ret, name, params)                              \
  JNIEXPORT ret JNICALL TOVRIK_EXPORT(name) params;
#define VELQUOR_DECLARE_DUVEK(ret, name, params)                               \
  JNIEXPORT ret JNICALL DUVEK_EXPORT(name) params;

#endif
