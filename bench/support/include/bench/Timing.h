#pragma once
// The benchmarks' timing: one steady clock, its durations in seconds and milliseconds, the time a
// piece of work takes, the median of several runs and the calling thread's processor time.

#include <chrono>
#include <functional>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration);
double SecondsSince(Clock::time_point start);
double MillisecondsSince(Clock::time_point start);
// Seconds on the steady clock from a start of its own: for differences only.
double NowSeconds();
// How long the work takes, in milliseconds.
double Milliseconds(const std::function<void()>& work);
double Median(std::vector<double> values);
// Processor time of the calling thread, user and kernel, in seconds.
double ThreadSeconds();

}  // namespace bench
