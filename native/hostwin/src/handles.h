// What a HANDLE of the stand-in points at: a thread (kernel.cpp) or an
// event (messages.cpp, where the waits that take messages live).
#ifndef HOSTWIN_HANDLES_H
#define HOSTWIN_HANDLES_H

#include <windows.h>

enum class HandleKind { thread, event };

struct HandleObject {
  explicit HandleObject(HandleKind k) : kind(k) {}
  HandleKind kind;
};

inline HandleKind kindOf(HANDLE h) {
  return static_cast<HandleObject *>(h)->kind;
}

// In messages.cpp: events, and the end of a thread's windows and queue,
// which comes before its handle is signalled, as on Windows.
void closeEvent(HANDLE event);
void endThreadMessaging();

#endif
