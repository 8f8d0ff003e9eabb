#pragma once
// Where a running program's processor time goes, thread by thread: each thread's time with what it
// is (its name, the main thread, or the module and offset it started at).

#include <windows.h>

#include <chrono>
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
// What a program's threads took over a measured stretch.
struct ProgramTime {
    double seconds = 0;  // the stretch; none when nothing was measured
    std::vector<ThreadTime> threads;
    // Of one core, in percent; negative when nothing was measured.
    double Share() const;
};

// The program's threads' time over the next `span`, the calling thread sleeping meanwhile.
ProgramTime MeasureProgram(HANDLE process, DWORD mainThread, std::chrono::milliseconds span);
// The split printed as shares of one core, one thread a line; threads whose share rounds to
// nothing are summed on one line.
void PrintThreadShares(const ProgramTime& time, const char* indent);

}  // namespace bench
