// Builds stream tables for the tests, entry by entry.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "SorvaneRecords.h"

namespace sorvane::test {

struct EntrySpec {
    double lineRateMbps = 0;
    std::uint32_t frameLength = 64;
    std::uint64_t ifgBits = 96;
    std::uint64_t tailGapBits = 96;
    std::uint32_t burstFrames = 1;
};

inline std::unique_ptr<StreamRateTable> MakeTable(const std::vector<EntrySpec>& specs) {
    auto table = std::make_unique<StreamRateTable>();
    for (const EntrySpec& spec : specs) {
        StreamRateEntry& entry = table->entries[table->count++];
        entry.lineRateMbps = spec.lineRateMbps;
        entry.frameLength = spec.frameLength;
        entry.ifgBits = spec.ifgBits;
        entry.tailGapBits = spec.tailGapBits;
        entry.burstFrames = spec.burstFrames;
    }
    return table;
}

// A table of `count` identical entries, count written as given (it may exceed the capacity).
inline std::unique_ptr<StreamRateTable> MakeUniformTable(std::uint16_t count, const EntrySpec& spec) {
    auto table = std::make_unique<StreamRateTable>();
    for (std::uint16_t i = 0; i < kMaxStreams; ++i) {
        table->entries[i] = StreamRateEntry{spec.lineRateMbps, 0, 0, spec.frameLength, spec.ifgBits,
                                            spec.tailGapBits, spec.burstFrames};
    }
    table->count = count;
    return table;
}

}  // namespace sorvane::test
