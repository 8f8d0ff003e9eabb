// Conversions between line rate, utilisation, frame rate, frame length and inter-frame gap.
// A frame on the wire costs its length plus 20 bytes: 8 of preamble and start delimiter and the
// 12-byte minimum gap. Speeds and rates are in Mbps (10^6 bit/s).
#pragma once

#include <cstdint>

#include "Numeric.h"
#include "SorvaneRecords.h"

namespace sorvane {

constexpr double kBitsPerMbit = 1e6;
constexpr std::uint32_t kWireOverheadBytes = 20;
constexpr std::uint32_t kPreambleBytes = 8;
constexpr std::uint32_t kMinFrameLength = 52;
constexpr std::uint32_t kMaxFrameLength = 16304;
constexpr std::int64_t kMinGapBytes = 12;
constexpr std::int64_t kMaxGapBytes = 0x0FFFFFFF;
constexpr std::uint64_t kMinGapBits = 88;
constexpr std::uint64_t kMaxGapBits = 0x7FFFFFF8;
constexpr std::uint64_t kStandardGapBits = 96;
constexpr double kMinLineRateMbps = 0.01;

// Only these port speeds are accepted where a speed is checked.
bool IsSupportedSpeed(std::uint32_t speed);

// Whole bytes per second a port of this speed sends.
std::uint64_t PortBytesPerSecond(std::uint32_t speed);

std::uint32_t ClampFrameLength(std::uint32_t frameLength);

// A gap in bytes held within 12..0x0FFFFFFF; NaN counts as too small.
std::int64_t ClampGapBytes(double gapBytes);
std::int64_t ClampGapBytes(std::int64_t gapBytes);

// A line rate held within 0.01 Mbps..speed; NaN counts as too small.
double ClampLineRate(double rateMbps, std::uint32_t speed);

// Whole frames per second (or per cycle) that a line rate carries, at least 1.
std::uint64_t FramesForRate(double rateMbps, std::uint64_t frameLength);

// Lowers a count above the table's capacity and writes it back; returns the count to work on.
std::uint16_t LowerStreamCount(StreamRateTable& table);

double CalLineRatebyUtilization(std::uint32_t speed, double percent);
double CalUtilizationbyLineRate(std::uint32_t speed, double rateMbps);
double CalLineRatebyPPS(std::uint64_t pps, std::uint32_t frameLength);
std::uint64_t CalPPSbyLineRate(double rateMbps, std::uint32_t frameLength);
std::uint64_t CalPacketLength(double rateMbps, std::uint64_t pps);
double CalLineRate3(std::uint64_t frames, std::uint64_t bytes, std::uint32_t interval);
std::uint64_t CalPPS2(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                      std::uint64_t tailGapBits, std::uint64_t burstFrames);
double CalLineRate(std::uint32_t speed, std::uint32_t frameLength, std::uint64_t ifgBits,
                   std::uint64_t tailGapBits, std::uint64_t burstFrames);

// Both return false, leaving every entry as it was, when the cycle has no bits or the speed is 0.
bool CalPerStreamPPS(std::uint32_t speed, StreamRateTable& table);
bool CalPerStreamLineRate(std::uint32_t speed, StreamRateTable& table);

std::uint32_t CalTotalPPS(std::uint32_t speed, StreamRateTable& table);
double CalTotalLineRate(std::uint32_t speed, StreamRateTable& table);

std::uint64_t CorrectIFG(std::uint32_t speed, std::uint64_t ifgBits, std::uint64_t minBits, std::uint64_t maxBits);
double CorrectLineRate_Capped(std::uint32_t speed, std::uint32_t frameLength, double rateMbps);
double GetAutoProperMinLineRate(std::uint32_t speed, std::uint32_t frameLength);

// rateMbps is clamped and written back.
void CappedBalanceTxRateByLineRate(std::uint32_t speed, double& rateMbps, StreamRateTable& table);
void CappedBalanceTxRateByPPS(std::uint32_t speed, std::uint32_t pps, StreamRateTable& table);

}  // namespace sorvane
