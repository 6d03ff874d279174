#include "controller.h"

#include <windows.h>

#include "compose.h"
#include "talk_link.h"

namespace tovrik {

ControllerState controllerState;

namespace {

std::atomic<int> flashThreads{0};

// Taken only around a colour's check, post and record, never across a send
// or a pause.  Without it two renders could record their colours in one
// order and post them in the other, leaving the service on a colour that is
// no longer the one recorded as sent, which no later render would repair.
// A slim lock needs no set-up or clean-up, so it is safe from load to
// unload whichever thread those run on.
SRWLOCK colorLock = SRWLOCK_INIT;

void postColor(uint8_t target, uint32_t color) {
  TalkLink::postLight(target, kLightSteadyMode, kLightSteadyEffect,
                      static_cast<uint8_t>(color >> 16),
                      static_cast<uint8_t>(color >> 8),
                      static_cast<uint8_t>(color));
}

// Posts the key colour if it is not the one last posted.  The post comes
// before the record, so a render that finds the colour already recorded
// knows it is already queued for the service.  The unlocked first look keeps
// the usual no-change case free of the lock.
void postKeyColorIfChanged(uint32_t color) {
  std::atomic<uint32_t> &last = controllerState.lastSentColor;
  if (last.load() == color)
    return;
  AcquireSRWLockExclusive(&colorLock);
  if (last.load() != color) {
    postColor(kLightTargetKeys, color);
    last.store(color);
  }
  ReleaseSRWLockExclusive(&colorLock);
}

FrameInputs currentInputs() {
  ControllerState &s = controllerState;
  return FrameInputs{s.illuminatedKeys.load(), s.showHealth.load(),
                     s.showArmor.load(), s.health.load(), s.armor.load()};
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

bool init() {
  controllerState.initialized.store(false);
  if (!TalkLink::findService())
    return false;
  TalkLink::setSdkMode(1);
  TalkLink::clearKeys();
  controllerState.initialized.store(true);
  return true;
}

void unInit() {
  TalkLink::restoreLight();
  TalkLink::setSdkMode(0);
}

void setIlluminatedKeys(int32_t mode, int32_t color) {
  controllerState.illuminatedKeys.store(mode);
  controllerState.keyColor.store(static_cast<uint32_t>(color));
}

void setShowHealth(bool show) { controllerState.showHealth.store(show); }

void setShowArmor(bool show) { controllerState.showArmor.store(show); }

void updateHealthAndArmor(float health, float armor) {
  controllerState.health.store(health);
  controllerState.armor.store(armor);
}

void renderFrame() {
  ControllerState &s = controllerState;
  if (!s.initialized.load() || s.flashing.load())
    return;
  postKeyColorIfChanged(s.keyColor.load());
  KeyFrame frame;
  composeFrame(currentInputs(), frame);
  TalkLink::sendKeys(frame);
}

void displayPotionColor(int32_t color) {
  postColor(kLightTargetBoard, static_cast<uint32_t>(color));
  TalkLink::lightAllKeys();
}

void damageFlash() {
  ControllerState &s = controllerState;
  if (!s.initialized.load())
    return;
  s.flashing.store(true);
  postKeyColorIfChanged(kFlashRed);
  TalkLink::lightAllKeys();
  Sleep(kFlashOnMs);
  TalkLink::clearKeys();
  Sleep(kFlashOffMs);
  TalkLink::lightAllKeys();
  Sleep(kFlashLastMs);
  s.flashing.store(false);
  renderFrame();
}

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

} // namespace tovrik
