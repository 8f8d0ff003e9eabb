#include "sim/CounterBanks.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

constexpr uint32_t kHighWordLatch = 0x4000002C;
constexpr uint32_t kBlockCount = 0x41000028;
constexpr uint32_t kTxCommand = 0x410000F0;
constexpr uint32_t kSharedTxCommand = 0x40000080;
constexpr uint32_t kBankSpan = 0x400;
constexpr uint32_t kRxStreamSpan = 4 * 1024;
constexpr uint32_t kStride = 4;  // registers, and the entries of 64-bit reads, lie 4 bytes apart
constexpr uint32_t kTxStreamCounters = 128;
constexpr uint32_t kVidWords = 128;

// Tx command fields: start, stop, pause, resume.
constexpr uint32_t kStart = 8, kStop = 4, kPause = 2, kResume = 1;

// The block A entry that counts frames of this size.
uint32_t SizeBin(uint32_t bytes) {
    if (bytes < 64) return CounterBanks::kUnderSize;
    if (bytes == 64) return CounterBanks::kSize64;
    if (bytes < 128) return CounterBanks::kSize64 + 1;
    if (bytes < 256) return CounterBanks::kSize64 + 2;
    if (bytes < 512) return CounterBanks::kSize64 + 3;
    if (bytes < 1024) return CounterBanks::kSize64 + 4;
    if (bytes <= 1522) return CounterBanks::kSize64 + 5;
    return CounterBanks::kOverSize;
}

// The error counter of a frame that the receiver drops at the MAC (bad CRC, misaligned, dribble
// bits, too short or too long): it moves that counter alone. 0 for a frame the receiver takes.
uint32_t DroppedAs(const FrameKind& kind) {
    switch (kind.error) {
    case FrameError::Crc: return CounterBanks::kCrc;
    case FrameError::Alignment: return CounterBanks::kAlignment;
    case FrameError::Dribble: return CounterBanks::kDribble;
    default: break;
    }
    const uint32_t bin = SizeBin(kind.bytes);
    return bin == CounterBanks::kUnderSize || bin == CounterBanks::kOverSize ? bin : 0;
}

uint32_t DestinationEntry(Destination destination) {
    switch (destination) {
    case Destination::Multicast: return CounterBanks::kMulticast;
    case Destination::Broadcast: return CounterBanks::kBroadcast;
    default: return CounterBanks::kUnicast;
    }
}

// The Rx stream bank: block b holds streams 32b..32b+31, the first 16 from b * 1024 and the next
// 16 from b * 1024 + 512, eight 64-bit values per stream, 128 entries 4 apart per half.
int RxStreamIndex(uint32_t offset, int* value) {
    const uint32_t block = offset / 1024, inBlock = offset % 1024;
    const uint32_t half = inBlock / 512, entry = inBlock % 512 / kStride;
    *value = int(entry % 8);
    return int(32 * block + 16 * half + entry / 8);
}

}  // namespace

double LineRate(double framesPerSecond, uint32_t frameBytes) { return framesPerSecond * (frameBytes + 20) * 8; }

uint32_t RateWord(double rate) { return uint32_t(std::min(rate, 4294967295.0)); }

CounterBanks::CounterBanks(Tester& tester, RegisterMap map)
    : tester_(tester), map_(map), lastAdvance_(std::chrono::steady_clock::now()) {
    RegisterFile& registers = tester_.Registers();
    for (int port = 0; port < 2; ++port) {
        const uint32_t base = Base(port);
        registers.OnRead64(base, base + kBankSpan - 1, [this, port, base](uint32_t address) {
            std::lock_guard<std::mutex> guard(lock_);
            Advance();
            return ports_[port].bank[address - base];
        });
        registers.OnRead(base, base + kBankSpan - 1, [this, port, base](uint32_t address) {
            std::lock_guard<std::mutex> guard(lock_);
            Advance();
            return ReadWord(port, address - base);
        });
        // The read-to-clear images: the counter blocks' and the traffic registers' (which lie
        // apart on the second map).
        const uint32_t blocksClear = base + ClearOffset();
        registers.OnRead(blocksClear, blocksClear + kRxBytes - 1, [this, port, blocksClear](uint32_t address) {
            std::lock_guard<std::mutex> guard(lock_);
            Advance();
            return ReadAndClear(port, address - blocksClear);
        });
        const uint32_t trafficClear = base + TrafficClearOffset();
        registers.OnRead(trafficClear + kRxBytes, trafficClear + kBankSpan - 1,
                         [this, port, trafficClear](uint32_t address) {
                             std::lock_guard<std::mutex> guard(lock_);
                             Advance();
                             return ReadAndClear(port, address - trafficClear);
                         });
        registers.OnRead(kBlockCount + PortOffset(port), [this, port](uint32_t) {
            std::lock_guard<std::mutex> guard(lock_);
            return ports_[port].blockCount;
        });

        registers.OnRead(kMsStack + PortOffset(port), kMsStack + PortOffset(port) + kStride * kMsStackSamples - 1,
                         [this, port](uint32_t address) {
                             // Past the samples the stack reads as its end marker.
                             std::lock_guard<std::mutex> guard(lock_);
                             const size_t index = (address - kMsStack - PortOffset(port)) / kStride;
                             const auto& stack = ports_[port].stack;
                             return index < stack.size() ? stack[index] : 0xFFFFFFFFu;
                         });

        const uint32_t tx = TxStreamBase(port);
        registers.OnRead64(tx, tx + kStride * kTxStreamCounters - 1, [this, port, tx](uint32_t address) {
            std::lock_guard<std::mutex> guard(lock_);
            Advance();
            return ports_[port].txStreams[(address - tx) / kStride];
        });
        const uint32_t txClear = tx + StreamClearOffset();
        registers.OnRead(txClear, txClear + kStride * kTxStreamCounters - 1,
                         [this, port, txClear](uint32_t address) {
                             std::lock_guard<std::mutex> guard(lock_);
                             uint64_t& counter = ports_[port].txStreams[(address - txClear) / kStride];
                             const uint32_t low = uint32_t(counter);
                             counter = 0;
                             return low;
                         });
        const uint32_t rx = RxStreamBase(port);
        registers.OnRead64(rx, rx + kRxStreamSpan - 1, [this, port, rx](uint32_t address) -> uint64_t {
            std::lock_guard<std::mutex> guard(lock_);
            int value = 0;
            const int stream = RxStreamIndex(address - rx, &value);
            return stream < 0 ? 0 : ports_[port].rxStreams[8 * stream + value];
        });
        // Any read of a block's clear image clears the block's 32 streams.
        registers.OnRead(rx + StreamClearOffset(), rx + StreamClearOffset() + kRxStreamSpan - 1,
                         [this, port, rx](uint32_t address) {
                             std::lock_guard<std::mutex> guard(lock_);
                             const uint32_t block = (address - rx - StreamClearOffset()) / 1024;
                             auto first = ports_[port].rxStreams.begin() + 32 * 8 * block;
                             std::fill(first, first + 32 * 8, 0);
                             return 0u;
                         });
        const uint32_t vid = VidBase(port);
        registers.OnRead(vid, vid + kStride * kVidWords - 1, [this, port, vid](uint32_t address) {
            std::lock_guard<std::mutex> guard(lock_);
            return ports_[port].vid[(address - vid) / kStride];
        });
        registers.OnWrite(kTxCommand + PortOffset(port),
                          [this, port](uint32_t, uint32_t value) { OnTxCommand(port, value & 0xF); });
    }
    registers.OnRead(kHighWordLatch, [this](uint32_t) {
        std::lock_guard<std::mutex> guard(lock_);
        return latchedHigh_;
    });
    registers.OnWrite(kSharedTxCommand, [this](uint32_t, uint32_t value) {
        OnTxCommand(0, (value >> 24) & 0xF);
        OnTxCommand(1, (value >> 16) & 0xF);
    });
    tester_.AddFrameHandler([this](const Bytes& frame) { return OnHostFrame(frame); });
}

uint32_t CounterBanks::Base(int port) const {
    return (map_ == RegisterMap::First ? 0x42000000 : 0x42600000) + PortOffset(port);
}

uint32_t CounterBanks::StatusOffset() const { return map_ == RegisterMap::First ? 0x50 : 0xF0; }

uint32_t CounterBanks::ClearOffset() const { return map_ == RegisterMap::First ? 0x40000 : 0x80000; }

uint32_t CounterBanks::TrafficClearOffset() const { return 0x40000; }

uint32_t CounterBanks::TxStreamBase(int port) const {
    return (map_ == RegisterMap::First ? 0x42300000 : 0x42400000) + PortOffset(port);
}

uint32_t CounterBanks::RxStreamBase(int port) const {
    return (map_ == RegisterMap::First ? 0x42400000 : 0x42700000) + PortOffset(port);
}

uint32_t CounterBanks::VidBase(int port) const {
    return (map_ == RegisterMap::First ? 0x42500000 : 0x42800000) + PortOffset(port);
}

uint32_t CounterBanks::StreamClearOffset() const { return 0x40000; }

bool CounterBanks::IsWide(uint32_t offset) {
    switch (offset) {
    case kRxBytes:
    case kTxPackets:
    case kTraffic204:
    case kTraffic208:
    case kTraffic20C:
    case kTraffic214:
    case kTxBytes:
    case kTraffic304:
        return true;
    default:
        return false;
    }
}

uint32_t CounterBanks::ReadWord(int port, uint32_t offset) {
    Port& p = ports_[port];
    const uint64_t value = p.bank[offset];
    // A 64-bit counter read 32 bits at a time: the low word now, the high word from the latch.
    if (IsWide(offset)) latchedHigh_ = uint32_t(value >> 32);
    return uint32_t(value);
}

uint32_t CounterBanks::ReadAndClear(int port, uint32_t offset) {
    uint64_t& value = ports_[port].bank[offset];
    const uint32_t low = uint32_t(value);
    value = 0;
    return low;
}

void CounterBanks::Set(int port, uint32_t offset, uint64_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].bank[offset] = value;
}

uint64_t CounterBanks::Get(int port, uint32_t offset) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = ports_[port].bank.find(offset);
    return it == ports_[port].bank.end() ? 0 : it->second;
}

void CounterBanks::SetBlockCount(int port, uint32_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].blockCount = value;
}

void CounterBanks::SetMsStack(int port, const std::vector<uint32_t>& samples) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].stack.assign(samples.begin(), samples.begin() + std::min(samples.size(), kMsStackSamples));
}

void CounterBanks::SetTxStream(int port, int stream, int counter, uint64_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].txStreams[2 * stream + counter] = value;
}

uint64_t CounterBanks::TxStream(int port, int stream, int counter) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].txStreams[2 * stream + counter];
}

void CounterBanks::SetRxStream(int port, int stream, int value, uint64_t content) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].rxStreams[8 * stream + value] = content;
}

uint64_t CounterBanks::RxStream(int port, int stream, int value) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].rxStreams[8 * stream + value];
}

void CounterBanks::SetVid(int port, int index, uint32_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].vid[index] = value;
}

void CounterBanks::SetTraffic(int port, double framesPerSecond, uint32_t frameBytes) {
    std::lock_guard<std::mutex> guard(lock_);
    Advance();
    ports_[port].framesPerSecond = framesPerSecond;
    ports_[port].frameBytes = frameBytes;
    if (ports_[port].running) UpdateRates(port);
}

void CounterBanks::SetIncoming(int port, double framesPerSecond, uint32_t frameBytes) {
    std::lock_guard<std::mutex> guard(lock_);
    Advance();
    ports_[port].incomingPerSecond = framesPerSecond;
    ports_[port].incomingBytes = frameBytes;
    ports_[port].incomingPending = 0;
    UpdateRates(1 - port);
}

bool CounterBanks::Transmitting(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].running && !ports_[port].paused;
}

uint64_t CounterBanks::HostFrames(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].hostFrames;
}

void CounterBanks::ReceiveFrames(int port, const FrameKind& kind, uint64_t frames) {
    if (frames == 0) return;
    std::lock_guard<std::mutex> guard(lock_);
    Advance();
    auto& bank = ports_[port].bank;
    if (const uint32_t dropped = DroppedAs(kind)) {
        bank[BlockA(dropped)] += frames;
        return;
    }
    bank[BlockA(kRxPackets)] += frames;
    bank[kRxBytes] += frames * kind.bytes;
    bank[BlockA(SizeBin(kind.bytes))] += frames;
    // A pause frame is a MAC control frame: counted as such, not by its (multicast) destination.
    bank[BlockA(kind.pause ? kPauseFrames : DestinationEntry(kind.destination))] += frames;
    if (kind.vlan) bank[BlockA(kVlan)] += frames;
    if (kind.ipv4) bank[BlockA(kIpv4)] += frames;
    if (kind.error == FrameError::IpChecksum) bank[BlockA(kIpChecksum)] += frames;
}

void CounterBanks::SendFrames(int port, uint64_t frames, uint64_t bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    Advance();
    ports_[port].bank[kTxPackets] += frames;
    ports_[port].bank[kTxBytes] += bytes;
}

void CounterBanks::OnTxCommand(int port, uint32_t field) {
    std::lock_guard<std::mutex> guard(lock_);
    Advance();
    Port& p = ports_[port];
    switch (field) {
    case kStart:
        p.running = true;
        p.paused = false;
        p.pending = 0;
        break;
    case kStop:
        p.running = false;
        break;
    case kPause:
        p.paused = true;
        break;
    case kResume:
        p.paused = false;
        break;
    default:
        return;
    }
    UpdateRates(port);
}

bool CounterBanks::OnHostFrame(const Bytes& frame) {
    if (frame.size() <= 12 || (frame[12] << 8 | frame[13]) == kCommandType) return false;
    const int marker = frame[6] & 3;
    if (marker != 1 && marker != 2) return false;
    std::lock_guard<std::mutex> guard(lock_);
    Advance();
    ports_[marker - 1].hostFrames++;
    CountFrames(marker - 1, 1, uint32_t(frame.size()));
    // Counted only: the frame goes on out of the port, to whatever peers are behind it.
    return false;
}

void CounterBanks::Advance() {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - lastAdvance_).count();
    lastAdvance_ = now;
    for (int port = 0; port < 2; ++port) {
        Port& p = ports_[port];
        if (p.incomingPerSecond > 0) {
            p.incomingPending += p.incomingPerSecond * seconds;
            const double frames = std::floor(p.incomingPending);
            p.incomingPending -= frames;
            CountReceived(port, uint64_t(frames), p.incomingBytes);
        }
        if (!p.running || p.paused) continue;
        p.pending += p.framesPerSecond * seconds;
        const double frames = std::floor(p.pending);
        p.pending -= frames;
        CountFrames(port, uint64_t(frames), p.frameBytes);
    }
}

void CounterBanks::UpdateRates(int port) {
    Port& p = ports_[port];
    Port& peer = ports_[1 - port];
    const bool sending = p.running && !p.paused;
    const double frames = sending ? p.framesPerSecond : 0;
    p.bank[kTxPacketRate] = RateWord(frames);
    p.bank[kTxLineRate] = RateWord(LineRate(frames, p.frameBytes));
    // The peer receives this port's frames and whatever arrives at it from outside.
    peer.bank[kRxPacketRate] = RateWord(frames + peer.incomingPerSecond);
    peer.bank[kRxLineRate] = RateWord(LineRate(frames, p.frameBytes) + LineRate(peer.incomingPerSecond, peer.incomingBytes));
}

void CounterBanks::CountFrames(int port, uint64_t frames, uint32_t bytes) {
    if (frames == 0) return;
    Port& tx = ports_[port];
    tx.bank[kTxPackets] += frames;
    tx.bank[kTxBytes] += frames * bytes;
    tx.txStreams[0] += frames;
    tx.txStreams[1] += frames * bytes;
    CountReceived(1 - port, frames, bytes);
}

void CounterBanks::CountReceived(int port, uint64_t frames, uint32_t bytes) {
    if (frames == 0) return;
    Port& rx = ports_[port];
    rx.bank[BlockA(kRxPackets)] += frames;
    rx.bank[BlockA(kUnicast)] += frames;
    rx.bank[BlockA(SizeBin(bytes))] += frames;
    rx.bank[kRxBytes] += frames * bytes;
}

}  // namespace sim
