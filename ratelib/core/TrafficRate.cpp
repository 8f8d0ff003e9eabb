#include "TrafficRate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorvane {

namespace {

constexpr std::uint64_t kPreambleBits = 64;

// Bits of one cycle of the first `count` entries. An entry without frames still subtracts its
// gap, so the sum can be zero or negative; it is exact in 128 bits.
WideInt CycleBits(const StreamRateTable& table, std::uint16_t count) {
    WideInt bits = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        const StreamRateEntry& entry = table.entries[i];
        bits += static_cast<WideInt>(entry.burstFrames) *
                    (kPreambleBits + 8 * static_cast<WideInt>(entry.frameLength) + entry.ifgBits) -
                entry.ifgBits + entry.tailGapBits;
    }
    return bits;
}

std::uint64_t ClampGapBits(std::uint64_t gapBits) { return std::clamp(gapBits, kMinGapBits, kMaxGapBits); }

// The totals check the speed, lower the count and clamp every entry in place before summing.
std::uint16_t PrepareForTotals(std::uint32_t speed, StreamRateTable& table) {
    if (!IsSupportedSpeed(speed)) {
        return 0;
    }
    const std::uint16_t count = LowerStreamCount(table);
    for (std::uint16_t i = 0; i < count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        entry.ifgBits = ClampGapBits(entry.ifgBits);
        entry.tailGapBits = ClampGapBits(entry.tailGapBits);
        entry.frameLength = ClampFrameLength(entry.frameLength);
    }
    return count;
}

void ClampFrameLengths(StreamRateTable& table, std::uint16_t count) {
    for (std::uint16_t i = 0; i < count; ++i) {
        table.entries[i].frameLength = ClampFrameLength(table.entries[i].frameLength);
    }
}

std::uint64_t WireBytes(std::uint64_t frameLength) { return frameLength + kWireOverheadBytes; }

// A conversion of a value beyond every rate (an infinite or NaN input, or a finite one near the
// largest double whose product overflows) has no answer: it gives 0 rather than infinity or NaN.
double FiniteOrZero(double value) { return std::isfinite(value) ? value : 0; }

}  // namespace

bool IsSupportedSpeed(std::uint32_t speed) {
    return speed == 10 || speed == 100 || speed == 1000 || speed == 10000;
}

std::uint64_t PortBytesPerSecond(std::uint32_t speed) { return std::uint64_t{speed} * 1000000 / 8; }

std::uint32_t ClampFrameLength(std::uint32_t frameLength) {
    return std::clamp(frameLength, kMinFrameLength, kMaxFrameLength);
}

std::int64_t ClampGapBytes(double gapBytes) {
    if (!(gapBytes >= kMinGapBytes)) {
        return kMinGapBytes;
    }
    return gapBytes >= kMaxGapBytes ? kMaxGapBytes : static_cast<std::int64_t>(gapBytes);
}

std::int64_t ClampGapBytes(std::int64_t gapBytes) { return std::clamp(gapBytes, kMinGapBytes, kMaxGapBytes); }

double ClampLineRate(double rateMbps, std::uint32_t speed) {
    if (!(rateMbps >= kMinLineRateMbps)) {
        return kMinLineRateMbps;
    }
    return std::min(rateMbps, static_cast<double>(speed));
}

std::uint64_t FramesForRate(double rateMbps, std::uint64_t frameLength) {
    const std::uint64_t bytesPerSecond = TruncateSaturated<std::uint64_t>(rateMbps * kBitsPerMbit / 8);
    return std::max<std::uint64_t>(bytesPerSecond / WireBytes(frameLength), 1);
}

std::uint16_t LowerStreamCount(StreamRateTable& table) {
    if (table.count > kMaxStreams) {
        table.count = kMaxStreams;
    }
    return table.count;
}

double CalLineRatebyUtilization(std::uint32_t speed, double percent) {
    const double rate = speed * percent / 100;
    // Near the largest double the product overflows although the rate itself may not.
    return FiniteOrZero(std::isfinite(rate) ? rate : percent / 100 * speed);
}

double CalUtilizationbyLineRate(std::uint32_t speed, double rateMbps) {
    if (speed == 0) {
        return 0;
    }
    return FiniteOrZero(rateMbps / speed * 100);
}

double CalLineRatebyPPS(std::uint64_t pps, std::uint32_t frameLength) {
    return static_cast<double>(pps) * static_cast<double>(WireBytes(frameLength)) * 8 / kBitsPerMbit;
}

std::uint64_t CalPPSbyLineRate(double rateMbps, std::uint32_t frameLength) {
    const auto bytesPerSecond = TruncateExact<std::uint64_t>(rateMbps * kBitsPerMbit / 8);
    return bytesPerSecond ? *bytesPerSecond / WireBytes(frameLength) : 0;
}

std::uint64_t CalPacketLength(double rateMbps, std::uint64_t pps) {
    const auto bytesPerSecond = TruncateExact<std::uint64_t>(rateMbps * kBitsPerMbit / 8);
    if (pps == 0 || !bytesPerSecond) {
        return 0;
    }
    const std::uint64_t wireBytes = *bytesPerSecond / pps;
    return wireBytes > kWireOverheadBytes ? wireBytes - kWireOverheadBytes : 0;
}

double CalLineRate3(std::uint64_t frames, std::uint64_t bytes, std::uint32_t interval) {
    if (interval == 0) {
        return 0;
    }
    const WideInt bits = static_cast<WideInt>(bytes) * 8 + static_cast<WideInt>(frames) * kWireOverheadBytes * 8;
    return static_cast<double>(bits) / interval;
}

std::uint64_t CalPPS2(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                      std::uint64_t tailGapBits, std::uint64_t burstFrames) {
    const WideInt cycleBits =
        static_cast<WideInt>(burstFrames) * (8 * static_cast<WideInt>(frameLength) + ifgBits) - ifgBits + tailGapBits;
    if (cycleBits <= 0) {
        return 0;
    }
    return TruncateSaturated<std::uint64_t>(speed * kBitsPerMbit / static_cast<double>(cycleBits));
}

double CalLineRate(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                   std::uint64_t tailGapBits, std::uint64_t burstFrames) {
    const std::uint64_t pps = CalPPS2(speed, frameLength, ifgBits, tailGapBits, burstFrames);
    return static_cast<double>(pps) * static_cast<double>(WireBytes(frameLength)) * 8 / kBitsPerMbit;
}

bool CalPerStreamPPS(std::uint32_t speed, StreamRateTable& table) {
    const std::uint16_t count = LowerStreamCount(table);
    if (count == 0 || speed == 0) {
        return false;
    }
    const WideInt bits = CycleBits(table, count);
    if (bits <= 0) {
        return false;
    }
    const double cyclesPerSecond = 1 / (static_cast<double>(bits) / (speed * kBitsPerMbit));
    for (std::uint16_t i = 0; i < count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        entry.pps = std::max<std::uint32_t>(TruncateSaturated<std::uint32_t>(entry.burstFrames * cyclesPerSecond), 1);
    }
    return true;
}

bool CalPerStreamLineRate(std::uint32_t speed, StreamRateTable& table) {
    if (!CalPerStreamPPS(speed, table)) {
        return false;
    }
    for (std::uint16_t i = 0; i < table.count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        entry.lineRateMbps = CalLineRatebyPPS(entry.pps, entry.frameLength);
    }
    return true;
}

std::uint32_t CalTotalPPS(std::uint32_t speed, StreamRateTable& table) {
    const std::uint16_t count = PrepareForTotals(speed, table);
    if (count == 0) {
        return 0;
    }
    std::uint64_t frames = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        frames += table.entries[i].burstFrames;
    }
    const WideInt bits = CycleBits(table, count);
    if (bits <= 0) {
        return 0;
    }
    return TruncateSaturated<std::uint32_t>(static_cast<double>(frames) /
                                            (static_cast<double>(bits) / (speed * kBitsPerMbit)));
}

double CalTotalLineRate(std::uint32_t speed, StreamRateTable& table) {
    const std::uint16_t count = PrepareForTotals(speed, table);
    if (count == 0) {
        return 0;
    }
    // Worked in whole bytes: each gap is rounded down to bytes before it is summed.
    WideInt wireBytes = 0;
    WideInt cycleBytes = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        const StreamRateEntry& entry = table.entries[i];
        const WideInt gapBytes = entry.ifgBits / 8;
        wireBytes += static_cast<WideInt>(entry.burstFrames) * WireBytes(entry.frameLength);
        cycleBytes += static_cast<WideInt>(entry.burstFrames) * (entry.frameLength + gapBytes + kPreambleBytes) -
                      gapBytes + entry.tailGapBits / 8;
    }
    if (cycleBytes <= 0) {
        return 0;
    }
    return static_cast<double>(wireBytes) / (static_cast<double>(cycleBytes) / (speed * kBitsPerMbit / 8)) /
           kBitsPerMbit * 8;
}

std::uint64_t CorrectIFG(std::uint32_t speed, std::uint64_t ifgBits, std::uint64_t minBits, std::uint64_t maxBits) {
    if (ifgBits < minBits) {
        return minBits;
    }
    const std::uint64_t ifg = std::min(ifgBits, maxBits);
    // A 10G port sends its gap in 64-bit blocks but also takes the standard 96 bits exactly.
    const bool tenGigabit = speed == 10000;
    if (tenGigabit && (ifg == kStandardGapBits || ifg == minBits)) {
        return ifg;
    }
    const std::uint64_t step = tenGigabit ? 64 : 8;
    const std::uint64_t offset = ifg % step;
    if (offset == 0) {
        return ifg;
    }
    std::uint64_t down = ifg - offset;
    std::uint64_t up;
    if (down > std::numeric_limits<std::uint64_t>::max() - step) {
        // The multiple above lies beyond every 64-bit maximum, which takes it back down one step.
        up = down;
    } else {
        up = down + step;
        if (up < minBits) {
            up = step;
        }
        if (up > maxBits) {
            up -= step;
        }
    }
    if (down < minBits) {
        down = step;
    }
    if (down > maxBits) {
        down -= step;
    }
    const double towardsDown = std::fabs(static_cast<double>(ifg) - static_cast<double>(down));
    const double towardsUp = std::fabs(static_cast<double>(ifg) - static_cast<double>(up));
    return towardsDown < towardsUp ? down : up;
}

double CorrectLineRate_Capped(std::uint32_t speed, std::uint32_t frameLength, double rateMbps) {
    if (!IsSupportedSpeed(speed)) {
        return speed;
    }
    const std::uint64_t length = ClampFrameLength(frameLength);
    const std::uint64_t portBytes = PortBytesPerSecond(speed);
    const std::uint64_t wantedBytes = TruncateSaturated<std::uint64_t>(rateMbps * kBitsPerMbit / 8);
    // Asking for nothing (or for no number at all) asks for the longest gap.
    const std::int64_t gap =
        wantedBytes == 0
            ? kMaxGapBytes
            : ClampGapBytes(static_cast<double>(WireBytes(length) * portBytes) / static_cast<double>(wantedBytes) -
                            static_cast<double>(length) - kPreambleBytes);
    const double rate = static_cast<double>(WireBytes(length)) /
                        (static_cast<double>(length + kPreambleBytes + gap) / static_cast<double>(portBytes)) * 8 /
                        kBitsPerMbit;
    return std::min(rate, static_cast<double>(speed));
}

double GetAutoProperMinLineRate(std::uint32_t speed, std::uint32_t frameLength) {
    if (!IsSupportedSpeed(speed)) {
        return speed;
    }
    // 1250 bytes per second is the 0.01 Mbps floor.
    constexpr std::uint64_t kFloorBytesPerSecond = 1250;
    const std::uint64_t length = frameLength;
    std::uint64_t frames = std::max<std::uint64_t>(kFloorBytesPerSecond / WireBytes(length), 1);
    const std::int64_t gap =
        static_cast<std::int64_t>(kFloorBytesPerSecond / frames) - static_cast<std::int64_t>(length + kPreambleBytes);
    if (gap < 0 || gap > kMaxGapBytes) {
        frames = (PortBytesPerSecond(speed) + kMaxGapBytes) / (length + kPreambleBytes + kMaxGapBytes);
    }
    return static_cast<double>(frames) * static_cast<double>(WireBytes(length)) * 8 / kBitsPerMbit;
}

void CappedBalanceTxRateByLineRate(std::uint32_t speed, double& rateMbps, StreamRateTable& table) {
    if (!IsSupportedSpeed(speed)) {
        return;
    }
    const std::uint16_t count = LowerStreamCount(table);
    if (count == 0) {
        return;
    }
    ClampFrameLengths(table, count);
    rateMbps = ClampLineRate(rateMbps, speed);
    const std::uint64_t portBytes = PortBytesPerSecond(speed);
    for (std::uint16_t i = 0; i < count; ++i) {
        StreamRateEntry& entry = table.entries[i];
        const std::uint64_t slotBytes = portBytes / FramesForRate(rateMbps, entry.frameLength);
        const std::int64_t gap = ClampGapBytes(static_cast<std::int64_t>(slotBytes) -
                                               static_cast<std::int64_t>(entry.frameLength + kPreambleBytes));
        entry.tailGapBits = static_cast<std::uint64_t>(gap) * 8;
    }
}

void CappedBalanceTxRateByPPS(std::uint32_t speed, std::uint32_t pps, StreamRateTable& table) {
    if (!IsSupportedSpeed(speed)) {
        return;
    }
    const std::uint16_t count = LowerStreamCount(table);
    if (count == 0) {
        return;
    }
    ClampFrameLengths(table, count);
    std::uint64_t lengthSum = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        lengthSum += table.entries[i].frameLength;
    }
    const std::uint64_t meanLength = lengthSum / count;
    double rate = ClampLineRate(static_cast<double>(pps) * static_cast<double>(WireBytes(meanLength)) * 8 / kBitsPerMbit,
                                speed);
    CappedBalanceTxRateByLineRate(speed, rate, table);
}

}  // namespace sorvane
