#include "controller.h"

#include <windows.h>

#include "compose.h"
#include "talk_link.h"

namespace tovrik {

ControllerState controllerState;

namespace {

std::atomic<int> flashThreads{0};

// Taken only around the posts that say whose the keyboard is (per-key
// control on, the key colour, the hand-back) and what is recorded with
// them, never across a send or a pause.  Without it two renders could
// record their colours in one order and post them in the other, leaving
// the service on a colour that is no longer the one recorded as sent,
// which no later render would repair; and a render taking a restarted
// service over could post per-key control on after unInit handed it back.
// A slim lock needs no set-up or clean-up, so it is safe from load to
// unload whichever thread those run on.
SRWLOCK controlLock = SRWLOCK_INIT;

void postColor(uint8_t target, uint32_t color) {
  TalkLink::postLight(target, kLightSteadyMode, kLightSteadyEffect,
                      static_cast<uint8_t>(color >> 16),
                      static_cast<uint8_t>(color >> 8),
                      static_cast<uint8_t>(color));
}

FrameInputs currentInputs() {
  ControllerState &s = controllerState;
  return FrameInputs{s.illuminatedKeys.load(), s.showHealth.load(),
                     s.showArmor.load(), s.health.load(), s.armor.load()};
}

// Posts the key colour if it is not the one last posted, or the service may
// not show it.  The post comes before the record, so a render that finds
// the colour already recorded knows it is already queued for the service.
// The unlocked first look keeps the usual no-change case free of the lock.
// After unInit the light is the service's: no key colour is posted until
// the next init.
void postKeyColorIfChanged(uint32_t color) {
  ControllerState &s = controllerState;
  if (s.lastSentColor.load() == color && !s.colorStale.load())
    return;
  AcquireSRWLockExclusive(&controlLock);
  if (!s.handedBack.load()) {
    bool stale = s.colorStale.exchange(false);
    if (s.lastSentColor.load() != color || stale) {
      postColor(kLightTargetKeys, color);
      s.lastSentColor.store(color);
      s.colorPosted.store(true);
    }
  }
  ReleaseSRWLockExclusive(&controlLock);
}

// A service that went away (restarted after sleep or an update, or an
// attach that named no window), or a new instance found beside a stalled
// one, is looked up again, at most a few times a second, and taken over as
// init does: per-key control on, every key dark.  It knows no colour of
// ours.  Only between init and unInit: after unInit the keyboard stays
// handed back, and the next init takes the new service over.
bool serviceReady() {
  ControllerState &s = controllerState;
  if (!TalkLink::serviceLost())
    return true;
  if (s.handedBack.load() || !TalkLink::findLostService())
    return false;
  AcquireSRWLockExclusive(&controlLock);
  bool ours = !s.handedBack.load();
  if (ours) {
    TalkLink::setSdkMode(1);
    s.colorStale.store(true);
  }
  ReleaseSRWLockExclusive(&controlLock);
  if (ours)
    TalkLink::clearKeys();
  return ours;
}

void drawSteadyState() {
  ControllerState &s = controllerState;
  postKeyColorIfChanged(s.keyColor.load());
  KeyFrame frame;
  composeFrame(currentInputs(), frame);
  TalkLink::sendKeys(frame);
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
  ControllerState &s = controllerState;
  s.initialized.store(false);
  if (!TalkLink::findService())
    return false;
  // Per-key control on, every key dark: the keyboard is ours.  The service
  // restored its own light at unInit; a colour it was never given is still
  // left to it, as at load.
  AcquireSRWLockExclusive(&controlLock);
  TalkLink::setSdkMode(1);
  if (s.handedBack.exchange(false) && s.colorPosted.load())
    s.colorStale.store(true);
  ReleaseSRWLockExclusive(&controlLock);
  TalkLink::clearKeys();
  s.initialized.store(true);
  return true;
}

void unInit() {
  AcquireSRWLockExclusive(&controlLock);
  controllerState.handedBack.store(true);
  TalkLink::restoreLight();
  TalkLink::setSdkMode(0);
  ReleaseSRWLockExclusive(&controlLock);
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

// A render that finds the service gone on the way looks for it at once, so
// the first update after a restart lights the new service.
void renderFrame() {
  ControllerState &s = controllerState;
  if (!s.initialized.load() || s.flashing.load() || !serviceReady())
    return;
  drawSteadyState();
  if (TalkLink::serviceLost() && serviceReady())
    drawSteadyState();
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
