// The window of a virtual library: a window of its own, on a thread of its
// own, that shows a picture other threads change.  The library's callers
// never wait for it: they change their state under their own short lock and
// call liveViewChanged, which only posts a message.  The window's thread
// holds a reference to the library, so a host that frees the library while
// the window is closing does not pull the code from under it.
#ifndef VIRTUAL_LIVE_VIEW_H
#define VIRTUAL_LIVE_VIEW_H

#include "image.h"

namespace virtualkb {

// Makes the picture; runs on the window's thread.
using DrawFn = preview::Image (*)();

// Opens the window unless it is open; shotName names its screenshots
// (canvas.h).
void liveViewOpen(const wchar_t *title, DrawFn draw, const char *shotName);
// The picture is to be drawn again.
void liveViewChanged();
// Closes the window; it ends on its own thread soon after.
void liveViewClose();

} // namespace virtualkb

#endif
