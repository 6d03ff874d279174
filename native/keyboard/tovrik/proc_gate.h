// A window procedure that outlives the library.  The window system may
// have looked a window's procedure up, on the thread that owns the window,
// just before another thread lets the library go; that call must not land
// in unmapped code.  So the link's window and class call a small gate in
// memory of its own, never freed, which counts the calls inside it and
// forwards them to the procedure it currently names.  Before the library
// goes, the gate is turned to DefWindowProcW and the library waits until
// no call is left inside; a call that enters the gate after the turn never
// reaches the library, and a call that returns leaves through the gate.
#ifndef TOVRIK_PROC_GATE_H
#define TOVRIK_PROC_GATE_H

#include <windows.h>

#include <cstdint>

namespace tovrik {

// A gate that forwards to `target`, or null when no memory can be had (or
// the processor is one the gate is not written for).
WNDPROC openProcGate(WNDPROC target);
// From now on the gate forwards to `target`.
void turnProcGate(WNDPROC gate, WNDPROC target);
// Calls inside the gate now, nested ones counted each.
intptr_t callsInProcGate(WNDPROC gate);

} // namespace tovrik

#endif
