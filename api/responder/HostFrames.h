#pragma once
// The frames the host identities send: ARP requests, DHCP client and server messages, and the
// router test's UDP probe. Untagged Ethernet II with a 20-byte IPv4 header throughout.

#include "protocol/Wire.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capi {

using FrameBytes = std::vector<uint8_t>;

// Offsets in an untagged IPv4 frame: UDP at 34, BOOTP at 42, its options after the magic cookie.
constexpr size_t kIpStart = 14;
constexpr size_t kUdpStart = 34;
constexpr size_t kBootpStart = 42;
constexpr size_t kDhcpMagic = 278;
constexpr size_t kDhcpOptions = 282;
// A BOOTP message of the classic minimum size (300 bytes), in UDP, IPv4 and Ethernet.
constexpr size_t kDhcpFrameLength = kBootpStart + 300;

constexpr uint8_t kDhcpDiscover = 1, kDhcpOffer = 2, kDhcpRequest = 3, kDhcpAck = 5, kDhcpNak = 6;

// a.b.c.d, for the log.
inline std::string DottedAddress(const uint8_t* a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
}

// An ARP request of `length` bytes (60 or 64): bytes 42 to 59 hold `fill`, the rest are zero.
FrameBytes BuildArpRequest(const uint8_t* ethernetDestination, const uint8_t* mac, const uint8_t* senderIp,
                           const uint8_t* targetIp, size_t length, uint8_t fill);

// A client's DHCP discover (no addresses) or request (the offered address and the offer's server).
FrameBytes BuildDhcpDiscover(const uint8_t* mac, const uint8_t* transaction);
FrameBytes BuildDhcpRequest(const uint8_t* mac, const uint8_t* transaction, const uint8_t* offered,
                            const uint8_t* server);
// The router test's DHCP server answering a client message: an offer, acknowledge or refusal of
// `address`, from `serverAddress`, which is also the router and name server it gives out.
FrameBytes BuildDhcpServerReply(const uint8_t* clientMessage, uint8_t type, const uint8_t* address,
                                const uint8_t* serverAddress);

// The source address of the router test's DHCP server.
constexpr uint8_t kDhcpServerMac[6] = {0xD8, 0xFE, 0xE3, 0xC8, 0xC2, 0x7A};

// A 64-byte UDP datagram of 18 zero bytes from one host to another.
FrameBytes BuildUdpProbe(const uint8_t* destinationMac, const uint8_t* sourceMac, const uint8_t* sourceIp,
                         const uint8_t* destinationIp, uint16_t sourcePort, uint16_t destinationPort);

// The value of DHCP option `code` in a message of `length` bytes, bounded by the frame: null when
// the option is absent or runs past the end; `size` receives its length.
const uint8_t* FindDhcpOption(const uint8_t* frame, size_t length, uint8_t code, uint8_t* size);

}  // namespace capi
