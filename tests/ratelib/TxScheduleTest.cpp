#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "TableBuilder.h"
#include "core/Numeric.h"
#include "core/TxSchedule.h"

namespace sorvane {
namespace {

using test::MakeTable;
using test::MakeUniformTable;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::uint64_t kLongestGapBits = 0x7FFFFFF8;

// Runs a call and tells whether it left every byte of the table as it was.
template <typename Call>
bool LeavesUnchanged(StreamRateTable& table, Call call) {
    auto before = std::make_unique<StreamRateTable>(table);
    call(table);
    return std::memcmp(before.get(), &table, sizeof table) == 0;
}

TEST(AutoGenerate, OneFullRateStreamLeavesTheRestOfTheSecondAfterTheBurst) {
    auto table = MakeTable({{1000, 64}});
    AutoGenerateTxRate(1000, *table);
    const StreamRateEntry& entry = table->entries[0];
    EXPECT_EQ(entry.pps, 1488095u);
    EXPECT_EQ(entry.burstFrames, 1488095u);
    EXPECT_EQ(entry.ifgBits, 96u);
    // 1488095 x 84 - 12 = 124999968 bytes used: 32 spare.
    EXPECT_EQ(entry.tailGapBits, 256u);
    EXPECT_DOUBLE_EQ(entry.lineRateMbps, 999.99984);
    EXPECT_DOUBLE_EQ(entry.utilization, 99.999984);
}

TEST(AutoGenerate, SpacesFramesByTheTotalRateCutToTheSpeedAsAWhole) {
    // 800 Mbps in 64-byte frames leaves 105-byte slots: 33-byte gaps. At 1600 Mbps, cut to the
    // speed as a whole, only the minimum gap is left; cut entry by entry no gap would fit.
    const struct { double rate; std::uint32_t burst; std::uint64_t ifgBits, tailGapBits; } cases[] = {
        {400, 595238, 33 * 8, 43 * 8}, {800, 1190476, 96, 96}};
    for (const auto& c : cases) {
        auto table = MakeTable({{c.rate, 64}, {c.rate, 64}});
        AutoGenerateTxRate(1000, *table);
        for (const StreamRateEntry& entry : {table->entries[0], table->entries[1]}) {
            EXPECT_EQ(entry.burstFrames, c.burst) << c.rate;
            EXPECT_EQ(entry.ifgBits, c.ifgBits) << c.rate;
            EXPECT_EQ(entry.tailGapBits, c.tailGapBits) << c.rate;
        }
    }
}

TEST(AutoGenerate, ClampsRateAndFrameLengthBeforeScheduling) {
    auto table = MakeTable({{0, 10}});
    AutoGenerateTxRate(1000, *table);
    const StreamRateEntry& entry = table->entries[0];
    EXPECT_EQ(entry.frameLength, 52u);
    EXPECT_EQ(entry.burstFrames, 17u);
    EXPECT_EQ(entry.ifgBits, 7352881u * 8);
    EXPECT_EQ(entry.tailGapBits, 7352884u * 8);
    EXPECT_DOUBLE_EQ(entry.lineRateMbps, 17 * 72 * 8 / 1e6);
}

TEST(AutoGenerate, GapBeyondTheLongestShrinksTheBurst) {
    auto table = MakeTable({{0.01, 16304}});
    AutoGenerateTxRate(10000, *table);
    const StreamRateEntry& entry = table->entries[0];
    EXPECT_EQ(entry.burstFrames, 5u);
    EXPECT_EQ(entry.ifgBits, kLongestGapBits);
    EXPECT_EQ(entry.tailGapBits, 176176620u * 8);
    EXPECT_DOUBLE_EQ(entry.lineRateMbps, 5 * 16324 * 8 / 1e6);
}

TEST(AutoGenerate, RefusedTablesAreLeftUnchanged) {
    const struct { const char* name; std::uint32_t speed; std::uint16_t count; } cases[] = {
        {"CountAboveCapacity", 1000, 513}, {"NoEntries", 1000, 0}, {"UnsupportedSpeed", 2500, 2}};
    for (const auto& c : cases) {
        auto table = MakeUniformTable(c.count, {100, 64, 0, 0, 0});
        EXPECT_TRUE(LeavesUnchanged(*table, [&](auto& t) { AutoGenerateTxRate(c.speed, t); })) << c.name;
        EXPECT_TRUE(LeavesUnchanged(*table, [&](auto& t) { AutoGenerateTxRateLoopTime(c.speed, t, 0.001); }))
            << c.name;
        EXPECT_TRUE(LeavesUnchanged(*table, [&](auto& t) { AutoGenerateTxRateSoomth(c.speed, t); })) << c.name;
    }
}

TEST(RoundHalfToEven, TiesGoToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {2.4, 2}, {2.6, 3}, {7, 7}};
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(RoundHalfToEven(value), rounded) << value;
    }
}

// 105-byte frames are 125 bytes on the wire, so n/1000 Mbps makes bursts of exactly n frames.
TEST(AutoGenerateSmooth, ReducesBurstsToRatiosOfTheSmallestWithTiesToEven) {
    const struct { double rates[3]; std::uint32_t bursts[3], ratios[3]; } cases[] = {
        {{0.1, 0.2, 0.36}, {100, 200, 360}, {1, 2, 4}}, {{0.1, 0.25, 0.35}, {100, 250, 350}, {1, 2, 4}}};
    for (const auto& c : cases) {
        auto generated = MakeTable({{c.rates[0], 105}, {c.rates[1], 105}, {c.rates[2], 105}});
        AutoGenerateTxRate(1000, *generated);
        auto smoothed = MakeTable({{c.rates[0], 105}, {c.rates[1], 105}, {c.rates[2], 105}});
        AutoGenerateTxRateSoomth(1000, *smoothed);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(generated->entries[i].burstFrames, c.bursts[i]);
            EXPECT_EQ(smoothed->entries[i].burstFrames, c.ratios[i]) << c.rates[i];
            EXPECT_EQ(smoothed->entries[i].tailGapBits, generated->entries[i].ifgBits);
        }
    }
}

TEST(AutoGenerateSmooth, WorksOnTheCallersBurstsWhenGenerationRefusesTheSpeed) {
    auto table = MakeTable({{0, 64, 200, 0, 3}, {0, 64, 300, 0, 9}});
    AutoGenerateTxRateSoomth(2500, *table);
    EXPECT_EQ(table->entries[0].burstFrames, 1u);
    EXPECT_EQ(table->entries[1].burstFrames, 3u);
    EXPECT_EQ(table->entries[1].tailGapBits, 300u);
    table->entries[0].burstFrames = 0;
    EXPECT_TRUE(LeavesUnchanged(*table, [](auto& t) { AutoGenerateTxRateSoomth(2500, t); }));
}

TEST(AutoGenerateLoopTime, SpreadsAHalfRateStreamOverOneLoop) {
    auto table = MakeTable({{500, 64}});
    AutoGenerateTxRateLoopTime(1000, *table, 0.001);
    const StreamRateEntry& entry = table->entries[0];
    EXPECT_EQ(entry.pps, 744u);
    EXPECT_EQ(entry.burstFrames, 744u);
    EXPECT_EQ(entry.ifgBits, 96u * 8);
    // 744 x 168 - 96 = 124896 of the loop's 125000 bytes used.
    EXPECT_EQ(entry.tailGapBits, 104u * 8);
    EXPECT_DOUBLE_EQ(entry.lineRateMbps, 499.968);
    EXPECT_DOUBLE_EQ(entry.utilization, 49.9968);
}

TEST(AutoGenerateLoopTime, FullRateStreamKeepsItsRateAndReportsFullUtilisation) {
    auto table = MakeTable({{1000, 64}});
    AutoGenerateTxRateLoopTime(1000, *table, 0.001);
    const StreamRateEntry& entry = table->entries[0];
    EXPECT_EQ(entry.burstFrames, 1488u);
    EXPECT_EQ(entry.ifgBits, 96u);
    EXPECT_EQ(entry.tailGapBits, 96u);
    EXPECT_EQ(entry.lineRateMbps, 1000);
    EXPECT_EQ(entry.utilization, 100);
}

TEST(AutoGenerateLoopTime, CappedTailGapReportsEachStreamsShareOfTheWholeCycle) {
    auto table = MakeTable({{0.30404, 16304}, {0.30404, 16304}});
    AutoGenerateTxRateLoopTime(10000, *table, 1);
    // Each stream: 2 frames 268435207 bytes apart, then the tail gap, capped from 356532169 bytes;
    // the cycle is 2 x (2 x 16312 + 268435207 + 0x0FFFFFFF) = 1073806572 bytes.
    for (const StreamRateEntry& entry : {table->entries[0], table->entries[1]}) {
        EXPECT_EQ(entry.burstFrames, 2u);
        EXPECT_EQ(entry.ifgBits, 268435207u * 8);
        EXPECT_EQ(entry.tailGapBits, kLongestGapBits);
        EXPECT_DOUBLE_EQ(entry.lineRateMbps, 10000.0 * (2 * 16324) / 1073806572);
        EXPECT_NEAR(entry.lineRateMbps, 0.30404, 1e-4);
        EXPECT_DOUBLE_EQ(entry.utilization, entry.lineRateMbps / 100);
    }
}

// A loop of about thirty years at 10G holds more frames than a burst records in 32 bits: the
// burst is cut to the most it records, and the rates are those of the cut burst.
TEST(AutoGenerateLoopTime, BurstBeyond32BitsIsCutToTheMostFramesItRecords) {
    const struct { const char* name; double rate; std::uint32_t length; std::uint64_t ifgBits; double cycleBytes; }
        cases[] = {
            // Capped in-burst gap: the loop's 1.25e18 bytes would hold 4.66e9 frames 0x0FFFFFFF apart.
            {"RefittedBurst", 0.01, 16304, kLongestGapBits, 4294967295.0 * (16312.0 + 0x0FFFFFFF)},
            // Full rate: 1.49e16 frames wanted a loop.
            {"WantedBurst", 10000, 64, 96, 4294967295.0 * 84 - 12 + 0x0FFFFFFF},
        };
    for (const auto& c : cases) {
        auto table = MakeTable({{c.rate, c.length}});
        AutoGenerateTxRateLoopTime(10000, *table, 1e9);
        const StreamRateEntry& entry = table->entries[0];
        EXPECT_EQ(entry.burstFrames, 4294967295u) << c.name;
        EXPECT_EQ(entry.pps, 4294967295u) << c.name;
        EXPECT_EQ(entry.ifgBits, c.ifgBits) << c.name;
        // The cut burst leaves most of the loop spare: the tail gap is capped and the cycle ends there.
        EXPECT_EQ(entry.tailGapBits, kLongestGapBits) << c.name;
        const double rate = 10000 * 4294967295.0 * (c.length + 20) / c.cycleBytes;
        EXPECT_NEAR(entry.lineRateMbps, rate, rate * 1e-12) << c.name;
        EXPECT_NEAR(entry.utilization, rate / 100, rate * 1e-14) << c.name;
    }
}

TEST(LoopTime, LoopTimesThatAreNotPositiveNumbersOrShorterThanABitAreRefused) {
    for (double loopTime : {0.0, -0.001, -kInfinity, kNaN, 1e-12, 5e-324}) {
        auto table = MakeTable({{500, 64, 96, 0, 744}});
        EXPECT_TRUE(LeavesUnchanged(*table, [&](auto& t) { AutoGenerateTxRateLoopTime(1000, t, loopTime); }))
            << loopTime;
        EXPECT_TRUE(LeavesUnchanged(*table, [&](auto& t) { AutoGenerateTxRateLoopTime_Correct(1000, t, loopTime); }))
            << loopTime;
    }
    auto table = MakeTable({{500, 64}});
    EXPECT_TRUE(LeavesUnchanged(*table, [](auto& t) { AutoGenerateTxRateLoopTime(1000, t, kInfinity); }));
}

TEST(LoopTimeCorrect, SetsOnlyTheTailGapsOfAGeneratedTable) {
    auto table = MakeTable({{500, 64}});
    AutoGenerateTxRateLoopTime(1000, *table, 0.001);
    table->entries[0].tailGapBits = 0;
    auto before = std::make_unique<StreamRateTable>(*table);
    AutoGenerateTxRateLoopTime_Correct(1000, *table, 0.001);
    EXPECT_EQ(table->entries[0].tailGapBits, 104u * 8);
    table->entries[0].tailGapBits = 0;
    EXPECT_EQ(std::memcmp(before.get(), table.get(), sizeof *table), 0);
}

TEST(LoopTimeCorrect, TailGapFollowsTheLoopsTheOneSecondCountsNeed) {
    const struct { const char* name; std::uint32_t speed; double loopTime; std::vector<test::EntrySpec> entries;
                   std::uint64_t tailGapBits; } cases[] = {
        // 800 frames a loop outrun the 744047 a second 500 Mbps needs: 931 loops of 134264 bytes.
        {"BurstsAboveTheSecondsCountsMeanFewerLoops", 1000, 0.001, {{500, 64, 96, 0, 800}}, 67076 * 8},
        // 124984 of 125000 bytes used: 8 spare bytes per entry are less than the standard gap.
        {"AtLeastTheStandardGap", 1000, 0.001, {{1000, 64, 96, 0, 1487}, {0.01, 80, 96, 0, 1}}, 96},
        {"CappedAtTheLongestGap", 10000, 2, {{0.01, 16304, 96, 0, 5}}, kLongestGapBits},
    };
    for (const auto& c : cases) {
        auto table = MakeTable(c.entries);
        AutoGenerateTxRateLoopTime_Correct(c.speed, *table, c.loopTime);
        for (std::uint16_t i = 0; i < table->count; ++i) {
            EXPECT_EQ(table->entries[i].tailGapBits, c.tailGapBits) << c.name;
        }
    }
}

TEST(LoopTimeCorrect, RefusedTablesAreLeftUnchanged) {
    const struct { const char* name; double loopTime; std::unique_ptr<StreamRateTable> table; } cases[] = {
        {"LoopTooShortForItsBursts", 0.001, MakeTable({{500, 64, 8000, 0, 744}})},
        {"NoFrames", 0.001, MakeTable({{500, 64, 96, 0, 0}, {100, 128, 96, 0, 0}})},
        {"CountAboveCapacity", 0.001, MakeUniformTable(513, {500, 64, 96, 0, 744})},
        // Half a loop a second, and the 744047 frames a second 500 Mbps needs make up no more: not
        // one whole loop a second, so there is no loop length to share out.
        {"LessThanOneLoopASecond", 2, MakeTable({{500, 64, 96, 0, 1000000}})},
        {"OneLoopInADay", 86400, MakeTable({{0.01, 64, 96, 0, 15}, {1, 1518, 96, 0, 9000}})},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(
            LeavesUnchanged(*c.table, [&](auto& t) { AutoGenerateTxRateLoopTime_Correct(1000, t, c.loopTime); }))
            << c.name;
    }
}

}  // namespace
}  // namespace sorvane
