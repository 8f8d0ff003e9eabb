#pragma once
// The one message pump of the libraries and the program: while a call waits, the calling thread's
// window messages are dispatched, so a host's GUI thread keeps painting and running its timers.

#include <cstdint>

namespace hostio {

// Removes and dispatches every message waiting in the calling thread's queue. A WM_QUIT belongs to
// the loop that owns the thread: it is posted again for that loop and ends the pumping (false).
bool PumpMessages();
// Waits the given time while dispatching the calling thread's messages as they arrive. Once a
// WM_QUIT came (left for its loop, as above) the rest of the time passes without dispatching, so a
// device's pause keeps its length whatever the host does.
void PumpWait(uint32_t milliseconds);

}  // namespace hostio
