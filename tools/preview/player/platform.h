// The few Win32 chores of the player beyond the shared ones (win_support.h):
// pumping the loading thread's messages while waiting, and the stand-in
// lighting service's process.
#ifndef PREVIEW_PLATFORM_H
#define PREVIEW_PLATFORM_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "win_support.h"

namespace preview {

// Dispatches this thread's messages until the clock reaches the time.
void pumpMessagesUntil(int64_t us);

struct ServiceProcess {
  PROCESS_INFORMATION pi = {};
  bool running = false;
};

// Starts the service and waits (up to 30 s) until its window exists; a
// service that ends first is started once more.
bool startService(const std::string &exe, ServiceProcess *service);
void stopService(ServiceProcess *service);

} // namespace preview

#endif
