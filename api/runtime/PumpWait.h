#pragma once
// The library's waits. Pumped waits dispatch the calling thread's window messages while they wait,
// so a host's GUI thread keeps painting and running its timers during register calls.

#include <windows.h>

#include <cstdint>

namespace capi {

// Milliseconds from one GetTickCount reading to a later one, correct across the 49.7-day wrap.
inline DWORD TicksBetween(DWORD start, DWORD now) { return now - start; }
inline DWORD TicksSince(DWORD start) { return TicksBetween(start, GetTickCount()); }

// Removes and dispatches every message waiting in the calling thread's queue.
void PumpMessages();
// Waits the given time while dispatching the calling thread's messages as they arrive.
void PumpWait(uint32_t milliseconds);
// Waits the given time without dispatching anything.
void BVT_Delay(uint32_t milliseconds);

}  // namespace capi
