#include "support/ProcessTime.h"

#include <tlhelp32.h>

namespace support {

double ProcessCpuSeconds(HANDLE process) {
    const DWORD id = ::GetProcessId(process);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    const auto seconds = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    double total = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != id) continue;
        HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        FILETIME created, exited, kernel, user;
        if (::GetThreadTimes(thread, &created, &exited, &kernel, &user)) total += seconds(kernel) + seconds(user);
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
    return total;
}

}  // namespace support
