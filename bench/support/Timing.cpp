#include "bench/Timing.h"

#include <windows.h>

#include <algorithm>

namespace bench {

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

double SecondsSince(Clock::time_point start) { return Seconds(Clock::now() - start); }

double MillisecondsSince(Clock::time_point start) { return SecondsSince(start) * 1000.0; }

double NowSeconds() { return Seconds(Clock::now().time_since_epoch()); }

double Milliseconds(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    return MillisecondsSince(start);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) { return (t.dwHighDateTime * 4294967296.0 + t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

}  // namespace bench
