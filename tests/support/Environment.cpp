#include "support/Environment.h"

#include "support/Waiting.h"
#include "sim/UnixCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

bool RunUnixCommand(const std::string& commandLine) { return sim::RunUnixCommand(commandLine, kPatience); }

}  // namespace support
