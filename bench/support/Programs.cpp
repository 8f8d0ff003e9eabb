#include "bench/Programs.h"

#include "bench/Timing.h"

namespace bench {

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

bool StartBesideThisProgram(const wchar_t* name, PROCESS_INFORMATION* started, const wchar_t* arguments) {
    const std::wstring path = BesideThisProgram(name);
    std::wstring commandLine = L"\"" + path + L"\"";
    if (*arguments != L'\0') commandLine += std::wstring(L" ") + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return ::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            started) != FALSE;
}

HWND ShownWindow(DWORD process, const std::wstring& caption) {
    struct Search {
        DWORD process;
        const std::wstring& caption;
        HWND found;
    } search{process, caption, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM s) -> BOOL {
            auto* search = reinterpret_cast<Search*>(s);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t text[128] = {};
            ::GetWindowTextW(window, text, 128);
            if (owner != search->process || !::IsWindowVisible(window) || search->caption != text) return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForShown(DWORD process, const std::wstring& caption, std::chrono::milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    do {
        if (HWND shown = ShownWindow(process, caption)) return shown;
        ::Sleep(2);
    } while (Clock::now() < end);
    return nullptr;
}

}  // namespace bench
