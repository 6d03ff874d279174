// The binding of "DvGlowSDK.dll": loading, the start and stop handshake with
// the library, and the one lock that keeps draws and the library's release
// from overlapping.
#include "binding.h"

#include <windows.h>

#include "controller.h"

namespace duvek {

EffectApi effectApi;

namespace {

constexpr int32_t kServiceNotActive = 1062;
constexpr int32_t kElementNotFound = 1168;
constexpr int32_t kInvalidState = 5023;
constexpr int32_t kNoUnInit = -1;

// Draws hold it shared and init0 and unInit0 exclusive: unInit0 waits, in
// the system's wait rather than a spin, until the draws in flight have
// returned, and a draw that comes after it finds the binding gone.  A slim
// lock needs no set-up or clean-up, so it outlives nothing.
SRWLOCK bindingLock = SRWLOCK_INIT;

struct ExclusiveGuard {
  ExclusiveGuard() { AcquireSRWLockExclusive(&bindingLock); }
  ~ExclusiveGuard() { ReleaseSRWLockExclusive(&bindingLock); }
  ExclusiveGuard(const ExclusiveGuard &) = delete;
  ExclusiveGuard &operator=(const ExclusiveGuard &) = delete;
};

// Through void (*)(void), the compilers' agreed generic function pointer.
template <typename Fn> Fn lookUp(HMODULE module, const char *name) {
  FARPROC found = GetProcAddress(module, name);
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)(void)>(found));
}

HMODULE loadedModule() { return static_cast<HMODULE>(effectApi.module.load()); }

void setInitialized(bool value) { controllerState.initialized.store(value); }

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

int32_t init() {
  ExclusiveGuard guard;
  setInitialized(false);
  HMODULE module = loadedModule();
  if (!module) {
    module = loadEffectLibrary();
    if (!module)
      return kServiceNotActive;
    effectApi.module.store(module);
  }
  if (effectApi.Init.load())
    return kInvalidState;
  PlainFn start = lookUp<PlainFn>(module, "Init");
  effectApi.Init.store(start);
  if (!start)
    return kElementNotFound;
  int32_t rc = start();
  if (rc != 0)
    return rc;
  if (!bindKeptEntries(module))
    return kElementNotFound;
  setInitialized(true);
  return 0;
}

int32_t unInit() {
  ExclusiveGuard guard;
  setInitialized(false);
  HMODULE module = loadedModule();
  int32_t result = kInvalidState;
  if (module) {
    PlainFn stop = lookUp<PlainFn>(module, "UnInit");
    result = stop ? stop() : kNoUnInit;
    FreeLibrary(module);
    effectApi.module.store(nullptr);
  }
  clearEntries();
  return result;
}

bool beginDraw(DrawTicket *ticket) {
  AcquireSRWLockShared(&bindingLock);
  ticket->draw = effectApi.CreateKeyboardEffect.load();
  if (controllerState.initialized.load() && ticket->draw)
    return true;
  ReleaseSRWLockShared(&bindingLock);
  return false;
}

void endDraw() { ReleaseSRWLockShared(&bindingLock); }

} // namespace duvek
