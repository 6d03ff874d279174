#include "wine_paths.h"

#include <windows.h>

std::string hostPathFromEnv(const char *variable) {
  char value[MAX_PATH];
  DWORD n = GetEnvironmentVariableA(variable, value, sizeof value);
  if (n == 0 || n >= sizeof value)
    return std::string();
  std::string path = value;
  if (!path.empty() && path[0] == '/')
    path = "Z:" + path;
  for (char &c : path)
    if (c == '/')
      c = '\\';
  return path;
}

std::string variantDir(const char *variant) {
  return hostPathFromEnv("DVGLOW_ROOT") + "\\" + variant;
}
