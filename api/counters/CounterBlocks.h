#pragma once
// The per-port statistics and rate blocks (BrevixC_PortCounters_T, 476 bytes each).
//
// A poll of a port is several replies (two counter blocks, the traffic registers, the status
// register) that arrive one by one on the receive thread. The hooks fill a working pair of blocks;
// the port's last reply of the poll publishes it, and readers copy only published blocks, so a
// copy never shows half a poll.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace capi {

constexpr size_t kCounterBlockBytes = 476;

class CounterBlock {
public:
    uint64_t Get64(size_t offset) const;
    void Put64(size_t offset, uint64_t value);
    void Put32(size_t offset, uint32_t value);
    const uint8_t* Bytes() const { return bytes_.data(); }
    void Clear() { bytes_.fill(0); }

private:
    std::array<uint8_t, kCounterBlockBytes> bytes_{};
};

struct PortBlocks {
    CounterBlock statistics;
    CounterBlock rates;

    // A counter's new value: the statistic, and its increase over the last value (0 when it did
    // not grow: the counter was cleared or wrapped).
    void Count(size_t offset, uint64_t value);
};

class CounterBlocks {
public:
    static CounterBlocks& Instance();

    // Hooks (receive thread): change the port's working blocks.
    template <typename Change>
    void Update(uint8_t port, Change change) {
        std::lock_guard<std::mutex> guard(ports_[port].lock);
        change(ports_[port].working);
    }
    // The port's poll is complete: readers see its blocks from now on.
    void Publish(uint8_t port);

    // Copies a published block (476 bytes).
    void CopyStatistics(uint8_t port, void* out) const;
    void CopyRates(uint8_t port, void* out) const;

    // Zeroes the port's statistics block (working and published); the rates stay.
    void ClearStatistics(uint8_t port);
    void ClearAll();

private:
    CounterBlocks() = default;

    struct Port {
        // Guards working and published: the receive thread's hooks, the poller's publishing and
        // the host's copies and clears.
        mutable std::mutex lock;
        PortBlocks working;
        PortBlocks published;
    };
    std::array<Port, 2> ports_;
};

}  // namespace capi
