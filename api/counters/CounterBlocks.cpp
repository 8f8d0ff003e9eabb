#include "counters/CounterBlocks.h"

#include <cstring>

namespace capi {

uint64_t CounterBlock::Get64(size_t offset) const {
    uint64_t value;
    std::memcpy(&value, bytes_.data() + offset, sizeof value);
    return value;
}

void CounterBlock::Put64(size_t offset, uint64_t value) { std::memcpy(bytes_.data() + offset, &value, sizeof value); }

void CounterBlock::Put32(size_t offset, uint32_t value) { std::memcpy(bytes_.data() + offset, &value, sizeof value); }

void PortBlocks::Count(size_t offset, uint64_t value) {
    const uint64_t old = statistics.Get64(offset);
    rates.Put64(offset, value > old ? value - old : 0);
    statistics.Put64(offset, value);
}

CounterBlocks& CounterBlocks::Instance() {
    static CounterBlocks blocks;
    return blocks;
}

void CounterBlocks::Publish(uint8_t port) {
    std::lock_guard<std::mutex> guard(ports_[port].lock);
    ports_[port].published = ports_[port].working;
}

void CounterBlocks::CopyStatistics(uint8_t port, void* out) const {
    std::lock_guard<std::mutex> guard(ports_[port].lock);
    std::memcpy(out, ports_[port].published.statistics.Bytes(), kCounterBlockBytes);
}

void CounterBlocks::CopyRates(uint8_t port, void* out) const {
    std::lock_guard<std::mutex> guard(ports_[port].lock);
    std::memcpy(out, ports_[port].published.rates.Bytes(), kCounterBlockBytes);
}

void CounterBlocks::ClearStatistics(uint8_t port) {
    std::lock_guard<std::mutex> guard(ports_[port].lock);
    ports_[port].working.statistics.Clear();
    ports_[port].published.statistics.Clear();
}

void CounterBlocks::ClearAll() {
    for (Port& port : ports_) {
        std::lock_guard<std::mutex> guard(port.lock);
        port.working = PortBlocks{};
        port.published = PortBlocks{};
    }
}

}  // namespace capi
