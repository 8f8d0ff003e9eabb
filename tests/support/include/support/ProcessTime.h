#pragma once
// The processor time another program has used, for benchmarks that measure a running program.

#include <windows.h>

namespace support {

// Seconds of processor time (user and kernel) of the process's threads still running. Wine's
// GetProcessTimes undercounts another process's time (it read a fifth of what Linux counted for the
// same program), while each thread's own times come from the system, so the threads are summed.
double ProcessCpuSeconds(HANDLE process);

}  // namespace support
