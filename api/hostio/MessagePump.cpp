#include "MessagePump.h"

#include <windows.h>

namespace hostio {

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The time is measured as a difference of tick counts, which stays right across the 49.7-day
// wrap, and the thread sleeps between messages instead of polling the queue.
void PumpWait(uint32_t milliseconds) {
    const DWORD start = GetTickCount();
    PumpMessages();
    for (DWORD elapsed = GetTickCount() - start; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpMessages();
    }
}

}  // namespace hostio
