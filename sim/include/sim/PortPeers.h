#pragma once
// The hosts behind the tester's two ports. Frames the library sends through a port (host sending,
// the port's mark in the low two bits of the source address's first byte) leave that port and
// reach the peers; what the peers send into a port is forwarded to the library while the port's
// host receive (or NIC mode) is on. The scripted peers: an ARP requester, a pinger and an IPv6
// neighbour on each port, a DHCP server a test can place on a port, and a router whose WAN side
// asks for its address by DHCP, whose LAN side serves addresses, and which translates the LAN's
// UDP traffic to its WAN address and a known outside port.
//
// Registers (Port B at + 0x02000000): 0x40000054 the host-sending switch (bit 8 clear: Port A
// sends, bit 0 clear: Port B sends; once written); 0x410000CC bit 0 host receive, bit 7 NIC mode.

#include "sim/Tester.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace sim {

using Mac = std::array<uint8_t, 6>;
using Ipv4 = std::array<uint8_t, 4>;
using Ipv6 = std::array<uint8_t, 16>;

// Frames written from the protocols' wire formats (untagged Ethernet II, 20-byte IPv4 headers).
namespace wire {
uint16_t Get16(const Bytes& b, size_t at);
void Put16(Bytes& b, size_t at, uint16_t v);
// The Internet checksum of bytes [at, at + length), seeded with `sum`.
uint16_t Checksum(const Bytes& b, size_t at, size_t length, uint32_t sum = 0);
// The checksum of an IPv4 UDP or ICMPv6-over-IPv6 packet's transport part, pseudo header included.
uint16_t UdpChecksum(const Bytes& frame);
uint16_t Icmpv6Checksum(const Bytes& frame);
bool UdpChecksumHolds(const Bytes& frame);

Bytes Arp(uint16_t opcode, const Mac& destination, const Mac& sender, const Ipv4& senderIp, const Mac& targetMac,
          const Ipv4& targetIp);
Bytes EchoRequest(const Mac& destination, const Mac& source, const Ipv4& sourceIp, const Ipv4& destinationIp,
                  uint16_t identifier, uint16_t sequence, size_t dataLength);
// A solicitation to the target's solicited-node group, with the sender's link-layer address.
Bytes NeighbourSolicitation(const Mac& source, const Ipv6& sourceIp, const Ipv6& target);
// A UDP datagram; the IPv4 and UDP checksums are set.
Bytes Udp(const Mac& destination, const Mac& source, const Ipv4& sourceIp, const Ipv4& destinationIp,
          uint16_t sourcePort, uint16_t destinationPort, const Bytes& data);
// DHCP messages (BOOTP of 300 bytes) with the options given; `op` 1 from a client, 2 from a server.
Bytes Dhcp(uint8_t op, const Mac& source, const Ipv4& sourceIp, uint32_t transaction, const Mac& client,
           const Ipv4& yourAddress, const Ipv4& serverAddress, const Bytes& options);
// The value of a DHCP option, empty when absent.
Bytes DhcpOption(const Bytes& frame, uint8_t code);
}  // namespace wire

class PortPeers {
public:
    struct Host {
        Mac mac;
        Ipv4 ipv4;
        Ipv6 ipv6;
    };
    struct DhcpServer {
        Ipv4 server;   // its own address, also the router and name server it gives out
        Ipv4 offered;
        Mac mac;
    };
    struct Router {
        int wanPort = 0;
        int lanPort = 1;
        Mac wanMac{};
        Mac lanMac{};
        Ipv4 lanAddress{};    // the LAN gateway
        Ipv4 lanOffered{};    // what its DHCP server gives the LAN
        uint16_t outsidePort = 0;  // the source port of translated UDP traffic
        bool wanDhcp = true;       // asks for its WAN address
        bool lanServes = true;     // its LAN DHCP server answers
    };

    explicit PortPeers(Tester& tester);
    ~PortPeers();
    PortPeers(const PortPeers&) = delete;
    PortPeers& operator=(const PortPeers&) = delete;

    // The ARP requester, pinger and IPv6 neighbour behind a port.
    static Host PeerOf(int port);

    bool HostSendOn(int port) const;
    bool HostReceiveOn(int port) const;

    // A frame a peer puts on the port's wire; false when it was not forwarded to the host.
    bool Inject(int port, const Bytes& frame);
    bool SendArpRequest(int port, const Ipv4& target);
    bool SendEchoRequest(int port, const Mac& destination, const Ipv4& target, uint16_t sequence);
    bool SendNeighbourSolicitation(int port, const Ipv6& target);

    // Frames the host sent out of a port, in order.
    std::vector<Bytes> Sent(int port) const;
    void ClearSent();
    // Waits until a frame sent out of the port satisfies the predicate; false on time-out.
    bool WaitForSent(int port, const std::function<bool(const Bytes&)>& match, std::chrono::milliseconds timeout);

    // A DHCP server on the port (none: std::nullopt).
    void SetDhcpServer(int port, std::optional<DhcpServer> server);

    // The router between the ports; its WAN client asks for an address every 100 ms until bound.
    void StartRouter(const Router& router);
    void StopRouter();
    // The router's WAN address once bound, else empty.
    std::optional<Ipv4> RouterWanAddress() const;

private:
    bool OnHostFrame(const Bytes& frame);
    void Deliver(int port, const Bytes& frame);
    void ServeDhcp(int port, const DhcpServer& server, const Bytes& frame);
    void RouterWan(const Bytes& frame);
    void RouterLan(const Bytes& frame);
    bool AnswerArp(int port, const Mac& mac, const Ipv4& address, const Bytes& frame);

    Tester& tester_;
    // Guarded by lock_: the tester's receive thread, the router's thread and test threads.
    mutable std::mutex lock_;
    std::condition_variable sentChanged_;
    std::vector<Bytes> sent_[2];
    std::optional<DhcpServer> dhcp_[2];
    std::optional<Router> router_;
    std::optional<Ipv4> routerWan_;
    std::vector<std::pair<Ipv4, Mac>> wanNeighbours_;
    uint32_t routerTransaction_ = 0x5EED0001;
    bool routerRun_ = false;
    std::condition_variable routerWake_;
    std::thread routerThread_;
};

}  // namespace sim
