#include "support/TesterLink.h"

#include <windows.h>

namespace support {

std::unique_ptr<sim::PcapLink> OpenTesterLink(const VethPair& pair, std::string* error) {
    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", pair.hostInterface.c_str());
    return sim::PcapLink::Open(pair.deviceInterface, error);
}

}  // namespace support
