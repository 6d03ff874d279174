// The Tovrik controller: the lighting settings and game state the Java host
// hands over, the steady-state render, the damage flash and the potion
// colour.  It reaches the keyboard only through TalkLink.
#ifndef TOVRIK_CONTROLLER_H
#define TOVRIK_CONTROLLER_H

#include <atomic>
#include <cstdint>

namespace tovrik {

// Every field is read and written whole from host threads and flash
// threads at once, hence atomics throughout.
struct ControllerState {
  std::atomic<int32_t> illuminatedKeys{1};
  std::atomic<uint32_t> keyColor{0x00FFFFFF};
  std::atomic<bool> showHealth{true};
  std::atomic<bool> showArmor{true};
  std::atomic<bool> initialized{false};
  std::atomic<bool> flashing{false};
  std::atomic<float> health{0.0f};
  std::atomic<float> armor{0.0f};
  std::atomic<uint32_t> lastSentColor{0x00FFFFFF};
  // The service may not show lastSentColor: it was handed the light back
  // (unInit) or is a new service; the next render posts the key colour.
  std::atomic<bool> colorStale{false};
  std::atomic<bool> handedBack{false};  // unInit since the last init
  std::atomic<bool> colorPosted{false}; // a key colour was ever posted
};

extern ControllerState controllerState;

constexpr uint32_t kFlashRed = 0x00FF0000;
constexpr unsigned kFlashOnMs = 100;
constexpr unsigned kFlashOffMs = 100;
constexpr unsigned kFlashLastMs = 80;

// The Java methods, one each.
bool init();
void unInit();
void renderFrame(); // update
void onDamage();
void displayPotionColor(int32_t color);
void setIlluminatedKeys(int32_t mode, int32_t color);
void setShowHealth(bool show);
void setShowArmor(bool show);
void updateHealthAndArmor(float health, float armor);

// The flash itself, run on a flash thread started by onDamage.
void damageFlash();

// Flash threads started and not yet ended; a thread's last step before it
// lets go of the library is to count itself out.
int runningFlashThreads();

} // namespace tovrik

#endif
