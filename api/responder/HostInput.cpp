// The host responder's reading of a received frame. Every length, checksum and option is checked
// before it is used: the wire is not trusted. Nothing here sends or logs; the caller does both once
// the tables' lock is released.

#include "responder/HostInput.h"

#include "responder/Checksums.h"

#include <algorithm>
#include <cstring>

namespace capi {
namespace {

constexpr size_t kArpLength = 42;
constexpr size_t kArpReplyLength = 60;
constexpr size_t kNeighbourAdvertLength = 86;

bool Same4(const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, 4) == 0; }

// An entry without an address (one waiting for DHCP, or never given an IPv6 address) answers for
// none: the all-zero address is nobody's.
bool Unspecified(const uint8_t* address, size_t size) {
    return std::all_of(address, address + size, [](uint8_t b) { return b == 0; });
}

// The source address of one of our own identities. Linux capture hands the adapter's own sends
// back to the receive path; answering them would make the library talk to itself (its own ARP
// request for its gateway, its own DHCP discover, ...). The low two bits of the first byte carry
// the port mark of host sending, so they are left out of the comparison.
bool FromOwnAddress(const HostTableSet& t, const uint8_t* source) {
    auto same = [&](const uint8_t* mac) {
        return (mac[0] & ~3) == (source[0] & ~3) && std::memcmp(mac + 1, source + 1, 5) == 0;
    };
    const uint8_t zero[6] = {};
    for (const auto& port : t.entries) {
        for (const HostEntry& e : port) {
            if (std::memcmp(e.mac, zero, 6) != 0 && same(e.mac)) return true;
        }
    }
    if (same(kDhcpServerMac)) return true;
    return t.router && (same(t.router->record.wanMac) || same(t.router->record.lanMac));
}

// An IPv4 packet with a 20-byte header whose checksum holds and whose total length fits the frame.
bool WellFormedIpv4(const uint8_t* f, size_t length, uint8_t protocol) {
    if (length < kUdpStart || EtherTypeOf(f) != 0x0800) return false;
    const uint8_t* ip = f + kIpStart;
    if (ip[0] != 0x45 || ip[9] != protocol) return false;
    const uint16_t total = GetBig16(ip + 2);
    if (total < 20 || total > length - kIpStart) return false;
    if ((GetBig16(ip + 6) & 0x3FFF) != 0) return false;  // fragments are not reassembled
    return InternetChecksum(ip, 20) == 0;
}

// A UDP datagram inside a well-formed IPv4 packet, its length and (when present) checksum sound.
bool WellFormedUdp(const uint8_t* f, size_t length) {
    if (!WellFormedIpv4(f, length, 17) || length < kUdpStart + 8) return false;
    const uint16_t udpLength = GetBig16(f + kUdpStart + 4);
    if (udpLength < 8 || udpLength != GetBig16(f + kIpStart + 2) - 20) return false;
    if (GetBig16(f + kUdpStart + 6) == 0) return true;
    const uint32_t sum = OnesSum(f + 26, 8, 17u + udpLength);
    return FoldComplement(OnesSum(f + kUdpStart, udpLength, sum)) == 0;
}

void ArpRequest(const HostTableSet& t, const uint8_t* request, HostFrameOutcome& out) {
    for (uint8_t port = 0; port < 2; ++port) {
        for (const HostEntry& e : t.entries[port]) {
            if (!e.enabled) continue;
            out.log.push_back("ARP request packet");
            out.log.push_back("Dest IP = " + DottedAddress(request + 38) +
                              ", Source IP = " + DottedAddress(request + 28));
        }
        for (const HostEntry& e : t.entries[port]) {
            if (!e.enabled || !Same4(e.ipv4, request + 38) || Unspecified(e.ipv4, 4)) continue;
            HostAnswer a{port, FrameBytes(kArpReplyLength, 0)};
            uint8_t* r = a.frame.data();
            std::memcpy(r, request + 6, 6);
            std::memcpy(r + 6, e.mac, 6);
            std::memcpy(r + 12, request + 12, 8);
            r[21] = 2;
            std::memcpy(r + 22, e.mac, 6);
            std::memcpy(r + 28, e.ipv4, 4);
            std::memcpy(r + 32, request + 22, 10);  // the requester's MAC and address
            out.answers.push_back(std::move(a));
            break;
        }
    }
}

bool Arp(HostTableSet& t, const uint8_t* f, size_t length, HostFrameOutcome& out) {
    if (length < kArpLength || GetBig16(f + 14) != 1 || GetBig16(f + 16) != 0x0800 || f[18] != 6 || f[19] != 4) return false;
    const uint16_t opcode = GetBig16(f + 20);
    if (opcode == 1) {
        ArpRequest(t, f, out);
        return !out.answers.empty();
    }
    if (opcode == 2 && t.router) {
        BrevixC_RouterTest_T& r = t.router->record;
        if (Same4(f + 38, r.wanIPv4)) std::memcpy(r.routerWanMac, f + 6, 6);
        if (Same4(f + 38, r.lanIPv4)) std::memcpy(r.lanGatewayMac, f + 6, 6);
    }
    return false;
}

void RouterProbe(HostTableSet& t, const uint8_t* f, HostFrameOutcome& out) {
    out.log.push_back("UDP packets");
    BrevixC_RouterTest_T& r = t.router->record;
    if (!Same4(f + 30, r.wanIPv4) || !Same4(f + 26, r.routerWanIPv4)) return;
    if (GetBig16(f + kUdpStart + 2) == r.watchedPort) r.result = GetBig16(f + kUdpStart);
}

bool IcmpEcho(const HostTableSet& t, const uint8_t* f, size_t length, HostFrameOutcome& out) {
    if (!WellFormedIpv4(f, length, 1)) return false;
    const size_t icmpLength = GetBig16(f + kIpStart + 2) - 20;
    if (icmpLength < 8 || f[34] != 8 || f[35] != 0 || InternetChecksum(f + 34, icmpLength) != 0) return false;
    for (uint8_t port = 0; port < 2; ++port) {
        for (const HostEntry& e : t.entries[port]) {
            if (!e.enabled || !Same4(e.ipv4, f + 30) || Unspecified(e.ipv4, 4)) continue;
            HostAnswer a{port, FrameBytes(f, f + length)};
            uint8_t* r = a.frame.data();
            std::memcpy(r, f + 6, 6);
            std::memcpy(r + 6, e.mac, 6);
            std::memcpy(r + 30, f + 26, 4);
            std::memcpy(r + 26, e.ipv4, 4);
            PutBig16(r + 24, 0);
            PutBig16(r + 24, InternetChecksum(r + kIpStart, 20));
            r[34] = 0;
            PutBig16(r + 36, 0);
            PutBig16(r + 36, InternetChecksum(r + 34, icmpLength));
            out.answers.push_back(std::move(a));
            return true;
        }
    }
    return false;
}

bool NeighbourSolicitation(const HostTableSet& t, const uint8_t* f, size_t length, HostFrameOutcome& out) {
    // IPv6 with ICMPv6 next, hop limit 255 (a solicitation from beyond the link is forged), type
    // 135 code 0, a payload of at least the 24-byte message that fits the frame and sums right.
    if (length < 78 || EtherTypeOf(f) != 0x86DD || (f[14] >> 4) != 6 || f[20] != 58 || f[21] != 255) return false;
    const uint16_t payload = GetBig16(f + 18);
    if (payload < 24 || payload > length - 54 || f[54] != 135 || f[55] != 0) return false;
    if (Icmpv6Checksum(f, payload) != 0) return false;
    for (uint8_t port = 0; port < 2; ++port) {
        for (const HostEntry& e : t.entries[port]) {
            if (!e.enabled || std::memcmp(e.ipv6, f + 62, 16) != 0 || Unspecified(e.ipv6, 16)) continue;
            // The advertisement carries the target's link-layer address: 32 bytes of message.
            HostAnswer a{port, FrameBytes(kNeighbourAdvertLength, 0)};
            uint8_t* r = a.frame.data();
            std::memcpy(r, f + 6, 6);
            std::memcpy(r + 6, e.mac, 6);
            std::memcpy(r + 12, f + 12, 8);
            PutBig16(r + 18, 32);
            r[20] = 58;
            r[21] = 255;
            std::memcpy(r + 22, f + 62, 16);
            std::memcpy(r + 38, f + 22, 16);
            r[54] = 136;
            r[58] = 0x40;  // solicited
            std::memcpy(r + 62, f + 62, 16);
            r[78] = 2;
            r[79] = 1;
            std::memcpy(r + 80, e.mac, 6);
            PutBig16(r + 56, Icmpv6Checksum(r, 32));
            out.answers.push_back(std::move(a));
            return true;
        }
    }
    return false;
}

// A DHCP message (BOOTP op `op`, magic cookie in place) and its message type; 0 when malformed.
uint8_t DhcpType(const uint8_t* f, size_t length, uint8_t op) {
    if (length < kDhcpOptions || f[kBootpStart] != op || f[kBootpStart + 1] != 1 || f[kBootpStart + 2] != 6) return 0;
    if (std::memcmp(f + kDhcpMagic, "\x63\x82\x53\x63", 4) != 0) return 0;
    uint8_t size = 0;
    const uint8_t* type = FindDhcpOption(f, length, 53, &size);
    return type && size == 1 ? type[0] : 0;
}

// The end of the DHCP message inside the frame: the UDP datagram's end.
size_t DhcpEnd(const uint8_t* f) { return kUdpStart + GetBig16(f + kUdpStart + 4); }

bool DhcpToClient(HostTableSet& t, const uint8_t* f, HostFrameOutcome& out) {
    const size_t end = DhcpEnd(f);
    const uint8_t type = DhcpType(f, end, 2);
    if (type != kDhcpOffer && type != kDhcpAck) return false;
    for (uint8_t port = 0; port < 2; ++port) {
        for (HostEntry& e : t.entries[port]) {
            if (!e.dhcpClientActive || std::memcmp(e.dhcpTransaction, f + 46, 4) != 0) continue;
            if (!e.dhcpOfferSeen && type == kDhcpOffer) {
                uint8_t size = 0;
                const uint8_t* server = FindDhcpOption(f, end, 54, &size);
                if (!server || size != 4) server = f + 62;
                e.dhcpOfferSeen = 1;
                e.dhcpState = 2;
                out.answers.push_back({port, BuildDhcpRequest(e.mac, e.dhcpTransaction, f + 58, server)});
                out.log.push_back("(API)Send DHCP Request");
                return true;
            }
            if (e.dhcpOfferSeen && !e.dhcpAckSeen && type == kDhcpAck) {
                e.dhcpState = 4;
                e.dhcpAckSeen = 1;
                e.dhcpClientActive = 0;
                std::memcpy(e.ipv4, f + 58, 4);
                std::memcpy(e.dhcpServer, f + 62, 4);
                std::memcpy(e.gateway, f + 26, 4);
                return true;
            }
            return false;
        }
    }
    return false;
}

bool DhcpFromClient(HostTableSet& t, const uint8_t* f, HostFrameOutcome& out) {
    if (!t.router) return false;
    RouterContext& context = *t.router;
    BrevixC_RouterTest_T& r = context.record;
    const uint8_t wan = r.wanPort & 1;
    HostEntry& wanEntry = t.entries[wan][0];
    if (!wanEntry.dhcpClientActive) return false;
    const size_t end = DhcpEnd(f);
    const uint8_t type = DhcpType(f, end, 1);
    uint8_t reply = 0;
    uint8_t address[4] = {};
    if (type == kDhcpDiscover) {
        reply = kDhcpOffer;
        std::memcpy(address, r.wanIPv4, 3);
        address[3] = 106;
    } else if (type == kDhcpRequest) {
        uint8_t size = 0;
        const uint8_t* requested = FindDhcpOption(f, end, 50, &size);
        if (requested && size == 4 && std::memcmp(requested, r.wanIPv4, 3) == 0) {
            reply = kDhcpAck;
            std::memcpy(address, requested, 4);
            std::memcpy(wanEntry.gateway, requested, 4);
            context.wanAcknowledged = true;
        } else {
            reply = kDhcpNak;
        }
    } else {
        return false;
    }
    std::memcpy(r.routerWanIPv4, address, 4);
    out.answers.push_back({wan, BuildDhcpServerReply(f, reply, address, r.wanIPv4)});
    return true;
}

}  // namespace

HostFrameOutcome ReadHostFrame(HostTableSet& t, const uint8_t* frame, size_t length) {
    HostFrameOutcome out;
    out.handled = [&] {
        if (!frame || length < 14 || FromOwnAddress(t, frame + 6)) return false;
        if (EtherTypeOf(frame) == 0x0806) return Arp(t, frame, length, out);
        if (EtherTypeOf(frame) == 0x86DD) return NeighbourSolicitation(t, frame, length, out);
        if (EtherTypeOf(frame) != 0x0800) return false;
        if (length >= kUdpStart && frame[kIpStart + 9] == 1) return IcmpEcho(t, frame, length, out);
        if (!WellFormedUdp(frame, length)) return false;
        const uint16_t sourcePort = GetBig16(frame + kUdpStart);
        if (t.router && (length == 60 || length == 64)) RouterProbe(t, frame, out);
        if (sourcePort == 67) return DhcpToClient(t, frame, out);
        if (sourcePort == 68) return DhcpFromClient(t, frame, out);
        return false;
    }();
    return out;
}

}  // namespace capi
