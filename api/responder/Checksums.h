#pragma once
// The Internet checksum (IPv4 headers, UDP and ICMP) and the ICMPv6 checksum over its pseudo
// header.

#include <cstddef>
#include <cstdint>

namespace capi {

// The one's complement sum of the data as big-endian 16-bit words (an odd last byte as the high
// half of a word), folded to 16 bits, added to `sum`.
uint32_t OnesSum(const uint8_t* data, size_t length, uint32_t sum = 0);
uint16_t FoldComplement(uint32_t sum);
uint16_t InternetChecksum(const uint8_t* data, size_t length);
// UDP over IPv4: pseudo header (addresses at frame bytes 26-33, protocol 17, UDP length) and the
// UDP header and data from frame byte 34. 0 comes out as 0xFFFF, since 0 means "no checksum".
uint16_t UdpChecksum(const uint8_t* frame, uint16_t udpLength);
// ICMPv6 in an untagged frame: addresses at 22-53, the message from byte 54.
uint16_t Icmpv6Checksum(const uint8_t* frame, uint16_t payloadLength);

}  // namespace capi
