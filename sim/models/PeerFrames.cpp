// The peers' frames, from the wire formats of ARP, IPv4, ICMP, UDP, IPv6 neighbour discovery and
// DHCP.

#include "sim/PortPeers.h"

#include <algorithm>

namespace sim::wire {
namespace {

constexpr size_t kIp = 14, kUdp = 34, kBootp = 42, kMagic = 278, kOptions = 282;
const Mac kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

uint32_t Sum(const Bytes& b, size_t at, size_t length, uint32_t sum) {
    for (size_t i = 0; i < length; i += 2) {
        sum += uint32_t(b[at + i]) << 8;
        if (i + 1 < length) sum += b[at + i + 1];
    }
    return sum;
}

uint16_t Fold(uint32_t sum) {
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

template <typename A>
void Put(Bytes& b, size_t at, const A& a) {
    std::copy(a.begin(), a.end(), b.begin() + at);
}

void Ethernet(Bytes& f, const Mac& destination, const Mac& source, uint16_t type) {
    Put(f, 0, destination);
    Put(f, 6, source);
    Put16(f, 12, type);
}

void Ipv4Header(Bytes& f, uint8_t protocol, const Ipv4& source, const Ipv4& destination, size_t payload) {
    f[kIp] = 0x45;
    Put16(f, kIp + 2, uint16_t(20 + payload));
    f[kIp + 8] = 64;
    f[kIp + 9] = protocol;
    Put(f, kIp + 12, source);
    Put(f, kIp + 16, destination);
    Put16(f, kIp + 10, Checksum(f, kIp, 20));
}

}  // namespace

uint16_t Get16(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}

uint16_t Checksum(const Bytes& b, size_t at, size_t length, uint32_t sum) { return Fold(Sum(b, at, length, sum)); }

uint16_t UdpChecksum(const Bytes& f) {
    const uint16_t length = Get16(f, kUdp + 4);
    const uint16_t c = Fold(Sum(f, kUdp, length, Sum(f, 26, 8, 17u + length)));
    return c == 0 ? 0xFFFF : c;
}

bool UdpChecksumHolds(const Bytes& f) {
    if (f.size() < kUdp + 8) return false;
    const uint16_t length = Get16(f, kUdp + 4);
    if (length < 8 || kUdp + length > f.size()) return false;
    return Get16(f, kUdp + 6) == 0 || Fold(Sum(f, kUdp, length, Sum(f, 26, 8, 17u + length))) == 0;
}

uint16_t Icmpv6Checksum(const Bytes& f) {
    const uint16_t length = Get16(f, 18);
    return Fold(Sum(f, 54, length, Sum(f, 22, 32, 58u + length)));
}

Bytes Arp(uint16_t opcode, const Mac& destination, const Mac& sender, const Ipv4& senderIp, const Mac& targetMac,
          const Ipv4& targetIp) {
    Bytes f(60, 0);
    Ethernet(f, destination, sender, 0x0806);
    Put16(f, 14, 1);
    Put16(f, 16, 0x0800);
    f[18] = 6;
    f[19] = 4;
    Put16(f, 20, opcode);
    Put(f, 22, sender);
    Put(f, 28, senderIp);
    Put(f, 32, targetMac);
    Put(f, 38, targetIp);
    return f;
}

Bytes EchoRequest(const Mac& destination, const Mac& source, const Ipv4& sourceIp, const Ipv4& destinationIp,
                  uint16_t identifier, uint16_t sequence, size_t dataLength) {
    Bytes f(kUdp + 8 + dataLength, 0);
    Ethernet(f, destination, source, 0x0800);
    Ipv4Header(f, 1, sourceIp, destinationIp, 8 + dataLength);
    f[kUdp] = 8;
    Put16(f, kUdp + 4, identifier);
    Put16(f, kUdp + 6, sequence);
    for (size_t i = 0; i < dataLength; ++i) f[kUdp + 8 + i] = uint8_t(0x61 + i % 23);
    Put16(f, kUdp + 2, Checksum(f, kUdp, 8 + dataLength));
    return f;
}

Bytes NeighbourSolicitation(const Mac& source, const Ipv6& sourceIp, const Ipv6& target) {
    Bytes f(86, 0);
    const Mac group = {0x33, 0x33, 0xFF, target[13], target[14], target[15]};
    Ethernet(f, group, source, 0x86DD);
    f[14] = 0x60;
    Put16(f, 18, 32);
    f[20] = 58;
    f[21] = 255;
    Put(f, 22, sourceIp);
    const Ipv6 node = {0xFF, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0xFF, target[13], target[14], target[15]};
    Put(f, 38, node);
    f[54] = 135;
    Put(f, 62, target);
    f[78] = 1;  // source link-layer address
    f[79] = 1;
    Put(f, 80, source);
    Put16(f, 56, Icmpv6Checksum(f));
    return f;
}

Bytes Udp(const Mac& destination, const Mac& source, const Ipv4& sourceIp, const Ipv4& destinationIp,
          uint16_t sourcePort, uint16_t destinationPort, const Bytes& data) {
    Bytes f(kUdp + 8 + data.size(), 0);
    Ethernet(f, destination, source, 0x0800);
    Ipv4Header(f, 17, sourceIp, destinationIp, 8 + data.size());
    Put16(f, kUdp, sourcePort);
    Put16(f, kUdp + 2, destinationPort);
    Put16(f, kUdp + 4, uint16_t(8 + data.size()));
    std::copy(data.begin(), data.end(), f.begin() + kUdp + 8);
    Put16(f, kUdp + 6, UdpChecksum(f));
    if (f.size() < 60) f.resize(60, 0);
    return f;
}

Bytes Dhcp(uint8_t op, const Mac& source, const Ipv4& sourceIp, uint32_t transaction, const Mac& client,
           const Ipv4& yourAddress, const Ipv4& serverAddress, const Bytes& options) {
    Bytes bootp(300, 0);
    bootp[0] = op;
    bootp[1] = 1;
    bootp[2] = 6;
    for (int i = 0; i < 4; ++i) bootp[4 + i] = uint8_t(transaction >> (24 - 8 * i));
    Put(bootp, 16, yourAddress);
    Put(bootp, 20, serverAddress);
    Put(bootp, 28, client);
    const uint8_t magic[4] = {99, 130, 83, 99};
    std::copy(magic, magic + 4, bootp.begin() + (kMagic - kBootp));
    std::copy(options.begin(), options.end(), bootp.begin() + (kOptions - kBootp));
    const Ipv4 all = {255, 255, 255, 255};
    return Udp(kBroadcast, source, sourceIp, all, op == 1 ? 68 : 67, op == 1 ? 67 : 68, bootp);
}

Bytes DhcpOption(const Bytes& f, uint8_t code) {
    size_t at = kOptions;
    while (at + 1 < f.size() && f[at] != 255) {
        if (f[at] == 0) {
            ++at;
            continue;
        }
        const size_t length = f[at + 1];
        if (at + 2 + length > f.size()) break;
        if (f[at] == code) return Bytes(f.begin() + at + 2, f.begin() + at + 2 + length);
        at += 2 + length;
    }
    return {};
}

}  // namespace sim::wire
