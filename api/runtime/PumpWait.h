#pragma once
// The library's waits. Pumped waits dispatch the calling thread's window messages while they wait,
// so a host's GUI thread keeps painting and running its timers during register calls.

#include "MessagePump.h"

#include <windows.h>

#include <cstdint>

namespace capi {

// The library's own threads (WorkerThread marks each as it starts) show no window: on them a
// pumped wait is a plain sleep and there is nothing to dispatch. Looking for messages would give
// each of them a message queue and cost a trip to the window server at every look, several times a
// second for the pollers.
void MarkWindowlessThread();
bool OnWindowlessThread();

// While one lives, the calling thread's register exchanges let no window message through: for a
// caller whose writes must reach the tester with nothing of the host's between them (a start that
// a message made would be undone by the write that follows it). Such a caller lets the messages
// through itself, where it can look at what they did.
class HeldMessages {
public:
    HeldMessages();
    ~HeldMessages();
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;
};
bool MessagesHeld();

// The calling thread's messages dispatched (false when a quit came), and a wait that dispatches
// them meanwhile; the pumping itself is shared with BrevixT_WIN7.
inline bool PumpMessages() { return OnWindowlessThread() || MessagesHeld() || hostio::PumpMessages(); }
inline void PumpWait(uint32_t milliseconds) {
    if (OnWindowlessThread()) {
        Sleep(milliseconds);
    } else {
        hostio::PumpWait(milliseconds);
    }
}

// Milliseconds from one GetTickCount reading to a later one, correct across the 49.7-day wrap.
inline DWORD TicksBetween(DWORD start, DWORD now) { return now - start; }
inline DWORD TicksSince(DWORD start) { return TicksBetween(start, GetTickCount()); }

// Waits the given time without dispatching anything.
void BVT_Delay(uint32_t milliseconds);

}  // namespace capi
