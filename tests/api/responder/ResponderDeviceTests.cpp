// The host responder and the network tests against a simulated Brevix-CF with scripted peers behind
// its ports: the answers' fields and checksums as the peers receive them, silence where nothing may
// answer, DHCP, the ARP ping, the automatic reply's register writes and the router test. The
// library is linked statically, so that a test can give an entry an IPv6 address (no export does).

#include "BrevixCNetwork.h"
#include "device/DeviceBench.h"
#include "responder/HostTables.h"
#include "sim/PortPeers.h"

#include <cstring>
#include <memory>

namespace {

using bench::Bytes;
using bench::LastWrite;
using sim::Ipv4;
using sim::Ipv6;
using sim::Mac;
using sim::PortPeers;
namespace wire = sim::wire;

std::unique_ptr<PortPeers> peers;

const int registered = (bench::Register(1, [] { peers = std::make_unique<PortPeers>(*bench::The().tester); }), 0);

constexpr uint32_t kB = 0x02000000;
const Mac kEntryMac = {0x00, 0x1B, 0x2C, 0x77, 0x00, 0x01};
const Ipv4 kEntryIp = {10, 77, 40, 1};
const Ipv4 kOtherIp = {10, 77, 40, 2};
const Ipv4 kGateway = {10, 77, 40, 254};

Mac MacAt(const Bytes& f, size_t at) {
    Mac m;
    std::copy(f.begin() + at, f.begin() + at + 6, m.begin());
    return m;
}
Ipv4 IpAt(const Bytes& f, size_t at) {
    Ipv4 a;
    std::copy(f.begin() + at, f.begin() + at + 4, a.begin());
    return a;
}

BrevixC_AutoReply_T AutoReply(uint8_t port, uint8_t entry, const Ipv4& ip, const Mac& mac = kEntryMac) {
    BrevixC_AutoReply_T r{};
    r.port = port;
    r.entry = entry;
    std::copy(ip.begin(), ip.end(), r.ipv4);
    const uint8_t mask[4] = {255, 255, 255, 0};
    std::memcpy(r.mask, mask, 4);
    std::copy(kGateway.begin(), kGateway.end(), r.gateway);
    std::copy(mac.begin(), mac.end(), r.mac);
    return r;
}

bool IsArpReply(const Bytes& f) { return f.size() >= 42 && f[12] == 0x08 && f[13] == 0x06 && f[21] == 2; }
bool ArpReplyFor(const Bytes& f, const Ipv4& sender) { return IsArpReply(f) && IpAt(f, 28) == sender; }

// The source address as the library meant it: host sending marks the port in the low two bits.
bool SourceIs(const Bytes& f, const Mac& mac) {
    return (f[6] & ~3) == (mac[0] & ~3) && std::equal(mac.begin() + 1, mac.end(), f.begin() + 7);
}

class ResponderTest : public bench::DeviceTest {
protected:
    void SetUp() override {
        bench::DeviceTest::SetUp();
        ASSERT_EQ(BrevixC_SYS_ChangeToPGMode(), 1);
        peers->ClearSent();
    }
    void TearDown() override {
        for (uint8_t e : {0, 1, 2, 3, 5}) BrevixC_StopAutoReply(255, e);
        peers->SetDhcpServer(0, std::nullopt);
        peers->StopRouter();
    }

    // The peer on the port asks for the address and the entry's answer arrives.
    static Bytes AnsweredArp(int port, const Ipv4& ip) {
        EXPECT_TRUE(peers->SendArpRequest(port, ip));
        Bytes answer;
        EXPECT_TRUE(peers->WaitForSent(port, [&](const Bytes& f) { return ArpReplyFor(f, ip) && (answer = f, true); },
                                       support::kPatience));
        return answer;
    }
};

TEST_F(ResponderTest, ArpRequestIsAnsweredByTheEnabledEntryOnItsPort) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(1, 0, kEntryIp)), 1);
    const Bytes reply = AnsweredArp(1, kEntryIp);
    ASSERT_EQ(reply.size(), 60u);
    const PortPeers::Host peer = PortPeers::PeerOf(1);
    EXPECT_EQ(MacAt(reply, 0), peer.mac);
    EXPECT_TRUE(SourceIs(reply, kEntryMac));
    EXPECT_EQ(reply[6] & 3, 2) << "sent through Port B";
    EXPECT_EQ(MacAt(reply, 22), kEntryMac);
    EXPECT_EQ(IpAt(reply, 28), kEntryIp);
    EXPECT_EQ(MacAt(reply, 32), peer.mac);
    EXPECT_EQ(IpAt(reply, 38), peer.ipv4);
    EXPECT_TRUE(peers->Sent(0).empty());
}

TEST_F(ResponderTest, BothPortsAnswerFromTheOriginalRequest) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(255, 0, kEntryIp)), 1);
    AnsweredArp(0, kEntryIp);
    ASSERT_TRUE(peers->WaitForSent(1, [](const Bytes& f) { return ArpReplyFor(f, kEntryIp); }, support::kPatience));
    const PortPeers::Host peer = PortPeers::PeerOf(0);
    for (const Bytes& f : peers->Sent(1)) {
        if (!IsArpReply(f)) continue;
        EXPECT_EQ(MacAt(f, 0), peer.mac);
        EXPECT_EQ(MacAt(f, 32), peer.mac);
        EXPECT_EQ(IpAt(f, 38), peer.ipv4);
    }
}

TEST_F(ResponderTest, EchoReplySwapsAddressesAndCarriesValidChecksums) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 0, kEntryIp)), 1);
    ASSERT_TRUE(peers->SendEchoRequest(0, kEntryMac, kEntryIp, 7));
    Bytes reply;
    ASSERT_TRUE(peers->WaitForSent(0, [&](const Bytes& f) { return f.size() > 34 && f[23] == 1 && (reply = f, true); },
                                   support::kPatience));
    const PortPeers::Host peer = PortPeers::PeerOf(0);
    ASSERT_EQ(reply.size(), 34u + 8 + 32);
    EXPECT_EQ(MacAt(reply, 0), peer.mac);
    EXPECT_TRUE(SourceIs(reply, kEntryMac));
    EXPECT_EQ(IpAt(reply, 26), kEntryIp);
    EXPECT_EQ(IpAt(reply, 30), peer.ipv4);
    EXPECT_EQ(wire::Checksum(reply, 14, 20), 0);
    EXPECT_EQ(reply[34], 0) << "echo reply";
    EXPECT_EQ(wire::Checksum(reply, 34, 40), 0);
    EXPECT_EQ(wire::Get16(reply, 38), 0x4242);
    EXPECT_EQ(wire::Get16(reply, 40), 7);
    EXPECT_EQ(reply[42], 0x61);
}

// An echo type of 0 instead of 8 lowers the message's sum by 0x0800: a request whose checksum
// bytes are FA FF is answered with 03 00 (the carry wraps around).
TEST_F(ResponderTest, EchoReplyChecksumWrapsItsCarry) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 0, kEntryIp)), 1);
    const PortPeers::Host peer = PortPeers::PeerOf(0);
    Bytes request = wire::EchoRequest(kEntryMac, peer.mac, peer.ipv4, kEntryIp, 0x4242, 9, 32);
    wire::Put16(request, 36, 0);
    wire::Put16(request, 42, 0);
    // The data word that makes the message's sum 0x0500, so that its checksum is FA FF.
    const uint32_t word = 0x0500u + wire::Checksum(request, 34, 40);
    wire::Put16(request, 42, uint16_t((word & 0xFFFF) + (word >> 16)));
    wire::Put16(request, 36, wire::Checksum(request, 34, 40));
    ASSERT_EQ(wire::Get16(request, 36), 0xFAFF);
    ASSERT_TRUE(peers->Inject(0, request));
    Bytes reply;
    ASSERT_TRUE(peers->WaitForSent(0, [&](const Bytes& f) { return f.size() > 34 && f[23] == 1 && (reply = f, true); },
                                   support::kPatience));
    EXPECT_EQ(reply[36], 0x03);
    EXPECT_EQ(reply[37], 0x00);
}

TEST_F(ResponderTest, NeighbourSolicitationGetsAnAdvertisementWithTheEntryAddress) {
    const Ipv6 address = {0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0x02, 0x1B, 0x2C, 0xFF, 0xFE, 0x77, 0x00, 0x01};
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 0, kEntryIp)), 1);
    capi::HostTables::Instance().Update(
        [&](capi::HostTableSet& t) { std::copy(address.begin(), address.end(), t.entries[0][0].ipv6); });
    ASSERT_TRUE(peers->SendNeighbourSolicitation(0, address));
    Bytes advert;
    ASSERT_TRUE(peers->WaitForSent(
        0, [&](const Bytes& f) { return f.size() >= 86 && f[12] == 0x86 && f[54] == 136 && (advert = f, true); },
        support::kPatience));
    const PortPeers::Host peer = PortPeers::PeerOf(0);
    EXPECT_EQ(MacAt(advert, 0), peer.mac);
    EXPECT_TRUE(SourceIs(advert, kEntryMac));
    EXPECT_TRUE(std::equal(address.begin(), address.end(), advert.begin() + 22)) << "from the target";
    EXPECT_TRUE(std::equal(peer.ipv6.begin(), peer.ipv6.end(), advert.begin() + 38));
    EXPECT_EQ(advert[21], 255);
    EXPECT_EQ(advert[58], 0x40) << "solicited";
    EXPECT_TRUE(std::equal(address.begin(), address.end(), advert.begin() + 62));
    EXPECT_EQ(advert[78], 2);
    EXPECT_EQ(advert[79], 1);
    EXPECT_EQ(MacAt(advert, 80), kEntryMac);
    EXPECT_EQ(wire::Icmpv6Checksum(advert), 0);
}

TEST_F(ResponderTest, DisabledEntryStaysSilent) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 5, kOtherIp)), 1);
    ASSERT_EQ(BrevixC_StopAutoReply(0, 5), 1);
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 0, kEntryIp)), 1);
    ASSERT_TRUE(peers->SendArpRequest(0, kOtherIp));
    AnsweredArp(0, kEntryIp);  // asked after the other: its answer marks that the first was seen
    for (const Bytes& f : peers->Sent(0)) EXPECT_FALSE(ArpReplyFor(f, kOtherIp));
}

// Frames that must get no answer, each followed by a sound request whose answer marks that the
// library has seen it and lives on.
struct Malformed {
    const char* name;
    std::function<Bytes()> frame;
};

Bytes Echo() { return wire::EchoRequest(kEntryMac, PortPeers::PeerOf(0).mac, PortPeers::PeerOf(0).ipv4, kEntryIp, 1, 1, 32); }
Bytes Solicitation() {
    return wire::NeighbourSolicitation(PortPeers::PeerOf(0).mac, PortPeers::PeerOf(0).ipv6, Ipv6{});
}

const Malformed kMalformed[] = {
    {"ArpCutShort", [] { Bytes f = wire::Arp(1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, PortPeers::PeerOf(0).mac, PortPeers::PeerOf(0).ipv4, {}, kEntryIp); f.resize(40); return f; }},
    {"ArpWithWrongAddressLength", [] { Bytes f = wire::Arp(1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, PortPeers::PeerOf(0).mac, PortPeers::PeerOf(0).ipv4, {}, kEntryIp); f[19] = 16; return f; }},
    {"EchoWithBadChecksum", [] { Bytes f = Echo(); f[36] ^= 0x10; return f; }},
    {"EchoWithBadHeaderChecksum", [] { Bytes f = Echo(); f[24] ^= 0x10; return f; }},
    {"EchoLongerThanItsFrame", [] { Bytes f = Echo(); f.resize(50); return f; }},
    {"EchoWithIpOptions", [] { Bytes f = Echo(); f[14] = 0x46; return f; }},
    {"EchoCutToItsHeaders", [] { Bytes f = Echo(); f.resize(20); return f; }},
    {"SolicitationForNoAddress", [] { return Solicitation(); }},
    {"SolicitationWithPayloadPastTheFrame", [] { Bytes f = Solicitation(); wire::Put16(f, 18, 200); return f; }},
    {"DhcpOfferWithOptionPastTheEnd", [] {
         Bytes options = {53, 1, 2, 54, 200};
         Bytes f = wire::Dhcp(2, PortPeers::PeerOf(0).mac, PortPeers::PeerOf(0).ipv4, 1, kEntryMac, kOtherIp, {}, options);
         return f;
     }},
    {"DhcpCutShort", [] { Bytes f = wire::Dhcp(2, PortPeers::PeerOf(0).mac, PortPeers::PeerOf(0).ipv4, 1, kEntryMac, kOtherIp, {}, {53, 1, 2}); f.resize(200); return f; }},
};

class MalformedTest : public ResponderTest, public testing::WithParamInterface<Malformed> {};

TEST_P(MalformedTest, IsAnsweredByNothing) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 0, kEntryIp)), 1);
    ASSERT_TRUE(peers->Inject(0, GetParam().frame()));
    AnsweredArp(0, kEntryIp);
    const std::vector<Bytes> sent = peers->Sent(0);
    ASSERT_EQ(sent.size(), 1u) << "only the marker's answer";
}

INSTANTIATE_TEST_SUITE_P(Requests, MalformedTest, testing::ValuesIn(kMalformed),
                         [](const testing::TestParamInfo<Malformed>& info) { return std::string(info.param.name); });

TEST_F(ResponderTest, PingSendsOneArpRequestForTheGateway) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 0, kEntryIp)), 1);
    // Another entry holds the gateway's address: the library's own request, handed back by the
    // capture, must not be answered by it.
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 1, kGateway)), 1);
    BrevixC_Ping_T ping{};
    ping.port = 0;
    ping.entry = 0;
    ASSERT_EQ(BrevixC_StartPing(ping), 1);
    Bytes request;
    ASSERT_TRUE(peers->WaitForSent(0, [&](const Bytes& f) { return f.size() == 64 && f[21] == 1 && (request = f, true); },
                                   support::kPatience));
    EXPECT_EQ(MacAt(request, 0), (Mac{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(SourceIs(request, kEntryMac));
    EXPECT_EQ(MacAt(request, 22), kEntryMac);
    EXPECT_EQ(IpAt(request, 28), kEntryIp);
    EXPECT_EQ(IpAt(request, 38), kGateway);
    EXPECT_TRUE(std::all_of(request.begin() + 42, request.begin() + 60, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::all_of(request.begin() + 60, request.end(), [](uint8_t b) { return b == 0; }));
    AnsweredArp(0, kEntryIp);
    for (const Bytes& f : peers->Sent(0)) EXPECT_FALSE(ArpReplyFor(f, kGateway)) << "answered itself";
    EXPECT_EQ(BrevixC_TxPing(ping), 1);
    EXPECT_EQ(BrevixC_TxARP(ping), 1);
}

TEST_F(ResponderTest, AutomaticReplyWritesHostReceiveAndSendingAndStopUndoesThem) {
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(1, 3, kEntryIp, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF})), 1);
    EXPECT_EQ(LastWrite(0x410000C0 + kB), 0x01000000);
    EXPECT_EQ(LastWrite(0x410000CC + kB) & 1, 1);
    EXPECT_EQ(LastWrite(0x41000010 + kB), 0x00BB) << "an entry other than 0 clears the MAC's first byte";
    EXPECT_TRUE(peers->HostSendOn(1));
    EXPECT_EQ(BrevixC_SYS_SetNICMode(1, 0x80), 0) << "refused while automatic reply is on";
    ASSERT_EQ(BrevixC_StopAutoReply(1, 3), 1);
    EXPECT_EQ(LastWrite(0x410000C0 + kB), 0);
    EXPECT_EQ(LastWrite(0x410000CC + kB) & 1, 0);
    EXPECT_FALSE(peers->HostSendOn(1));
    EXPECT_EQ(BrevixC_StartAutoReply(AutoReply(1, 64, kEntryIp)), 0) << "entry 64 does not exist";
}

TEST_F(ResponderTest, DhcpObtainsAnAddressForTheGlobals) {
    const Ipv4 server = {10, 77, 50, 1}, offered = {10, 77, 50, 77};
    peers->SetDhcpServer(0, PortPeers::DhcpServer{server, offered, {0x00, 0x1C, 0x7E, 0x60, 0x00, 0x01}});
    ASSERT_EQ(BrevixC_StartAutoReply(AutoReply(0, 2, kEntryIp)), 1);
    ASSERT_EQ(BrevixC_AutoGetIPv4(0, 2, 2), 1);
    EXPECT_EQ(IpAt(Bytes(BVX_MyIPv4, BVX_MyIPv4 + 4), 0), offered);
    EXPECT_EQ(IpAt(Bytes(BVX_ServerIPv4, BVX_ServerIPv4 + 4), 0), server);
    EXPECT_EQ(IpAt(Bytes(BVX_GatewayIPv4, BVX_GatewayIPv4 + 4), 0), server);
    // The request carried the offer's address and server.
    bool requested = false;
    for (const Bytes& f : peers->Sent(0)) {
        if (f.size() < 282 || f[12] != 0x08 || f[23] != 17 || wire::DhcpOption(f, 53) != Bytes{3}) continue;
        requested = true;
        EXPECT_EQ(wire::DhcpOption(f, 50), Bytes(offered.begin(), offered.end()));
        EXPECT_EQ(wire::DhcpOption(f, 54), Bytes(server.begin(), server.end()));
        EXPECT_TRUE(wire::UdpChecksumHolds(f));
        EXPECT_EQ(wire::Checksum(f, 14, 20), 0);
    }
    EXPECT_TRUE(requested);
    EXPECT_EQ(BrevixC_AutoGetIPv4(0, 64, 0), 0);
    EXPECT_EQ(IpAt(Bytes(BVX_MyIPv4, BVX_MyIPv4 + 4), 0), offered) << "a refused entry leaves the globals";
}

PortPeers::Router TheRouter() {
    PortPeers::Router r;
    r.wanPort = 0;
    r.lanPort = 1;
    r.wanMac = {0x00, 0x1C, 0x7E, 0x70, 0x00, 0x0A};
    r.lanMac = {0x00, 0x1C, 0x7E, 0x70, 0x00, 0x0B};
    r.lanAddress = {10, 77, 61, 1};
    r.lanOffered = {10, 77, 61, 50};
    r.outsidePort = 40001;
    return r;
}

BrevixC_RouterTest_T RouterRecord(uint16_t waitMs) {
    BrevixC_RouterTest_T r{};
    r.wanPort = 0;
    r.wanDhcp = 1;
    r.wanWaitMs = waitMs;
    const uint8_t wan[4] = {10, 77, 60, 1};
    std::memcpy(r.wanIPv4, wan, 4);
    r.watchedPort = 5001;
    const uint8_t wanMac[6] = {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x01}, lanMac[6] = {0x00, 0x1B, 0x2C, 0x77, 0x10, 0x02};
    std::memcpy(r.wanMac, wanMac, 6);
    r.lanPort = 1;
    r.lanDhcp = 1;
    r.lanWaitMs = waitMs;
    r.probeSourcePort = 6001;
    std::memcpy(r.lanMac, lanMac, 6);
    return r;
}

TEST_F(ResponderTest, RouterTestFindsTheNatPort) {
    const PortPeers::Router router = TheRouter();
    peers->StartRouter(router);
    BrevixC_RouterTest_T record = RouterRecord(5000);
    ASSERT_EQ(BrevixC_RouterTest(&record), 1);
    EXPECT_EQ(record.result, 40001);
    EXPECT_EQ(IpAt(Bytes(record.routerWanIPv4, record.routerWanIPv4 + 4), 0), (Ipv4{10, 77, 60, 106}));
    EXPECT_EQ(MacAt(Bytes(record.routerWanMac, record.routerWanMac + 6), 0), router.wanMac);
    EXPECT_EQ(IpAt(Bytes(record.lanIPv4, record.lanIPv4 + 4), 0), router.lanOffered);
    EXPECT_EQ(IpAt(Bytes(record.lanGateway, record.lanGateway + 4), 0), router.lanAddress);
    EXPECT_EQ(MacAt(Bytes(record.lanGatewayMac, record.lanGatewayMac + 6), 0), router.lanMac);

    // Once the call has returned, the record is the caller's alone: a later ARP reply to the WAN
    // address changes nothing in it.
    const BrevixC_RouterTest_T returned = record;
    const Ipv4 wan = {10, 77, 60, 1};
    const Mac stranger = {0x00, 0x1C, 0x7E, 0x70, 0x00, 0x0C};
    ASSERT_TRUE(peers->Inject(0, wire::Arp(2, MacAt(Bytes(record.wanMac, record.wanMac + 6), 0), stranger,
                                           {10, 77, 60, 9}, stranger, wan)));
    AnsweredArp(0, wan);
    EXPECT_EQ(std::memcmp(&returned, &record, sizeof record), 0);
}

TEST_F(ResponderTest, RouterTestGivesZeroWhenTheLanDhcpDoesNotAnswer) {
    PortPeers::Router router = TheRouter();
    router.lanServes = false;
    peers->StartRouter(router);
    BrevixC_RouterTest_T record = RouterRecord(600);
    ASSERT_EQ(BrevixC_RouterTest(&record), 0);
    EXPECT_EQ(record.result, 0);
    EXPECT_TRUE(peers->RouterWanAddress().has_value()) << "the WAN side was bound";
}

TEST_F(ResponderTest, RouterTestGivesZeroWhenTheWanSideNeverAsks) {
    PortPeers::Router router = TheRouter();
    router.wanDhcp = false;
    peers->StartRouter(router);
    BrevixC_RouterTest_T record = RouterRecord(400);
    ASSERT_EQ(BrevixC_RouterTest(&record), 0);
    EXPECT_EQ(record.result, 0);
}

}  // namespace
