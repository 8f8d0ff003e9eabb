#pragma once
// The discovery pair of the test namespace: bvuh0 (10.77.0.1/16, the namespace's only IPv4
// address) and bvud0, where the responder answers. Discovery broadcasts from every local address,
// so a test runs it only when it can see that it is inside that namespace.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sim/DiscoveryResponder.h"

namespace sorvane_test {

constexpr const char* kDiscoveryDeviceInterface = "bvud0";

// 10.77.0.1 with the first byte most significant.
constexpr std::uint32_t kHostAddress = 0x0A4D0001;

// True when the only IPv4 addresses this process can use, loopback aside, are the host side of
// the discovery pair: then every broadcast stays on that pair. Otherwise `why` says what was found.
bool InsideDiscoveryNamespace(std::string* why);

// A fixture whose tests discover: skipped outside the namespace, else with a responder on the
// discovery pair that starts every test with no peers and an empty log.
class DiscoveryPairTest : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static sim::DiscoveryResponder* responder_;

private:
    static bool inside_;
    static std::string why_;
};

}  // namespace sorvane_test
