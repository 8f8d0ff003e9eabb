// Frames received on the tester's ports through the host responder's reading: ARP, ICMP echo,
// IPv6 neighbour solicitations, DHCP for the identities' clients and the router test's server,
// and the router test's probe.
//
// Byte 0 sets the tables up before the frame (the rest of the input) arrives: bit 0 a router test
// whose WAN side asks for its address, bit 1 a DHCP client waiting for its offer, bit 2 one that
// has its offer and waits for the acknowledgement, bit 3 an IPv6 address on an identity. Whatever
// the frame, each answer leaves on a port that exists and carries checksums that hold.

#include "responder/Checksums.h"
#include "responder/HostInput.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace {

const uint8_t kMacs[4][6] = {{0x00, 0x1B, 0x2C, 0x77, 0x10, 0x01},
                             {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x02},
                             {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x03},
                             {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x05}};
const uint8_t kTransaction[4] = {0x11, 0x22, 0x33, 0x44};
const uint8_t kIpv6[16] = {0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0x02, 0x1B, 0x2C, 0xFF, 0xFE, 0x77, 0x10, 0x01};

void Identity(capi::HostEntry& e, const uint8_t* mac, std::initializer_list<uint8_t> ipv4) {
    e.enabled = 1;
    std::memcpy(e.mac, mac, 6);
    std::memcpy(e.ipv4, ipv4.begin(), 4);
}

void SetUp(capi::HostTableSet& t, uint8_t setup) {
    t = capi::HostTableSet();
    Identity(t.entries[0][0], kMacs[0], {10, 77, 40, 1});
    Identity(t.entries[1][0], kMacs[1], {10, 77, 40, 2});
    Identity(t.entries[0][1], kMacs[2], {10, 77, 40, 3});
    if (setup & 1) {
        capi::RouterContext router{};
        BrevixC_RouterTest_T& r = router.record;
        r.wanPort = 0;
        r.lanPort = 1;
        r.wanDhcp = 1;
        const uint8_t wan[4] = {10, 77, 60, 1}, routerWan[4] = {10, 77, 60, 106};
        std::memcpy(r.wanIPv4, wan, 4);
        std::memcpy(r.routerWanIPv4, routerWan, 4);
        std::memcpy(r.wanMac, kMacs[0], 6);
        std::memcpy(r.lanMac, kMacs[1], 6);
        r.watchedPort = 5000;
        t.router = router;
        t.entries[0][0].dhcpClientActive = 1;
    }
    if (setup & 6) {
        capi::HostEntry& e = t.entries[1][2];
        std::memcpy(e.mac, kMacs[3], 6);
        std::memset(e.ipv4, 0, 4);
        std::memcpy(e.dhcpTransaction, kTransaction, 4);
        e.dhcpClientActive = 1;
        e.dhcpOfferSeen = setup & 4 ? 1 : 0;
        e.dhcpState = setup & 4 ? 2 : 1;
    }
    if (setup & 8) std::memcpy(t.entries[0][0].ipv6, kIpv6, 16);
}

uint16_t Get16(const uint8_t* b) { return uint16_t(b[0] << 8 | b[1]); }

// An answer's own headers: its IPv4 header and UDP or ICMP checksum, or its ICMPv6 checksum.
bool SoundAnswer(const capi::HostAnswer& a) {
    const capi::FrameBytes& f = a.frame;
    if (a.port > 1 || f.size() < 42 || f.size() > 1518) return false;
    const uint16_t type = Get16(&f[12]);
    if (type == 0x0806) return f.size() >= 42;
    if (type == 0x86DD) {
        const uint16_t payload = Get16(&f[18]);
        return 54u + payload <= f.size() && capi::Icmpv6Checksum(f.data(), payload) == 0;
    }
    if (type != 0x0800 || capi::InternetChecksum(&f[14], 20) != 0) return false;
    const uint16_t total = Get16(&f[16]);
    if (total < 28 || 14u + total > f.size()) return false;
    if (f[23] == 17) {
        const uint16_t udpLength = Get16(&f[38]);
        const uint32_t pseudo = capi::OnesSum(&f[26], 8, 17u + udpLength);
        return udpLength == total - 20 && capi::FoldComplement(capi::OnesSum(&f[34], udpLength, pseudo)) == 0;
    }
    return f[23] == 1 && capi::InternetChecksum(&f[34], total - 20u) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static capi::HostTableSet tables;
    if (size < 1) return 0;
    SetUp(tables, data[0]);
    const capi::HostFrameOutcome outcome = capi::ReadHostFrame(tables, data + 1, size - 1);
    if (!outcome.answers.empty() && !outcome.handled) __builtin_trap();
    for (const capi::HostAnswer& a : outcome.answers) {
        if (!SoundAnswer(a)) __builtin_trap();
    }
    return 0;
}
