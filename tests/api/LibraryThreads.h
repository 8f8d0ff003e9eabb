#pragma once
// The threads of this process whose name begins with a prefix: the library names its threads
// ("BrevixCAPI receive", "BrevixCAPI counter poller" ...).

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

inline std::vector<DWORD> LibraryThreadIds(const std::wstring& prefix) {
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (!get || snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        PWSTR name = nullptr;
        if (SUCCEEDED(get(thread, &name)) && name) {
            if (std::wstring(name).rfind(prefix, 0) == 0) ids.push_back(entry.th32ThreadID);
            LocalFree(name);
        }
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return ids;
}

inline int CountLibraryThreads(const std::wstring& prefix) { return static_cast<int>(LibraryThreadIds(prefix).size()); }
