#include "discovery/Discovery.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "core/DiscoveryWire.h"

namespace sorvane {
namespace {

constexpr DWORD kWritableWaitMs = 50;
constexpr ULONGLONG kListenMs = 600;
constexpr long kReceiveWaitMs = 50;
constexpr int kMaxDatagram = 1514;
constexpr int kSendsPerPort = 2;

// Discoveries run one after another: callers have always been able to rely on that, and two at
// once would only put twice the probes on every network for the same answers.
std::mutex discoveryLock;

// The sockets layer for the length of one discovery; every successful start is matched by a
// clean-up.
class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (started_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Started() const { return started_; }

private:
    bool started_ = false;
};

class UdpSocket {
public:
    UdpSocket() = default;
    explicit UdpSocket(SOCKET s) : socket_(s) {}
    ~UdpSocket() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }
    UdpSocket(UdpSocket&& other) noexcept : socket_(other.socket_) { other.socket_ = INVALID_SOCKET; }
    UdpSocket& operator=(UdpSocket&&) = delete;
    SOCKET Get() const { return socket_; }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

// What the workers of one discovery found. Each worker records through its own reference to it.
class Collector {
public:
    Collector(std::uint8_t kinds, std::set<Ipv4> local) : kinds_(kinds), local_(std::move(local)) {}

    std::uint8_t Kinds() const { return kinds_; }

    void Offer(const std::uint8_t* bytes, std::size_t length, Ipv4 source, std::uint16_t sourcePort) {
        const std::uint8_t kind = MatchReply(kinds_, bytes, length, sourcePort);
        if (kind == 0) return;
        std::lock_guard<std::mutex> hold(lock_);
        found_[kind].insert(source);
    }

    // A worker ran out of memory: what was found is not the whole answer.
    void Fail() { failed_ = true; }
    bool Failed() const { return failed_; }

    // Read after every worker has ended.
    bool WriteResult(std::uint8_t* result) const { return WriteDiscoveryResult(found_, local_, result); }

private:
    const std::uint8_t kinds_;
    const std::set<Ipv4> local_;
    std::atomic<bool> failed_{false};
    // Guarded by lock_: written by the workers, read by the discovering thread once they are joined.
    std::mutex lock_;
    std::map<std::uint8_t, std::set<Ipv4>> found_;
};

Ipv4 FromInAddr(const in_addr& address) { return ntohl(address.s_addr); }

in_addr ToInAddr(Ipv4 address) {
    in_addr result;
    result.s_addr = htonl(address);
    return result;
}

// The addresses the host's own name resolves to; none when any step fails.
std::vector<Ipv4> HostAddresses() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    const hostent* host = gethostbyname(name);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4) return {};
    std::vector<Ipv4> addresses;
    for (char** entry = host->h_addr_list; *entry; ++entry) {
        in_addr address;
        std::memcpy(&address, *entry, 4);
        addresses.push_back(FromInAddr(address));
    }
    return addresses;
}

UdpSocket OpenBroadcastSocket(Ipv4 local) {
    UdpSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (s.Get() == INVALID_SOCKET) return s;
    sockaddr_in bound = {};
    bound.sin_family = AF_INET;
    bound.sin_addr = ToInAddr(local);
    const BOOL on = TRUE;
    if (bind(s.Get(), reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        setsockopt(s.Get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) != 0) {
        return UdpSocket();
    }
    return s;
}

bool WaitFor(SOCKET s, bool writable, long milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait = {milliseconds / 1000, (milliseconds % 1000) * 1000};
    return select(0, writable ? nullptr : &set, writable ? &set : nullptr, nullptr, &wait) == 1;
}

void SendProbes(SOCKET s, std::uint8_t kinds) {
    for (std::uint8_t kind : kKindsInOrder) {
        if (!(kinds & kind)) continue;
        const std::vector<std::uint8_t> probe = ProbeFor(kind);
        for (std::uint16_t port : ProbePortsFor(kind)) {
            sockaddr_in to = {};
            to.sin_family = AF_INET;
            to.sin_port = htons(port);
            to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
            for (int i = 0; i < kSendsPerPort; ++i) {
                sendto(s, reinterpret_cast<const char*>(probe.data()), static_cast<int>(probe.size()), 0,
                       reinterpret_cast<const sockaddr*>(&to), sizeof to);
            }
        }
    }
}

void Listen(SOCKET s, Collector& collector) {
    std::vector<char> buffer(kMaxDatagram);
    const ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start < kListenMs) {
        if (!WaitFor(s, false, kReceiveWaitMs)) continue;
        sockaddr_in from = {};
        int fromLength = sizeof from;
        const int length = recvfrom(s, buffer.data(), kMaxDatagram, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (length < 0) continue;
        collector.Offer(reinterpret_cast<const std::uint8_t*>(buffer.data()), static_cast<std::size_t>(length),
                        FromInAddr(from.sin_addr), ntohs(from.sin_port));
    }
}

void Probe(SOCKET s, Collector& collector) {
    if (!WaitFor(s, true, kWritableWaitMs)) return;
    SendProbes(s, collector.Kinds());
    Listen(s, collector);
}

// A worker's whole life: an exception that left a thread's body would end the host's process, so
// memory that runs out in one (the probes, the receive buffer, a peer recorded) fails the
// discovery instead.
void ProbeGuarded(SOCKET s, Collector& collector) noexcept {
    try {
        Probe(s, collector);
    } catch (...) {
        collector.Fail();
    }
}

bool DiscoverOnce(std::uint8_t* result, std::int32_t kindMask, const WorkerStart& start) {
    std::memset(result, 0, kDiscoveryResultSize);
    WinsockSession winsock;
    if (!winsock.Started()) return false;

    const std::vector<Ipv4> local = HostAddresses();
    Collector collector(EffectiveKinds(kindMask), std::set<Ipv4>(local.begin(), local.end()));
    std::vector<UdpSocket> sockets;
    for (Ipv4 address : ProbeAddresses(local)) {
        UdpSocket s = OpenBroadcastSocket(address);
        if (s.Get() != INVALID_SOCKET) sockets.push_back(std::move(s));
    }
    // Room for every worker first: a started thread must never be dropped by a vector that could
    // not grow, or it would end the process.
    std::vector<std::thread> workers;
    workers.reserve(sockets.size());
    bool allStarted = true;
    for (const UdpSocket& s : sockets) {
        try {
            workers.push_back(start([&collector, socket = s.Get()] { ProbeGuarded(socket, collector); }));
        } catch (...) {
            // The started workers use the sockets and the collector: they end before those go.
            allStarted = false;
            break;
        }
    }
    for (std::thread& worker : workers) worker.join();
    return allStarted && !collector.Failed() && collector.WriteResult(result);
}

}  // namespace

std::thread StartWorkerThread(std::function<void()> work) { return std::thread(std::move(work)); }

bool Discover(std::uint8_t* result, std::int32_t kindMask, const WorkerStart& start) noexcept {
    if (!result) return false;
    try {
        std::lock_guard<std::mutex> serialised(discoveryLock);
        return DiscoverOnce(result, kindMask, start);
    } catch (...) {
        // Memory ran out before any worker started: nothing found.
        std::memset(result, 0, kDiscoveryResultSize);
        return false;
    }
}

}  // namespace sorvane
