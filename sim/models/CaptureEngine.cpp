#include "sim/CaptureEngine.h"

#include "sim/RegisterMap.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint32_t kCaptureControl = 0x41000000;
constexpr uint32_t kCaptureStatus = 0x41000024;
constexpr uint32_t kBlockCount = 0x41000028;
constexpr uint32_t kReplayCommand = 0x41000038;
constexpr uint32_t kWrapDestination = 0x410000B0;
constexpr uint32_t kWrapSource = 0x410000B8;
constexpr uint32_t kModeWord = 0x410000C0;
constexpr uint32_t kWrapTag = 0x410000C4;
constexpr uint32_t kRunWord = 0x410000C8;
constexpr uint32_t kStampStep = 1000;
constexpr uint32_t kStartCapture = 4;
constexpr uint32_t kHalt = 512;

void PutBig(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}

uint32_t BlockFrames(uint32_t command) {
    switch (command & 0x1FF) {
    case 8: return 1;
    case 16: return 100;
    case 32: return 10;
    case 64: return 20;
    case 128: return 30;
    case 256: return 60;
    default: return 0;
    }
}

}  // namespace

CaptureEngine::CaptureEngine(Tester& tester, int machineId)
    : tester_(tester), machineId_(machineId), capacity_(machineId == 2 ? 16384 : 32768) {
    RegisterFile& registers = tester.Registers();
    for (int port = 0; port < 2; ++port) {
        const uint32_t p = PortOffset(port);
        registers.OnRead(kBlockCount + p, [this, port](uint32_t) {
            std::lock_guard<std::mutex> guard(lock_);
            const Port& state = ports_[port];
            const bool running = tester_.Registers().Get(kRunWord + PortOffset(port)) & 0x80000000u;
            const uint32_t held = running && state.refused ? 0xFFFF : uint32_t(state.store.size());
            return held << 16;
        });
        registers.OnRead(kCaptureStatus + p, [this, port](uint32_t) {
            std::lock_guard<std::mutex> guard(lock_);
            const bool running = tester_.Registers().Get(kRunWord + PortOffset(port)) & 0x80000000u;
            return (running ? 0x80000000u : 0) | uint32_t(std::min<size_t>(ports_[port].store.size(), 0x7FFF));
        });
        registers.OnWrite(kReplayCommand + p, [this, port](uint32_t, uint32_t value) { OnReplayCommand(port, value); });
    }
}

void CaptureEngine::Receive(int port, const Bytes& frame) {
    RegisterFile& registers = tester_.Registers();
    const uint32_t p = PortOffset(port);
    if (!(registers.Get(kRunWord + p) & 0x80000000u)) return;
    std::unique_lock<std::mutex> lock(lock_);
    Port& state = ports_[port];
    Stored stored{frame, state.nextStamp};
    state.nextStamp += kStampStep;
    if (registers.Get(kModeWord + p) & 0x100) {
        lock.unlock();
        SendWrapped(port, stored);
        return;
    }
    if (state.store.size() >= capacity_) {
        state.refused = true;
        return;
    }
    state.store.push_back(std::move(stored));
}

void CaptureEngine::ReceiveNumbered(int port, uint32_t first, uint32_t count, uint32_t length) {
    for (uint32_t i = 0; i < count; ++i) {
        Bytes frame(length);
        for (uint32_t k = 0; k < length; ++k) frame[k] = uint8_t(k * 7 + i);
        PutBig(frame, 0, first + i);
        Receive(port, frame);
    }
}

size_t CaptureEngine::Held(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].store.size();
}

bool CaptureEngine::Running(int port) const {
    return tester_.Registers().Get(kRunWord + PortOffset(port)) & 0x80000000u;
}

size_t CaptureEngine::Sent(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].sent;
}

size_t CaptureEngine::Halts(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].halts;
}

uint32_t CaptureEngine::StampOf(int, size_t index) const { return 0x1000 + kStampStep * uint32_t(index); }

void CaptureEngine::OnReplayCommand(int port, uint32_t value) {
    const uint32_t command = value & ~0x400u;  // VLAN exchange changes nothing here
    std::vector<Stored> block;
    {
        std::lock_guard<std::mutex> guard(lock_);
        Port& state = ports_[port];
        if (command == kStartCapture) {
            state.store.clear();
            state.refused = false;
            state.nextStamp = 0x1000;
            return;
        }
        if (command == kHalt) {
            ++state.halts;
            state.store.clear();
            return;
        }
        if (holdBlocks_ && BlockFrames(command) > 0) {
            state.waitingRequests.push_back(command);
            return;
        }
        block = TakeBlock(state, command);
    }
    for (const Stored& frame : block) SendWrapped(port, frame);
}

std::vector<CaptureEngine::Stored> CaptureEngine::TakeBlock(Port& state, uint32_t command) {
    std::vector<Stored> block;
    const uint32_t frames = BlockFrames(command);
    for (uint32_t i = 0; i < frames && !state.store.empty(); ++i) {
        block.push_back(std::move(state.store.front()));
        state.store.pop_front();
    }
    return block;
}

void CaptureEngine::HoldBlocks(bool hold) {
    std::vector<Stored> blocks[2];
    {
        std::lock_guard<std::mutex> guard(lock_);
        holdBlocks_ = hold;
        if (hold) return;
        for (int port = 0; port < 2; ++port) {
            for (uint32_t command : ports_[port].waitingRequests) {
                for (Stored& frame : TakeBlock(ports_[port], command)) blocks[port].push_back(std::move(frame));
            }
            ports_[port].waitingRequests.clear();
        }
    }
    for (int port = 0; port < 2; ++port) {
        for (const Stored& frame : blocks[port]) SendWrapped(port, frame);
    }
}

size_t CaptureEngine::WaitingRequests(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return ports_[port].waitingRequests.size();
}

Bytes CaptureEngine::Wrap(int port, const Bytes& payload, uint32_t wireLength, uint32_t stamp) const {
    RegisterFile& registers = tester_.Registers();
    const uint32_t p = PortOffset(port);
    Bytes frame(36, 0);
    // The wrap's addresses as the host configured them; the host's own ones until it does.
    const uint32_t dHigh = registers.Get(kWrapDestination + p), dLow = registers.Get(kWrapDestination + 4 + p);
    const uint32_t sHigh = registers.Get(kWrapSource + p), sLow = registers.Get(kWrapSource + 4 + p);
    const Bytes destination = dHigh | dLow ? Bytes{uint8_t(dHigh >> 8), uint8_t(dHigh), uint8_t(dLow >> 24), uint8_t(dLow >> 16), uint8_t(dLow >> 8), uint8_t(dLow)}
                                           : Bytes{0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x00};
    const Bytes source = sHigh | sLow ? Bytes{uint8_t(sHigh >> 8), uint8_t(sHigh), uint8_t(sLow >> 24), uint8_t(sLow >> 16), uint8_t(sLow >> 8), uint8_t(sLow)}
                                      : Bytes{0x02, 0x5E, 0xC1, 0x0D, 0x11, uint8_t(port)};
    std::copy(destination.begin(), destination.end(), frame.begin());
    std::copy(source.begin(), source.end(), frame.begin() + 6);
    PutBig(frame, 16, stamp);
    PutBig(frame, 24, registers.Get(kWrapTag + p));
    if (machineId_ >= 3) {
        PutBig(frame, 12, 2u << 29 | (wireLength & 0x3FFF));  // speed code 2: a gigabit link
        PutBig(frame, 20, 0xE0000000u | uint32_t(port));
    } else {
        PutBig(frame, 20, (wireLength & 0x3FFF));
        PutBig(frame, 28, 0xE0000000u | uint32_t(port));
        PutBig(frame, 32, 0x00000001);
    }
    frame.insert(frame.end(), payload.begin(), payload.end());
    if (frame.size() < 60) frame.resize(60, 0);
    return frame;
}

void CaptureEngine::SendWrapped(int port, const Stored& stored) {
    const Bytes& bytes = stored.bytes;
    const uint32_t wireLength = uint32_t(bytes.size());
    const bool jumbo = tester_.Registers().Get(kCaptureControl + PortOffset(port)) & 0x80000000u;
    size_t sent = 0;
    if (wireLength <= kLongestWhole || !jumbo) {
        // Without jumbo capture a long frame's wrap carries its first bytes only.
        const size_t carried = std::min<size_t>(bytes.size(), wireLength <= kLongestWhole ? bytes.size() : kChunkBytes);
        sent += tester_.SendRaw(Wrap(port, Bytes(bytes.begin(), bytes.begin() + carried), wireLength, stored.stamp));
    } else {
        // Jumbo capture: chunks that each carry the whole frame's length, stamped one apart.
        uint32_t stamp = stored.stamp;
        for (size_t at = 0; at < bytes.size(); at += kChunkBytes, ++stamp) {
            const size_t end = std::min(bytes.size(), at + kChunkBytes);
            sent += tester_.SendRaw(Wrap(port, Bytes(bytes.begin() + at, bytes.begin() + end), wireLength, stamp));
        }
    }
    std::lock_guard<std::mutex> guard(lock_);
    ports_[port].sent += sent;
}

}  // namespace sim
