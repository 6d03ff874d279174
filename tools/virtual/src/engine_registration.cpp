#include "engine_registration.h"

namespace virtualkb {

namespace {

char folded(char c) {
  if (c == '/')
    return '\\';
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool samePath(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); i++) {
    if (folded(a[i]) != folded(b[i]))
      return false;
  }
  return true;
}

RegisterPlan planRegister(const RegText &current, const std::string &ours,
                          bool force) {
  if (current.present && samePath(current.text, ours))
    return RegisterPlan::AlreadyOurs;
  if (current.present && !current.text.empty() && !force)
    return RegisterPlan::RefuseForeign;
  return RegisterPlan::WriteOurs;
}

UnregisterPlan planUnregister(const RegText &current, const RegText &earlier,
                              const std::string &ours) {
  if (!current.present)
    return UnregisterPlan::NotRegistered;
  if (!samePath(current.text, ours))
    return UnregisterPlan::RefuseForeign;
  return earlier.present ? UnregisterPlan::RestoreEarlier
                         : UnregisterPlan::Remove;
}

} // namespace virtualkb
