#include "sim/DiscoveryResponder.h"

#include <chrono>
#include <cstring>

namespace sim {
namespace {

constexpr uint8_t kResponderMac[6] = {0x02, 0x5E, 0xC1, 0xD5, 0x00, 0x01};
constexpr uint16_t kServerPort = 8787;
constexpr uint16_t kDevicePort = 8000;
constexpr uint16_t kDevice9000Port = 9000;
constexpr size_t kEthernet = 14, kIpv4 = 20, kUdp = 8;
constexpr auto kLateBy = std::chrono::milliseconds(1500);

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, uint16_t(v >> 16));
    Put16(p + 2, uint16_t(v));
}

uint32_t OnesSum(const uint8_t* p, size_t n, uint32_t sum = 0) {
    for (size_t i = 0; i + 1 < n; i += 2) sum += Get16(p + i);
    if (n & 1) sum += uint32_t(p[n - 1]) << 8;
    return sum;
}
uint16_t Fold(uint32_t sum) {
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

// The XMODEM CRC as the devices compute it, bit by bit.
uint16_t XmodemCrc(const uint8_t* p, size_t n) {
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc ^= uint16_t(p[i] << 8);
        for (int bit = 0; bit < 8; ++bit) crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

bool IsProbePort(uint16_t port) {
    return port == 8787 || port == 8788 || port == 8789 || port == kDevicePort || port == kDevice9000Port;
}

uint16_t PortOf(uint8_t kind) {
    return kind == 1 ? kServerPort : kind == 2 ? kDevicePort : kDevice9000Port;
}

bool ValidServerProbe(const Bytes& p) { return p.size() == 22 && std::memcmp(p.data(), "Kestrova", 8) == 0; }
bool ValidDeviceProbe(const Bytes& p) {
    return p.size() == 192 && std::memcmp(p.data(), "quendal", 7) == 0 && Get16(p.data() + 28) == XmodemCrc(p.data(), 28);
}

Bytes ReplyPayload(uint8_t kind, DiscoveryResponder::Fault fault) {
    using Fault = DiscoveryResponder::Fault;
    Bytes payload;
    if (kind == 1) {
        payload.assign(22, 0);
        std::memcpy(payload.data(), "Kestrova", 8);
        payload[8] = 2;
        payload[16] = 4;
    } else {
        payload.assign(192, 0);
        std::memcpy(payload.data(), "quendal", 7);
        payload[7] = 33;
        payload[9] = kind;
        Put16(payload.data() + 28, XmodemCrc(payload.data(), 28));
        if (fault == Fault::BadCrc) std::swap(payload[28], payload[29]);
    }
    if (fault == Fault::WrongMagic) payload[0] ^= 0x20;
    if (fault == Fault::Short) payload.pop_back();
    return payload;
}

Bytes UdpFrame(const uint8_t* toMac, uint32_t from, uint16_t fromPort, uint32_t to, uint16_t toPort, const Bytes& payload) {
    Bytes frame(kEthernet + kIpv4 + kUdp + payload.size(), 0);
    uint8_t* f = frame.data();
    std::memcpy(f, toMac, 6);
    std::memcpy(f + 6, kResponderMac, 6);
    Put16(f + 12, 0x0800);
    uint8_t* ip = f + kEthernet;
    ip[0] = 0x45;
    Put16(ip + 2, uint16_t(kIpv4 + kUdp + payload.size()));
    ip[8] = 64;
    ip[9] = 17;
    Put32(ip + 12, from);
    Put32(ip + 16, to);
    Put16(ip + 10, Fold(OnesSum(ip, kIpv4)));
    uint8_t* udp = ip + kIpv4;
    Put16(udp, fromPort);
    Put16(udp + 2, toPort);
    Put16(udp + 4, uint16_t(kUdp + payload.size()));
    std::memcpy(udp + kUdp, payload.data(), payload.size());
    uint8_t pseudo[12] = {};
    Put32(pseudo, from);
    Put32(pseudo + 4, to);
    pseudo[9] = 17;
    Put16(pseudo + 10, uint16_t(kUdp + payload.size()));
    uint16_t sum = Fold(OnesSum(udp, kUdp + payload.size(), OnesSum(pseudo, sizeof pseudo)));
    Put16(udp + 6, sum ? sum : 0xFFFF);
    return frame;
}

}  // namespace

std::unique_ptr<DiscoveryResponder> DiscoveryResponder::Open(const std::string& deviceInterface, std::string* error) {
    std::unique_ptr<PcapLink> link = PcapLink::Open(deviceInterface, error);
    if (!link) return nullptr;
    return std::unique_ptr<DiscoveryResponder>(new DiscoveryResponder(std::move(link)));
}

DiscoveryResponder::DiscoveryResponder(std::unique_ptr<PcapLink> link) : link_(std::move(link)) {
    receiver_ = std::thread(&DiscoveryResponder::Run, this);
}

DiscoveryResponder::~DiscoveryResponder() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    stopped_.notify_all();
    link_->Interrupt();
    receiver_.join();
    for (std::thread& sender : lateSenders_) sender.join();
}

void DiscoveryResponder::SetPeers(std::vector<Peer> peers) {
    std::lock_guard<std::mutex> hold(lock_);
    peers_ = std::move(peers);
}

std::vector<DiscoveryResponder::Probe> DiscoveryResponder::Probes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return probes_;
}

void DiscoveryResponder::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    probes_.clear();
    replies_ = 0;
    ++generation_;
}

int DiscoveryResponder::RepliesSent() const {
    std::lock_guard<std::mutex> hold(lock_);
    return replies_;
}

void DiscoveryResponder::Run() {
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (stopping_) return;
        }
        std::optional<WireFrame> frame = link_->Receive();
        if (frame) {
            Answer(frame->bytes);
        } else if (!link_->Healthy()) {
            return;
        }
    }
}

void DiscoveryResponder::Answer(const Bytes& frame) {
    if (frame.size() < kEthernet + kIpv4 + kUdp || Get16(frame.data() + 12) != 0x0800) return;
    if (std::memcmp(frame.data() + 6, kResponderMac, 6) == 0) return;  // our own replies
    const uint8_t* ip = frame.data() + kEthernet;
    const size_t ipHeader = size_t(ip[0] & 0x0F) * 4;
    if ((ip[0] >> 4) != 4 || ip[9] != 17 || frame.size() < kEthernet + ipHeader + kUdp) return;
    const uint8_t* udp = ip + ipHeader;
    const uint16_t udpLength = Get16(udp + 4);
    if (udpLength < kUdp || frame.size() < kEthernet + ipHeader + udpLength) return;
    Probe probe{Get32(ip + 12), Get16(udp), Get32(ip + 16), Get16(udp + 2), Bytes(udp + kUdp, udp + udpLength)};
    if (!IsProbePort(probe.destinationPort)) return;

    std::vector<Peer> peers;
    {
        std::lock_guard<std::mutex> hold(lock_);
        probes_.push_back(probe);
        peers = peers_;
    }
    for (const Peer& peer : peers) {
        if (probe.destinationPort != PortOf(peer.kind)) continue;
        if (peer.kind == 1 ? !ValidServerProbe(probe.payload) : !ValidDeviceProbe(probe.payload)) continue;
        const uint16_t fromPort = uint16_t(PortOf(peer.kind) + (peer.fault == Fault::WrongSourcePort ? 1 : 0));
        const Bytes reply = UdpFrame(frame.data() + 6, peer.address, fromPort, probe.sourceAddress, probe.sourcePort,
                                     ReplyPayload(peer.kind, peer.fault));
        if (peer.fault == Fault::Late) {
            SendLater(reply);
            continue;
        }
        const int copies = peer.fault == Fault::Duplicated ? 3 : 1;
        for (int i = 0; i < copies; ++i) {
            if (link_->Send(reply)) {
                std::lock_guard<std::mutex> hold(lock_);
                ++replies_;
            }
        }
    }
}

void DiscoveryResponder::SendLater(Bytes reply) {
    std::lock_guard<std::mutex> hold(lock_);
    lateSenders_.emplace_back([this, reply = std::move(reply), generation = generation_] {
        std::unique_lock<std::mutex> wait(lock_);
        if (stopped_.wait_for(wait, kLateBy, [this] { return stopping_; }) || generation != generation_) return;
        wait.unlock();
        if (link_->Send(reply)) {
            std::lock_guard<std::mutex> hold(lock_);
            if (generation == generation_) ++replies_;
        }
    });
}

}  // namespace sim
