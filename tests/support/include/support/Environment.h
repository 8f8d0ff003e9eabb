#pragma once
// What the test script tells the test executables about their surroundings.

#include <string>

namespace support {

// One veth pair of the test namespace: the host side (where the library under test opens its
// adapter) and the device side (where the simulator plays the tester).
struct VethPair {
    std::string hostInterface;
    std::string deviceInterface;
    unsigned char hostMac[6] = {};
};

// The pair CTest gave this test executable (resource "veth"), else the one in BREVIX_HOST_IF and
// BREVIX_DEVICE_IF. Fails the calling test when neither is set: network tests run only inside the
// namespace that scripts/test creates.
VethPair TestNetwork();

// The value of an environment variable, empty when unset.
std::string GetEnv(const char* name);

// Runs a Linux command from inside Wine (for example `/usr/sbin/ip link set bvd0 down`) and waits
// for it to end: sim::RunUnixCommand with the shared patience.
bool RunUnixCommand(const std::string& commandLine);

}  // namespace support
