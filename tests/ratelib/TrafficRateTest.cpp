#include <gtest/gtest.h>

#include <limits>

#include "TableBuilder.h"
#include "core/TrafficRate.h"

namespace sorvane {
namespace {

using test::MakeTable;
using test::MakeUniformTable;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLargest = std::numeric_limits<double>::max();
constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();

TEST(SingleValues, FullLineRateCountsWholeFrames) {
    const struct { double rate; std::uint32_t length; std::uint64_t pps; } cases[] = {
        {100, 64, 148809}, {1000, 64, 1488095}, {10000, 64, 14880952}, {1000, 1518, 81274}};
    for (const auto& c : cases) {
        EXPECT_EQ(CalPPSbyLineRate(c.rate, c.length), c.pps) << c.rate << " Mbps, " << c.length << " bytes";
    }
    EXPECT_DOUBLE_EQ(CalLineRatebyPPS(1488095, 64), 999.99984);
    EXPECT_EQ(CalPacketLength(1000, 1488095), 64u);
    EXPECT_DOUBLE_EQ(CalLineRatebyUtilization(1000, 50), 500);
    EXPECT_DOUBLE_EQ(CalUtilizationbyLineRate(1000, 250), 25);
    EXPECT_DOUBLE_EQ(CalLineRate3(100, 6400, 2), 33600);
    // One burst cycle of 1 x (8 x 64 + 96) - 96 + 96 = 608 bits.
    EXPECT_EQ(CalPPS2(1000, 64, 96, 96, 1), 1644736u);
    EXPECT_DOUBLE_EQ(CalLineRate(1000, 64, 96, 96, 1), 1644736 * 84 * 8 / 1e6);
}

TEST(SingleValues, ZeroDivisorOrOutOfRangeInputGivesZero) {
    const struct { const char* name; double result; } cases[] = {
        {"PpsOfNegativeRate", double(CalPPSbyLineRate(-100, 64))},
        {"PpsOfNaNRate", double(CalPPSbyLineRate(kNaN, 64))},
        {"PpsOfInfiniteRate", double(CalPPSbyLineRate(kInfinity, 64))},
        {"PpsOfLengthNearTopDoesNotWrapDivisor", double(CalPPSbyLineRate(1000, 0xFFFFFFFFu))},
        {"PacketLengthOfZeroPps", double(CalPacketLength(100, 0))},
        {"PacketLengthOfZeroRate", double(CalPacketLength(0, 100))},
        {"PacketLengthUnder20BytesDoesNotWrap", double(CalPacketLength(1, 10000))},
        {"PacketLengthOfNaNRate", double(CalPacketLength(kNaN, 100))},
        {"UtilisationAtZeroSpeed", CalUtilizationbyLineRate(0, 100)},
        {"UtilisationOfInfiniteRate", CalUtilizationbyLineRate(1000, kInfinity)},
        {"LineRateOfNaNPercent", CalLineRatebyUtilization(1000, kNaN)},
        {"LineRateOverZeroInterval", CalLineRate3(10, 1000, 0)},
        {"BurstPpsOfEmptyCycle", double(CalPPS2(1000, 64, 96, 96, 0))},
        {"BurstPpsOfNegativeCycle", double(CalPPS2(1000, 64, 200, 96, 0))},
        {"BurstRateOfNegativeCycle", CalLineRate(1000, 64, 200, 96, 0)},
        {"BurstPpsOfHugeGapsDoesNotWrap", double(CalPPS2(1000, 64, kMax64, kMax64, 4))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, 0) << c.name;
    }
}

TEST(SingleValues, UtilisationConversionsNearTheLargestDoubleStayFinite) {
    // A result beyond the largest double gives 0; one within it is given, although the product on
    // the way there overflows.
    EXPECT_EQ(CalLineRatebyUtilization(1000, 1e308), 0);
    EXPECT_EQ(CalLineRatebyUtilization(10000, -kLargest), 0);
    EXPECT_EQ(CalUtilizationbyLineRate(1, 1e307), 0);
    EXPECT_EQ(CalUtilizationbyLineRate(10, -kLargest), 0);
    EXPECT_DOUBLE_EQ(CalLineRatebyUtilization(1000, 1e306), 1e307);
    EXPECT_DOUBLE_EQ(CalUtilizationbyLineRate(10000, kLargest), kLargest / 100);
}

TEST(CorrectIfg, SnapsToTheStepThePortSends) {
    const struct { const char* name; std::uint32_t speed; std::uint64_t ifg, min, max, result; } cases[] = {
        {"TieGoesUp", 1000, 100, 96, 1000, 104},
        {"NearerDownWins", 1000, 99, 96, 1000, 96},
        {"TenGigKeepsStandardGap", 10000, 96, 12, 4096, 96},
        {"TenGigSnapsTo64BitBlocks", 10000, 100, 12, 4096, 128},
        {"TenGigKeepsMinimum", 10000, 100, 100, 4096, 100},
        {"BelowMinimumGivesMinimumUnsnapped", 1000, 50, 90, 1000, 90},
        {"AboveMaximumLoweredToMaximum", 1000, 2000, 96, 1000, 1000},
        {"UpBeyondMaximumComesBackDown", 1000, 1003, 96, 1003, 1000},
        {"TopOf64BitsDoesNotWrap", 1000, kMax64, 0, kMax64, kMax64 - 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CorrectIFG(c.speed, c.ifg, c.min, c.max), c.result) << c.name;
    }
}

TEST(CorrectLineRateCapped, GivesARateThePortCanSend) {
    // 84 wire bytes per 72 + gap bytes of port time.
    const double longestGapRate = 84 / ((72.0 + 0x0FFFFFFF) / 125e6) * 8 / 1e6;
    const struct { const char* name; std::uint32_t speed, length; double rate, result; } cases[] = {
        {"ShortFrameAboveSpeedUses52BytesAndMinimumGap", 1000, 40, 2000, 1000},
        {"HalfRateIsExact", 1000, 64, 500, 500},
        {"GapRoundsDownSoRateRoundsUp", 1000, 64, 333, 84 / (252 / 125e6) * 8 / 1e6},
        {"ZeroRateTakesLongestGap", 1000, 64, 0, longestGapRate},
        {"NaNRateTakesLongestGap", 1000, 64, kNaN, longestGapRate},
        {"UnsupportedSpeedGivesSpeed", 2500, 64, 100, 2500},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(CorrectLineRate_Capped(c.speed, c.length, c.rate), c.result) << c.name;
    }
}

TEST(AutoProperMinLineRate, IsWholeFramesOfTheFloorRate) {
    EXPECT_DOUBLE_EQ(GetAutoProperMinLineRate(1000, 64), 14 * 84 * 8 / 1e6);
    // 1250 bytes hold no 1320-byte frame: the gap would be negative, so one frame per longest gap.
    EXPECT_DOUBLE_EQ(GetAutoProperMinLineRate(1000, 1300), 1320 * 8 / 1e6);
    EXPECT_DOUBLE_EQ(GetAutoProperMinLineRate(2500, 64), 2500);
}

TEST(PerStream, SharesTheCycleRateByBurstAndGivesEveryEntryOnePps) {
    auto table = MakeTable({{0, 64, 96, 96, 1}, {0, 64, 96, 96, 3}, {0, 64, 96, 96, 0}});
    ASSERT_TRUE(CalPerStreamLineRate(1000, *table));
    // Four bursts of 672 bits a cycle; the empty burst adds no bits.
    EXPECT_EQ(table->entries[0].pps, 372023u);
    EXPECT_EQ(table->entries[1].pps, 1116071u);
    EXPECT_EQ(table->entries[2].pps, 1u);
    EXPECT_DOUBLE_EQ(table->entries[0].lineRateMbps, 372023 * 84 * 8 / 1e6);
}

TEST(PerStream, CountAboveCapacityIsLoweredAndWrittenBack) {
    auto table = MakeUniformTable(600, {0, 64, 96, 96, 1});
    ASSERT_TRUE(CalPerStreamPPS(1000, *table));
    EXPECT_EQ(table->count, 512);
    EXPECT_EQ(table->entries[511].pps, 1488095u / 512);
}

TEST(PerStream, ZeroSpeedOrEmptyCycleLeavesEntriesUnchanged) {
    for (std::uint32_t speed : {0u, 1000u}) {
        auto table = MakeTable({{3, 64, 96, 96, speed == 0 ? 1u : 0u}});
        table->entries[0].pps = 7;
        EXPECT_FALSE(CalPerStreamLineRate(speed, *table));
        EXPECT_EQ(table->entries[0].pps, 7u);
        EXPECT_EQ(table->entries[0].lineRateMbps, 3);
    }
}

TEST(Totals, FullLineRateOfOneStream) {
    auto table = MakeTable({{0, 64, 96, 96, 1}});
    EXPECT_EQ(CalTotalPPS(1000, *table), 1488095u);
    EXPECT_DOUBLE_EQ(CalTotalLineRate(1000, *table), 1000);
}

TEST(Totals, ClampEntriesInPlace) {
    auto table = MakeTable({{0, 10, 0, 0x80000000ull, 1}, {0, 20000, 96, 96, 1}});
    CalTotalPPS(1000, *table);
    EXPECT_EQ(table->entries[0].frameLength, 52u);
    EXPECT_EQ(table->entries[0].ifgBits, 88u);
    EXPECT_EQ(table->entries[0].tailGapBits, 0x7FFFFFF8u);
    EXPECT_EQ(table->entries[1].frameLength, 16304u);
}

TEST(Totals, UnsupportedSpeedNoEntriesOrNegativeCycleGiveZero) {
    auto table = MakeTable({{0, 64, 96, 96, 1}});
    EXPECT_EQ(CalTotalPPS(2500, *table), 0u);
    EXPECT_EQ(CalTotalLineRate(2500, *table), 0);
    auto negative = MakeTable({{0, 64, 200, 96, 0}});
    EXPECT_EQ(CalTotalPPS(1000, *negative), 0u);
    EXPECT_EQ(CalTotalLineRate(1000, *negative), 0);
    table->count = 0;
    EXPECT_EQ(CalTotalPPS(1000, *table), 0u);
}

TEST(CappedBalance, ClampsTheRateAndFillsEachFrameSlotWithTheTailGap) {
    // 14 frames per second at the 0.01 Mbps floor: 8928571-byte slots.
    const struct { const char* name; double rateIn, rateOut; std::uint64_t tailGapBits; } cases[] = {
        {"HalfRateLeaves96ByteGaps", 500, 500, 96 * 8},
        {"AboveSpeedCutToSpeed", 2000, 1000, 96},
        {"ZeroRaisedToFloor", 0, 0.01, (8928571 - 72) * 8},
        {"NaNRaisedToFloor", kNaN, 0.01, (8928571 - 72) * 8},
    };
    for (const auto& c : cases) {
        auto table = MakeUniformTable(600, {0, 64, 96, 0, 1});
        double rate = c.rateIn;
        CappedBalanceTxRateByLineRate(1000, rate, *table);
        EXPECT_EQ(rate, c.rateOut) << c.name;
        EXPECT_EQ(table->count, 512) << c.name;
        EXPECT_EQ(table->entries[511].tailGapBits, c.tailGapBits) << c.name;
        EXPECT_EQ(table->entries[511].ifgBits, 96u) << c.name;
    }
}

TEST(CappedBalance, UnsupportedSpeedOrNoEntriesChangesNothing) {
    auto table = MakeTable({{0, 10, 96, 0, 1}});
    double rate = 5000;
    CappedBalanceTxRateByLineRate(2500, rate, *table);
    CappedBalanceTxRateByPPS(2500, 1000, *table);
    table->count = 0;
    CappedBalanceTxRateByLineRate(1000, rate, *table);
    EXPECT_EQ(rate, 5000);
    EXPECT_EQ(table->entries[0].frameLength, 10u);
    EXPECT_EQ(table->entries[0].tailGapBits, 0u);
}

TEST(CappedBalance, ByPpsUsesTheMeanFrameLengthForTheRate) {
    auto table = MakeTable({{0, 64, 96, 0, 1}, {0, 128, 96, 0, 1}});
    CappedBalanceTxRateByPPS(1000, 744047, *table);
    // 744047 frames of the mean 96 bytes make 690.475616 Mbps; each length then gets its own slot.
    EXPECT_EQ(table->entries[0].tailGapBits, (121 - 72) * 8u);
    EXPECT_EQ(table->entries[1].tailGapBits, (214 - 136) * 8u);
}

}  // namespace
}  // namespace sorvane
