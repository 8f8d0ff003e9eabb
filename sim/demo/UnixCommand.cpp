#include "sim/UnixCommand.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>

namespace sim {

bool RunUnixCommand(const std::string& commandLine, std::chrono::milliseconds patience) {
    static std::atomic<unsigned> serial{0};
    const std::string status =
        "/tmp/brevix-command-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++) + ".status";
    // Wine shows the Unix root as drive Z:.
    std::string windowsPath = "Z:" + status;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    DeleteFileA(windowsPath.c_str());
    // Written to a temporary name and renamed, so the file appears complete.
    const std::string script = commandLine + "; echo $? > " + status + ".part; mv " + status + ".part " + status;
    const std::string line = "/bin/sh -c \"" + script + "\"";
    std::wstring wideLine(line.begin(), line.end());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Wine starts a Linux executable named by its Unix path like any other program; the handles it
    // returns (if any) cannot be waited for.
    if (CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::string code;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        std::ifstream file(windowsPath);
        ended = bool(std::getline(file, code));
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    DeleteFileA(windowsPath.c_str());
    return ended && code == "0";
}

}  // namespace sim
