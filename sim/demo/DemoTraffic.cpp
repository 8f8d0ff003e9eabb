#include "sim/DemoTraffic.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Frames a running capture catches each second at most: enough to fill a capture list while a
// person watches, few enough that building them costs nothing.
constexpr double kCapturedPerSecond = 100;

struct MixEntry {
    double share;
    FrameKind kind;
};

// What each port receives, by share of the frames: mostly IPv4 over UDP in every size class, some
// of it to a multicast group or VLAN tagged, ARP broadcasts and a trickle of pause frames.
const MixEntry kMix[] = {
    {0.170, {64, Destination::Unicast, false, true}},           // the smallest datagrams
    {0.120, {96, Destination::Unicast, false, true}},           // 65-127 bytes
    {0.090, {200, Destination::Unicast, false, true}},          // 128-255
    {0.080, {400, Destination::Unicast, false, true}},          // 256-511
    {0.100, {800, Destination::Unicast, false, true}},          // 512-1023
    {0.250, {1400, Destination::Unicast, false, true}},         // 1024-1522
    {0.060, {512, Destination::Multicast, false, true}},        // a group's stream
    {0.030, {64, Destination::Broadcast}},                      // ARP requests
    {0.095, {300, Destination::Unicast, true, true}},           // VLAN tagged
    {0.005, {64, Destination::Multicast, false, false, true}},  // pause frames
};
constexpr size_t kMixKinds = sizeof kMix / sizeof kMix[0];

double MeanFrameBytes() {
    double bytes = 0;
    for (const MixEntry& entry : kMix) bytes += entry.share * entry.kind.bytes;
    return bytes;
}

// The share of the line that one direction of one port uses at `t` seconds: a slow swell and a
// quicker ripple, each lane (port and direction) out of step with the others; between about 8 %
// and 72 % of the line.
double Load(int lane, double t) {
    const double phase = 1.7 * lane;
    return 0.40 + 0.24 * std::sin(2 * kPi * t / 83 + phase) + 0.08 * std::sin(2 * kPi * t / 11 + 2 * phase);
}

uint64_t TakeWhole(double* pending) {
    const double whole = std::floor(*pending);
    *pending -= whole;
    return uint64_t(whole);
}

}  // namespace

DemoTraffic::DemoTraffic(FullTester& tester) : DemoTraffic(tester, Schedule{}) {}

DemoTraffic::DemoTraffic(FullTester& tester, const Schedule& schedule) : tester_(tester), schedule_(schedule) {
    for (PortState& port : ports_) port.pending.assign(kMixKinds, 0);
    std::vector<double> shares;
    for (const MixEntry& entry : kMix) shares.push_back(entry.share);
    pickKind_ = std::discrete_distribution<size_t>(shares.begin(), shares.end());
}

DemoTraffic::~DemoTraffic() { Stop(); }

void DemoTraffic::Start() {
    std::lock_guard<std::mutex> guard(lock_);
    if (running_) return;
    running_ = true;
    tester_.QuietPartners();
    start_ = Clock::now();
    nextFlap_ = start_ + schedule_.firstFlap;
    for (int port = 0; port < 2; ++port) {
        ports_[port].nextError = start_ + schedule_.errorsEvery * (port + 1) / 2;
    }
    thread_ = std::thread([this] { Run(); });
}

void DemoTraffic::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!running_) return;
        running_ = false;
    }
    wake_.notify_all();
    thread_.join();
}

void DemoTraffic::SetLink(int port, bool up) {
    std::lock_guard<std::mutex> guard(lock_);
    PortState& state = ports_[port];
    state.heldDown = !up;
    // A link that a flap has down comes up when the flap ends.
    if (!up || !state.flappedDown) SetLinkUp(port, up);
}

void DemoTraffic::StartErrorBurst(int port) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].burstUntil = Clock::now() + schedule_.burstLength;
}

void DemoTraffic::Run() {
    std::unique_lock<std::mutex> lock(lock_);
    Clock::time_point last = Clock::now();
    while (running_) {
        wake_.wait_until(lock, last + schedule_.tick, [this] { return !running_; });
        if (!running_) break;
        const Clock::time_point now = Clock::now();
        Step(now, std::chrono::duration<double>(now - last).count());
        last = now;
    }
}

void DemoTraffic::Step(Clock::time_point now, double seconds) {
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    Flap(now);
    for (int port = 0; port < 2; ++port) MovePort(port, elapsed, seconds, now);
}

void DemoTraffic::MovePort(int port, double elapsed, double seconds, Clock::time_point now) {
    CounterBanks& counters = tester_.Counters();
    PortState& state = ports_[port];
    const LinkState link = tester_.Phys().Link(port);
    const bool up = link.up;
    const double meanBytes = MeanFrameBytes();
    // Frames a second that would fill the line at the link's speed. On a 10G link the swell goes
    // beyond what the 32-bit rate registers hold (4.29 Gbit/s): they stay at their largest value
    // then (RateWord), as a real tester's would saturate, and only the counters tell the rate.
    const double fullRate = link.megabits * 1e6 / ((meanBytes + 20) * 8);
    const double rxRate = up ? Load(2 * port, elapsed) * fullRate : 0;
    const double txRate = up ? Load(2 * port + 1, elapsed) * fullRate : 0;

    for (size_t i = 0; i < kMixKinds; ++i) {
        state.pending[i] += rxRate * kMix[i].share * seconds;
        counters.ReceiveFrames(port, kMix[i].kind, TakeWhole(&state.pending[i]));
    }
    state.txPending += txRate * seconds;
    const uint64_t sent = TakeWhole(&state.txPending);
    counters.SendFrames(port, sent, uint64_t(std::llround(sent * meanBytes)));

    counters.Set(port, CounterBanks::kRxPacketRate, RateWord(rxRate));
    counters.Set(port, CounterBanks::kRxLineRate, RateWord(LineRate(rxRate, uint32_t(std::lround(meanBytes)))));
    counters.Set(port, CounterBanks::kTxPacketRate, RateWord(txRate));
    counters.Set(port, CounterBanks::kTxLineRate, RateWord(LineRate(txRate, uint32_t(std::lround(meanBytes)))));
    if (!up) return;

    const std::vector<FrameKind> errors = ErrorFrames();
    if (now >= state.nextError) {
        const FrameKind& kind = errors[state.nextErrorKind++ % errors.size()];
        counters.ReceiveFrames(port, kind, 1 + random_() % 5);
        const auto spread = std::uniform_real_distribution<double>(0.5, 1.5)(random_);
        state.nextError = now + std::chrono::duration_cast<Clock::duration>(schedule_.errorsEvery * spread);
    }
    if (now < state.burstUntil) {
        for (const FrameKind& kind : errors) counters.ReceiveFrames(port, kind, 1 + random_() % 8);
    }
    Capture(port, rxRate, seconds);
}

void DemoTraffic::Capture(int port, double framesPerSecond, double seconds) {
    CaptureEngine& captures = tester_.Captures();
    PortState& state = ports_[port];
    if (!captures.Running(port)) {
        state.capturePending = 0;
        return;
    }
    state.capturePending += std::min(framesPerSecond, kCapturedPerSecond) * seconds;
    for (uint64_t n = TakeWhole(&state.capturePending); n > 0; --n) {
        captures.Receive(port, DemoFrame(port, kMix[pickKind_(random_)].kind, state.captured++));
    }
}

void DemoTraffic::Flap(Clock::time_point now) {
    const int port = schedule_.flapPort;
    PortState& state = ports_[port];
    if (state.flappedDown && now >= flapEnds_) {
        state.flappedDown = false;
        if (!state.heldDown) SetLinkUp(port, true);
    }
    if (now < nextFlap_) return;
    nextFlap_ += schedule_.flapEvery;
    flapEnds_ = now + schedule_.flapDown;
    state.flappedDown = true;
    SetLinkUp(port, false);
}

void DemoTraffic::SetLinkUp(int port, bool up) {
    LinkState link = tester_.Phys().Link(port);
    link.up = up;
    tester_.Phys().SetLink(port, link);
}

std::vector<FrameKind> DemoTraffic::ErrorFrames() const {
    std::vector<FrameKind> frames = {
        {1400, Destination::Unicast, false, true, false, FrameError::Crc},
        {60, Destination::Unicast},    // under size
        {1530, Destination::Unicast},  // over size
        {256, Destination::Unicast, false, true, false, FrameError::IpChecksum},
    };
    // Brevix-H and Brevix-J count neither alignment errors nor dribble bits.
    if (tester_.MachineId() < 3) {
        frames.push_back({512, Destination::Unicast, false, true, false, FrameError::Alignment});
        frames.push_back({512, Destination::Unicast, false, true, false, FrameError::Dribble});
    }
    return frames;
}

}  // namespace sim
