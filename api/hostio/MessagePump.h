#pragma once
// The pumped wait of both device libraries: while a call waits, the calling thread's window
// messages are dispatched, so a host's GUI thread keeps painting and running its timers.

#include <cstdint>

namespace hostio {

// Removes and dispatches every message waiting in the calling thread's queue.
void PumpMessages();
// Waits the given time while dispatching the calling thread's messages as they arrive.
void PumpWait(uint32_t milliseconds);

}  // namespace hostio
