#pragma once
// One connection to the tester: the open link, the threads that serve it and the flags they end
// on. Each connect makes a new session, so threads of an ending connection never see the flags of
// the next one.

#include "link/Link.h"
#include "runtime/HandleOwner.h"
#include "runtime/WorkerThread.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace capi {

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(std::shared_ptr<Link> link, std::string device, bool probeUnit);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The receive thread, the port-queue worker and the adapter watch; false when the receive
    // thread could not start.
    bool StartServiceThreads();
    void StartPollers();
    // Sets the poll-stop flag and waits (bounded) for the pollers and the port-queue worker.
    void StopPollers();
    // After StopPollers, while the session goes on: the pollers and the port-queue worker again.
    // Ordered against StopPollers: a resume never starts threads while a stop joins them.
    void ResumePolling();
    // Sets the stop and terminate flags, releases the reader and waits (bounded) for every thread.
    void Stop();

    // Reports the loss of the tester once per session (the receive thread or the adapter watch,
    // whichever notices first); true for the call that reported it.
    bool ReportDeviceLost(uint32_t stampSeconds, uint32_t stampMicroseconds);
    bool DeviceLost() const { return deviceLost_; }
    // The receive thread ends on this.
    bool Terminating() const { return terminate_ || stop_; }
    // Sleep up to the time given; true when the session stops (Rest) or its pollers stop
    // (RestPolling) meanwhile.
    bool Rest(DWORD milliseconds) const;
    bool RestPolling(DWORD milliseconds) const;
    // Sleeps until `event` is signalled; true when the pollers stop first.
    bool RestPollingUntil(HANDLE event) const;

private:
    void ReceiveThread();
    void PortQueueThread();
    void AdapterWatchThread();
    void CounterPollThread();
    void PhyPollThread();
    void StartPollersLocked();
    // Runs a round each second (measured with the performance counter; after an overrun, rests as
    // long as the round took) until the pollers stop or the round returns false.
    void PollEachSecond(const std::function<bool()>& round);

    const std::shared_ptr<Link> link_;
    const std::string device_;
    const bool probeUnit_;

    std::atomic<bool> terminate_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> pollStop_{false};
    std::atomic<bool> deviceLost_{false};
    // pollersLock_ orders the starts and stops of the pollers and the port-queue worker (held
    // through a stop's bounded joins) and the setting of stop_: the host's threads that connect,
    // download and terminate, and a USB download's worker at its end. The pollers never take it.
    std::mutex pollersLock_;
    // Wake resting threads: stopEvent_ when the session stops, pollStopEvent_ when the pollers
    // stop (and when the session stops).
    const UniqueHandle stopEvent_;
    const UniqueHandle pollStopEvent_;

    // Started and joined by the connection's thread (connect, terminate).
    WorkerThread receive_;
    WorkerThread portQueue_;
    WorkerThread adapterWatch_;
    WorkerThread counterPoller_;
    WorkerThread phyPoller_;
};

// Sleep after a poll round: the rest of the second, or after an overrun as long as the round took.
DWORD PollPause(DWORD elapsedMs);

// Sleep after a port-queue round, on the performance counter's clock (`ticksPerSecond`): the
// rounds are due `period` ticks apart, so the round's own work (a block request) is part of its
// period rather than added to it. `due` holds when the round that just ended was due and moves on
// to when the next one is; the milliseconds until then are returned, rounded up so that no round
// starts early. A round that ends when the next is already due makes that one due now, with no
// pause: a late round delays the schedule instead of bringing a burst of rounds to catch up.
DWORD NextRoundPause(int64_t* due, int64_t now, int64_t period, int64_t ticksPerSecond);

}  // namespace capi
