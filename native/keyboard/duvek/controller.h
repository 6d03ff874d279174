// The Duvek controller: the lighting settings and game state the Java host
// hands over, the steady-state render, the damage flash and the potion
// colour.  It reaches the keyboard only through the binding.
#ifndef DUVEK_CONTROLLER_H
#define DUVEK_CONTROLLER_H

#include <atomic>
#include <cstdint>

#include "binding.h"
#include "compose.h"

namespace duvek {

// The lighting state the Java host sets.  Relaxed atomics: each field is read
// and written whole, and no field's value depends on another's.
struct ControllerState {
  std::atomic<int32_t> illuminatedKeys{1};
  std::atomic<uint32_t> keyColor{0x00FFFFFFu};
  std::atomic<bool> showHealth{true};
  std::atomic<bool> showArmor{true};
  std::atomic<bool> initialized{false};
  std::atomic<bool> flashing{false};
  std::atomic<float> health{0.0f};
  std::atomic<float> armor{0.0f};
};

extern ControllerState controllerState;

constexpr unsigned kFlashOnMs = 100;
constexpr unsigned kFlashOffMs = 100;
constexpr unsigned kFlashLastMs = 80;

// The Java methods, one each (init and unInit are the binding's).
int32_t renderFrame(); // update
void onDamage();
void displayPotionColor(int32_t javaColor);
void setIlluminatedKeys(int32_t mode, int32_t javaColor);
void setShowHealth(bool show);
void setShowArmor(bool show);
void updateHealthAndArmor(float health, float armor);

// The flash itself, run on a flash thread started by onDamage.
void damageFlash();

// The inputs of the next steady-state picture.
FrameInputs currentInputs();

// Flash threads started and not yet done with the library; what a caller
// waits on before it can be sure no flash will draw again.
int runningFlashThreads();

} // namespace duvek

#endif
