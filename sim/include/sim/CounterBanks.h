#pragma once
// The tester's traffic counters as the host reads them: per port a bank of 64-bit counters (read
// with 64-bit sequential reads, or 32 bits at a time with the high word latched into 0x4000002C),
// a read-to-clear image of that bank, the 1 ms rate registers and stack, the Tx, Rx and VID stream
// counter banks with their read-to-clear images, and a traffic generator that moves the counters
// while a port's Tx runs. Frames that the host sends through a port (recognised by the low two
// bits of source byte 6: 1 Port A, 2 Port B) count as that port's traffic too.

#include "sim/RegisterMap.h"
#include "sim/Tester.h"

#include <array>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

namespace sim {

// A line rate in bits per second, counting each frame's preamble and inter-frame gap (20 bytes).
double LineRate(double framesPerSecond, uint32_t frameBytes);
// The value of a 32-bit rate register: a rate beyond it reads as the register's largest value.
uint32_t RateWord(double rate);

// How a port's receiver classes a frame from its link partner.
enum class Destination { Unicast, Multicast, Broadcast };
enum class FrameError { None, Crc, Alignment, Dribble, IpChecksum };
struct FrameKind {
    uint32_t bytes = 64;  // on the wire, the CRC included: under 64 is under size, over 1522 over size
    Destination destination = Destination::Unicast;
    bool vlan = false;
    bool ipv4 = false;
    bool pause = false;
    FrameError error = FrameError::None;
};

class CounterBanks {
public:
    // Byte offsets of a port's counters and registers from its counter base; registers are 4
    // apart, the 64-bit block entries too.
    enum : uint32_t {
        kBlockA = 0x000,         // 42 counters
        kBlockB = 0x0C0,         // 12 counters (42 on the second map, reaching over 0x100-0x164)
        kRxBytes = 0x100,        // 64-bit
        kRxLineRate = 0x110,     // 32-bit
        kRxPacketRate = 0x114,   // 32-bit
        kMsByteRate = 0x118,     // 32-bit, the last millisecond
        kMsPacketRate = 0x11C,   // 32-bit
        kTxPackets = 0x200,      // 64-bit
        kTraffic204 = 0x204,
        kTraffic208 = 0x208,
        kTraffic20C = 0x20C,
        kTraffic214 = 0x214,
        kTxBytes = 0x300,        // 64-bit
        kTraffic304 = 0x304,
        kTxLineRate = 0x310,     // 32-bit
        kTxPacketRate = 0x314,   // 32-bit
    };
    // The millisecond counter stack has one address on both maps (Port B at + 0x02000000): its
    // samples lie 4 apart from 0x42600120 up to 0x426001FC, where the traffic registers of the
    // second map begin.
    static constexpr uint32_t kMsStack = 0x42600120;
    static constexpr size_t kMsStackSamples = (0x200 - 0x120) / 4;
    // Block A entries: what a port's receiver counts of the frames that reach it.
    enum : uint32_t {
        kBroadcast = 0,
        kMulticast = 1,
        kUnicast = 2,
        kPauseFrames = 3,
        kVlan = 4,
        kIpv4 = 5,
        kDribble = 6,
        kAlignment = 7,
        kCrc = 8,
        kUnderSize = 9,
        kOverSize = 10,
        kRxPackets = 11,
        kIpChecksum = 13,
        kSize64 = 14,  // then 65-127, 128-255, 256-511, 512-1023 and 1024-1522 bytes up to entry 19
    };
    static constexpr uint32_t BlockA(uint32_t entry) { return kBlockA + 4 * entry; }
    static constexpr uint32_t BlockB(uint32_t entry) { return kBlockB + 4 * entry; }

    CounterBanks(Tester& tester, RegisterMap map);
    CounterBanks(const CounterBanks&) = delete;
    CounterBanks& operator=(const CounterBanks&) = delete;

    RegisterMap Map() const { return map_; }
    uint32_t Base(int port) const;          // the port's counter base address
    uint32_t StatusOffset() const;          // the status register's offset from the base
    // Read-to-clear images: base + ClearOffset() for the counter blocks (below kRxBytes), base +
    // TrafficClearOffset() for the traffic registers (from kRxBytes on). Both are + 0x40000 on the
    // first map; the second map keeps its blocks' image at + 0x80000.
    uint32_t ClearOffset() const;
    uint32_t TrafficClearOffset() const;
    uint32_t TxStreamBase(int port) const;  // 64 streams x 2 counters, 4 apart
    uint32_t RxStreamBase(int port) const;  // 4 blocks of 1024 bytes, 32 streams each
    uint32_t VidBase(int port) const;       // 128 words, 4 apart
    uint32_t StreamClearOffset() const;     // stream bank + this is its read-to-clear image

    // Any counter or register of a port's bank, by byte offset (64-bit counters hold all 64 bits).
    void Set(int port, uint32_t offset, uint64_t value);
    uint64_t Get(int port, uint32_t offset) const;
    void SetBlockCount(int port, uint32_t value);  // register 0x41000028 + port
    void SetMsStack(int port, const std::vector<uint32_t>& samples);

    void SetTxStream(int port, int stream, int counter, uint64_t value);
    uint64_t TxStream(int port, int stream, int counter) const;
    // Rx stream s has eight 64-bit values; value v goes out as words 2v (low) and 2v + 1 (high).
    void SetRxStream(int port, int stream, int value, uint64_t content);
    uint64_t RxStream(int port, int stream, int value) const;
    void SetVid(int port, int index, uint32_t value);

    // While a port's Tx runs (and is not paused) it sends this many frames of this size per
    // second, and the other port receives them (the two ports are cabled to each other).
    void SetTraffic(int port, double framesPerSecond, uint32_t frameBytes);
    bool Transmitting(int port) const;
    // Frames arriving at a port from outside the tester, whatever its Tx does (0 stops them).
    void SetIncoming(int port, double framesPerSecond, uint32_t frameBytes);
    // Frames the host sent through a port.
    uint64_t HostFrames(int port) const;
    // Frames of one kind that reach a port from its link partner, counted as the receiver classes
    // them; and frames a port sent to its partner, by number and bytes (neither reaches the other
    // port).
    void ReceiveFrames(int port, const FrameKind& kind, uint64_t frames);
    void SendFrames(int port, uint64_t frames, uint64_t bytes);

private:
    struct Port {
        std::map<uint32_t, uint64_t> bank;  // by offset
        std::vector<uint32_t> stack;
        uint32_t blockCount = 0;
        std::array<uint64_t, 128> txStreams{};
        std::array<uint64_t, 128 * 8> rxStreams{};
        std::array<uint32_t, 128> vid{};
        // Traffic generator.
        bool running = false;
        bool paused = false;
        double framesPerSecond = 10000;
        uint32_t frameBytes = 64;
        double pending = 0;  // frames due but not yet counted (fractions carry over)
        double incomingPerSecond = 0;
        uint32_t incomingBytes = 64;
        double incomingPending = 0;
        uint64_t hostFrames = 0;
    };

    static bool IsWide(uint32_t offset);
    uint32_t ReadWord(int port, uint32_t offset);
    uint32_t ReadAndClear(int port, uint32_t offset);
    void OnTxCommand(int port, uint32_t field);
    bool OnHostFrame(const Bytes& frame);
    // Counts the frames a running port sent since the last look (lock_ held).
    void Advance();
    void CountFrames(int port, uint64_t frames, uint32_t bytes);
    void CountReceived(int port, uint64_t frames, uint32_t bytes);
    // The rate registers show a port's generator while it runs (lock_ held).
    void UpdateRates(int port);

    Tester& tester_;
    const RegisterMap map_;
    // Guarded by lock_: the simulator's receive thread runs the hooks, tests set and read values.
    mutable std::mutex lock_;
    std::array<Port, 2> ports_;
    uint32_t latchedHigh_ = 0;  // register 0x4000002C
    std::chrono::steady_clock::time_point lastAdvance_;
};

}  // namespace sim
