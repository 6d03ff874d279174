// The nine exports of Duvek.dll, bound by their exact names, for Windows
// test programs and tools that load the real DLL of their bitness.
#ifndef DUVEK_API_H
#define DUVEK_API_H

#include <windows.h>

#include <jni.h>

#include "jni_export.h"

// The effect library's name that this build of Duvek loads first.
#ifdef _WIN64
constexpr const char *kEffectLibraryName = "DvGlowSDK64.dll";
#else
constexpr const char *kEffectLibraryName = "DvGlowSDK.dll";
#endif

struct DuvekApi {
  HMODULE module = nullptr;
  jlong(JNICALL *init0)(JNIEnv *, jobject) = nullptr;
  jlong(JNICALL *unInit0)(JNIEnv *, jobject) = nullptr;
  jint(JNICALL *update)(JNIEnv *, jobject) = nullptr;
  void(JNICALL *onDamage)(JNIEnv *, jobject) = nullptr;
  void(JNICALL *setIlluminatedKeys)(JNIEnv *, jobject, jint, jint) = nullptr;
  void(JNICALL *setShowHealth)(JNIEnv *, jobject, jboolean) = nullptr;
  void(JNICALL *setShowArmor)(JNIEnv *, jobject, jboolean) = nullptr;
  void(JNICALL *updateHealthAndArmor)(JNIEnv *, jobject, jfloat,
                                      jfloat) = nullptr;
  void(JNICALL *displayPotionColor)(JNIEnv *, jobject, jint) = nullptr;

  // Loads the DLL and binds every export; false (and nothing held) when the
  // DLL or any export is missing.
  bool load(const char *dllPath) {
    module = LoadLibraryA(dllPath);
    if (!module)
      return false;
    bool ok = bind(init0, "init0", 8) && bind(unInit0, "unInit0", 8) &&
              bind(update, "update", 8) && bind(onDamage, "onDamage", 8) &&
              bind(setIlluminatedKeys, "setIlluminatedKeys", 16) &&
              bind(setShowHealth, "setShowHealth", 12) &&
              bind(setShowArmor, "setShowArmor", 12) &&
              bind(updateHealthAndArmor, "updateHealthAndArmor", 16) &&
              bind(displayPotionColor, "displayPotionColor", 12);
    if (!ok)
      unload();
    return ok;
  }

  void unload() {
    if (module)
      FreeLibrary(module);
    *this = DuvekApi{};
  }

private:
  template <typename Fn> bool bind(Fn &fn, const char *method, int argBytes) {
    return bindJniExport(
        module, fn, "Java_eu_velquor_mod_manager_keyboard_DuvekController_",
        method, argBytes);
  }
};

#endif
