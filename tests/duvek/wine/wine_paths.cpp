#include "wine_paths.h"

#include <windows.h>

#include "win_support.h"

std::string hostPathFromEnv(const char *variable) {
  char value[MAX_PATH];
  DWORD n = GetEnvironmentVariableA(variable, value, sizeof value);
  if (n == 0 || n >= sizeof value)
    return std::string();
  return windowsPath(value);
}

std::string variantDir(const char *variant) {
  return hostPathFromEnv("DVGLOW_ROOT") + "\\" + variant;
}
