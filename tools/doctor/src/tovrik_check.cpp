// Tovrik reaches its keyboard through the vendor's lighting service, which
// it finds by its window.  The service may be of either bitness, so its
// bitness and path are told but decide nothing; a window that does not
// answer is a service that cannot light anything.
#include "doctor.h"

#include <windows.h>

namespace doctor {
namespace {

// What the library itself waits for a service before it gives up on a key
// bitmap is far less; a second tells a busy service from a hung one.
constexpr UINT kAnswerMs = 1000;

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
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  if (QueryFullProcessImageNameW(process, 0, path, &size))
    out += ", " + utf8(std::wstring(path, size));
  CloseHandle(process);
  return out;
}

// WM_NULL does nothing in any window procedure: the answer only shows that
// the service's thread takes messages.
bool answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                             &result) != 0;
}

} // namespace

Keyboard checkTovrik() {
  Keyboard k;
  k.id = "tovrik";
  k.name = "Tovrik";
  HWND window = FindWindowW(L"TOVRIK TALK", L"TOVRIK TALK");
  if (window == nullptr) {
    k.fact("\"TOVRIK TALK\" window", "none");
    k.notFound("no \"TOVRIK TALK\" window: the keyboard's lighting service "
               "is not running",
               "start the keyboard's lighting software before the game and "
               "keep it running (either bitness serves)");
    return k;
  }
  k.fact("\"TOVRIK TALK\" window", "found, " + serviceProcess(window));
  if (!answers(window))
    k.finding(kHung,
              "the \"TOVRIK TALK\" window has not answered within a second: "
              "the keyboard's lighting service is hung",
              "restart the keyboard's lighting software");
  return k;
}

} // namespace doctor
