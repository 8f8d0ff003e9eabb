#include "Layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace xychart::detail {

int Scale::ticks() const { return static_cast<int>(std::lround((high - low) / step)) + 1; }

Scale RoundScale(double dataMin, double dataMax, int maxTicks) {
    maxTicks = std::max(maxTicks, 1);
    if (!(dataMax > dataMin)) {
        // One value (or none): a scale around it that still starts at a round value.
        double magnitude = dataMax == 0 ? 10 : std::fabs(dataMax);
        dataMin = std::min(dataMin, 0.0);
        dataMax = dataMax <= 0 ? dataMin + magnitude : dataMax * 1.1;
    }
    const double span = dataMax - dataMin;
    double power = std::pow(10.0, std::floor(std::log10(span / maxTicks)));
    Scale scale;
    for (double factor : {1.0, 2.0, 5.0, 10.0, 20.0}) {
        scale.step = factor * power;
        scale.low = std::floor(dataMin / scale.step + 1e-9) * scale.step;
        scale.high = std::ceil(dataMax / scale.step - 1e-9) * scale.step;
        if (scale.ticks() <= maxTicks + 1) break;
    }
    return scale;
}

double TimeScale::firstTick() const { return std::ceil(low / step - 1e-9) * step; }

TimeScale RoundTimeScale(double low, double high, int maxTicks) {
    static const double kSteps[] = {1,    2,    5,    10,    15,    30,    60,    120,   300,    600,
                                    900,  1800, 3600, 7200,  10800, 21600, 43200, 86400, 172800, 604800};
    maxTicks = std::max(maxTicks, 1);
    TimeScale scale;
    // A lone time stands in the middle of a minute.
    scale.low = high > low ? low : low - 30;
    scale.high = high > low ? high : low + 30;
    for (double step : kSteps) {
        scale.step = step;
        if ((scale.high - scale.low) / step < maxTicks) break;
    }
    return scale;
}

std::string FormatTimeOfDay(double chartTime, bool withSeconds) {
    // Chart times count from a midnight, so the time of day is what is left of the last whole day.
    const long long seconds = std::llround(std::floor(std::fmod(chartTime, 86400.0) + 1e-6)) % 86400;
    char text[16];
    if (withSeconds) {
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%02lld:%02lld", seconds / 3600, seconds / 60 % 60);
    }
    return text;
}

void Stack(std::vector<Span>& spans, double minTop, double maxBottom, double gap) {
    std::vector<size_t> order(spans.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return spans[a].wanted < spans[b].wanted; });
    // Down from the top: each label at its wish or just below the one above it.
    double floor = minTop;
    for (size_t i : order) {
        spans[i].top = std::max(spans[i].wanted, floor);
        floor = spans[i].top + spans[i].height + gap;
    }
    // Up from the bottom: pull back whatever ran past the lower edge.
    double ceiling = maxBottom;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Span& span = spans[*it];
        if (span.top + span.height > ceiling) span.top = ceiling - span.height;
        ceiling = span.top - gap;
    }
    // A column taller than the room starts at the top and runs past the bottom.
    if (!order.empty() && spans[order.front()].top < minTop) {
        floor = minTop;
        for (size_t i : order) {
            spans[i].top = std::max(spans[i].top, floor);
            floor = spans[i].top + spans[i].height + gap;
        }
    }
}

}  // namespace xychart::detail
