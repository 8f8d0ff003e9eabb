#pragma once
// The host responder's reading of a received frame against the host identities: ARP requests and
// replies, ICMP echo requests, IPv6 neighbour solicitations, DHCP messages to the identities' clients
// and to the router test's server, and the router test's probe. It changes the tables (a DHCP
// state, a learned MAC) and says what to answer and log; it neither sends nor logs itself, so it
// runs under the tables' lock and needs nothing of the platform.

#include "responder/HostFrames.h"
#include "responder/HostTables.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capi {

struct HostAnswer {
    uint8_t port = 0;
    FrameBytes frame;
};

struct HostFrameOutcome {
    bool handled = false;  // the frame was the responder's: the reply matcher does not see it
    std::vector<HostAnswer> answers;
    std::vector<std::string> log;
};

HostFrameOutcome ReadHostFrame(HostTableSet& tables, const uint8_t* frame, size_t length);

}  // namespace capi
