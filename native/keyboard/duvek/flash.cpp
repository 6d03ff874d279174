// The damage flash: red, dark, red, then a fresh steady-state picture, on a
// short-lived thread of its own so the host's thread never waits.
#include "duvek.h"

#include <windows.h>

namespace duvek {

namespace {

// Flash threads started and not yet done with the library; what a caller
// waits on before it can be sure no flash will draw again.
std::atomic<int> flashThreads{0};

// One step of the flash.  The binding is checked again before every call,
// under a draw ticket that unInit0 waits for, and a flash keeps to the
// binding it began on: it never calls a library that was stopped or freed,
// nor one loaded afresh by a later init0.  No ticket is held across a pause.
bool drawStep(uint32_t generation, int32_t type, const void *param) {
  DrawTicket ticket;
  if (!acquireDraw(&ticket, generation))
    return false;
  ticket.draw(type, param, nullptr);
  releaseDraw();
  return true;
}

bool redraw(uint32_t generation) {
  DrawTicket ticket;
  if (!acquireDraw(&ticket, generation))
    return false;
  KeyGridEffect effect;
  composeSteadyState(readSteadyInputs(), &effect);
  ticket.draw(EffectKeyGrid, &effect, nullptr);
  releaseDraw();
  return true;
}

// The flash's red, dark and red frames with their pauses.  Stops at the first
// step that finds its binding gone.
void flashFrames(uint32_t generation) {
  ColorGrid red;
  fillColorGrid(&red, FlashRed);
  if (!drawStep(generation, EffectColorGrid, &red))
    return;
  Sleep(100);
  if (!drawStep(generation, EffectOff, nullptr))
    return;
  Sleep(100);
  if (!drawStep(generation, EffectColorGrid, &red))
    return;
  Sleep(80);
}

// The module this code lives in.  The flash thread holds a reference on it
// so that freeing the library mid-flash cannot unmap the code it runs.
HMODULE pinOwnModule() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&pinOwnModule), &self);
  return self;
}

DWORD WINAPI flashThread(LPVOID param) {
  damageFlash();
  flashThreads.fetch_sub(1);
  HMODULE self = static_cast<HMODULE>(param);
  if (self)
    FreeLibraryAndExitThread(self, 0);
  return 0;
}

} // namespace

void damageFlash() {
  DrawTicket probe;
  uint32_t generation = bindingGeneration();
  if (!acquireDraw(&probe, generation))
    return;
  releaseDraw();
  controllerState.flashing.store(true, std::memory_order_release);
  flashFrames(generation);
  controllerState.flashing.store(false, std::memory_order_release);
  redraw(generation);
}

void startDamageFlash() {
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
