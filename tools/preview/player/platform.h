// The few Win32 chores of the player: a microsecond clock shared with the
// stand-ins, pumping the loading thread's messages while waiting, paths
// handed over from Linux, and the stand-in lighting service's process.
#ifndef PREVIEW_PLATFORM_H
#define PREVIEW_PLATFORM_H

#include <windows.h>

#include <cstdint>
#include <string>

namespace preview {

// QueryPerformanceCounter in microseconds: system-wide under Wine, so the
// stamps compare with those of other processes.
int64_t nowUs();

// Dispatches this thread's messages until the clock reaches the time.
void pumpMessagesUntil(int64_t us);
void pumpPendingMessages();

// "/work/x/y.dll" becomes "Z:\work\x\y.dll"; Windows paths stay as they are.
std::string windowsPath(const std::string &path);

struct ServiceProcess {
  PROCESS_INFORMATION pi = {};
  bool running = false;
};

// Starts the service and waits (up to 30 s) until its window exists.
bool startService(const std::string &exe, ServiceProcess *service);
void stopService(ServiceProcess *service);

} // namespace preview

#endif
