#include "runtime/PumpWait.h"

namespace capi {

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void PumpWait(uint32_t milliseconds) {
    const DWORD start = GetTickCount();
    PumpMessages();
    for (DWORD elapsed = TicksSince(start); elapsed < milliseconds; elapsed = TicksSince(start)) {
        // Sleeps until the time is up or a message arrives, then dispatches what came.
        MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpMessages();
    }
}

void BVT_Delay(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace capi
