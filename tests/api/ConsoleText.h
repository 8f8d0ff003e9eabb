#pragma once
// What the process's console shows: the library's debug log is read back from the console screen
// buffer.

#include "BrevixCAPI.h"
#include "support/Waiting.h"

#include <windows.h>

#include <string>
#include <vector>

inline bool HasConsole() {
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return false;
    CloseHandle(console);
    return true;
}

// The lines of the console screen buffer up to the cursor, without trailing blanks.
inline std::vector<std::wstring> ConsoleLines() {
    std::vector<std::wstring> lines;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return lines;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(console, &info)) {
        std::wstring row(info.dwSize.X, L' ');
        for (SHORT y = 0; y < info.dwCursorPosition.Y; ++y) {
            DWORD read = 0;
            ReadConsoleOutputCharacterW(console, row.data(), info.dwSize.X, COORD{0, y}, &read);
            lines.push_back(row.substr(0, row.find_last_not_of(L' ') + 1));
        }
    }
    CloseHandle(console);
    return lines;
}

// Whether the console shows the line, looking again until the time-out: the console host draws
// what the library wrote a moment later.
inline bool ConsoleShows(const std::wstring& line, DWORD timeoutMs = DWORD(support::kPatience.count())) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (const std::wstring& shown : ConsoleLines()) {
            if (shown == line) return true;
        }
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
}

// The library's debug log, open for a scope: a test that stops at a failed assertion still closes
// it, so the next test starts without a console.
class OpenDebugLog {
public:
    OpenDebugLog() { BrevixC_SYS_OpenDebugLog(); }
    ~OpenDebugLog() { BrevixC_SYS_CloseDebugLog(); }
    OpenDebugLog(const OpenDebugLog&) = delete;
    OpenDebugLog& operator=(const OpenDebugLog&) = delete;
};
