#include "DiscoveryNetwork.h"

#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>

#include <vector>

namespace sorvane_test {

bool InsideDiscoveryNamespace(std::string* why) {
    ULONG size = 32768;
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    if (GetAdaptersAddresses(AF_INET, flags, nullptr, adapters, &size) != NO_ERROR) {
        *why = "the adapter list cannot be read";
        return false;
    }
    bool sawHost = false;
    for (auto* adapter = adapters; adapter; adapter = adapter->Next) {
        const std::wstring friendly = adapter->FriendlyName ? adapter->FriendlyName : L"";
        const std::wstring description = adapter->Description ? adapter->Description : L"";
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr);
            const std::uint32_t value = ntohl(address->sin_addr.s_addr);
            if ((value >> 24) == 127) continue;
            const bool host = value == kHostAddress && (friendly == L"bvuh0" || description == L"bvuh0");
            if (!host) {
                *why = "an IPv4 address outside the discovery pair: " + std::string(inet_ntoa(address->sin_addr));
                return false;
            }
            sawHost = true;
        }
    }
    if (!sawHost) *why = "no discovery pair (bvuh0 with 10.77.0.1): not inside the test namespace";
    return sawHost;
}

sim::DiscoveryResponder* DiscoveryPairTest::responder_ = nullptr;
bool DiscoveryPairTest::inside_ = false;
std::string DiscoveryPairTest::why_;

void DiscoveryPairTest::SetUpTestSuite() {
    inside_ = InsideDiscoveryNamespace(&why_);
    if (inside_) responder_ = sim::DiscoveryResponder::Open(kDiscoveryDeviceInterface, &why_).release();
}

void DiscoveryPairTest::TearDownTestSuite() {
    delete responder_;
    responder_ = nullptr;
}

void DiscoveryPairTest::SetUp() {
    if (!inside_) GTEST_SKIP() << "discovery broadcasts, and this is not the test namespace: " << why_;
    ASSERT_NE(responder_, nullptr) << why_;
    responder_->SetPeers({});
    responder_->Clear();
}

}  // namespace sorvane_test
