#pragma once
// Where a running program's processor time goes, thread by thread: each thread's time with what it
// is (its name, the main thread, or the module and offset it started at).

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

struct ThreadTime {
    DWORD id = 0;
    std::wstring what;
    double seconds = 0;  // user and kernel
};

// The process's threads now; `mainThread` is the id its start gave (the GUI thread of a program).
std::vector<ThreadTime> ThreadTimes(HANDLE process, DWORD mainThread);
// The time each thread of `after` used since `before` (a thread started since counts from 0),
// the busiest first.
std::vector<ThreadTime> ThreadTimesSince(const std::vector<ThreadTime>& before, const std::vector<ThreadTime>& after);
// The split printed as shares of one core over `seconds`, one thread a line; threads whose share
// rounds to nothing are summed on one line.
void PrintThreadShares(const std::vector<ThreadTime>& split, double seconds, const char* indent);

}  // namespace bench
