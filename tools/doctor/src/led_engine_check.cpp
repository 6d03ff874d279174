// The LED binding reads the engine's path from one registry value in the
// registry view of its own bitness, loads that file and binds nineteen
// entry points.  The doctor reads the value in both views, as the binding
// would (at most 260 bytes, not expanded), and the file it names.
#include "doctor.h"
#include "led_engine.h"
#include "led_engine_key.h"

#include <windows.h>

namespace doctor {
namespace {

const char *const *const kEntryPoints = ulvoran::kLedEntryNames;
constexpr size_t kEntryCount = ulvoran::kLedEntryCount;
constexpr DWORD kPathCapacity = 260; // the binding's buffer

struct Registration {
  enum State { kAbsent, kTooLong, kFound } state = kAbsent;
  std::string path;
};

Registration readRegistration(int bits) {
  Registration r;
  HKEY key = nullptr;
  REGSAM view = bits == 64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLedEngineKey, 0, KEY_READ | view,
                    &key) != ERROR_SUCCESS)
    return r;
  char path[kPathCapacity + 1] = {};
  DWORD size = kPathCapacity;
  LONG rc = RegQueryValueExA(key, nullptr, nullptr, nullptr,
                             reinterpret_cast<BYTE *>(path), &size);
  RegCloseKey(key);
  if (rc == ERROR_MORE_DATA)
    r.state = Registration::kTooLong;
  else if (rc == ERROR_SUCCESS) {
    r.state = Registration::kFound;
    r.path = path; // up to the first NUL, as the loader reads it
  }
  return r;
}

std::string describe(const Registration &r) {
  switch (r.state) {
  case Registration::kAbsent:
    return "none";
  case Registration::kTooLong:
    return "longer than 259 characters";
  default:
    return r.path;
  }
}

void checkEngineFile(Keyboard &k, const std::string &path, int bits) {
  PeFacts pe = readPe(path, kEntryPoints, kEntryCount);
  k.fact("engine file", doctor::describe(pe, kEntryCount));
  if (!pe.exists)
    k.finding(kMissing, "the registered engine " + path + " does not exist",
              "reinstall the keyboard's LED software");
  else if (!pe.error.empty())
    k.finding(kUnreadable, path + " " + pe.error,
              "reinstall the keyboard's LED software");
  else if (pe.bits != bits)
    k.finding(kWrongBitness, cannotLoad(path, pe, bits),
              "install the LED software's " + std::to_string(bits) +
                  "-bit engine, which registers itself in the " +
                  std::to_string(bits) + "-bit registry view");
  else if (!pe.missing.empty())
    k.finding(kMissingEntryPoint,
              path + " lacks " + joined(pe.missing) +
                  ": it is not the LED engine the binding needs",
              "reinstall the keyboard's LED software (an update, if it is "
              "older)");
}

} // namespace

Keyboard checkLedEngine(const Options &options) {
  Keyboard k;
  k.name = "LED engine";
  int other = options.bits == 64 ? 32 : 64;
  Registration own = readRegistration(options.bits);
  Registration theirs = readRegistration(other);
  std::string key = std::string("HKLM\\") + kLedEngineKey;
  k.fact("registry value", key);
  k.fact(std::to_string(options.bits) + "-bit view (read by the game)",
         describe(own));
  k.fact(std::to_string(other) + "-bit view", describe(theirs));
  if (own.state == Registration::kTooLong) {
    k.finding(kUnreadable,
              "the registered path is longer than the binding reads",
              "install the LED software into a folder with a shorter path");
  } else if (own.state == Registration::kFound) {
    checkEngineFile(k, own.path, options.bits);
  } else if (theirs.state != Registration::kAbsent) {
    k.finding(kWrongView,
              "the engine is registered only in the " + std::to_string(other) +
                  "-bit registry view, which a " +
                  std::to_string(options.bits) + "-bit game does not read",
              "install the LED software's " + std::to_string(options.bits) +
                  "-bit engine (or run its " + std::to_string(options.bits) +
                  "-bit setup), or play with a " + std::to_string(other) +
                  "-bit Java");
  } else {
    k.finding(kMissing, "no LED engine is registered",
              "install the keyboard's LED software");
  }
  return k;
}

} // namespace doctor
