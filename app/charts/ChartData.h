// The shared chart data: what the chart window draws and what the counter window feeds and resets.
// Program-wide, touched on the GUI thread only (the counter refresh feeds it, the counter window's
// Clear All resets it, the chart window reads it and writes the comparison values).
//
// The counter refresh calls AddChartSample once a second with both ports' display records; each call
// is one sample of the histories, with its time, and the chart window hears of it through the sample
// listener to add the time to its two pickers.
#pragma once

#include <array>
#include <cstdint>

namespace charts {

constexpr int kPorts = 2;
constexpr int kHistorySamples = 1800;  // half an hour at one sample a second
constexpr int kSizeClasses = 8;
constexpr int kFrameTypes = 8;
constexpr int kLineSeries = 14;
// A history slot that holds no sample yet; the chart library leaves such values out.
constexpr double kNoValue = 1.7e308;
// Values of one port's display record: slot r holds the value of counter row r.
constexpr int kCounterRows = 35;

// Sector labels of the pies, in the order of the size-class series.
extern const char* const kSizeClassNames[kSizeClasses];
// Bar labels, in the order of the type-counter series, and their fills (0xRRGGBB).
extern const char* const kFrameTypeNames[kFrameTypes];
extern const int kFrameTypeColors[kFrameTypes];
// The line charts' series, rows 0-13 of both series grids, and their swatch colours (COLORREF).
extern const char* const kLineSeriesNames[kLineSeries];
extern const unsigned kLineSeriesColors[kLineSeries];

struct ChartData {
    // Chart time (seconds, see ChartTimeNow) of each history sample; picker entry i is sample i.
    double sampleTimes[kHistorySamples];
    // Counter totals a sample: series p * 8 + c is class or type c of port p.
    double sizeClassHistory[kPorts * kSizeClasses][kHistorySamples];
    double typeCounterHistory[kPorts * kFrameTypes][kHistorySamples];
    // Per-second increases of the line series: series p * 14 + s is series s of port p. An
    // increase that took several seconds to arrive (a pause of the refresh, a late poll) is spread
    // over them.
    double lineHistory[kPorts * kLineSeries][kHistorySamples];
    int samples;  // how many history slots hold a sample

    // Live mode: the pies show the size-class totals; a bar floats from the type's total one
    // sample earlier to its total now.
    double currentSizeClasses[kPorts][kSizeClasses];
    double barTops[kPorts][kFrameTypes];
    double barBottoms[kPorts][kFrameTypes];

    // Comparison mode: what happened between the two chosen samples.
    double sizeClassDifferences[kPorts][kSizeClasses];
    double comparisonBarTops[kPorts][kFrameTypes];
    double comparisonBarBottoms[kPorts][kFrameTypes];
    double chosenSampleTimes[2];

    // The three update values: 1 = comparison mode.
    int32_t pieComparison;
    int32_t barComparison;
    int32_t distinctSamples;

    // The sample times count from here: the chart window's start.
    double timeOrigin;
};

extern ChartData chartData;

// Clear All: every history slot empty, the totals and bar bottoms 0, no sample kept; the sample
// listener hears of it (as sample -1) and empties the pickers.
void ResetChartData();
// The Update toggle's clearing of the three update values: back to live mode.
void ClearComparisonFlags();

// One second's sample of both ports from their display records (kCounterRows values each, indexed
// by counter row), taken at chart time `time`, after the counter poll round `pollRound` (the
// library's count of its finished rounds; a round that did not change since the last sample says no
// new poll came). When the histories are full the oldest sample goes first. Returns the new
// sample's index.
int AddChartSample(const uint64_t* portA, const uint64_t* portB, double time, uint32_t pollRound);
// The same with the round each port's record belongs to (a port's copy may still be of the round
// before).
int AddChartSample(const uint64_t* portA, const uint64_t* portB, double time, const std::array<uint32_t, 2>& pollRounds);

// The counters no longer follow the tester (it is lost, or was connected again, which may clear
// the library's copy before its next poll), `pollRound` being the library's round count now: the
// line series take a gap from the next sample on, and count again from the first sample of a round
// that began after this call (two rounds on: the one under way may have begun before).
void BreakLineReferences(uint32_t pollRound);

// The comparison between history samples `from` and `to` (either order): the differences, the
// comparison bars, the chosen times and the three flags. False, and nothing changed, when either
// index holds no sample.
bool CompareChartSamples(int from, int to);

// Chart time: seconds since 0001-01-01 00:00 of the local clock, milliseconds included.
double ChartTimeNow();

// Who hears of each new sample (the chart window, to add its time to the pickers). `dropped` says
// the oldest sample went first, so picker entry 0 goes too; sample -1 says every sample went.
using ChartSampleListener = void (*)(void* context, int sample, bool dropped);
void SetChartSampleListener(ChartSampleListener listener, void* context);

}  // namespace charts
