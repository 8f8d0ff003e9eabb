// The bytes of discovery: the probes the library broadcasts, the checks a reply must pass, and the
// 254-byte result record. Plain functions over bytes, so they are tested without a network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace sorvane {

// The kinds of peer, as bits of a kind mask and as the kind byte of a result entry.
enum DiscoveryKind : std::uint8_t { kServerKind = 1, kDeviceKind = 2, kDevice9000Kind = 4 };
constexpr std::uint8_t kAllKinds = kServerKind | kDeviceKind | kDevice9000Kind;
constexpr std::uint8_t kKindsInOrder[] = {kServerKind, kDeviceKind, kDevice9000Kind};

constexpr std::size_t kDiscoveryResultSize = 254;
constexpr std::size_t kMaxDiscoveryEntries = 50;  // 4 + 50 x 5 = 254
constexpr std::size_t kMaxProbeAddresses = 10;

constexpr std::size_t kServerProbeSize = 22;
constexpr std::size_t kDeviceProbeSize = 192;

// Only bits 1, 2 and 4 count; none of them means every kind.
std::uint8_t EffectiveKinds(std::int32_t kindMask);

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no reflection, no final XOR.
std::uint16_t Crc16Xmodem(const std::uint8_t* bytes, std::size_t length);

// The probe a kind sends (kinds 2 and 4 send the same bytes), and the UDP ports it goes to.
std::vector<std::uint8_t> ProbeFor(std::uint8_t kind);
std::vector<std::uint16_t> ProbePortsFor(std::uint8_t kind);

// The first kind of the mask, in the order 1, 2, 4, that a datagram from sourcePort answers; 0 when
// none does.
std::uint8_t MatchReply(std::uint8_t kinds, const std::uint8_t* bytes, std::size_t length, std::uint16_t sourcePort);

// IPv4 addresses as numbers with the first byte of the dotted form most significant.
using Ipv4 = std::uint32_t;

// The local addresses that probe: ascending, at most ten.
std::vector<Ipv4> ProbeAddresses(const std::vector<Ipv4>& local);

// Writes the record: kinds ascending, addresses ascending within a kind, the host's own addresses
// left out, at most 50 entries. The record is cleared first.
bool WriteDiscoveryResult(const std::map<std::uint8_t, std::set<Ipv4>>& found, const std::set<Ipv4>& local,
                          std::uint8_t* result);

// Appends one entry to a record whose count is below 50; false when it is full.
bool AppendDiscoveryEntry(std::uint8_t* result, Ipv4 address, std::uint8_t kind);

}  // namespace sorvane
