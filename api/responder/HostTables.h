#pragma once
// The responder's tables: 64 host identities a port, the ping entries, the automatic-reply flag and
// the router test's context. One lock guards them all; the receive thread (the responder) and the
// callers' threads (the network-test exports) take it only to copy or change, never while sending
// or waiting.

#include "BrevixCNetwork.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

namespace capi {

constexpr uint8_t kHostEntries = 64;

#pragma pack(push, 1)
// One host identity. Its first 22 bytes are laid out as the host receive configuration record,
// so the entry configures the port's host receive as it stands.
struct HostEntry {
    uint32_t port = 0;
    uint8_t index = 0;
    uint32_t flags = 0;  // host receive flags: 50 while automatic reply is on
    uint8_t mac[6] = {};
    uint8_t secondMac[6] = {};
    uint8_t option = 1;
    uint8_t ipv4[4] = {192, 168, 0, 2};
    uint8_t mask[4] = {255, 255, 255, 0};
    uint8_t gateway[4] = {192, 168, 0, 1};
    uint8_t ipv6[16] = {};
    uint8_t ipv6Mask[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint8_t ipv6Gateway[16] = {};
    uint8_t reserved[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint8_t enabled = 0;
    uint8_t dhcpServer[4] = {};
    uint8_t dhcpTransaction[4] = {};  // as on the wire
    uint8_t dhcpOfferSeen = 0;
    uint8_t dhcpAckSeen = 0;
    uint8_t dhcpClientActive = 0;
    uint8_t dhcpState = 0;  // 1 discover sent, 2 request sent, 4 address obtained
};
#pragma pack(pop)
static_assert(sizeof(HostEntry) == 103, "host entry");

struct PingEntry {
    uint8_t targetIPv4[4] = {};
    uint8_t targetIPv6[16] = {};
    uint8_t count = 4;
    uint32_t timeout = 4000;
    uint32_t interval = 1000;
};

// The router test in progress or last run: the library's own copy of the caller's record, and
// whether the WAN side's DHCP server has acknowledged an address.
struct RouterContext {
    BrevixC_RouterTest_T record;
    bool wanAcknowledged = false;
};

struct HostTableSet {
    HostEntry entries[2][kHostEntries];
    PingEntry pings[2][kHostEntries];
    bool autoReply = false;
    std::optional<RouterContext> router;
};

class HostTables {
public:
    static HostTables& Instance();
    // Runs `change` on the tables under the lock and returns what it returns.
    template <typename Change>
    auto Update(Change&& change) {
        std::lock_guard<std::mutex> guard(lock_);
        return change(tables_);
    }

private:
    std::mutex lock_;  // the receive thread and the callers of the network-test exports
    HostTableSet tables_;
};

}  // namespace capi
