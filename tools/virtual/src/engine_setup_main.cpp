// UlvoLedVirtualSetup.exe register [--force] | unregister
//
// Writes the path of UlvoLedVirtual.dll (the file beside this program) into
// the registry value the Ulvoran binding reads to find its LED engine: the
// default value of HKLM\SOFTWARE\Classes\CLSID\{3F8C2D71-...}\ServerBinary,
// in the registry view of this program's bitness, which is the view the
// binding of the same bitness reads.  A value naming another engine is left
// alone unless --force; what register replaced is kept beside it (value
// "VirtualEngineEarlier") and put back by unregister.  Exit status: 0 done,
// 1 refused, 2 usage or registry error.
#include "engine_registration.h"
#include "led_engine_key.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using virtualkb::RegText;

namespace {

const char kEarlierValue[] = "VirtualEngineEarlier";
const REGSAM kView = sizeof(void *) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
const char *const kViewName = sizeof(void *) == 8 ? "64-bit" : "32-bit";

std::string enginePath() {
  char exe[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  if (n == 0 || n >= sizeof exe)
    return "";
  std::string path(exe, n);
  return path.substr(0, path.find_last_of("\\/") + 1) + "UlvoLedVirtual.dll";
}

// name null: the key's default value.
RegText readValue(HKEY key, const char *name) {
  RegText v;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != 0)
    return v;
  std::vector<char> buf(size + 1, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type,
                       reinterpret_cast<BYTE *>(buf.data()), &size) != 0)
    return v;
  v.present = true;
  v.text = buf.data(); // up to the first NUL, whether stored or not
  v.type = type;
  return v;
}

LONG writeValue(HKEY key, const char *name, const RegText &v) {
  return RegSetValueExA(key, name, 0, v.type,
                        reinterpret_cast<const BYTE *>(v.text.c_str()),
                        static_cast<DWORD>(v.text.size() + 1));
}

// Removes a key that holds nothing, as register may have made it.
void removeIfEmpty(const char *path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | kView, &key) != 0)
    return;
  DWORD subkeys = 1, values = 1;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                   &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (subkeys == 0 && values == 0)
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path, kView, 0);
}

int fail(const char *what, LONG rc) {
  std::fprintf(stderr, "%s (error %ld)%s\n", what, rc,
               rc == ERROR_ACCESS_DENIED ? ": run it as administrator" : "");
  return 2;
}

int doRegister(const std::string &ours, bool force) {
  HKEY key;
  LONG rc =
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLedEngineKey, 0, nullptr, 0,
                      KEY_READ | KEY_WRITE | kView, nullptr, &key, nullptr);
  if (rc != 0)
    return fail("cannot open the engine's registry key", rc);
  RegText current = readValue(key, nullptr);
  int status = 0;
  switch (virtualkb::planRegister(current, ours, force)) {
  case virtualkb::RegisterPlan::AlreadyOurs:
    std::printf("already registered (%s view): %s\n", kViewName, ours.c_str());
    break;
  case virtualkb::RegisterPlan::RefuseForeign:
    std::printf("the engine value names another engine, left alone: %s\n"
                "(register --force replaces it until unregister)\n",
                current.text.c_str());
    status = 1;
    break;
  case virtualkb::RegisterPlan::WriteOurs:
    // What is replaced is kept first: unregister must be able to put it back.
    if (current.present)
      rc = writeValue(key, kEarlierValue, current);
    else
      RegDeleteValueA(key, kEarlierValue); // a stale one says nothing now
    if (rc == 0)
      rc = writeValue(key, nullptr, RegText{true, ours, REG_SZ});
    if (rc != 0) {
      RegCloseKey(key);
      return fail("cannot write the engine value", rc);
    }
    std::printf("registered (%s view): %s\n", kViewName, ours.c_str());
    break;
  }
  RegCloseKey(key);
  return status;
}

int doUnregister(const std::string &ours) {
  HKEY key;
  LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLedEngineKey, 0,
                          KEY_READ | KEY_WRITE | kView, &key);
  if (rc == ERROR_FILE_NOT_FOUND) {
    std::printf("not registered (%s view)\n", kViewName);
    return 0;
  }
  if (rc != 0)
    return fail("cannot open the engine's registry key", rc);
  RegText current = readValue(key, nullptr);
  RegText earlier = readValue(key, kEarlierValue);
  int status = 0;
  switch (virtualkb::planUnregister(current, earlier, ours)) {
  case virtualkb::UnregisterPlan::NotRegistered:
    std::printf("not registered (%s view)\n", kViewName);
    break;
  case virtualkb::UnregisterPlan::RefuseForeign:
    std::printf("the engine value names another engine, left alone: %s\n",
                current.text.c_str());
    status = 1;
    break;
  case virtualkb::UnregisterPlan::RestoreEarlier:
    rc = writeValue(key, nullptr, earlier);
    if (rc != 0) {
      RegCloseKey(key);
      return fail("cannot put the earlier engine value back", rc);
    }
    RegDeleteValueA(key, kEarlierValue);
    std::printf("unregistered; the earlier value is back: %s\n",
                earlier.text.c_str());
    break;
  case virtualkb::UnregisterPlan::Remove:
    RegDeleteValueA(key, nullptr);
    std::printf("unregistered (%s view)\n", kViewName);
    break;
  }
  RegCloseKey(key);
  removeIfEmpty(kLedEngineKey);
  std::string clsidKey = kLedEngineKey;
  removeIfEmpty(clsidKey.substr(0, clsidKey.rfind('\\')).c_str());
  return status;
}

} // namespace

int main(int argc, char **argv) {
  std::string command = argc > 1 ? argv[1] : "";
  bool force = argc > 2 && std::strcmp(argv[2], "--force") == 0;
  bool usage = command == "register" ? argc > 2 + force : argc != 2;
  if (usage || (command != "register" && command != "unregister")) {
    std::fprintf(stderr, "usage: UlvoLedVirtualSetup register [--force]\n"
                         "       UlvoLedVirtualSetup unregister\n");
    return 2;
  }
  std::string ours = enginePath();
  if (ours.empty() ||
      GetFileAttributesA(ours.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "no UlvoLedVirtual.dll beside this program\n");
    return 2;
  }
  return command == "register" ? doRegister(ours, force) : doUnregister(ours);
}
