#pragma once
// The programs a benchmark starts beside itself, and the windows it waits for them to show.

#include <windows.h>

#include <chrono>
#include <string>

namespace bench {

// The path of a file in the benchmark's own folder.
std::wstring BesideThisProgram(const wchar_t* name);
// Starts a program of the benchmark's own folder, with the arguments given; false when it could
// not be started.
bool StartBesideThisProgram(const wchar_t* name, PROCESS_INFORMATION* started, const wchar_t* arguments = L"");
// A shown top-level window of the process with exactly that caption, or null.
HWND ShownWindow(DWORD process, const std::wstring& caption);
// The same, looked for every 2 ms until it shows or the time is up.
HWND WaitForShown(DWORD process, const std::wstring& caption, std::chrono::milliseconds limit);

}  // namespace bench
