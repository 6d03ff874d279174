// The LED binding reads the engine's path from one registry value in the
// registry view of its own bitness, loads that file and binds nineteen
// entry points.  The doctor reads the value in both views as the binding
// would: at most 260 bytes in the ANSI code page, not expanded, handed to
// the loader, which turns it into UTF-16 by the same code page and searches
// for a relative name.
#include "doctor.h"
#include "led_engine.h"
#include "led_engine_key.h"

#include <windows.h>

#include <cstring>

namespace doctor {
namespace {

const char *const *const kEntryPoints = ulvoran::kLedEntryNames;
constexpr size_t kEntryCount = ulvoran::kLedEntryCount;
constexpr DWORD kPathCapacity = 260; // the binding's buffer
const char kReinstall[] = "reinstall the keyboard's LED software";

struct Registration {
  enum State { kAbsent, kTooLong, kUnterminated, kFound } state = kAbsent;
  std::wstring path;
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
  if (rc == ERROR_MORE_DATA) {
    r.state = Registration::kTooLong;
  } else if (rc == ERROR_SUCCESS && size == kPathCapacity &&
             std::memchr(path, 0, kPathCapacity) == nullptr) {
    r.state = Registration::kUnterminated;
  } else if (rc == ERROR_SUCCESS) {
    r.state = Registration::kFound;
    // Up to the first NUL, as the loader reads it.
    wchar_t name[kPathCapacity + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, path, -1, name, kPathCapacity + 1);
    r.path = name;
  }
  return r;
}

std::string describe(const Registration &r) {
  switch (r.state) {
  case Registration::kAbsent:
    return "none";
  case Registration::kTooLong:
    return "longer than 259 characters";
  case Registration::kUnterminated:
    return "260 bytes with no end (no NUL)";
  default:
    return utf8(r.path);
  }
}

void judgeEngine(Keyboard &k, const std::wstring &path, const PeFacts &pe,
                 int bits) {
  if (!pe.exists)
    k.finding(kMissing,
              "the registered engine " + utf8(path) + " does not exist",
              kReinstall);
  else if (!pe.error.empty())
    k.finding(kUnreadable, utf8(path) + " " + pe.error, kReinstall);
  else if (pe.bits != bits)
    k.finding(kWrongBitness, cannotLoad(path, pe, bits),
              "install the LED software's " + std::to_string(bits) +
                  "-bit engine, which registers itself in the " +
                  std::to_string(bits) + "-bit registry view");
  else if (!pe.missing.empty())
    k.finding(kMissingEntryPoint,
              utf8(path) + " lacks " + joined(pe.missing) +
                  ": it is not the LED engine the binding needs",
              "reinstall the keyboard's LED software (an update, if it is "
              "older)");
}

// A relative value is no path of the binding's folder or of the doctor's:
// the game's loader looks for it as for a library named without a path.
void searchEngine(Keyboard &k, const Options &options,
                  const std::wstring &name) {
  k.fact("engine file", "a relative name: the game's loader searches for it "
                        "in the folders a game searches (the game's current "
                        "folder among them, which is not known here)");
  Search search;
  search.entryPoints = kEntryPoints;
  search.entryCount = kEntryCount;
  search.reinstall = kReinstall;
  search.wrongBitness = "install the LED software's " +
                        std::to_string(options.bits) + "-bit engine";
  searchLibrary(k, gameSearchFolders(options), {name}, options.bits, search);
  if (!search.anyFound) {
    k.finding(kMissing,
              "the registered engine " + utf8(name) +
                  " is a relative name, found in no folder a game searches",
              kReinstall);
  } else if (search.chosen.empty()) {
    k.findings = search.passedOver;
  } else {
    k.fact("loads", utf8(search.chosen));
    judgeEngine(k, search.chosen, search.chosenPe, options.bits);
  }
}

void checkRegistration(Keyboard &k, const Options &options,
                       const Registration &own) {
  if (own.state == Registration::kTooLong) {
    k.finding(kUnreadable,
              "the registered path is longer than the binding reads",
              "install the LED software into a folder with a shorter path");
  } else if (own.state == Registration::kUnterminated) {
    k.finding(kUnreadable,
              "the registered path fills all 260 bytes the binding reads "
              "and has no end there, so the binding cannot hand it to the "
              "loader whole",
              "install the LED software into a folder with a shorter path");
  } else if (own.path.empty()) {
    k.finding(kMissing, "the registry value names no file", kReinstall);
  } else if (isRelative(own.path)) {
    searchEngine(k, options, own.path);
  } else {
    PeFacts pe = readPe(own.path, kEntryPoints, kEntryCount);
    k.fact("engine file", doctor::describe(pe, kEntryCount));
    judgeEngine(k, own.path, pe, options.bits);
  }
}

} // namespace

Keyboard checkLedEngine(const Options &options) {
  Keyboard k;
  k.id = "led";
  k.name = "LED engine";
  int other = options.bits == 64 ? 32 : 64;
  Registration own = readRegistration(options.bits);
  Registration theirs = readRegistration(other);
  std::string key = std::string("HKLM\\") + kLedEngineKey;
  k.fact("registry value", key);
  k.fact(std::to_string(options.bits) + "-bit view (read by the game)",
         describe(own));
  k.fact(std::to_string(other) + "-bit view", describe(theirs));
  if (own.state != Registration::kAbsent) {
    checkRegistration(k, options, own);
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
    k.notFound("no LED engine is registered",
               "install the keyboard's LED software");
  }
  return k;
}

} // namespace doctor
