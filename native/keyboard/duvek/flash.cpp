// The damage flash: red, dark, red, then a fresh steady-state picture, on a
// short-lived thread of its own so the host's thread never waits.
#include "duvek.h"

#include <windows.h>

namespace duvek {

namespace {

// Flash threads started and not yet done with the library; what a caller
// waits on before it can be sure no flash will draw again.
std::atomic<int> flashThreads{0};

// One step of the flash, on whichever binding is current at that moment;
// with none, only the call is skipped and the flash keeps its pauses.  The
// binding is held only for the call, never across a pause.
void drawStep(int32_t type, const void *param) {
  DrawTicket ticket;
  if (!beginDraw(&ticket))
    return;
  ticket.draw(type, param, nullptr);
  endDraw();
}

void redraw() {
  DrawTicket ticket;
  if (!beginDraw(&ticket))
    return;
  KeyGridEffect effect;
  composeSteadyState(readSteadyInputs(), &effect);
  ticket.draw(EffectKeyGrid, &effect, nullptr);
  endDraw();
}

bool bindingReady() {
  DrawTicket probe;
  if (!beginDraw(&probe))
    return false;
  endDraw();
  return true;
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
  if (!bindingReady())
    return;
  controllerState.flashing.store(true, std::memory_order_release);
  ColorGrid red;
  fillColorGrid(&red, FlashRed);
  drawStep(EffectColorGrid, &red);
  Sleep(100);
  drawStep(EffectOff, nullptr);
  Sleep(100);
  drawStep(EffectColorGrid, &red);
  Sleep(80);
  controllerState.flashing.store(false, std::memory_order_release);
  redraw();
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
