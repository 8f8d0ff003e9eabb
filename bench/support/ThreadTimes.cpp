#include "bench/ThreadTimes.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace bench {
namespace {

double Seconds(const FILETIME& t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; }

// SetThreadDescription's counterpart, looked up at run time as the library names its threads.
std::wstring ThreadName(HANDLE thread) {
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    PWSTR text = nullptr;
    if (get == nullptr || FAILED(get(thread, &text)) || text == nullptr) return {};
    std::wstring name(text);
    ::LocalFree(text);
    return name;
}

// The address a thread was started at (the system's thread information class 9).
ULONG_PTR StartAddress(HANDLE thread) {
    using QueryThread = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryThread>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    ULONG_PTR address = 0;
    if (query == nullptr || query(thread, 9, &address, sizeof address, nullptr) != 0) return 0;
    return address;
}

// "module+offset" of an address in the process, or the bare address.
std::wstring Placed(HANDLE process, ULONG_PTR address) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (::EnumProcessModulesEx(process, modules, sizeof modules, &bytes, LIST_MODULES_ALL)) {
        for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
            MODULEINFO info{};
            if (!::GetModuleInformation(process, modules[i], &info, sizeof info)) continue;
            const auto base = reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll);
            if (address < base || address >= base + info.SizeOfImage) continue;
            wchar_t name[MAX_PATH] = {};
            ::GetModuleBaseNameW(process, modules[i], name, MAX_PATH);
            wchar_t offset[24];
            std::swprintf(offset, 24, L"+0x%llx", static_cast<unsigned long long>(address - base));
            return std::wstring(name) + offset;
        }
    }
    wchar_t bare[24];
    std::swprintf(bare, 24, L"0x%llx", static_cast<unsigned long long>(address));
    return bare;
}

}  // namespace

std::vector<ThreadTime> ThreadTimes(HANDLE process, DWORD mainThread) {
    std::vector<ThreadTime> threads;
    const DWORD id = ::GetProcessId(process);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != id) continue;
        HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        FILETIME created, exited, kernel, user;
        if (::GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
            std::wstring what = ThreadName(thread);
            if (entry.th32ThreadID == mainThread) what = what.empty() ? L"main (GUI) thread" : what + L" (main)";
            if (what.empty()) what = L"started at " + Placed(process, StartAddress(thread));
            threads.push_back({entry.th32ThreadID, what, Seconds(kernel) + Seconds(user)});
        }
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
    return threads;
}

std::vector<ThreadTime> ThreadTimesSince(const std::vector<ThreadTime>& before, const std::vector<ThreadTime>& after) {
    std::map<DWORD, double> was;
    for (const ThreadTime& t : before) was[t.id] = t.seconds;
    std::vector<ThreadTime> used;
    for (ThreadTime t : after) {
        const auto found = was.find(t.id);
        if (found != was.end()) t.seconds -= found->second;
        used.push_back(std::move(t));
    }
    std::stable_sort(used.begin(), used.end(), [](const ThreadTime& a, const ThreadTime& b) { return a.seconds > b.seconds; });
    return used;
}

double ProgramTime::Share() const {
    double used = 0;
    for (const ThreadTime& thread : threads) used += thread.seconds;
    return seconds > 0 ? used / seconds * 100.0 : -1;
}

ProgramTime MeasureProgram(HANDLE process, DWORD mainThread, std::chrono::milliseconds span) {
    ProgramTime time;
    const std::vector<ThreadTime> before = ThreadTimes(process, mainThread);
    const auto from = std::chrono::steady_clock::now();
    ::Sleep(static_cast<DWORD>(span.count()));
    time.threads = ThreadTimesSince(before, ThreadTimes(process, mainThread));
    time.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    return time;
}

void PrintThreadShares(const ProgramTime& time, const char* indent) {
    if (time.seconds <= 0) return;
    double rest = 0;
    int restThreads = 0;
    for (const ThreadTime& t : time.threads) {
        const double share = t.seconds / time.seconds * 100.0;
        if (share < 0.005) {
            rest += share;
            ++restThreads;
            continue;
        }
        std::printf("%s%-52ls %5.2f %%\n", indent, t.what.c_str(), share);
    }
    if (restThreads > 0) std::printf("%s%d other threads%*s %5.2f %%\n", indent, restThreads, 38, "", rest);
}

}  // namespace bench
