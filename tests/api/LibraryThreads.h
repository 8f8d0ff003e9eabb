#pragma once
// The threads of this process whose name begins with a prefix: the library names its threads
// ("BrevixCAPI receive", "BrevixCAPI counter poller" ...).

#include <windows.h>
#include <tlhelp32.h>

#include <string>

inline int CountLibraryThreads(const std::wstring& prefix) {
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    if (!get) return -1;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        PWSTR name = nullptr;
        if (SUCCEEDED(get(thread, &name)) && name) {
            if (std::wstring(name).rfind(prefix, 0) == 0) ++count;
            LocalFree(name);
        }
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return count;
}
