#pragma once
// The library's waits. Pumped waits dispatch the calling thread's window messages while they wait,
// so a host's GUI thread keeps painting and running its timers during register calls.

#include "MessagePump.h"

#include <windows.h>

#include <cstdint>

namespace capi {

// PumpMessages and PumpWait (the waiting while dispatching the calling thread's messages) are
// shared with BrevixT_WIN7.
using hostio::PumpMessages;
using hostio::PumpWait;

// Milliseconds from one GetTickCount reading to a later one, correct across the 49.7-day wrap.
inline DWORD TicksBetween(DWORD start, DWORD now) { return now - start; }
inline DWORD TicksSince(DWORD start) { return TicksBetween(start, GetTickCount()); }

// Waits the given time without dispatching anything.
void BVT_Delay(uint32_t milliseconds);

}  // namespace capi
