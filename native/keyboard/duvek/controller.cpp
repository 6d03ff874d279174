// The controller on the host's threads and on its flash threads.  The effect
// blocks live on the drawing thread's stack for the length of the call.
#include "controller.h"

#include <windows.h>

namespace duvek {

ControllerState controllerState;

namespace {

std::atomic<int> flashThreads{0};

// One draw on whichever binding is current at that moment; with none, the
// call is skipped.  The binding is held only for the call, never across a
// pause.
bool drawOnce(int32_t type, const void *param, int32_t *rc) {
  DrawTicket ticket;
  if (!beginDraw(&ticket))
    return false;
  int32_t result = ticket.draw(type, param, nullptr);
  endDraw();
  if (rc)
    *rc = result;
  return true;
}

bool bindingReady() {
  DrawTicket probe;
  if (!beginDraw(&probe))
    return false;
  endDraw();
  return true;
}

// The thread holds a reference to this library for its whole life, so a
// host that frees the library mid-flash never leaves it running unmapped
// code; the last reference goes as the thread exits.
DWORD WINAPI flashThread(LPVOID module) {
  damageFlash();
  flashThreads.fetch_sub(1);
  if (module)
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
  return 0;
}

HMODULE pinOwnModule() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&flashThread), &self))
    return nullptr;
  return self;
}

} // namespace

void setIlluminatedKeys(int32_t mode, int32_t javaColor) {
  controllerState.illuminatedKeys.store(mode, std::memory_order_relaxed);
  controllerState.keyColor.store(toEffectColor(javaColor),
                                 std::memory_order_relaxed);
}

void setShowHealth(bool show) {
  controllerState.showHealth.store(show, std::memory_order_relaxed);
}

void setShowArmor(bool show) {
  controllerState.showArmor.store(show, std::memory_order_relaxed);
}

void updateHealthAndArmor(float health, float armor) {
  controllerState.health.store(health, std::memory_order_relaxed);
  controllerState.armor.store(armor, std::memory_order_relaxed);
}

FrameInputs currentInputs() {
  const ControllerState &s = controllerState;
  return FrameInputs{s.illuminatedKeys.load(std::memory_order_relaxed),
                     s.keyColor.load(std::memory_order_relaxed),
                     s.showHealth.load(std::memory_order_relaxed),
                     s.showArmor.load(std::memory_order_relaxed),
                     s.health.load(std::memory_order_relaxed),
                     s.armor.load(std::memory_order_relaxed)};
}

// The steady-state picture from the values current now; -1 while no
// library is bound, else the library's result.
int32_t drawSteadyState() {
  KeyGridEffect effect;
  composeFrame(currentInputs(), &effect);
  int32_t rc = -1;
  drawOnce(kEffectKeyGrid, &effect, &rc);
  return rc;
}

// What update draws: nothing (-1) while a flash runs.
int32_t renderFrame() {
  if (controllerState.flashing.load(std::memory_order_acquire))
    return -1;
  return drawSteadyState();
}

void displayPotionColor(int32_t javaColor) {
  uint32_t color = toEffectColor(javaColor);
  drawOnce(kEffectSingleColor, &color, nullptr);
}

// Red, dark, red, then a fresh steady-state picture.  A binding that goes
// mid-flash skips the remaining draws; the pauses are kept.
void damageFlash() {
  if (!bindingReady())
    return;
  controllerState.flashing.store(true, std::memory_order_release);
  ColorGrid red;
  fillColorGrid(&red, kFlashRed);
  drawOnce(kEffectColorGrid, &red, nullptr);
  Sleep(kFlashOnMs);
  drawOnce(kEffectOff, nullptr, nullptr);
  Sleep(kFlashOffMs);
  drawOnce(kEffectColorGrid, &red, nullptr);
  Sleep(kFlashLastMs);
  controllerState.flashing.store(false, std::memory_order_release);
  // Not renderFrame: a flash begun in the meantime must not hold back this
  // one's closing picture.
  drawSteadyState();
}

// On a short-lived thread of its own, so the host's thread never waits.
void onDamage() {
  HMODULE self = pinOwnModule();
  flashThreads.fetch_add(1);
  HANDLE thread = CreateThread(nullptr, 0, flashThread, self, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
    return;
  }
  flashThreads.fetch_sub(1);
  if (self)
    FreeLibrary(self);
}

int runningFlashThreads() { return flashThreads.load(); }

} // namespace duvek
