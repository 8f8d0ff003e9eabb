// The frames of the demonstration's mix, from the wire formats of Ethernet II, 802.1Q, MAC
// control, ARP, IPv4 and UDP.

#include "sim/DemoTraffic.h"
#include "sim/PortPeers.h"

#include <algorithm>

namespace sim {
namespace {

constexpr size_t kCrcBytes = 4;
constexpr size_t kTagBytes = 4;
constexpr size_t kUdpHeaders = 42;  // Ethernet, IPv4 and UDP headers
constexpr uint16_t kVlanId = 100;

const Mac kBroadcastMac = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const Mac kPauseGroup = {0x01, 0x80, 0xC2, 0x00, 0x00, 0x01};
const Ipv4 kGroup = {239, 77, 0, 1};
// The multicast MAC address of kGroup: 01:00:5E and the group's low 23 bits.
const Mac kGroupMac = {0x01, 0x00, 0x5E, 0x4D, 0x00, 0x01};

// The partner behind each port, and the station it talks to on the tester's side.
Mac PartnerMac(int port) { return {0x00, 0x1C, 0x7E, 0x5D, 0x00, uint8_t(0xA0 + port)}; }
Mac StationMac(int port) { return {0x00, 0x1C, 0x7E, 0x5D, 0x01, uint8_t(0xA0 + port)}; }
Ipv4 PartnerIp(int port) { return {10, 77, uint8_t(80 + port), 2}; }
Ipv4 StationIp(int port) { return {10, 77, uint8_t(80 + port), 3}; }

Bytes PauseFrame(int port) {
    Bytes frame(60, 0);
    std::copy(kPauseGroup.begin(), kPauseGroup.end(), frame.begin());
    const Mac source = PartnerMac(port);
    std::copy(source.begin(), source.end(), frame.begin() + 6);
    wire::Put16(frame, 12, 0x8808);
    wire::Put16(frame, 14, 0x0001);  // PAUSE
    wire::Put16(frame, 16, 0x00FF);  // quanta to wait
    return frame;
}

Bytes UdpFrame(int port, const FrameKind& kind, uint32_t sequence) {
    const size_t captured = std::max<size_t>(kind.bytes - kCrcBytes, 60);
    const size_t overhead = kUdpHeaders + (kind.vlan ? kTagBytes : 0);
    Bytes data(captured > overhead + 4 ? captured - overhead : 4);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i < 4 ? sequence >> (24 - 8 * i) : i);
    const bool multicast = kind.destination == Destination::Multicast;
    Bytes frame = wire::Udp(multicast ? kGroupMac : StationMac(port), PartnerMac(port), PartnerIp(port),
                            multicast ? kGroup : StationIp(port), uint16_t(49152 + sequence % 1000),
                            multicast ? 5004 : 9, data);
    if (kind.vlan) {
        const uint8_t tag[kTagBytes] = {0x81, 0x00, uint8_t(kVlanId >> 8), uint8_t(kVlanId)};
        frame.insert(frame.begin() + 12, tag, tag + kTagBytes);
    }
    return frame;
}

}  // namespace

Bytes DemoFrame(int port, const FrameKind& kind, uint32_t sequence) {
    if (kind.pause) return PauseFrame(port);
    if (kind.destination == Destination::Broadcast) {
        // Who has the next address of the partner's network?
        const Ipv4 target = {10, 77, uint8_t(80 + port), uint8_t(4 + sequence % 200)};
        return wire::Arp(1, kBroadcastMac, PartnerMac(port), PartnerIp(port), Mac{}, target);
    }
    return UdpFrame(port, kind, sequence);
}

}  // namespace sim
