// The Tovrik controller: the lighting settings and game state the Java host
// hands over, the steady-state render, the damage flash and the potion
// colour.  It reaches the keyboard only through TalkLink.
#ifndef TOVRIK_CONTROLLER_H
#define TOVRIK_CONTROLLER_H

#include <atomic>
#include <cstdint>

// Every field is read and written whole from host threads and flash
// workers at once, hence atomics throughout.
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
};

extern ControllerState controllerState;

// Flash workers started and not yet ended; a worker's last step before it
// lets go of the library is to count itself out.
extern std::atomic<int> activeFlashWorkers;

constexpr uint32_t kFlashRed = 0x00FF0000;
constexpr unsigned kFlashOnMs = 100;
constexpr unsigned kFlashOffMs = 100;
constexpr unsigned kFlashLastMs = 80;

void renderFrame();
// The flash itself, run on a worker; the argument is ignored.
unsigned long damageFlash(void *unused);

bool controllerInit();
void controllerUnInit();
void controllerUpdate();
void controllerOnDamage();
void controllerDisplayPotionColor(int32_t color);
void controllerSetIlluminatedKeys(int32_t mode, int32_t color);
void controllerSetShowHealth(bool show);
void controllerSetShowArmor(bool show);
void controllerUpdateHealthAndArmor(float health, float armor);

#endif
