// Tovrik reaches its keyboard through the vendor's lighting service, which
// it finds by its window.  The service may be of either bitness, so its
// bitness and path are told but decide nothing.
#include "doctor.h"

#include <windows.h>

namespace doctor {
namespace {

// 32 or 64, or 0 where the process cannot be asked.
int processBits(HANDLE process) {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(process, &wow64))
    return 0;
  if (wow64)
    return 32;
  // Not under WOW64: the system's own bitness, which a 32-bit doctor learns
  // from whether it runs under WOW64 itself.
  BOOL selfWow64 = FALSE;
  return sizeof(void *) == 8 ||
                 (IsWow64Process(GetCurrentProcess(), &selfWow64) && selfWow64)
             ? 64
             : 32;
}

std::string serviceProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::string out = "process " + std::to_string(pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr)
    return out + " (bitness and path cannot be read)";
  int bits = processBits(process);
  out += bits ? ", " + std::to_string(bits) + "-bit" : ", bitness unknown";
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  if (QueryFullProcessImageNameA(process, 0, path, &size))
    out += std::string(", ") + path;
  CloseHandle(process);
  return out;
}

} // namespace

Keyboard checkTovrik() {
  Keyboard k;
  k.name = "Tovrik";
  HWND window = FindWindowW(L"TOVRIK TALK", L"TOVRIK TALK");
  if (window == nullptr) {
    k.fact("\"TOVRIK TALK\" window", "none");
    k.finding(kMissing,
              "no \"TOVRIK TALK\" window: the keyboard's lighting service "
              "is not running",
              "start the keyboard's lighting software before the game and "
              "keep it running");
    return k;
  }
  k.fact("\"TOVRIK TALK\" window", "found, " + serviceProcess(window));
  return k;
}

} // namespace doctor
