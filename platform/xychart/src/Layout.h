// Plain layout arithmetic of the charts: round axis scales and label stacks that do not overlap.
#pragma once

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
