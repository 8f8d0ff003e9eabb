#include "sim/PortPeers.h"

#include <algorithm>

namespace sim {
namespace {

using wire::Get16;

constexpr uint32_t kHostSwitch = 0x40000054;
constexpr uint32_t kCaptureOptions = 0x410000CC;
constexpr uint32_t kPortStride = 0x02000000;
const Mac kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const Ipv4 kNoAddress = {0, 0, 0, 0};

template <typename A>
A Take(const Bytes& b, size_t at) {
    A a;
    std::copy(b.begin() + at, b.begin() + at + a.size(), a.begin());
    return a;
}

uint16_t EtherType(const Bytes& f) { return f.size() < 14 ? 0 : Get16(f, 12); }

bool IsUdp(const Bytes& f) { return f.size() >= 42 && EtherType(f) == 0x0800 && f[14] == 0x45 && f[23] == 17; }

// A DHCP message of the given BOOTP op whose UDP checksum holds; its message type, else 0.
uint8_t DhcpType(const Bytes& f, uint8_t op) {
    if (!IsUdp(f) || f.size() < 282 || Get16(f, 36) != (op == 1 ? 67 : 68) || f[42] != op) return 0;
    if (!wire::UdpChecksumHolds(f) || f[278] != 99 || f[279] != 130 || f[280] != 83 || f[281] != 99) return 0;
    const Bytes type = wire::DhcpOption(f, 53);
    return type.size() == 1 ? type[0] : 0;
}

uint32_t TransactionOf(const Bytes& f) {
    return uint32_t(f[46]) << 24 | uint32_t(f[47]) << 16 | uint32_t(f[48]) << 8 | f[49];
}

Bytes Options(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    all.push_back(255);
    return all;
}

Bytes Option(uint8_t code, const Ipv4& a) { return {code, 4, a[0], a[1], a[2], a[3]}; }

}  // namespace

PortPeers::PortPeers(Tester& tester) : tester_(tester) {
    tester_.AddFrameHandler([this](const Bytes& frame) { return OnHostFrame(frame); });
}

PortPeers::~PortPeers() { StopRouter(); }

PortPeers::Host PortPeers::PeerOf(int port) {
    const uint8_t p = uint8_t(port);
    return {{0x00, 0x1C, 0x7E, 0x51, 0x00, uint8_t(0x10 + p)},
            {10, 77, uint8_t(10 + p), 20},
            {0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0x02, 0x1C, 0x7E, 0xFF, 0xFE, 0x51, 0x00, uint8_t(0x10 + p)}};
}

bool PortPeers::HostSendOn(int port) const {
    const RegisterFile& r = tester_.Registers();
    if (r.WriteCount(kHostSwitch) == 0) return false;
    return !(r.Get(kHostSwitch) & (port == 0 ? 0x100u : 0x1u));
}

bool PortPeers::HostReceiveOn(int port) const {
    return tester_.Registers().Get(kCaptureOptions + uint32_t(port) * kPortStride) & 0x81u;
}

bool PortPeers::Inject(int port, const Bytes& frame) { return HostReceiveOn(port) && tester_.SendRaw(frame); }

bool PortPeers::SendArpRequest(int port, const Ipv4& target) {
    const Host h = PeerOf(port);
    return Inject(port, wire::Arp(1, kBroadcast, h.mac, h.ipv4, Mac{}, target));
}

bool PortPeers::SendEchoRequest(int port, const Mac& destination, const Ipv4& target, uint16_t sequence) {
    const Host h = PeerOf(port);
    return Inject(port, wire::EchoRequest(destination, h.mac, h.ipv4, target, 0x4242, sequence, 32));
}

bool PortPeers::SendNeighbourSolicitation(int port, const Ipv6& target) {
    const Host h = PeerOf(port);
    return Inject(port, wire::NeighbourSolicitation(h.mac, h.ipv6, target));
}

std::vector<Bytes> PortPeers::Sent(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return sent_[port];
}

void PortPeers::ClearSent() {
    std::lock_guard<std::mutex> guard(lock_);
    sent_[0].clear();
    sent_[1].clear();
}

bool PortPeers::WaitForSent(int port, const std::function<bool(const Bytes&)>& match,
                            std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(lock_);
    return sentChanged_.wait_for(lock, timeout, [&] { return std::any_of(sent_[port].begin(), sent_[port].end(), match); });
}

void PortPeers::SetDhcpServer(int port, std::optional<DhcpServer> server) {
    std::lock_guard<std::mutex> guard(lock_);
    dhcp_[port] = server;
}

void PortPeers::StartRouter(const Router& router) {
    StopRouter();
    {
        std::lock_guard<std::mutex> guard(lock_);
        router_ = router;
        routerWan_.reset();
        wanNeighbours_.clear();
        routerRun_ = true;
    }
    routerThread_ = std::thread([this] {
        std::unique_lock<std::mutex> lock(lock_);
        while (routerRun_) {
            if (router_->wanDhcp && !routerWan_) {
                const Router r = *router_;
                const uint32_t transaction = routerTransaction_;
                lock.unlock();
                const Mac mac = r.wanMac;
                const Bytes options = Options({{53, 1, 1}, {61, 7, 1, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]}});
                Inject(r.wanPort, wire::Dhcp(1, mac, kNoAddress, transaction, mac, kNoAddress, kNoAddress, options));
                lock.lock();
            }
            routerWake_.wait_for(lock, std::chrono::milliseconds(100));
        }
    });
}

void PortPeers::StopRouter() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        routerRun_ = false;
        router_.reset();
        routerWake_.notify_all();
    }
    if (routerThread_.joinable()) routerThread_.join();
}

std::optional<Ipv4> PortPeers::RouterWanAddress() const {
    std::lock_guard<std::mutex> guard(lock_);
    return routerWan_;
}

bool PortPeers::OnHostFrame(const Bytes& frame) {
    // The register protocol's own frames (EtherTypes FFxx) are the tester's business.
    if (frame.size() < 14 || frame[12] == 0xFF) return false;
    const int mark = frame[6] & 3;
    if (mark == 0 || mark == 3) return false;
    const int port = mark - 1;
    if (!HostSendOn(port)) return true;
    {
        std::lock_guard<std::mutex> guard(lock_);
        sent_[port].push_back(frame);
        sentChanged_.notify_all();
    }
    Deliver(port, frame);
    return true;
}

void PortPeers::Deliver(int port, const Bytes& frame) {
    std::optional<DhcpServer> server;
    std::optional<Router> router;
    {
        std::lock_guard<std::mutex> guard(lock_);
        server = dhcp_[port];
        router = router_;
    }
    if (server) ServeDhcp(port, *server, frame);
    if (router && port == router->wanPort) RouterWan(frame);
    if (router && port == router->lanPort) RouterLan(frame);
}

void PortPeers::ServeDhcp(int port, const DhcpServer& server, const Bytes& frame) {
    const uint8_t type = DhcpType(frame, 1);
    uint8_t reply = 0;
    if (type == 1) reply = 2;
    if (type == 3) reply = wire::DhcpOption(frame, 50) == Bytes(server.offered.begin(), server.offered.end()) ? 5 : 6;
    if (!reply) return;
    const Ipv4 your = reply == 6 ? kNoAddress : server.offered;
    const Bytes options = Options({{53, 1, reply}, Option(54, server.server), Option(1, {255, 255, 255, 0}),
                                   Option(3, server.server), {51, 4, 0, 0, 0x0E, 0x10}});
    Inject(port, wire::Dhcp(2, server.mac, server.server, TransactionOf(frame), Take<Mac>(frame, 70), your,
                            server.server, options));
}

bool PortPeers::AnswerArp(int port, const Mac& mac, const Ipv4& address, const Bytes& frame) {
    if (frame.size() < 42 || EtherType(frame) != 0x0806 || Get16(frame, 20) != 1) return false;
    if (Take<Ipv4>(frame, 38) != address) return false;
    Inject(port, wire::Arp(2, Take<Mac>(frame, 22), mac, address, Take<Mac>(frame, 22), Take<Ipv4>(frame, 28)));
    return true;
}

void PortPeers::RouterWan(const Bytes& frame) {
    Router r;
    std::optional<Ipv4> bound;
    uint32_t transaction;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!router_) return;
        r = *router_;
        bound = routerWan_;
        transaction = routerTransaction_;
        if (frame.size() >= 42 && EtherType(frame) == 0x0806) {
            wanNeighbours_.emplace_back(Take<Ipv4>(frame, 28), Take<Mac>(frame, 22));
        }
    }
    if (bound && AnswerArp(r.wanPort, r.wanMac, *bound, frame)) return;
    const uint8_t type = DhcpType(frame, 2);
    if (!type || TransactionOf(frame) != transaction || Take<Mac>(frame, 70) != r.wanMac) return;
    if (type == 2 && !bound) {
        const Ipv4 offered = Take<Ipv4>(frame, 58);
        Bytes serverId = wire::DhcpOption(frame, 54);
        if (serverId.size() != 4) return;
        const Bytes options = Options({{53, 1, 3}, Option(50, offered), Option(54, Take<Ipv4>(serverId, 0))});
        Inject(r.wanPort, wire::Dhcp(1, r.wanMac, kNoAddress, transaction, r.wanMac, kNoAddress, kNoAddress, options));
    } else if (type == 5) {
        std::lock_guard<std::mutex> guard(lock_);
        routerWan_ = Take<Ipv4>(frame, 58);
    }
}

void PortPeers::RouterLan(const Bytes& frame) {
    Router r;
    std::optional<Ipv4> wan;
    std::vector<std::pair<Ipv4, Mac>> neighbours;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!router_) return;
        r = *router_;
        wan = r.wanDhcp ? routerWan_ : std::optional<Ipv4>();
        neighbours = wanNeighbours_;
    }
    if (AnswerArp(r.lanPort, r.lanMac, r.lanAddress, frame)) return;
    if (r.lanServes && DhcpType(frame, 1)) {
        ServeDhcp(r.lanPort, {r.lanAddress, r.lanOffered, r.lanMac}, frame);
        return;
    }
    // Translation: LAN traffic through the router leaves the WAN side from its address and the
    // known outside port.
    if (!wan || !IsUdp(frame) || Take<Mac>(frame, 0) != r.lanMac || Take<Ipv4>(frame, 30) == r.lanAddress) return;
    Bytes out = frame;
    const Ipv4 destination = Take<Ipv4>(frame, 30);
    Mac next = kBroadcast;
    for (const auto& [address, mac] : neighbours) {
        if (address == destination) next = mac;
    }
    std::copy(next.begin(), next.end(), out.begin());
    std::copy(r.wanMac.begin(), r.wanMac.end(), out.begin() + 6);
    std::copy(wan->begin(), wan->end(), out.begin() + 26);
    wire::Put16(out, 24, 0);
    wire::Put16(out, 24, wire::Checksum(out, 14, 20));
    wire::Put16(out, 34, r.outsidePort);
    wire::Put16(out, 40, 0);
    wire::Put16(out, 40, wire::UdpChecksum(out));
    Inject(r.wanPort, out);
}

}  // namespace sim
