#include "TxSchedule.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "Numeric.h"
#include "TrafficRate.h"

namespace sorvane {

namespace {

// Starts the search for the smallest burst far above any burst one second at 10G can hold.
constexpr double kFewestFramesStart = 1488095200.0;

bool IsWorkableTable(const StreamRateTable& table) { return table.count != 0 && table.count <= kMaxStreams; }

// Clamps every entry's wanted rate and frame length in place; returns the sum of the rates.
double ClampRequests(std::uint32_t speed, StreamRateTable& table) {
    double sum = 0;
    for (std::uint16_t i = 0; i < table.count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        entry.lineRateMbps = ClampLineRate(entry.lineRateMbps, speed);
        entry.frameLength = ClampFrameLength(entry.frameLength);
        sum += entry.lineRateMbps;
    }
    return sum;
}

struct Burst {
    std::uint32_t frames;
    std::int64_t gapBytes;
};

// A gap that is negative or longer than the longest gap becomes the longest gap, and the burst
// shrinks to the frames that a cycle of cycleBytes holds with it. A table records a burst in 32
// bits: a longer one (a loop of decades at 10G) is cut to the most frames it can record, and
// every figure of the entry is worked from that cut burst.
Burst FitBurst(std::uint64_t frames, std::int64_t gapBytes, std::uint64_t cycleBytes, std::uint64_t frameLength) {
    if (gapBytes < 0 || gapBytes > kMaxGapBytes) {
        gapBytes = kMaxGapBytes;
        frames = (cycleBytes + kMaxGapBytes) / (frameLength + kPreambleBytes + kMaxGapBytes);
    }
    const std::uint64_t recordable = std::min<std::uint64_t>(frames, std::numeric_limits<std::uint32_t>::max());
    return {static_cast<std::uint32_t>(recordable), std::max(gapBytes, kMinGapBytes)};
}

// Bytes of a burst: its frames with their preambles and the gaps between them.
WideInt BurstBytes(std::uint64_t frames, std::uint64_t frameLength, std::int64_t gapBytes) {
    return static_cast<WideInt>(frames) * (frameLength + kPreambleBytes + gapBytes) - gapBytes;
}

// Bytes of a burst as the table records it, the gap taken in whole bytes.
WideInt RecordedBurstBytes(const StreamRateEntry& entry) {
    const WideInt gapBytes = entry.ifgBits / 8;
    return static_cast<WideInt>(entry.burstFrames) * (static_cast<WideInt>(entry.frameLength) + kPreambleBytes + gapBytes) -
           gapBytes;
}

// Bytes of each tail gap when the spare bytes of a cycle are shared equally after the bursts.
WideInt SpareBytesPerEntry(std::uint64_t cycleBytes, WideInt usedBytes, std::uint16_t count) {
    return (cycleBytes - usedBytes) / count;
}

void SetTailGaps(StreamRateTable& table, std::uint64_t tailGapBits) {
    for (std::uint16_t i = 0; i < table.count; ++i) {
        table.entries[i].tailGapBits = tailGapBits;
    }
}

// A tail gap capped at the longest gap stretches the cycle past its length; each stream then
// runs at its share of the whole stretched cycle times the port speed.
void RestateRatesForStretchedCycle(std::uint32_t speed, StreamRateTable& table, std::int64_t tailGapBytes) {
    WideInt cycleBytes = 0;
    for (std::uint16_t i = 0; i < table.count; ++i) {
        cycleBytes += RecordedBurstBytes(table.entries[i]) + tailGapBytes;
    }
    for (std::uint16_t i = 0; i < table.count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        const WideInt wireBytes =
            static_cast<WideInt>(entry.burstFrames) * (entry.frameLength + std::uint64_t{kWireOverheadBytes});
        entry.lineRateMbps = static_cast<double>(wireBytes) / static_cast<double>(cycleBytes) * speed;
        entry.utilization = CalUtilizationbyLineRate(speed, entry.lineRateMbps);
    }
}

// Loops per second of a loop time. A loop time that is not a positive number is refused, and so is
// a loop shorter than one bit time, which holds no frame (this also keeps every sum in range).
std::optional<double> LoopsPerSecond(std::uint32_t speed, double loopTime) {
    if (!(loopTime > 0)) {
        return std::nullopt;
    }
    const double loopsPerSecond = 1 / loopTime;
    if (!(loopsPerSecond <= speed * kBitsPerMbit)) {
        return std::nullopt;
    }
    return loopsPerSecond;
}

}  // namespace

void AutoGenerateTxRate(std::uint32_t speed, StreamRateTable& table) {
    if (!IsWorkableTable(table) || !IsSupportedSpeed(speed)) {
        return;
    }
    // Rates that add up to more than the port are cut as a whole, not entry by entry.
    const double totalRate = ClampLineRate(ClampRequests(speed, table), speed);
    const std::uint64_t totalBytes = TruncateSaturated<std::uint64_t>(totalRate * kBitsPerMbit / 8);
    const std::uint64_t portBytes = PortBytesPerSecond(speed);
    WideInt usedBytes = 0;
    for (std::uint16_t i = 0; i < table.count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        const std::uint64_t length = entry.frameLength;
        // Each frame gets the slot it would have if the whole total rate ran in frames of this length.
        const std::uint64_t slots = std::max<std::uint64_t>(totalBytes / (length + kWireOverheadBytes), 1);
        const std::int64_t gapBytes =
            static_cast<std::int64_t>(portBytes / slots) - static_cast<std::int64_t>(length + kPreambleBytes);
        const Burst burst = FitBurst(FramesForRate(entry.lineRateMbps, length), gapBytes, portBytes, length);
        entry.pps = burst.frames;
        entry.burstFrames = burst.frames;
        entry.lineRateMbps = CalLineRatebyPPS(burst.frames, entry.frameLength);
        entry.utilization = CalUtilizationbyLineRate(speed, entry.lineRateMbps);
        entry.ifgBits = static_cast<std::uint64_t>(burst.gapBytes) * 8;
        usedBytes += BurstBytes(burst.frames, length, burst.gapBytes);
    }
    if (usedBytes >= portBytes) {
        SetTailGaps(table, kStandardGapBits);
        return;
    }
    const WideInt spareBytes = std::min<WideInt>(SpareBytesPerEntry(portBytes, usedBytes, table.count), kMaxGapBytes);
    SetTailGaps(table, static_cast<std::uint64_t>(spareBytes) * 8);
}

void AutoGenerateTxRateSoomth(std::uint32_t speed, StreamRateTable& table) {
    if (!IsWorkableTable(table)) {
        return;
    }
    AutoGenerateTxRate(speed, table);
    double fewestFrames = kFewestFramesStart;
    for (std::uint16_t i = 0; i < table.count; ++i) {
        fewestFrames = std::min<double>(fewestFrames, table.entries[i].burstFrames);
    }
    // Only a table the generation refused can hold an empty burst; it has no ratios to take.
    if (fewestFrames == 0) {
        return;
    }
    for (std::uint16_t i = 0; i < table.count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        entry.tailGapBits = entry.ifgBits;
        const double ratio = RoundHalfToEven(entry.burstFrames / fewestFrames);
        entry.burstFrames = std::max<std::uint32_t>(TruncateSaturated<std::uint32_t>(ratio), 1);
    }
}

void AutoGenerateTxRateLoopTime(std::uint32_t speed, StreamRateTable& table, double loopTime) {
    if (!IsWorkableTable(table) || !IsSupportedSpeed(speed)) {
        return;
    }
    const auto loopRate = LoopsPerSecond(speed, loopTime);
    if (!loopRate) {
        return;
    }
    const double loopsPerSecond = *loopRate;
    // An endless loop (or one whose bytes do not fit 64 bits) has no bytes per loop to share.
    const auto loopBytes = TruncateExact<std::uint64_t>(speed * kBitsPerMbit / 8 / loopsPerSecond);
    if (!loopBytes) {
        return;
    }
    const double share = ClampLineRate(ClampRequests(speed, table), speed) / speed;
    WideInt usedBytes = 0;
    for (std::uint16_t i = 0; i < table.count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        const std::uint64_t length = entry.frameLength;
        const double wantedRate = entry.lineRateMbps;
        // (L + 20) / share - (L + 8): every frame spaced as the total share of the port spaces it.
        // The share lies in 10^-6..1: the spacing is at least 12 bytes and, held at one past the
        // longest gap, fits 64 bits.
        const double spacing = ((8.0 * length + 160) - (8.0 * length + 64) * share) / share / 8;
        const auto gapBytes = static_cast<std::int64_t>(std::min(spacing, kMaxGapBytes + 1.0));
        const Burst burst = FitBurst(FramesForRate(wantedRate / loopsPerSecond, length), gapBytes, *loopBytes, length);
        usedBytes += BurstBytes(burst.frames, length, burst.gapBytes);
        entry.pps = burst.frames;
        entry.burstFrames = burst.frames;
        if (wantedRate == speed) {
            entry.ifgBits = kStandardGapBits;
            entry.utilization = 100;
        } else {
            entry.lineRateMbps = CalLineRatebyPPS(burst.frames, entry.frameLength) * loopsPerSecond;
            entry.utilization = CalUtilizationbyLineRate(speed, entry.lineRateMbps);
            entry.ifgBits = static_cast<std::uint64_t>(burst.gapBytes) * 8;
        }
    }
    if (usedBytes < *loopBytes) {
        WideInt spareBytes = SpareBytesPerEntry(*loopBytes, usedBytes, table.count);
        if (spareBytes > kMaxGapBytes) {
            spareBytes = kMaxGapBytes;
            RestateRatesForStretchedCycle(speed, table, kMaxGapBytes);
        }
        SetTailGaps(table, static_cast<std::uint64_t>(spareBytes) * 8);
    } else {
        SetTailGaps(table, kStandardGapBits);
    }
    for (std::uint16_t i = 0; i < table.count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        if (entry.lineRateMbps == speed) {
            entry.tailGapBits = kStandardGapBits;
        }
    }
}

void AutoGenerateTxRateLoopTime_Correct(std::uint32_t speed, StreamRateTable& table, double loopTime) {
    if (!IsWorkableTable(table)) {
        return;
    }
    const auto loopRate = LoopsPerSecond(speed, loopTime);
    if (!loopRate) {
        return;
    }
    const double loopsPerSecond = *loopRate;
    // The one-second schedule of the same rates says how many frames each stream must send.
    StreamRateTable oneSecond;
    oneSecond.count = table.count;
    std::copy_n(table.entries, table.count, oneSecond.entries);
    AutoGenerateTxRate(speed, oneSecond);

    // Whole loops fall short of the one-second frame counts by missingBytes; the extra loops
    // that make them up are added to the loops per second.
    const auto wholeLoops = static_cast<WideInt>(loopsPerSecond);
    WideInt missingBytes = 0;
    WideInt loopWireBytes = 0;
    for (std::uint16_t i = 0; i < table.count; ++i) {
        const StreamRateEntry& entry = table.entries[i];
        const WideInt wireBytes = static_cast<WideInt>(entry.frameLength) + kWireOverheadBytes;
        missingBytes += (static_cast<WideInt>(oneSecond.entries[i].burstFrames) -
                         static_cast<WideInt>(entry.burstFrames) * wholeLoops) *
                        wireBytes;
        loopWireBytes += wireBytes * entry.burstFrames;
    }
    if (loopWireBytes == 0) {
        return;
    }
    const auto loops =
        TruncateSaturated<std::uint64_t>(loopsPerSecond + static_cast<double>(missingBytes / loopWireBytes));
    // Not even one loop a second: there is no loop length to correct the tail gaps to.
    if (loops == 0) {
        return;
    }
    const std::uint64_t loopBytes = std::uint64_t{speed} * 1000000 / loops / 8;
    WideInt usedBytes = 0;
    for (std::uint16_t i = 0; i < table.count; ++i) {
        usedBytes += RecordedBurstBytes(table.entries[i]);
    }
    if (usedBytes > loopBytes) {
        return;
    }
    const WideInt spareBytes = std::min<WideInt>(SpareBytesPerEntry(loopBytes, usedBytes, table.count), kMaxGapBytes);
    SetTailGaps(table, std::max<std::uint64_t>(static_cast<std::uint64_t>(spareBytes) * 8, kStandardGapBits));
}

}  // namespace sorvane
