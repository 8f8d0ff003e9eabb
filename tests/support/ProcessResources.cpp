#include "support/ProcessResources.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace support {
namespace {

// One row of the system's handle list (information class 16), as 64-bit Windows lays it out.
struct SystemHandleRow {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleRow rows[1];
};
constexpr ULONG kSystemHandleInformation = 16;

// One entry of the GDI handle table that the process environment block points at (its field at
// 0xF8 on 64-bit Windows); a free entry has type 0.
struct GdiHandleEntry {
    uint64_t object;
    USHORT ownerProcess;
    USHORT lock;
    BYTE count;
    BYTE typeUpper;
    BYTE type;
    BYTE flags;
    uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's 64-bit entry");
constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;

using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
using QuerySystem = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

template <typename F>
F NtFunction(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

int CountThreads(DWORD id) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int threads = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        threads += entry.th32OwnerProcessID == id;
    ::CloseHandle(snapshot);
    return threads;
}

// GetProcessHandleCount answers 0 for another process under Wine; the system's handle list does not.
int CountHandles(DWORD id) {
    const auto query = NtFunction<QuerySystem>("NtQuerySystemInformation");
    if (query == nullptr) return -1;
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
            int handles = 0;
            for (ULONG i = 0; i < list->count; ++i) handles += list->rows[i].processId == id;
            return handles;
        }
        buffer.resize(buffer.size() * 2);
    }
    return -1;
}

int CountGdiObjects(HANDLE process) {
    const auto query = NtFunction<QueryProcess>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    ULONG got = 0;
    if (query == nullptr || query(process, ProcessBasicInformation, &basic, sizeof basic, &got) != 0) return -1;
    uint64_t table = 0;
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                             sizeof table, &read) ||
        table == 0) {
        return -1;
    }
    std::vector<GdiHandleEntry> entries(kGdiTableEntries);
    if (!::ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                             entries.size() * sizeof(GdiHandleEntry), &read)) {
        return -1;
    }
    int objects = 0;
    for (const GdiHandleEntry& entry : entries) objects += entry.type != 0;
    return objects;
}

struct WindowCount {
    DWORD process;
    int windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++reinterpret_cast<WindowCount*>(count)->windows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM c) {
    auto* count = reinterpret_cast<WindowCount*>(c);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != count->process) return TRUE;
    ++count->windows;
    ::EnumChildWindows(window, &CountChild, c);
    return TRUE;
}

}  // namespace

ProcessResources MeasureProcess(HANDLE process) {
    ProcessResources resources;
    PROCESS_MEMORY_COUNTERS memory{};
    if (::GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        resources.workingSetMiB = memory.WorkingSetSize / 1048576.0;
        resources.privateMiB = memory.PagefileUsage / 1048576.0;
    } else {
        resources.workingSetMiB = resources.privateMiB = -1;
    }
    const DWORD id = ::GetProcessId(process);
    resources.threads = CountThreads(id);
    resources.handles = CountHandles(id);
    resources.gdiObjects = CountGdiObjects(process);
    WindowCount windows{id, 0};
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    resources.windows = windows.windows;
    return resources;
}

}  // namespace support
