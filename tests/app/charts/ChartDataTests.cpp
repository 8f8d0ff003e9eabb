// The shared chart data as the counter refresh feeds it and the pickers compare it.
#include "charts/ChartData.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace charts;

// A display record whose counter rows all hold `base` plus the row number.
std::vector<uint64_t> Record(uint64_t base) {
    std::vector<uint64_t> record(kCounterRows);
    for (int row = 0; row < kCounterRows; ++row) record[row] = base + static_cast<uint64_t>(row);
    return record;
}

struct Heard {
    int sample = -1;
    bool dropped = false;
    int calls = 0;
};

void Listen(void* context, int sample, bool dropped) {
    Heard& heard = *static_cast<Heard*>(context);
    heard.sample = sample;
    heard.dropped = dropped;
    ++heard.calls;
}

class ChartDataTest : public testing::Test {
protected:
    void SetUp() override {
        ResetChartData();
        ClearComparisonFlags();
        SetChartSampleListener(Listen, &heard_);
    }
    void TearDown() override { SetChartSampleListener(nullptr, nullptr); }

    // A sample after a new poll round, or after the round given.
    void Add(uint64_t baseA, uint64_t baseB, double time, int round = -1) {
        const std::vector<uint64_t> a = Record(baseA), b = Record(baseB);
        lastRound_ = round < 0 ? lastRound_ + 1 : static_cast<uint32_t>(round);
        AddChartSample(a.data(), b.data(), time, lastRound_);
    }
    uint32_t lastRound_ = 0;

    Heard heard_;
};

TEST_F(ChartDataTest, ASampleTakesTheCounterRowsOfBothPorts) {
    Add(1000, 5000, 42.5);
    EXPECT_EQ(1, chartData.samples);
    EXPECT_EQ(42.5, chartData.sampleTimes[0]);
    EXPECT_EQ(0, heard_.sample);
    // Size classes: rows 16-23 ("Under Size" first, "Over Size" last).
    EXPECT_EQ(1016, chartData.currentSizeClasses[0][0]);
    EXPECT_EQ(5023, chartData.currentSizeClasses[1][7]);
    EXPECT_EQ(5017, chartData.sizeClassHistory[kSizeClasses + 1][0]);
    // Types: BC row 25, IPv4 row 31, Pause row 29; ICMP and ARP are counted by no row.
    EXPECT_EQ(1025, chartData.barTops[0][0]);
    EXPECT_EQ(1031, chartData.barTops[0][4]);
    EXPECT_EQ(0, chartData.barTops[0][5]);
    EXPECT_EQ(0, chartData.barTops[0][6]);
    EXPECT_EQ(5029, chartData.barTops[1][7]);
    EXPECT_EQ(0, chartData.barBottoms[1][7]);
}

TEST_F(ChartDataTest, LiveBarsFloatFromTheLastSampleToThisOne) {
    Add(1000, 5000, 1);
    Add(1300, 5100, 2);
    EXPECT_EQ(1025, chartData.barBottoms[0][0]);
    EXPECT_EQ(1325, chartData.barTops[0][0]);
    EXPECT_EQ(5127, chartData.barTops[1][2]);
    EXPECT_EQ(5027, chartData.barBottoms[1][2]);
}

TEST_F(ChartDataTest, LineSeriesHoldEachSecondsIncrease) {
    Add(1000, 5000, 1);
    Add(1300, 5100, 2);
    Add(200, 5100, 3);  // port A's counters started again in between, at a moment nobody knows
    const double* rxPacketsA = chartData.lineHistory[0];
    EXPECT_GE(rxPacketsA[0], 1e300);  // nothing to compare the first sample with
    EXPECT_EQ(300, rxPacketsA[1]);
    EXPECT_GE(rxPacketsA[2], 1e300);
    EXPECT_EQ(0, chartData.lineHistory[kLineSeries + 3][2]);  // Tx Byte of port B
    EXPECT_GE(chartData.lineHistory[7][1], 1e300);           // no SDFR is counted
    Add(500, 5200, 4);
    EXPECT_EQ(300, rxPacketsA[3]);
}

TEST_F(ChartDataTest, ASampleAfterAPauseSpreadsTheIncreaseOverTheSecondsItCovers) {
    Add(1000, 5000, 100.0);
    Add(1300, 5100, 101.02);
    // Five minutes without a sample (Update off, a download), the counters counting on.
    Add(91300, 35100, 401.01);
    Add(91600, 35200, 401.98);
    const double* rxPacketsA = chartData.lineHistory[0];
    EXPECT_EQ(300, rxPacketsA[1]);
    EXPECT_EQ(300, rxPacketsA[2]);
    EXPECT_EQ(300, rxPacketsA[3]);
    EXPECT_EQ(100, chartData.lineHistory[kLineSeries][2]);  // Rx Packet of port B
}

TEST_F(ChartDataTest, SamplesThatSawNoNewPollShareTheIncreaseTheNextOneBrings) {
    Add(1000, 5000, 1);
    Add(1300, 5000, 2);
    Add(1300, 5000, 3, 2);  // no poll round since: the tester's counters read as a second before
    Add(1300, 5000, 4, 2);
    const double* rxPacketsA = chartData.lineHistory[0];
    EXPECT_EQ(0, rxPacketsA[2]);
    Add(2200, 5000, 5);
    for (int sample = 1; sample <= 4; ++sample) EXPECT_EQ(300, rxPacketsA[sample]) << sample;
    // A port without traffic stays at 0.
    EXPECT_EQ(0, chartData.lineHistory[kLineSeries][4]);
}

TEST_F(ChartDataTest, IdleSecondsStayZeroAndTheFirstBusySecondKeepsItsOwnCount) {
    Add(1000, 5000, 1);
    // Ten idle minutes: a poll round every second, nothing moves.
    for (int second = 2; second <= 601; ++second) Add(1000, 5000, second);
    Add(151000, 5000, 602);  // then 150,000 frames in one second
    const double* rxPacketsA = chartData.lineHistory[0];
    for (int sample = 1; sample <= 600; ++sample) ASSERT_EQ(0, rxPacketsA[sample]) << sample;
    EXPECT_EQ(150000, rxPacketsA[601]);
}

TEST_F(ChartDataTest, ABreakLeavesAGapAndTheCountingStartsAgainAfterANewRound) {
    uint64_t total = 1000;
    int second = 1;
    for (; second <= 5; ++second, total += 150000) Add(total, 5000, second);
    const uint64_t lastPolled = total - 150000;
    // The tester is lost for ten seconds (it counts on; the rounds go unanswered), then connected
    // again: the library's copy reads 0 until a round that began after the connect brings the
    // tester's totals.
    for (; second <= 15; ++second, total += 150000) {
        BreakLineReferences(40);
        Add(lastPolled, 5000, second, 40);
    }
    BreakLineReferences(40);
    Add(0, 0, second++, 40);
    Add(0, 0, second++, 41);
    for (int round = 42; round <= 44; ++round, total += 150000) Add(total, 5000, second++, round);
    const double* rxPacketsA = chartData.lineHistory[0];
    for (int sample = 0; sample < chartData.samples; ++sample) {
        if (rxPacketsA[sample] < 1e300) {
            EXPECT_EQ(150000, rxPacketsA[sample]) << sample;
        }
    }
    for (int sample = 5; sample <= 17; ++sample) EXPECT_GE(rxPacketsA[sample], 1e300) << sample;
    EXPECT_EQ(150000, rxPacketsA[18]);
    EXPECT_EQ(150000, rxPacketsA[19]);
}

TEST_F(ChartDataTest, ComparisonShowsWhatHappenedBetweenTheSamplesInEitherOrder) {
    Add(1000, 5000, 10);
    Add(1100, 5500, 11);
    Add(1700, 6000, 12);
    ASSERT_TRUE(CompareChartSamples(2, 0));
    EXPECT_EQ(1, chartData.pieComparison);
    EXPECT_EQ(1, chartData.barComparison);
    EXPECT_EQ(1, chartData.distinctSamples);
    EXPECT_EQ(10, chartData.chosenSampleTimes[0]);
    EXPECT_EQ(12, chartData.chosenSampleTimes[1]);
    EXPECT_EQ(700, chartData.sizeClassDifferences[0][3]);
    EXPECT_EQ(1000, chartData.sizeClassDifferences[1][3]);
    EXPECT_EQ(1025, chartData.comparisonBarTops[0][0]);
    EXPECT_EQ(1725, chartData.comparisonBarBottoms[0][0]);
    const ChartData reversed = chartData;
    ASSERT_TRUE(CompareChartSamples(0, 2));
    EXPECT_EQ(0, std::memcmp(&reversed, &chartData, sizeof chartData));
}

TEST_F(ChartDataTest, TheSameSampleTwiceComparesToNothingAndKeepsTheChosenTimes) {
    Add(1000, 5000, 10);
    Add(1100, 5500, 11);
    ASSERT_TRUE(CompareChartSamples(0, 1));
    ASSERT_TRUE(CompareChartSamples(1, 1));
    EXPECT_EQ(0, chartData.distinctSamples);
    EXPECT_EQ(10, chartData.chosenSampleTimes[0]);
    for (double difference : chartData.sizeClassDifferences[0]) EXPECT_EQ(0, difference);
    EXPECT_EQ(chartData.comparisonBarTops[1][2], chartData.comparisonBarBottoms[1][2]);
}

TEST_F(ChartDataTest, ASampleNotKeptCannotBeCompared) {
    Add(1000, 5000, 10);
    EXPECT_FALSE(CompareChartSamples(0, 1));
    EXPECT_FALSE(CompareChartSamples(-1, 0));
    EXPECT_EQ(0, chartData.pieComparison);
}

TEST_F(ChartDataTest, AFullHistoryLetsItsOldestSampleGo) {
    for (int s = 0; s < kHistorySamples; ++s) Add(s, s, s);
    EXPECT_FALSE(heard_.dropped);
    Add(9000, 9000, 9000);
    EXPECT_TRUE(heard_.dropped);
    EXPECT_EQ(kHistorySamples - 1, heard_.sample);
    EXPECT_EQ(kHistorySamples, chartData.samples);
    EXPECT_EQ(1, chartData.sampleTimes[0]);
    EXPECT_EQ(9000, chartData.sampleTimes[kHistorySamples - 1]);
    EXPECT_EQ(1 + 16, chartData.sizeClassHistory[0][0]);
}

TEST_F(ChartDataTest, ResetEmptiesTheHistoriesAndTotals) {
    Add(1000, 5000, 10);
    Add(1100, 5500, 11);
    ResetChartData();
    EXPECT_EQ(0, chartData.samples);
    EXPECT_EQ(1.7e308, chartData.sizeClassHistory[3][0]);
    EXPECT_EQ(1.7e308, chartData.typeCounterHistory[12][1]);
    EXPECT_EQ(0, chartData.currentSizeClasses[1][2]);
    EXPECT_EQ(0, chartData.barBottoms[0][0]);
    Add(1200, 5600, 12);
    EXPECT_GE(chartData.lineHistory[0][0], 1e300);  // the increase starts afresh
}

TEST(ChartTimeTest, CountsSecondsFromYearOneOnTheLocalClock) {
    // The file time counts 100 ns steps from 1601-01-01, which lies 584,388 days after 0001-01-01.
    SYSTEMTIME local;
    GetLocalTime(&local);
    const double chartTime = ChartTimeNow();
    FILETIME file;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &file));
    const double fileSeconds = ((static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime) / 1e7;
    EXPECT_NEAR(584388.0 * 86400.0 + fileSeconds, chartTime, 2.0);
}

}  // namespace
