#include "core/DiscoveryWire.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace sorvane {
namespace {

constexpr char kServerMagic[] = "Kestrova";  // 8 letters, sent and matched without a terminator
constexpr char kDeviceMagic[] = "quendal";   // 7 letters
constexpr std::size_t kDeviceCrcOffset = 28;

std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::uint16_t crc = static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        table[byte] = crc;
    }
    return table;
}

bool IsServerReply(const std::uint8_t* bytes, std::size_t length) {
    return length == kServerProbeSize && std::memcmp(bytes, kServerMagic, 8) == 0;
}

bool IsDeviceReply(const std::uint8_t* bytes, std::size_t length) {
    if (length != kDeviceProbeSize || std::memcmp(bytes, kDeviceMagic, 7) != 0) return false;
    const std::uint16_t stated =
        static_cast<std::uint16_t>(bytes[kDeviceCrcOffset] << 8 | bytes[kDeviceCrcOffset + 1]);
    return stated == Crc16Xmodem(bytes, kDeviceCrcOffset);
}

std::uint16_t ReplySourcePort(std::uint8_t kind) {
    switch (kind) {
        case kServerKind: return 8787;
        case kDeviceKind: return 8000;
        default: return 9000;
    }
}

}  // namespace

std::uint8_t EffectiveKinds(std::int32_t kindMask) {
    const std::uint8_t kinds = static_cast<std::uint8_t>(kindMask & kAllKinds);
    return kinds ? kinds : kAllKinds;
}

std::uint16_t Crc16Xmodem(const std::uint8_t* bytes, std::size_t length) {
    static const std::array<std::uint16_t, 256> table = MakeCrcTable();
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ table[((crc >> 8) ^ bytes[i]) & 0xFF]);
    }
    return crc;
}

std::vector<std::uint8_t> ProbeFor(std::uint8_t kind) {
    if (kind == kServerKind) {
        std::vector<std::uint8_t> probe(kServerProbeSize, 0);
        std::memcpy(probe.data(), kServerMagic, 8);
        probe[8] = 1;
        probe[16] = 4;
        return probe;
    }
    std::vector<std::uint8_t> probe(kDeviceProbeSize, 0);
    std::memcpy(probe.data(), kDeviceMagic, 7);
    probe[7] = 32;
    probe[9] = 250;
    probe[14] = 0xCC;
    probe[15] = 0x01;
    const std::uint16_t crc = Crc16Xmodem(probe.data(), kDeviceCrcOffset);
    probe[kDeviceCrcOffset] = static_cast<std::uint8_t>(crc >> 8);
    probe[kDeviceCrcOffset + 1] = static_cast<std::uint8_t>(crc);
    return probe;
}

std::vector<std::uint16_t> ProbePortsFor(std::uint8_t kind) {
    switch (kind) {
        case kServerKind: return {8787, 8788, 8789};
        case kDeviceKind: return {8000};
        default: return {9000};
    }
}

std::uint8_t MatchReply(std::uint8_t kinds, const std::uint8_t* bytes, std::size_t length, std::uint16_t sourcePort) {
    for (std::uint8_t kind : kKindsInOrder) {
        if (!(kinds & kind) || sourcePort != ReplySourcePort(kind)) continue;
        if (kind == kServerKind ? IsServerReply(bytes, length) : IsDeviceReply(bytes, length)) return kind;
    }
    return 0;
}

std::vector<Ipv4> ProbeAddresses(const std::vector<Ipv4>& local) {
    std::vector<Ipv4> sorted = local;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (sorted.size() > kMaxProbeAddresses) sorted.resize(kMaxProbeAddresses);
    return sorted;
}

bool AppendDiscoveryEntry(std::uint8_t* result, Ipv4 address, std::uint8_t kind) {
    std::int32_t count;
    std::memcpy(&count, result, 4);
    if (count < 0 || static_cast<std::size_t>(count) >= kMaxDiscoveryEntries) return false;
    std::uint8_t* entry = result + 4 + 5 * count;
    entry[0] = static_cast<std::uint8_t>(address >> 24);
    entry[1] = static_cast<std::uint8_t>(address >> 16);
    entry[2] = static_cast<std::uint8_t>(address >> 8);
    entry[3] = static_cast<std::uint8_t>(address);
    entry[4] = kind;
    ++count;
    std::memcpy(result, &count, 4);
    return true;
}

bool WriteDiscoveryResult(const std::map<std::uint8_t, std::set<Ipv4>>& found, const std::set<Ipv4>& local,
                          std::uint8_t* result) {
    std::memset(result, 0, kDiscoveryResultSize);
    for (std::uint8_t kind : kKindsInOrder) {
        const auto addresses = found.find(kind);
        if (addresses == found.end()) continue;
        for (Ipv4 address : addresses->second) {  // a std::set runs in ascending order
            if (local.count(address)) continue;
            if (!AppendDiscoveryEntry(result, address, kind)) return true;
        }
    }
    std::int32_t count;
    std::memcpy(&count, result, 4);
    return count > 0;
}

}  // namespace sorvane
