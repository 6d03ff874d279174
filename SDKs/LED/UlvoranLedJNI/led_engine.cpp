// Finding and binding the LED engine: its file is the default value of a
// class-identifier key, read in this build's own registry view.
#include "led_engine.h"

#include <string.h>

namespace ulvoran {

namespace {

const char kEngineKey[] = "SOFTWARE\\Classes\\CLSID\\"
                          "{3F8C2D71-5B0E-4A96-8C47-D21E6B90F5A3}\\"
                          "ServerBinary";
const DWORD kPathCapacity = 260;

// No view flag: each build reads the registrations of its own processor
// type.  The key is closed before returning so repeated inits hold nothing.
bool readEnginePath(char *path) {
  HKEY key = nullptr;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): predefined keys are integers
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEngineKey, 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  // The query adds no terminator to a value stored without one, and the
  // value's type is not looked at: a zeroed buffer ends whatever arrives.
  memset(path, 0, kPathCapacity);
  DWORD type = 0;
  DWORD size = kPathCapacity;
  LSTATUS rc = RegQueryValueExA(key, nullptr, nullptr, &type,
                                reinterpret_cast<BYTE *>(path), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && isTerminatedPath(path, kPathCapacity);
}

// A missing name leaves its entry null and does not stop the others.
void bindEntries(HMODULE engine) {
  for (int i = 0; i < kLedEntryCount; i++)
    ledEngine.entry[i] = GetProcAddress(engine, kLedEntryNames[i]);
}

} // namespace

bool isTerminatedPath(const char *buf, size_t capacity) {
  return memchr(buf, 0, capacity) != nullptr;
}

bool loadLedEngine() {
  char path[kPathCapacity];
  if (!readEnginePath(path))
    return false;
  HMODULE engine = LoadLibraryA(path);
  if (!engine)
    return false;
  bindEntries(engine);
  return true;
}

} // namespace ulvoran
