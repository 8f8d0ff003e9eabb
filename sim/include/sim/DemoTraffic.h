#pragma once
// A tester at work, for demonstrations and for the operator program's tests: each port sends to
// and receives from its link partner a mix of frames (unicast, multicast and broadcast, VLAN
// tagged, IPv4 over UDP, ARP, pause frames, every size class) at rates that rise and fall over the
// minutes, and now and then a few frames of one error kind arrive; about once a minute one port's
// link drops for a few seconds. The counters, the rate registers and the link report follow; a
// capture that runs catches real frames of the mix.

#include "sim/CounterBanks.h"
#include "sim/FullTester.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace sim {

// A whole frame of the mix as a port receives it from its partner (the CRC left out, as a capture
// keeps it): Ethernet II, with an 802.1Q tag when the kind says so, then ARP, a pause frame or
// IPv4 with UDP, checksums set; `sequence` goes into the frame so that frames differ.
Bytes DemoFrame(int port, const FrameKind& kind, uint32_t sequence);

class DemoTraffic {
public:
    using Clock = std::chrono::steady_clock;

    struct Schedule {
        std::chrono::milliseconds tick{100};           // how often counters and rates move
        int flapPort = 1;                              // the port whose link drops
        std::chrono::milliseconds firstFlap{45000};    // from the start
        std::chrono::milliseconds flapEvery{60000};
        std::chrono::milliseconds flapDown{5000};      // how long the link stays down
        std::chrono::milliseconds errorsEvery{12000};  // on average, per port
        std::chrono::milliseconds burstLength{3000};
    };

    explicit DemoTraffic(FullTester& tester);
    DemoTraffic(FullTester& tester, const Schedule& schedule);
    ~DemoTraffic();
    DemoTraffic(const DemoTraffic&) = delete;
    DemoTraffic& operator=(const DemoTraffic&) = delete;

    // Start quiets the link partners' own light load and moves the counters from then on.
    void Start();
    void Stop();

    // Takes a port's link down or up; a link taken down here stays down through the flaps until
    // it is brought up here again.
    void SetLink(int port, bool up);
    // For the next few seconds every error kind that the machine counts arrives on the port.
    void StartErrorBurst(int port);

private:
    struct PortState {
        std::vector<double> pending;  // frames due per kind of the mix, fractions carried over
        double txPending = 0;
        Clock::time_point nextError;
        size_t nextErrorKind = 0;
        Clock::time_point burstUntil;
        bool heldDown = false;  // by SetLink
        bool flappedDown = false;
        uint32_t captured = 0;  // frames handed to the capture engine so far
        double capturePending = 0;
    };

    void Run();
    void Step(Clock::time_point now, double seconds);
    void MovePort(int port, double elapsed, double seconds, Clock::time_point now);
    void Capture(int port, double framesPerSecond, double seconds);
    void Flap(Clock::time_point now);
    void SetLinkUp(int port, bool up);
    // One frame of each error kind that the machine counts.
    std::vector<FrameKind> ErrorFrames() const;

    FullTester& tester_;
    const Schedule schedule_;
    // Guarded by lock_: the demonstration's thread and the callers of SetLink and
    // StartErrorBurst.
    std::mutex lock_;
    std::condition_variable wake_;
    bool running_ = false;
    std::array<PortState, 2> ports_;
    Clock::time_point start_;
    Clock::time_point nextFlap_;
    Clock::time_point flapEnds_;
    std::mt19937 random_{20190517};
    std::discrete_distribution<size_t> pickKind_;  // a kind of the mix, by its share
    std::thread thread_;
};

}  // namespace sim
