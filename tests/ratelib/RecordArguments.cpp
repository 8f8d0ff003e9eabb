// Stands in for the program registered for ".htm" documents: writes the arguments it was started
// with, as the C runtime splits them, one a line (UTF-8) to arguments.log beside itself, and the
// show command it was given to show.log, and ends.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int show) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring log(path);
    const std::wstring folder = log.substr(0, log.rfind(L'\\') + 1);
    if (FILE* shown = _wfopen((folder + L"show.log").c_str(), L"wb")) {
        std::fprintf(shown, "%d\n", show);
        std::fclose(shown);
    }
    log = folder + L"arguments.log";
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    FILE* file = _wfopen(log.c_str(), L"wb");
    if (!file) return 1;
    for (int i = 1; i < count; ++i) {
        char utf8[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
        std::fprintf(file, "%s\n", utf8);
    }
    std::fclose(file);
    LocalFree(arguments);
    return 0;
}
