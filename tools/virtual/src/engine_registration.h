// What `UlvoLedVirtualSetup register` and `unregister` do to the registry
// value that names the LED engine, decided from what the value holds now.
// Plain logic; engine_setup_main.cpp reads and writes the registry.
#ifndef VIRTUAL_ENGINE_REGISTRATION_H
#define VIRTUAL_ENGINE_REGISTRATION_H

#include <string>

namespace virtualkb {

// One registry value as read: absent, or its text.
struct RegText {
  bool present = false;
  std::string text;
  unsigned long type = 1; // REG_SZ; an earlier value keeps its own type
};

// Windows paths name the same file whatever their letter case and slashes.
bool samePath(const std::string &a, const std::string &b);

enum class RegisterPlan {
  WriteOurs,     // write our path; the value held now, if any, is kept
  AlreadyOurs,   // nothing to do
  RefuseForeign, // the value names another engine: left alone
};

// current: the engine value now; force: overwrite another engine's value.
RegisterPlan planRegister(const RegText &current, const std::string &ours,
                          bool force);

enum class UnregisterPlan {
  RestoreEarlier, // put back the value that register replaced
  Remove,         // there was none: remove ours
  NotRegistered,  // no value: nothing to do
  RefuseForeign,  // the value names another engine: left alone
};

UnregisterPlan planUnregister(const RegText &current, const RegText &earlier,
                              const std::string &ours);

} // namespace virtualkb

#endif
