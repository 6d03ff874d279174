// The binding of "DvGlowSDK.dll": loading, the start and stop handshake with
// the library, and the draw tickets that keep a draw and the library's
// release from overlapping.
#include "duvek.h"

#include <windows.h>

namespace duvek {

EffectApi effectApi;
ControllerState controllerState;

namespace {

constexpr int32_t ServiceNotActive = 1062;
constexpr int32_t ElementNotFound = 1168;
constexpr int32_t InvalidState = 5023;
constexpr int32_t NoUnInit = -1;

// Draws that have passed the check of the binding and not yet returned from
// the library.  unInit0 clears `initialized` and then waits for this to drain
// before it calls "UnInit" and frees the library, so a draw either sees the
// binding gone or finishes before the library goes.
std::atomic<int> drawsInFlight{0};

// Bumped by each successful init0, so that a flash begun on one binding
// never draws on a later one.  Starts at 1: 0 means "any".
std::atomic<uint32_t> generation{1};

// init0 and unInit0 may be called from different host threads; they write
// the binding, so they take turns.
struct BindingLock {
  CRITICAL_SECTION cs;
  BindingLock() { InitializeCriticalSection(&cs); }
  ~BindingLock() { DeleteCriticalSection(&cs); }
};
BindingLock bindingLock;

struct Guard {
  Guard() { EnterCriticalSection(&bindingLock.cs); }
  ~Guard() { LeaveCriticalSection(&bindingLock.cs); }
  Guard(const Guard &) = delete;
  Guard &operator=(const Guard &) = delete;
};

// Through void (*)(void), the compilers' agreed generic function pointer.
template <typename Fn> Fn lookUp(HMODULE module, const char *name) {
  FARPROC found = GetProcAddress(module, name);
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)(void)>(found));
}

HMODULE loadedModule() { return static_cast<HMODULE>(effectApi.module.load()); }

void setInitialized(bool value) {
  controllerState.initialized.store(value, std::memory_order_seq_cst);
}

void waitForDraws() {
  while (drawsInFlight.load(std::memory_order_seq_cst) != 0)
    Sleep(0);
}

bool bindKeptEntries(HMODULE module) {
  EffectApi &api = effectApi;
  api.CreateEffect.store(lookUp<PlainFn>(module, "CreateEffect"));
  api.CreateKeyboardEffect.store(
      lookUp<CreateKeyboardEffectFn>(module, "CreateKeyboardEffect"));
  api.SetEffect.store(lookUp<PlainFn>(module, "SetEffect"));
  api.DeleteEffect.store(lookUp<PlainFn>(module, "DeleteEffect"));
  api.QueryDevice.store(lookUp<PlainFn>(module, "QueryDevice"));
  return api.CreateEffect.load() && api.CreateKeyboardEffect.load() &&
         api.SetEffect.load() && api.DeleteEffect.load() &&
         api.QueryDevice.load();
}

void clearEntries() {
  EffectApi &api = effectApi;
  api.Init.store(nullptr);
  api.CreateEffect.store(nullptr);
  api.CreateKeyboardEffect.store(nullptr);
  api.SetEffect.store(nullptr);
  api.DeleteEffect.store(nullptr);
  api.QueryDevice.store(nullptr);
}

// Vendors ship the 64-bit library either under the plain name in the 64-bit
// system folder or with "64" before the extension; each name is looked up
// by the normal search order.
HMODULE loadEffectLibrary() {
#ifdef _WIN64
  if (HMODULE module = LoadLibraryA("DvGlowSDK64.dll"))
    return module;
#endif
  return LoadLibraryA("DvGlowSDK.dll");
}

} // namespace

int32_t initBinding() {
  Guard guard;
  setInitialized(false);
  HMODULE module = loadedModule();
  if (!module) {
    module = loadEffectLibrary();
    if (!module)
      return ServiceNotActive;
    effectApi.module.store(module);
  }
  if (effectApi.Init.load())
    return InvalidState;
  InitFn init = lookUp<InitFn>(module, "Init");
  effectApi.Init.store(init);
  if (!init)
    return ElementNotFound;
  int32_t rc = init();
  if (rc != 0)
    return rc;
  if (!bindKeptEntries(module))
    return ElementNotFound;
  generation.fetch_add(1);
  setInitialized(true);
  return 0;
}

int32_t unInitBinding() {
  Guard guard;
  setInitialized(false);
  waitForDraws();
  HMODULE module = loadedModule();
  int32_t result = InvalidState;
  if (module) {
    PlainFn unInit = lookUp<PlainFn>(module, "UnInit");
    result = unInit ? unInit() : NoUnInit;
    FreeLibrary(module);
    effectApi.module.store(nullptr);
  }
  clearEntries();
  return result;
}

uint32_t bindingGeneration() { return generation.load(); }

bool acquireDraw(DrawTicket *ticket, uint32_t wanted) {
  drawsInFlight.fetch_add(1, std::memory_order_seq_cst);
  bool ready = controllerState.initialized.load(std::memory_order_seq_cst);
  ticket->draw = effectApi.CreateKeyboardEffect.load(std::memory_order_seq_cst);
  ready = ready && ticket->draw &&
          (wanted == AnyGeneration || wanted == generation.load());
  if (!ready)
    drawsInFlight.fetch_sub(1, std::memory_order_seq_cst);
  return ready;
}

void releaseDraw() { drawsInFlight.fetch_sub(1, std::memory_order_release); }

} // namespace duvek
