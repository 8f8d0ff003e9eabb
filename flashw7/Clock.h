#pragma once
// Time as the library sees it: the tick count, the pumped wait that keeps the caller's window
// painting (`WaitMs`), and the plain pause of the transport's status polling. The exports use the
// system's; a test hands the flash layer a clock of its own, so that a download's fixed waits
// (half a minute of erase wait, 20 ms before every page read) cost it no time.

#include <windows.h>

#include <cstdint>

namespace win7 {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds, wrapping like GetTickCount.
    virtual DWORD Ticks() = 0;
    // Waits while dispatching the calling thread's messages.
    virtual void WaitMs(uint32_t milliseconds) = 0;
    // Waits without dispatching anything.
    virtual void Pause(uint32_t milliseconds) = 0;
};

// GetTickCount, a pumped wait that sleeps until the time is up or a message arrives, and Sleep.
Clock& SystemClock();

}  // namespace win7
