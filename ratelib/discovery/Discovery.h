// UDP discovery of servers and devices on the host's local IPv4 networks.
#pragma once

#include <cstdint>

namespace sorvane {

// Broadcasts the probes of the kinds in kindMask from every local address (at most ten), listens
// for 600 ms and writes the peers that answered into the 254-byte record. True when at least one
// was found. Calls from several threads run one after another: each discovery owns its sockets,
// its workers and its collector.
bool Discover(std::uint8_t* result, std::int32_t kindMask);

}  // namespace sorvane
