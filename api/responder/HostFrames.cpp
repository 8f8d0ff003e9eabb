#include "responder/HostFrames.h"

#include "responder/Checksums.h"

#include <algorithm>
#include <cstring>

namespace capi {
namespace {

const uint8_t kAnyAddress[4] = {0, 0, 0, 0};
const uint8_t kAllAddresses[4] = {255, 255, 255, 255};
const uint8_t kMagicCookie[4] = {99, 130, 83, 99};

// Ethernet, IPv4 (20-byte header, its checksum) and UDP headers around a payload already in place;
// the UDP checksum covers the pseudo header.
void PutUdpHeaders(FrameBytes& f, const uint8_t* destinationMac, const uint8_t* sourceMac, const uint8_t* sourceIp,
                   const uint8_t* destinationIp, uint16_t sourcePort, uint16_t destinationPort, uint8_t ttl,
                   uint16_t identification) {
    std::memcpy(f.data(), destinationMac, 6);
    std::memcpy(f.data() + 6, sourceMac, 6);
    f[12] = 0x08;
    f[13] = 0x00;
    const uint16_t udpLength = uint16_t(f.size() - kUdpStart);
    uint8_t* ip = f.data() + kIpStart;
    ip[0] = 0x45;
    PutBig16(ip + 2, uint16_t(udpLength + 20));
    PutBig16(ip + 4, identification);
    ip[8] = ttl;
    ip[9] = 17;
    std::memcpy(ip + 12, sourceIp, 4);
    std::memcpy(ip + 16, destinationIp, 4);
    PutBig16(ip + 10, 0);
    PutBig16(ip + 10, InternetChecksum(ip, 20));
    uint8_t* udp = f.data() + kUdpStart;
    PutBig16(udp, sourcePort);
    PutBig16(udp + 2, destinationPort);
    PutBig16(udp + 4, udpLength);
    PutBig16(udp + 6, 0);
    PutBig16(udp + 6, UdpChecksum(f.data(), udpLength));
}

// A BOOTP request of a client with its options; the headers go around it last.
FrameBytes ClientMessage(const uint8_t* mac, const uint8_t* transaction, std::initializer_list<uint8_t> options,
                         bool broadcastFlag) {
    FrameBytes f(kDhcpFrameLength, 0);
    uint8_t* bootp = f.data() + kBootpStart;
    bootp[0] = 1;  // request
    bootp[1] = 1;  // Ethernet
    bootp[2] = 6;
    std::memcpy(bootp + 4, transaction, 4);
    if (broadcastFlag) bootp[10] = 0x80;
    std::memcpy(bootp + 28, mac, 6);
    std::memcpy(f.data() + kDhcpMagic, kMagicCookie, 4);
    std::copy(options.begin(), options.end(), f.begin() + kDhcpOptions);
    PutUdpHeaders(f, kBroadcast, mac, kAnyAddress, kAllAddresses, 68, 67, 250, 0xA836);
    return f;
}

}  // namespace

FrameBytes BuildArpRequest(const uint8_t* ethernetDestination, const uint8_t* mac, const uint8_t* senderIp,
                           const uint8_t* targetIp, size_t length, uint8_t fill) {
    FrameBytes f(length, 0);
    std::memcpy(f.data(), ethernetDestination, 6);
    std::memcpy(f.data() + 6, mac, 6);
    const uint8_t header[10] = {0x08, 0x06, 0x00, 0x01, 0x08, 0x00, 6, 4, 0x00, 0x01};
    std::memcpy(f.data() + 12, header, sizeof header);
    std::memcpy(f.data() + 22, mac, 6);
    std::memcpy(f.data() + 28, senderIp, 4);
    std::memcpy(f.data() + 38, targetIp, 4);
    std::fill(f.begin() + 42, f.begin() + 60, fill);
    return f;
}

FrameBytes BuildDhcpDiscover(const uint8_t* mac, const uint8_t* transaction) {
    return ClientMessage(mac, transaction,
                         {53, 1, kDhcpDiscover, 61, 7, 1, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5], 55, 4, 1, 15,
                          3, 6, 255},
                         false);
}

FrameBytes BuildDhcpRequest(const uint8_t* mac, const uint8_t* transaction, const uint8_t* offered,
                            const uint8_t* server) {
    return ClientMessage(mac, transaction,
                         {53, 1, kDhcpRequest, 61, 7, 1, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5], 50, 4,
                          offered[0], offered[1], offered[2], offered[3], 54, 4, server[0], server[1], server[2],
                          server[3], 55, 4, 1, 15, 3, 6, 255},
                         true);
}

FrameBytes BuildDhcpServerReply(const uint8_t* clientMessage, uint8_t type, const uint8_t* address,
                                const uint8_t* serverAddress) {
    FrameBytes f(kDhcpFrameLength, 0);
    uint8_t* bootp = f.data() + kBootpStart;
    const uint8_t* request = clientMessage + kBootpStart;
    bootp[0] = 2;  // reply
    bootp[1] = 1;
    bootp[2] = 6;
    std::memcpy(bootp + 4, request + 4, 4);    // transaction
    std::memcpy(bootp + 10, request + 10, 2);  // flags
    std::memcpy(bootp + 16, address, 4);       // "your" address
    std::memcpy(bootp + 28, request + 28, 16);  // client hardware address
    std::memcpy(f.data() + kDhcpMagic, kMagicCookie, 4);
    const uint8_t* s = serverAddress;
    const uint8_t options[] = {53, 1, type, 54, 4, s[0], s[1], s[2], s[3], 51, 4, 0x00, 0x00, 0x52, 0xC4,
                               1, 4, 255, 255, 255, 0, 3, 4, s[0], s[1], s[2], s[3], 6, 4, s[0], s[1], s[2], s[3],
                               255};
    std::copy(std::begin(options), std::end(options), f.begin() + kDhcpOptions);
    PutUdpHeaders(f, kBroadcast, kDhcpServerMac, serverAddress, kAllAddresses, 67, 68, 128, 0);
    return f;
}

FrameBytes BuildUdpProbe(const uint8_t* destinationMac, const uint8_t* sourceMac, const uint8_t* sourceIp,
                         const uint8_t* destinationIp, uint16_t sourcePort, uint16_t destinationPort) {
    FrameBytes f(64, 0);
    // 18 bytes of data make the datagram 26 bytes and the IPv4 packet 46 (00 2E); the frame ends
    // in four bytes that are not part of it.
    f.resize(kUdpStart + 26);
    PutUdpHeaders(f, destinationMac, sourceMac, sourceIp, destinationIp, sourcePort, destinationPort, 128, 0);
    f.resize(64, 0);
    return f;
}

const uint8_t* FindDhcpOption(const uint8_t* frame, size_t length, uint8_t code, uint8_t* size) {
    size_t at = kDhcpOptions;
    while (at < length) {
        const uint8_t option = frame[at];
        if (option == 255) return nullptr;
        if (option == 0) {
            ++at;
            continue;
        }
        if (at + 1 >= length) return nullptr;
        const uint8_t optionLength = frame[at + 1];
        if (at + 2 + optionLength > length) return nullptr;
        if (option == code) {
            *size = optionLength;
            return frame + at + 2;
        }
        at += 2 + optionLength;
    }
    return nullptr;
}

}  // namespace capi
