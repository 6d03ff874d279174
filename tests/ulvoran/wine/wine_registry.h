// The engine's registry value under Wine, in either registry view.
#ifndef ULVORAN_WINE_REGISTRY_H
#define ULVORAN_WINE_REGISTRY_H

#include <windows.h>

#include <string>

#include "led_engine_key.h"
#include "win_support.h"

namespace wine_registry {

// The view this process reads without flags, and the other one.
const REGSAM kOwnView = sizeof(void *) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
const REGSAM kOtherView =
    sizeof(void *) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

inline bool setEngineValue(REGSAM view, DWORD type, const void *data,
                           DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLedEngineKey, 0, nullptr, 0,
                      KEY_WRITE | view, nullptr, &key, nullptr) != 0)
    return false;
  LONG rc = RegSetValueExA(key, nullptr, 0, type,
                           static_cast<const BYTE *>(data), size);
  RegCloseKey(key);
  return rc == 0;
}

inline bool registerEngine(REGSAM view, const std::string &path) {
  return setEngineValue(view, REG_SZ, path.c_str(),
                        static_cast<DWORD>(path.size() + 1));
}

inline void unregisterEngine(REGSAM view) {
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kLedEngineKey, view, 0);
}

} // namespace wine_registry

#endif
