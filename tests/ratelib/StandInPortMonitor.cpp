// Plays the outside port monitor for the launcher's tests: a hidden window "Port Status List" that
// appends its command line and every WM_COPYDATA it receives to monitor.log beside itself, and ends
// on WM_CLOSE (or after a minute, so that a failed test leaves nothing behind).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring LogPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1) + L"monitor.log";
}

void Log(const std::string& line) {
    if (FILE* file = _wfopen(LogPath().c_str(), L"ab")) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
    }
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        char head[64];
        std::snprintf(head, sizeof head, "copydata %llu %lu", static_cast<unsigned long long>(data->dwData),
                      static_cast<unsigned long>(data->cbData));
        std::string line = head;
        for (DWORD i = 0; i < data->cbData; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", static_cast<const unsigned char*>(data->lpData)[i]);
            line += hex;
        }
        Log(line);
        return TRUE;
    }
    if (message == WM_DESTROY || (message == WM_TIMER && wParam == 1)) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR arguments, int) {
    const std::wstring wide(arguments);
    Log("start " + std::string(wide.begin(), wide.end()));
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"StandInPortMonitor";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"StandInPortMonitor", L"Port Status List", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, instance, nullptr);
    SetTimer(window, 1, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
