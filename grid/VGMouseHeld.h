// The message pump of the grid's loops that run while the left button is held (the cell area's
// drag selection, a column dragged past a heading's edge): they step, then let the thread's other
// windows run until the mouse has something new to say.
#pragma once

#include <windows.h>

namespace VGMouseHeld {

// Waits for input (at most the given time) and dispatches what is queued, until a mouse move or a
// left release is waiting (left in the queue for the window's own handler). false when the loop
// must end: such a message waits, or a quit message came (posted again for the loop that owns it).
bool PumpWhileHeld(DWORD waitMilliseconds);

}  // namespace VGMouseHeld
