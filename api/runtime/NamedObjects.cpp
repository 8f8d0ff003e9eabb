#include "runtime/NamedObjects.h"

#include <mutex>

namespace capi {
namespace {

struct LoadTimeObjects {
    LoadTimeObjects()
        : event1(CreateEventW(nullptr, TRUE, FALSE, L"Event1")),
          event2(CreateEventW(nullptr, TRUE, FALSE, L"Event2")),
          captureQueue(CreateMutexW(nullptr, FALSE, L"Mutex")),
          phyName(CreateMutexW(nullptr, FALSE, L"PHYMutex")) {}
    HANDLE event1;
    HANDLE event2;
    HANDLE captureQueue;
    HANDLE phyName;
};

// Constructed when the library loads, kept until the process ends.
const LoadTimeObjects loadTime;

// eventsLock guards the event handles: BrevixC_SYS_Init creates them on the host's thread while
// PHY reads and the reply dispatcher may use them.
std::mutex eventsLock;
HANDLE phyRead;
HANDLE capQue0;
HANDLE capQue1;
HANDLE nullWait;
HANDLE setSfp;

HANDLE PhyReadEvent() {
    std::lock_guard<std::mutex> guard(eventsLock);
    return phyRead;
}

}  // namespace

HANDLE CaptureQueueMutex() { return loadTime.captureQueue; }

int CreateNamedEvents() {
    std::lock_guard<std::mutex> guard(eventsLock);
    for (auto [handle, name] : {std::pair{&phyRead, L"PhyRead"}, {&capQue0, L"CapQue0"}, {&capQue1, L"CapQue1"},
                                {&nullWait, L"NullWait"}, {&setSfp, L"SetSFP"}}) {
        if (!*handle) *handle = CreateEventW(nullptr, TRUE, FALSE, name);
    }
    if (nullWait) ResetEvent(nullWait);
    if (!setSfp) return 0;
    return ResetEvent(setSfp) ? 1 : 0;
}

void ResetPhyRead() {
    if (const HANDLE event = PhyReadEvent()) ResetEvent(event);
}

bool WaitPhyRead(DWORD timeoutMs) {
    const HANDLE event = PhyReadEvent();
    return event && WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
}

void SignalPhyRead() {
    if (const HANDLE event = PhyReadEvent()) SetEvent(event);
}

}  // namespace capi
