// What every export family shares: no exception crosses the library's boundary, and a null handle
// is refused rather than followed.
#pragma once

#include <utility>

namespace xychart::detail {

// Runs the body; a failure inside (out of memory) gives the fallback result.
template <typename Result, typename Body>
Result Guarded(Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

template <typename Body>
void Guarded(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

}  // namespace xychart::detail
