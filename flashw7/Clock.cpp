#include "Clock.h"

#include "MessagePump.h"

namespace win7 {
namespace {

class SystemTime : public Clock {
public:
    DWORD Ticks() override { return GetTickCount(); }

    void WaitMs(uint32_t milliseconds) override { hostio::PumpWait(milliseconds); }

    void Pause(uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

Clock& SystemClock() {
    static SystemTime clock;
    return clock;
}

}  // namespace win7
