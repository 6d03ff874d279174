// The nine exports of Tovrik.dll, bound by their exact names, for Windows
// test programs and tools that load the real DLL.
#ifndef TOVRIK_API_H
#define TOVRIK_API_H

#include <windows.h>

#include <jni.h>

#include "jni_export.h"

struct TovrikApi {
  HMODULE module = nullptr;
  jboolean(JNICALL *init)(JNIEnv *, jclass) = nullptr;
  void(JNICALL *unInit)(JNIEnv *, jclass) = nullptr;
  void(JNICALL *update)(JNIEnv *, jclass) = nullptr;
  void(JNICALL *onDamage)(JNIEnv *, jclass) = nullptr;
  void(JNICALL *displayPotionColor)(JNIEnv *, jclass, jint) = nullptr;
  void(JNICALL *setIlluminatedKeys)(JNIEnv *, jclass, jint, jint) = nullptr;
  void(JNICALL *setShowHealth)(JNIEnv *, jclass, jboolean) = nullptr;
  void(JNICALL *setShowArmor)(JNIEnv *, jclass, jboolean) = nullptr;
  void(JNICALL *updateHealthAndArmor)(JNIEnv *, jclass, jfloat,
                                      jfloat) = nullptr;

  // Loads the DLL and binds every export; false (and nothing held) when the
  // DLL or any export is missing.
  bool load(const char *dllPath) {
    module = LoadLibraryA(dllPath);
    if (!module)
      return false;
    bool ok = bind(init, "init", 8) && bind(unInit, "unInit", 8) &&
              bind(update, "update", 8) && bind(onDamage, "onDamage", 8) &&
              bind(displayPotionColor, "displayPotionColor", 12) &&
              bind(setIlluminatedKeys, "setIlluminatedKeys", 16) &&
              bind(setShowHealth, "setShowHealth", 12) &&
              bind(setShowArmor, "setShowArmor", 12) &&
              bind(updateHealthAndArmor, "updateHealthAndArmor", 16);
    if (!ok)
      unload();
    return ok;
  }

  void unload() {
    if (module)
      FreeLibrary(module);
    *this = TovrikApi{};
  }

private:
  template <typename Fn> bool bind(Fn &fn, const char *method, int argBytes) {
    return bindJniExport(
        module, fn, "Java_eu_velquor_mod_manager_keyboard_TovrikController_",
        method, argBytes);
  }
};

#endif
