// The stand-in lighting service, one source for both places it runs: a
// thread of a host test (service_host.cpp, steered through fake_service.h)
// and a Windows program of its own under Wine (service_win.cpp).  Here is
// the "TOVRIK TALK" window and what it does with the link's messages; the
// platform part records what the window hears and may take messages of its
// own as commands.
#ifndef TOVRIK_SERVICE_H
#define TOVRIK_SERVICE_H

#include <windows.h>

#include <cstdint>
#include <vector>

#include "talk_service.h"

namespace standin {

// One service window's state, read and written only on the thread that
// owns the window.
struct Service {
  talk::Ids ids{};
  HWND window = nullptr;
  HWND discoverer = nullptr;     // the link window of the last discover
  bool attachOnDiscover = false; // answer each discover with an LED attach
  std::vector<uint8_t> echo;     // sent back while handling each key bitmap
  HWND echoTo = nullptr;         // where the echo goes; null: the link window
  bool reportEach = false;  // answer each key bitmap with a report of its own
                            // 15 bytes, sent to the link window and waited for
  DWORD bitmapMs = 0;       // take this long over each key bitmap
  void *platform = nullptr; // the platform part's own object
};

// Creates the window on the calling thread, which then runs runService.
HWND openService(Service &s, DWORD style, int width, int height);
// Handles the calling thread's messages until its service window is gone.
void runService();
// The link's window, as talk::linkWindow finds it from the last discover.
HWND linkOf(const Service &s);
// A message to the link with the service's window as wParam, sent (and its
// result returned) or posted.
LRESULT attach(const Service &s, HWND link, UINT msg, LPARAM lp, bool send);

// The platform part.  serviceCommand sees every message first and returns
// true, with *result set, for one that is its own.  serviceHeard sees every
// other message but the window's creation and destruction, before the
// service acts on it.
bool serviceCommand(Service &s, UINT msg, WPARAM wp, LPARAM lp,
                    LRESULT *result);
void serviceHeard(Service &s, UINT msg, WPARAM wp, LPARAM lp);

} // namespace standin

#endif
