#include "connection/Session.h"

#include "capture/Capture.h"
#include "connection/Connection.h"
#include "connection/DeviceState.h"
#include "counters/Counters.h"
#include "link/AdapterSource.h"
#include "ports/LinkReports.h"
#include "ports/Ports.h"
#include "protocol/CommandProtocol.h"
#include "protocol/ReceivePath.h"
#include "runtime/HostMessages.h"

#include <initializer_list>

namespace capi {
namespace {

// How long stopping waits for each thread. The threads look at their flags at least this often
// unless a host callback holds them.
constexpr DWORD kJoinBoundMs = 2000;

constexpr DWORD kAdapterWatchPeriodMs = 2000;
constexpr DWORD kPortQueuePeriodMs = 20;

// Milliseconds between two performance-counter readings.
DWORD ElapsedMs(const LARGE_INTEGER& start, const LARGE_INTEGER& end, const LARGE_INTEGER& frequency) {
    return static_cast<DWORD>((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
}

}  // namespace

DWORD PollPause(DWORD elapsedMs) { return elapsedMs < 1000 ? 1000 - elapsedMs : elapsedMs; }

DWORD NextRoundPause(int64_t* due, int64_t now, int64_t period, int64_t ticksPerSecond) {
    *due += period;
    if (now >= *due) {
        *due = now;
        return 0;
    }
    return static_cast<DWORD>(((*due - now) * 1000 + ticksPerSecond - 1) / ticksPerSecond);
}

Session::Session(std::shared_ptr<Link> link, std::string device, bool probeUnit)
    : link_(std::move(link)),
      device_(std::move(device)),
      probeUnit_(probeUnit),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      pollStopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Session::~Session() = default;

bool Session::StartServiceThreads() {
    // Each thread holds the session: what it uses outlives it even when stopping gives up on it.
    const std::shared_ptr<Session> self = shared_from_this();
    if (!receive_.Start(L"BrevixCAPI receive", [self] { self->ReceiveThread(); })) return false;
    portQueue_.Start(L"BrevixCAPI port queue", [self] { self->PortQueueThread(); });
    adapterWatch_.Start(L"BrevixCAPI adapter watch", [self] { self->AdapterWatchThread(); });
    return true;
}

void Session::StartPollers() {
    std::lock_guard<std::mutex> guard(pollersLock_);
    StartPollersLocked();
}

void Session::StartPollersLocked() {
    if (counterPoller_.Running()) return;
    pollStop_ = false;
    const std::shared_ptr<Session> self = shared_from_this();
    counterPoller_.Start(L"BrevixCAPI counter poller", [self] { self->CounterPollThread(); });
    phyPoller_.Start(L"BrevixCAPI PHY poller", [self] { self->PhyPollThread(); });
}

void Session::ResumePolling() {
    // Under the lock a stop either comes first and has joined what it stopped, or comes after and
    // joins what starts here; the session's own stop comes first for good.
    std::lock_guard<std::mutex> guard(pollersLock_);
    if (stop_ || counterPoller_.Running() || portQueue_.Running()) return;
    ResetEvent(pollStopEvent_.get());
    StartPollersLocked();
    const std::shared_ptr<Session> self = shared_from_this();
    portQueue_.Start(L"BrevixCAPI port queue", [self] { self->PortQueueThread(); });
}

void Session::StopPollers() {
    std::lock_guard<std::mutex> guard(pollersLock_);
    pollStop_ = true;
    SetEvent(pollStopEvent_.get());
    counterPoller_.Join(kJoinBoundMs);
    phyPoller_.Join(kJoinBoundMs);
    portQueue_.Join(kJoinBoundMs);
}

void Session::Stop() {
    {
        std::lock_guard<std::mutex> guard(pollersLock_);
        stop_ = true;
    }
    terminate_ = true;
    StopPollers();
    SetEvent(stopEvent_.get());
    link_->Interrupt();
    receive_.Join(kJoinBoundMs);
    adapterWatch_.Join(kJoinBoundMs);
}

bool Session::ReportDeviceLost(uint32_t stampSeconds, uint32_t stampMicroseconds) {
    if (deviceLost_.exchange(true)) return false;
    Connection::Instance().NoteDeviceLost();
    NotifyDeviceLost(0, BREVIXC_LOST_DEVICE, stampSeconds, stampMicroseconds);
    return true;
}

bool Session::Rest(DWORD milliseconds) const { return WaitForSingleObject(stopEvent_.get(), milliseconds) == WAIT_OBJECT_0; }

bool Session::RestPolling(DWORD milliseconds) const {
    return WaitForSingleObject(pollStopEvent_.get(), milliseconds) == WAIT_OBJECT_0;
}

bool Session::RestPollingUntil(HANDLE event) const {
    const HANDLE events[2] = {pollStopEvent_.get(), event};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1;
}

void Session::ReceiveThread() {
    CommandChannel& channel = CommandChannel::Instance();
    channel.SetReceiveThread(GetCurrentThreadId());
    // A filter that cannot be installed is not fatal: the receive path drops the same frames.
    link_->SetFilter(kReceiveFilter);
    auto path = std::make_unique<ReceivePath>();
    ReceivedFrame frame;
    uint32_t lastSeconds = 0;
    uint32_t lastMicroseconds = 0;
    while (!Terminating()) {
        switch (link_->Receive(frame)) {
        case ReceiveStatus::Frame:
            lastSeconds = frame.stampSeconds;
            lastMicroseconds = frame.stampMicroseconds;
            path->Process(frame);
            break;
        case ReceiveStatus::TimedOut:
        case ReceiveStatus::Interrupted:
            break;
        case ReceiveStatus::Failed:
            if (ReportDeviceLost(lastSeconds, lastMicroseconds)) {
                terminate_ = true;
                break;
            }
            // The adapter watch reported the loss first: keep reading until stopped, without
            // spinning on an adapter that fails every read.
            Rest(50);
            break;
        }
    }
    channel.ClearReceiveThread(GetCurrentThreadId());
}

// One block request every period at most, the period counted from one round's start to the next:
// the tester sends 20 frames a request, so this pace is what bounds a capture upload. With no block
// pending the worker sleeps until a port is given some, rather than looking 50 times a second.
void Session::PortQueueThread() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    const int64_t period = frequency.QuadPart * kPortQueuePeriodMs / 1000;
    QueryPerformanceCounter(&now);
    int64_t due = now.QuadPart;
    while (!pollStop_) {
        const int port = BVT_ReplayPortPick();
        if (port < 0) {
            if (RestPollingUntil(BlocksPendingEvent())) break;
            QueryPerformanceCounter(&now);
            due = now.QuadPart;
            continue;
        }
        RequestReplayBlock(port);
        QueryPerformanceCounter(&now);
        if (RestPolling(NextRoundPause(&due, now.QuadPart, period, frequency.QuadPart))) break;
    }
}

void Session::AdapterWatchThread() {
    // Only units found by the probe have no other sign of being unplugged.
    if (!probeUnit_) return;
    while (!terminate_ && !stop_) {
        const std::optional<bool> up = Adapters().AdapterUp(device_);
        if (!up) return;
        if (!*up) ReportDeviceLost(0, 0);
        if (Rest(kAdapterWatchPeriodMs)) return;
    }
}

void Session::PollEachSecond(const std::function<bool()>& round) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    while (!pollStop_) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (!round()) return;
        QueryPerformanceCounter(&end);
        if (RestPolling(PollPause(ElapsedMs(start, end, frequency)))) return;
    }
}

void Session::CounterPollThread() {
    PollEachSecond([] {
        PollCounters();
        PollStreamCounters();
        CountPollRound();
        return true;
    });
}

void Session::PhyPollThread() {
    PollEachSecond([this] {
        // Only the multi-gigabit PHY of machine id 4 reports its speed when asked.
        if (MachineId() != 4) return true;
        for (uint8_t port : {0, 1}) {
            if (!Links().linkFlag[port] || pollStop_) continue;
            GetPHYName(port);
            // This thread has no window to keep painting: it waits on the stop itself.
            if (RestPolling(100)) return false;
        }
        return true;
    });
}

}  // namespace capi
