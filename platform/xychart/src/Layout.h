// Plain layout arithmetic of the charts: round axis scales and label stacks that do not overlap.
#pragma once

#include <string>
#include <vector>

namespace xychart::detail {

// A scale from `low` to `high` in steps of `step`, all round values (1, 2 or 5 times a power of
// ten), covering the data with at most maxTicks + 1 ticks.
struct Scale {
    double low = 0;
    double high = 1;
    double step = 1;
    int ticks() const;  // how many tick values from low to high inclusive
};
Scale RoundScale(double dataMin, double dataMax, int maxTicks);

// A time axis from `low` to `high` (chart times: seconds since 0001-01-01 00:00) with ticks at
// every multiple of `step` in between; steps are round spans of a clock (1, 2, 5, 10, 15, 30
// seconds, the same in minutes, 1, 2, 3, 6, 12 hours, days), the smallest that keeps the ticks at most
// maxTicks. A span of no length becomes the minute around `low`.
struct TimeScale {
    double low = -30;
    double high = 30;
    double step = 1;
    double firstTick() const;  // the first multiple of step at or after low
};
TimeScale RoundTimeScale(double low, double high, int maxTicks);
// The time of day of a chart time: "hh:mm:ss", or "hh:mm" when withSeconds is false.
std::string FormatTimeOfDay(double chartTime, bool withSeconds);

// Labels in one column: each wants its top at `wanted` and is `height` tall. Stack moves them as
// little as it can so that no two overlap (gap pixels at least between them) and all lie within
// [minTop, maxBottom] when they fit there; their order stays the order of `wanted`.
struct Span {
    double wanted;
    double height;
    double top;  // the result
};
void Stack(std::vector<Span>& spans, double minTop, double maxBottom, double gap);

}  // namespace xychart::detail
