#include "support/Environment.h"

#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace support {
namespace {

// CTest's resource allocation: CTEST_RESOURCE_GROUP_0_VETH = "id:<n>,slots:1".
bool PairFromResource(int* index) {
    const std::string value = GetEnv("CTEST_RESOURCE_GROUP_0_VETH");
    const auto at = value.find("id:");
    if (at == std::string::npos) return false;
    *index = std::atoi(value.c_str() + at + 3);
    return true;
}

bool ParseMac(const std::string& text, unsigned char mac[6]) {
    unsigned values[6];
    if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x", &values[0], &values[1], &values[2], &values[3],
                    &values[4], &values[5]) != 6) {
        return false;
    }
    for (int i = 0; i < 6; ++i) mac[i] = static_cast<unsigned char>(values[i]);
    return true;
}

}  // namespace

std::string GetEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

VethPair TestNetwork() {
    VethPair pair;
    int index = 0;
    if (PairFromResource(&index)) {
        pair.hostInterface = "bvh" + std::to_string(index);
        pair.deviceInterface = "bvd" + std::to_string(index);
        // The script gives host side n the address 02:5E:C1:FF:00:n.
        const unsigned char mac[6] = {0x02, 0x5E, 0xC1, 0xFF, 0x00, static_cast<unsigned char>(index)};
        std::copy(mac, mac + 6, pair.hostMac);
        return pair;
    }
    pair.hostInterface = GetEnv("BREVIX_HOST_IF");
    pair.deviceInterface = GetEnv("BREVIX_DEVICE_IF");
    ParseMac(GetEnv("BREVIX_HOST_MAC"), pair.hostMac);
    if (pair.hostInterface.empty() || pair.deviceInterface.empty()) {
        ADD_FAILURE() << "no test network: run the tests through scripts/test, which sets "
                         "BREVIX_HOST_IF and BREVIX_DEVICE_IF inside a private network namespace";
    }
    return pair;
}

bool RunUnixCommand(const std::string& commandLine) {
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
    const bool ended = Eventually([&] {
        std::ifstream file(windowsPath);
        return bool(std::getline(file, code));
    });
    DeleteFileA(windowsPath.c_str());
    return ended && code == "0";
}

}  // namespace support
