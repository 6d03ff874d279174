// Shared helpers of the host tests: the bridge's native methods, a reset to
// the state at load, and readers of the stand-in's record.
#ifndef DUVEK_HOST_H
#define DUVEK_HOST_H

#include "controller.h"
#include "dvglow_recorder.h"
#include "jni_methods.h"

#include <jni.h>

#include <cstring>
#include <vector>

#define DUVEK_JNI(name) DUVEK_EXPORT(name)

extern "C" {
DUVEK_METHODS(VELQUOR_DECLARE_DUVEK)
}

namespace dv {

inline jlong init0() { return DUVEK_JNI(init0)(nullptr, nullptr); }
inline jlong unInit0() { return DUVEK_JNI(unInit0)(nullptr, nullptr); }
inline jint update() { return DUVEK_JNI(update)(nullptr, nullptr); }
inline void onDamage() { DUVEK_JNI(onDamage)(nullptr, nullptr); }
inline void setIlluminatedKeys(jint mode, jint color) {
  DUVEK_JNI(setIlluminatedKeys)(nullptr, nullptr, mode, color);
}
inline void setShowHealth(bool on) {
  DUVEK_JNI(setShowHealth)(nullptr, nullptr, on ? JNI_TRUE : JNI_FALSE);
}
inline void setShowArmor(bool on) {
  DUVEK_JNI(setShowArmor)(nullptr, nullptr, on ? JNI_TRUE : JNI_FALSE);
}
inline void updateHealthAndArmor(float health, float armor) {
  DUVEK_JNI(updateHealthAndArmor)(nullptr, nullptr, health, armor);
}
inline void displayPotionColor(jint color) {
  DUVEK_JNI(displayPotionColor)(nullptr, nullptr, color);
}

void waitForFlashes();
// update, a potion colour and a flash draw nothing, and the flash leaves
// `flashing` clear.
void expectNothingDrawn();
// Stops the binding, waits for flashes, restores the settings at load and
// clears the record.
void resetBridge();

std::vector<DvCall> effects(const std::vector<DvCall> &calls);
std::vector<DvCall> callsNamed(const std::vector<DvCall> &calls,
                               const char *entry);
bool anyLate(const std::vector<DvCall> &calls);
duvek::KeyGridEffect decodeKeyGrid(const DvCall &call);
// The key-grid entries that are not zero, as index -> colour.
std::vector<std::pair<int, uint32_t>> setKeys(const duvek::KeyGridEffect &e);

} // namespace dv

#endif
