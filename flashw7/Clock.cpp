#include "Clock.h"

namespace win7 {
namespace {

class SystemTime : public Clock {
public:
    DWORD Ticks() override { return GetTickCount(); }

    // The time is measured as a difference of tick counts, which stays right across the 49.7-day
    // wrap, and the thread sleeps between messages instead of polling the queue.
    void WaitMs(uint32_t milliseconds) override {
        const DWORD start = GetTickCount();
        PumpMessages();
        for (DWORD elapsed = GetTickCount() - start; elapsed < milliseconds; elapsed = GetTickCount() - start) {
            MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            PumpMessages();
        }
    }

    void Pause(uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

Clock& SystemClock() {
    static SystemTime clock;
    return clock;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace win7
