#include "support/TesterLink.h"

#include <windows.h>

#include <cstdio>

namespace support {

std::unique_ptr<sim::PcapLink> OpenTesterLink(const VethPair& pair, std::string* error) {
    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", pair.hostInterface.c_str());
    return sim::PcapLink::Open(pair.deviceInterface, error);
}

std::unique_ptr<sim::PcapLink> OpenOwnTesterLink() {
    const VethPair pair = TestNetwork();
    if (pair.hostInterface.empty()) {
        std::fprintf(stderr, "no veth pair: run inside the test namespace\n");
        return nullptr;
    }
    std::string error;
    auto link = OpenTesterLink(pair, &error);
    if (!link) std::fprintf(stderr, "cannot open %s: %s\n", pair.deviceInterface.c_str(), error.c_str());
    return link;
}

}  // namespace support
