#pragma once
// Where a port's registers lie: Port B's are Port A's + 0x02000000. Machine ids 3 and 4 keep their
// counters, stream counters, Tx table extensions and some PHY control bits at a second register
// map.

#include "connection/DeviceState.h"

#include <cstdint>

namespace capi {

constexpr uint32_t kPortStride = 0x02000000;

inline uint32_t PortOffset(uint8_t port) { return port * kPortStride; }

// The connected tester keeps its registers at the second map.
inline bool UsesSecondMap() { return IsBrevixHFamily(MachineId()); }

// Ports that a call taking 0, 1 or 255 (both) acts on, in order; empty for any other value.
struct PortList {
    uint8_t first = 0;
    uint8_t count = 0;
    const uint8_t* begin() const { return kPorts + first; }
    const uint8_t* end() const { return kPorts + first + count; }
    bool empty() const { return count == 0; }

private:
    static constexpr uint8_t kPorts[2] = {0, 1};
};

inline PortList PortsOf(uint32_t port) {
    if (port == 255) return {0, 2};
    if (port <= 1) return {uint8_t(port), 1};
    return {};
}

// The ports a record's 32-bit port word names: only the whole word 255 means both ports; otherwise
// byte 0 is the port, and the upper bytes are not looked at. A byte 0 of 255 with other bits set
// names no port.
inline PortList PortsOfWord(uint32_t word) {
    if (word == 255) return PortsOf(255);
    return (word & 0xFF) == 255 ? PortList{} : PortsOf(word & 0xFF);
}

}  // namespace capi
