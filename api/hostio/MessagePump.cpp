#include "MessagePump.h"

#include <windows.h>

namespace hostio {

bool PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Taken again at once by the next look: whoever pumps stops here, or it would spin.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

// The time is measured as a difference of tick counts, which stays right across the 49.7-day
// wrap, and the thread sleeps between messages instead of polling the queue.
void PumpWait(uint32_t milliseconds) {
    const DWORD start = GetTickCount();
    bool pumping = PumpMessages();
    for (DWORD elapsed = GetTickCount() - start; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        if (!pumping) {
            Sleep(milliseconds - elapsed);
            continue;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        pumping = PumpMessages();
    }
}

}  // namespace hostio
