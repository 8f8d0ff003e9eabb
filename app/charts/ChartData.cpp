#include "charts/ChartData.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace charts {

const char* const kSizeClassNames[kSizeClasses] = {"Under Size",   "64Byte",        "65~127 Byte",    "128~255 Byte",
                                                   "256~511 Byte", "512~1023 Byte", "1024~1522 Byte", "Over Size"};
const char* const kFrameTypeNames[kFrameTypes] = {"BC", "MC", "UC", "VLAN", "IPv4", "ICMP", "ARP", "Pause"};
const int kFrameTypeColors[kFrameTypes] = {0xB8BC9C, 0xA0BDC4, 0x999966, 0x333366,
                                           0xC3C3E6, 0xA044C4, 0xA0B564, 0xA0F5F4};
const char* const kLineSeriesNames[kLineSeries] = {
    "Rx Packet", "Tx Packet", "Rx Byte",  "Tx Byte",  "CRC Error", "Alignment Error", "Dribble Error",
    "SDFR-DA",   "SDFR-SA",   "SDFR-VID", "SDFR-DIP", "SDFR-SIP",  "SDFR-DPort",      "SDFR-SPort"};
const unsigned kLineSeriesColors[kLineSeries] = {0xFF,     0xFF3300, 0xCC00,   0x77EE,   0x6005FF,
                                                 0xFFFF0C, 0x1C35,   0xE001791, 0xD0FE,   0x4F2301,
                                                 0x43CC00, 0x37E6,   0xFF3700, 0x9C04};

ChartData chartData = {};

namespace {

// Where each series finds its value in a display record; -1: no counter row shows it (the tester's
// counter block counts neither ICMP nor ARP frames, and no SDFR matches).
constexpr int kSizeClassRows[kSizeClasses] = {16, 17, 18, 19, 20, 21, 22, 23};
constexpr int kFrameTypeRows[kFrameTypes] = {25, 26, 27, 28, 31, -1, -1, 29};
constexpr int kLineSeriesRows[kLineSeries] = {8, 4, 9, 5, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1};

// Where a port's per-second values count from: the line series' totals of the last sample that
// brought a new poll of the tester's counters, its time and its history slot. No time before the
// first sample after a reset.
struct LineReference {
    double totals[kLineSeries];
    double time;
    int sample;
    uint32_t pollRound;
    // After a break: the reference is taken again at each sample until the round `resumeRound`
    // comes, so it never rests on a copy the library cleared and has not polled since.
    bool awaitingRound;
    uint32_t resumeRound;
};
LineReference lineReferences[kPorts];

ChartSampleListener sampleListener = nullptr;
void* sampleListenerContext = nullptr;

double RowValue(const uint64_t* record, int row) { return row < 0 ? 0.0 : static_cast<double>(record[row]); }

void FillHistory(double* series) { std::fill(series, series + kHistorySamples, kNoValue); }

// Makes room for one more sample by moving every history back one slot.
void DropOldestSample(ChartData& data) {
    auto shift = [](double* series) {
        std::memmove(series, series + 1, sizeof(double) * (kHistorySamples - 1));
        series[kHistorySamples - 1] = kNoValue;
    };
    shift(data.sampleTimes);
    for (auto& series : data.sizeClassHistory) shift(series);
    for (auto& series : data.typeCounterHistory) shift(series);
    for (auto& series : data.lineHistory) shift(series);
    for (LineReference& reference : lineReferences) --reference.sample;
    --data.samples;
}

// Days from 0001-01-01 to the date, in the Gregorian calendar carried back.
long long DaysFromYearOne(int year, int month, int day) {
    const int y = year - (month <= 2);
    const long long era = y / 400, yearOfEra = y - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    // 306 days separate 0000-03-01, where the eras start, from 0001-01-01.
    return era * 146097 + dayOfEra - 306;
}

// The line series of one port at a new sample. The tester's counters reach the records once a
// poll round, about once a second, but a round may come late (the library busy at start-up) and
// nothing is sampled while the refresh pauses (Update off, a download, a connect): so a sample that
// brings a new round holds the increase since the last one spread over the seconds between them,
// and so do the samples in between, which saw no round. Until then they read 0. A new round that
// moved nothing is an idle second: 0, and the counting goes on from it.
void AddLineValues(ChartData& data, int port, const uint64_t* record, int sample, double time, uint32_t pollRound) {
    LineReference& reference = lineReferences[port];
    double totals[kLineSeries];
    bool restarted = false;
    for (int s = 0; s < kLineSeries; ++s) {
        totals[s] = RowValue(record, kLineSeriesRows[s]);
        if (reference.time == kNoValue) continue;
        restarted = restarted || totals[s] < reference.totals[s];
    }
    auto put = [&](int s, int slot, double value) {
        if (kLineSeriesRows[s] >= 0) data.lineHistory[port * kLineSeries + s][slot] = value;
    };
    auto startFromHere = [&] {
        reference.time = time;
        reference.sample = sample;
        reference.pollRound = pollRound;
        std::copy(std::begin(totals), std::end(totals), reference.totals);
    };
    // The first sample, counters that started again (a connect clears them) at a moment nobody
    // knows, or a reference still waiting for a round after a break: nothing to compare with, so a
    // gap, and the counting goes on from here.
    const bool newRound = reference.time != kNoValue && pollRound != reference.pollRound;
    if (reference.time == kNoValue || restarted || reference.awaitingRound) {
        if (reference.awaitingRound && static_cast<int32_t>(pollRound - reference.resumeRound) >= 0) {
            reference.awaitingRound = false;
        }
        for (int s = 0; s < kLineSeries; ++s) put(s, sample, kNoValue);
        startFromHere();
        return;
    }
    if (!newRound) {
        for (int s = 0; s < kLineSeries; ++s) put(s, sample, 0.0);
        return;
    }
    const double seconds = std::max(1.0, std::round(time - reference.time));
    for (int s = 0; s < kLineSeries; ++s) {
        const double perSecond = (totals[s] - reference.totals[s]) / seconds;
        for (int slot = std::max(reference.sample + 1, 0); slot <= sample; ++slot) put(s, slot, perSecond);
    }
    startFromHere();
}

}  // namespace

// The data starts as Clear All leaves it.
const bool chartDataReady = (ResetChartData(), true);

void ResetChartData() {
    ChartData& data = chartData;
    FillHistory(data.sampleTimes);
    for (auto& series : data.sizeClassHistory) FillHistory(series);
    for (auto& series : data.typeCounterHistory) FillHistory(series);
    for (auto& series : data.lineHistory) FillHistory(series);
    data.samples = 0;
    for (int port = 0; port < kPorts; ++port) {
        std::fill(std::begin(data.currentSizeClasses[port]), std::end(data.currentSizeClasses[port]), 0.0);
        std::fill(std::begin(data.barTops[port]), std::end(data.barTops[port]), 0.0);
        std::fill(std::begin(data.barBottoms[port]), std::end(data.barBottoms[port]), 0.0);
        lineReferences[port].time = kNoValue;
        lineReferences[port].awaitingRound = false;
    }
    if (sampleListener != nullptr) sampleListener(sampleListenerContext, -1, false);
}

void ClearComparisonFlags() {
    chartData.pieComparison = 0;
    chartData.barComparison = 0;
    chartData.distinctSamples = 0;
}

void BreakLineReferences(uint32_t pollRound) {
    for (LineReference& reference : lineReferences) {
        reference.time = kNoValue;
        reference.awaitingRound = true;
        reference.resumeRound = pollRound + 2;
    }
}

int AddChartSample(const uint64_t* portA, const uint64_t* portB, double time, uint32_t pollRound) {
    return AddChartSample(portA, portB, time, {pollRound, pollRound});
}

int AddChartSample(const uint64_t* portA, const uint64_t* portB, double time, const std::array<uint32_t, 2>& pollRounds) {
    ChartData& data = chartData;
    const bool dropped = data.samples >= kHistorySamples;
    if (dropped) DropOldestSample(data);
    const int sample = data.samples++;
    data.sampleTimes[sample] = time;
    const uint64_t* records[kPorts] = {portA, portB};
    for (int port = 0; port < kPorts; ++port) {
        const uint64_t* record = records[port];
        for (int c = 0; c < kSizeClasses; ++c) {
            const double value = RowValue(record, kSizeClassRows[c]);
            data.currentSizeClasses[port][c] = value;
            data.sizeClassHistory[port * kSizeClasses + c][sample] = value;
        }
        for (int t = 0; t < kFrameTypes; ++t) {
            const double value = RowValue(record, kFrameTypeRows[t]);
            // The first bar after a reset floats up from zero.
            data.barBottoms[port][t] = sample > 0 ? data.typeCounterHistory[port * kFrameTypes + t][sample - 1] : 0.0;
            data.barTops[port][t] = value;
            data.typeCounterHistory[port * kFrameTypes + t][sample] = value;
        }
        AddLineValues(data, port, record, sample, time, pollRounds[port]);
    }
    if (sampleListener != nullptr) sampleListener(sampleListenerContext, sample, dropped);
    return sample;
}

bool CompareChartSamples(int from, int to) {
    ChartData& data = chartData;
    if (from < 0 || to < 0 || from >= data.samples || to >= data.samples) return false;
    const int earlier = std::min(from, to), later = std::max(from, to);
    data.pieComparison = data.barComparison = data.distinctSamples = 1;
    if (earlier < later) {
        data.chosenSampleTimes[0] = data.sampleTimes[earlier];
        data.chosenSampleTimes[1] = data.sampleTimes[later];
    } else {
        data.distinctSamples = 0;
    }
    for (int port = 0; port < kPorts; ++port) {
        for (int c = 0; c < kSizeClasses; ++c) {
            const double* series = data.sizeClassHistory[port * kSizeClasses + c];
            data.sizeClassDifferences[port][c] = series[later] - series[earlier];
        }
        for (int t = 0; t < kFrameTypes; ++t) {
            const double* series = data.typeCounterHistory[port * kFrameTypes + t];
            data.comparisonBarTops[port][t] = series[earlier];
            data.comparisonBarBottoms[port][t] = series[later];
        }
    }
    return true;
}

double ChartTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const long long days = DaysFromYearOne(now.wYear, now.wMonth, now.wDay);
    return static_cast<double>(days) * 86400.0 + now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond +
           now.wMilliseconds / 1000.0;
}

void SetChartSampleListener(ChartSampleListener listener, void* context) {
    sampleListener = listener;
    sampleListenerContext = context;
}

}  // namespace charts
