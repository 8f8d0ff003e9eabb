// Discovery through the export, against the simulator's responder on the discovery pair.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "DiscoveryNetwork.h"
#include "discovery/Discovery.h"
#include "Sorvane.h"
#include "sim/DiscoveryResponder.h"
#include "support/Waiting.h"

namespace {

// Set on a thread whose allocations are to fail: this program's allocator, which the static
// discovery library uses, refuses them.
thread_local bool failAllocationsHere = false;

}  // namespace

// The replacements pair malloc with free; the compiler cannot see that they replace each other.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (failAllocationsHere) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }

void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using sim::DiscoveryResponder;
using Fault = DiscoveryResponder::Fault;
using Peer = DiscoveryResponder::Peer;
using sorvane_test::kHostAddress;

constexpr std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) { return a << 24 | b << 16 | c << 8 | d; }

struct Entry {
    std::uint8_t bytes[4];
    std::uint8_t kind;
    bool operator==(const Entry& o) const { return std::memcmp(bytes, o.bytes, 4) == 0 && kind == o.kind; }
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << int(e.bytes[0]) << '.' << int(e.bytes[1]) << '.' << int(e.bytes[2]) << '.' << int(e.bytes[3]) << '/'
               << int(e.kind);
}

struct Found {
    bool answered = false;
    std::uint8_t record[254];
    std::vector<Entry> Entries() const {
        std::int32_t count;
        std::memcpy(&count, record, 4);
        std::vector<Entry> entries(static_cast<std::size_t>(std::max(count, 0)));
        for (std::size_t i = 0; i < entries.size(); ++i) std::memcpy(&entries[i], record + 4 + 5 * i, 5);
        return entries;
    }
};

Found Discover(std::int32_t kindMask) {
    Found found;
    std::memset(found.record, 0xAA, sizeof found.record);
    found.answered = Ostrel_DiscoverServer(found.record, kindMask);
    return found;
}

Entry E(unsigned a, unsigned b, unsigned c, unsigned d, std::uint8_t kind) {
    return Entry{{std::uint8_t(a), std::uint8_t(b), std::uint8_t(c), std::uint8_t(d)}, kind};
}

std::vector<std::uint16_t> ProbePorts(const std::vector<DiscoveryResponder::Probe>& probes) {
    std::vector<std::uint16_t> ports;
    for (const auto& p : probes) ports.push_back(p.destinationPort);
    return ports;
}

using Discovery = sorvane_test::DiscoveryPairTest;

TEST_F(Discovery, SendsEveryKindsProbeTwiceToEachOfItsPortsInKindOrder) {
    const Found found = Discover(7);
    EXPECT_FALSE(found.answered);
    EXPECT_TRUE(std::all_of(found.record, found.record + 254, [](std::uint8_t b) { return b == 0; }));

    const std::vector<std::uint16_t> expected = {8787, 8787, 8788, 8788, 8789, 8789, 8000, 8000, 9000, 9000};
    ASSERT_TRUE(support::Eventually([&] { return responder_->Probes().size() >= expected.size(); }));
    const auto probes = responder_->Probes();
    EXPECT_EQ(ProbePorts(probes), expected);

    std::vector<std::uint8_t> server(22, 0);
    std::memcpy(server.data(), "Kestrova", 8);
    server[8] = 1;
    server[16] = 4;
    std::vector<std::uint8_t> device(192, 0);
    std::memcpy(device.data(), "quendal", 7);
    device[7] = 32;
    device[9] = 250;
    device[14] = 0xCC;
    device[15] = 0x01;
    device[28] = 0xDC;  // CRC-16/XMODEM of bytes 0-27, most significant byte first
    device[29] = 0x5B;
    for (const auto& probe : probes) {
        EXPECT_EQ(probe.sourceAddress, kHostAddress);
        EXPECT_EQ(probe.destinationAddress, 0xFFFFFFFFu);
        const bool toServers = probe.destinationPort >= 8787 && probe.destinationPort <= 8789;
        EXPECT_EQ(probe.payload, toServers ? server : device) << probe.destinationPort;
    }
}

// A worker thread that cannot be created: the discovery gives its failure result and an empty
// record, and nothing is sent.
TEST_F(Discovery, AWorkerThatCannotStartGivesTheFailureResult) {
    responder_->SetPeers({{Ip(10, 77, 5, 5), 4}});
    std::uint8_t record[254];
    std::memset(record, 0xAA, sizeof record);
    const sorvane::WorkerStart refuse = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    bool answered = true;
    EXPECT_NO_THROW(answered = sorvane::Discover(record, 7, refuse));
    EXPECT_FALSE(answered);
    EXPECT_TRUE(std::all_of(record, record + 254, [](std::uint8_t b) { return b == 0; }));
    // A discovery with its workers then finds the peer: the marker that the failed one sent nothing.
    const Found found = Discover(7);
    EXPECT_TRUE(found.answered);
    EXPECT_EQ(found.Entries(), (std::vector<Entry>{E(10, 77, 5, 5, 4)}));
    ASSERT_TRUE(support::Eventually([&] { return responder_->Probes().size() >= 10; }));
    EXPECT_EQ(responder_->Probes().size(), 10u) << "the probes of the second discovery alone";
}

// Memory that runs out while the workers start: the same failure result, and nothing thrown.
TEST_F(Discovery, MemoryRunningOutAsAWorkerStartsGivesTheFailureResult) {
    std::uint8_t record[254];
    std::memset(record, 0xAA, sizeof record);
    const sorvane::WorkerStart exhausted = [](std::function<void()>) -> std::thread { throw std::bad_alloc(); };
    bool answered = true;
    EXPECT_NO_THROW(answered = sorvane::Discover(record, 7, exhausted));
    EXPECT_FALSE(answered);
    EXPECT_TRUE(std::all_of(record, record + 254, [](std::uint8_t b) { return b == 0; }));
}

// Memory that runs out inside a running worker (its probes, its receive buffer): the failure
// result, an empty record, and the process goes on; the peer that answers a whole discovery is
// not reported.
TEST_F(Discovery, MemoryRunningOutInsideAWorkerGivesTheFailureResult) {
    responder_->SetPeers({{Ip(10, 77, 5, 5), 4}});
    std::uint8_t record[254];
    std::memset(record, 0xAA, sizeof record);
    const sorvane::WorkerStart starved = [](std::function<void()> work) {
        return std::thread([work = std::move(work)] {
            failAllocationsHere = true;
            work();
            failAllocationsHere = false;
        });
    };
    bool answered = true;
    EXPECT_NO_THROW(answered = sorvane::Discover(record, 7, starved));
    EXPECT_FALSE(answered);
    EXPECT_TRUE(std::all_of(record, record + 254, [](std::uint8_t b) { return b == 0; }));
    const Found found = Discover(7);
    EXPECT_TRUE(found.answered) << "a discovery with memory finds the peer";
}

struct MaskCase {
    const char* name;
    std::int32_t mask;
    std::vector<std::uint16_t> ports;
};

class DiscoveryMask : public Discovery, public testing::WithParamInterface<MaskCase> {};

TEST_P(DiscoveryMask, ProbesOnlyTheKindsOfTheLowThreeBits) {
    Discover(GetParam().mask);
    ASSERT_TRUE(support::Eventually([&] { return responder_->Probes().size() >= GetParam().ports.size(); }));
    // A discovery with every kind afterwards marks the end of this one's probes.
    responder_->SetPeers({{Ip(10, 77, 5, 5), 4}});
    Discover(4);
    ASSERT_TRUE(support::Eventually([&] { return responder_->RepliesSent() > 0; }));
    auto ports = ProbePorts(responder_->Probes());
    ports.resize(ports.size() - 2);
    EXPECT_EQ(ports, GetParam().ports);
}

const std::vector<std::uint16_t> kAllPorts = {8787, 8787, 8788, 8788, 8789, 8789, 8000, 8000, 9000, 9000};
INSTANTIATE_TEST_SUITE_P(Masks, DiscoveryMask,
                         testing::Values(MaskCase{"NoneMeansAll", 0, kAllPorts}, MaskCase{"AllThree", 7, kAllPorts},
                                         MaskCase{"OnlyBitEightMeansAll", 8, kAllPorts},
                                         MaskCase{"DevicesOnPort8000", 2, {8000, 8000}},
                                         MaskCase{"ServersAndPort9000", 5 | 16, {8787, 8787, 8788, 8788, 8789, 8789, 9000, 9000}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Discovery, ReportsEachKindInOrderAndAddressesWithTheFirstByteMostSignificant) {
    responder_->SetPeers({{Ip(10, 77, 3, 1), 2},
                          {Ip(10, 77, 1, 9), 2},
                          {Ip(10, 77, 2, 3), 2},
                          {Ip(10, 77, 9, 9), 4},
                          {Ip(10, 77, 200, 1), 1}});
    const Found found = Discover(0);
    EXPECT_TRUE(found.answered);
    EXPECT_EQ(found.Entries(), (std::vector<Entry>{E(10, 77, 200, 1, 1), E(10, 77, 1, 9, 2), E(10, 77, 2, 3, 2),
                                                   E(10, 77, 3, 1, 2), E(10, 77, 9, 9, 4)}));
}

TEST_F(Discovery, AnAddressAnsweringTwoKindsGivesOneEntryPerKind) {
    responder_->SetPeers({{Ip(10, 77, 4, 4), 1}, {Ip(10, 77, 4, 4), 2}});
    EXPECT_EQ(Discover(7).Entries(), (std::vector<Entry>{E(10, 77, 4, 4, 1), E(10, 77, 4, 4, 2)}));
}

TEST_F(Discovery, KindsOutsideTheMaskAreNotReported) {
    responder_->SetPeers({{Ip(10, 77, 4, 4), 1}, {Ip(10, 77, 4, 5), 2}, {Ip(10, 77, 4, 6), 4}});
    EXPECT_EQ(Discover(4).Entries(), (std::vector<Entry>{E(10, 77, 4, 6, 4)}));
}

struct BadReply {
    const char* name;
    std::uint8_t kind;
    Fault fault;
};

class DiscoveryBadReply : public Discovery, public testing::WithParamInterface<BadReply> {};

TEST_P(DiscoveryBadReply, IsIgnoredWhileAGoodOneIsReported) {
    responder_->SetPeers({{Ip(10, 77, 6, 6), GetParam().kind, GetParam().fault}, {Ip(10, 77, 7, 7), 4}});
    const Found found = Discover(7);
    EXPECT_EQ(found.Entries(), (std::vector<Entry>{E(10, 77, 7, 7, 4)}));
    EXPECT_TRUE(support::Eventually([&] { return responder_->RepliesSent() >= 4; }));  // both peers, both probes
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DiscoveryBadReply,
    testing::Values(BadReply{"ShortServerReply", 1, Fault::Short}, BadReply{"ShortDeviceReply", 2, Fault::Short},
                    BadReply{"ServerReplyWithWrongMagic", 1, Fault::WrongMagic},
                    BadReply{"DeviceReplyWithWrongMagic", 2, Fault::WrongMagic},
                    BadReply{"DeviceReplyWithSwappedCrcBytes", 2, Fault::BadCrc},
                    BadReply{"ServerReplyFromPort8788", 1, Fault::WrongSourcePort},
                    BadReply{"DeviceReplyFromPort8001", 2, Fault::WrongSourcePort}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Discovery, AReplyAfterTheListeningTimeIsNotReported) {
    responder_->SetPeers({{Ip(10, 77, 8, 1), 2, Fault::Late}, {Ip(10, 77, 8, 2), 2}});
    EXPECT_EQ(Discover(2).Entries(), (std::vector<Entry>{E(10, 77, 8, 2, 2)}));
    // The late replies did go out, to sockets that no longer listen.
    EXPECT_TRUE(support::Eventually([&] { return responder_->RepliesSent() >= 4; }));
}

TEST_F(Discovery, DuplicatedRepliesGiveOneEntry) {
    responder_->SetPeers({{Ip(10, 77, 8, 3), 1, Fault::Duplicated}});
    EXPECT_EQ(Discover(1).Entries(), (std::vector<Entry>{E(10, 77, 8, 3, 1)}));
    EXPECT_TRUE(support::Eventually([&] { return responder_->RepliesSent() == 6; }));  // two probes, three copies
}

TEST_F(Discovery, AReplyFromTheHostsOwnAddressIsNotReported) {
    responder_->SetPeers({{kHostAddress, 2}, {Ip(10, 77, 8, 4), 2}});
    EXPECT_EQ(Discover(2).Entries(), (std::vector<Entry>{E(10, 77, 8, 4, 2)}));
}

TEST_F(Discovery, MoreThanFiftyPeersGiveTheFirstFifty) {
    std::vector<Peer> peers;
    for (unsigned i = 60; i >= 1; --i) peers.push_back({Ip(10, 77, 12, i), 2});
    responder_->SetPeers(peers);
    const std::vector<Entry> entries = Discover(2).Entries();
    ASSERT_EQ(entries.size(), 50u);
    for (unsigned i = 0; i < 50; ++i) EXPECT_EQ(entries[i], E(10, 77, 12, i + 1, 2)) << i;
}

TEST_F(Discovery, ANullRecordIsRefusedWithoutProbing) {
    EXPECT_FALSE(Ostrel_DiscoverServer(nullptr, 7));
    responder_->SetPeers({{Ip(10, 77, 8, 5), 4}});
    Discover(4);
    EXPECT_EQ(ProbePorts(responder_->Probes()), (std::vector<std::uint16_t>{9000, 9000}));
}

TEST_F(Discovery, ConcurrentCallersEachGetTheirWholeResult) {
    responder_->SetPeers({{Ip(10, 77, 9, 1), 1}, {Ip(10, 77, 9, 2), 4}});
    const std::vector<Entry> expected = {E(10, 77, 9, 1, 1), E(10, 77, 9, 2, 4)};
    Found first, second;
    std::thread other([&] { second = Discover(5); });
    first = Discover(5);
    other.join();
    EXPECT_EQ(first.Entries(), expected);
    EXPECT_EQ(second.Entries(), expected);
}

TEST_F(Discovery, LeavesTheSocketsLayerAsItFoundIt) {
    // Nothing in this process starts the sockets layer but the library under test.
    Discover(1);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace
