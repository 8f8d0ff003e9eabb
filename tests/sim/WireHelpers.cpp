#include "WireHelpers.h"

#include "support/Environment.h"

#include <thread>

using namespace std::chrono_literals;

namespace wire {

Bytes General(const std::vector<std::pair<uint32_t, uint32_t>>& pairs) {
    Bytes f = frames::LibraryCommand(0, uint8_t(pairs.size()), {}, 16 + 8 * pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        Put32(f, 16 + 8 * i, pairs[i].first);
        Put32(f, 20 + 8 * i, pairs[i].second);
    }
    return f;
}

Bytes Read(uint32_t address) { return General({{0x80000000 | address, 0}}); }

Bytes Write(uint32_t address, uint32_t value) { return General({{address, value}}); }

Bytes SequentialRead(uint32_t start, unsigned count) {
    return frames::LibraryCommand(1, uint8_t(count), {start});
}

Bytes SequentialRead64(uint32_t start, unsigned count) {
    return frames::LibraryCommand(3, uint8_t(count), {start});
}

Bytes SequentialWrite(uint32_t start, const std::vector<uint32_t>& values) {
    Bytes f = frames::LibraryCommand(2, uint8_t(values.size()), {start}, 20 + 4 * values.size());
    for (size_t i = 0; i < values.size(); ++i) Put32(f, 20 + 4 * i, values[i]);
    return f;
}

std::unique_ptr<sim::PcapLink> ModelTest::OpenPair() {
    const support::VethPair pair = support::TestNetwork();
    if (pair.hostInterface.empty()) return nullptr;
    std::string error;
    auto deviceSide = sim::PcapLink::Open(pair.deviceInterface, &error);
    EXPECT_TRUE(deviceSide) << error;
    auto hostSide = sim::PcapLink::Open(pair.hostInterface, &error);
    EXPECT_TRUE(hostSide) << error;
    if (!deviceSide || !hostSide) return nullptr;
    host_ = std::make_unique<sim::Capture>(std::move(hostSide));
    return deviceSide;
}

void ModelTest::SetUp() {
    auto deviceSide = OpenPair();
    ASSERT_TRUE(deviceSide);
    tester_ = std::make_unique<sim::Tester>(std::move(deviceSide));
}

void ModelTest::TearDown() {
    if (tester_) tester_->Stop();
}

Bytes ModelTest::Exchange(const Bytes& command) {
    host_->Clear();
    EXPECT_TRUE(host_->Send(command));
    return host_->Take(sim::OfType(sim::kReplyType), support::kPatience);
}

void ModelTest::PassedThroughTester() {
    // A broadcast of the local experimental EtherType, which the tester logs and never answers,
    // from an address of its own and numbered, so that each call waits for its own marker.
    static const uint8_t kMarkerSource[6] = {0x02, 0x00, 0x00, 0xEC, 0x40, 0x02};
    static uint32_t sequence = 0;
    Bytes marker(60, 0);
    for (int i = 0; i < 6; ++i) marker[i] = 0xFF, marker[6 + i] = kMarkerSource[i];
    marker[12] = 0x88, marker[13] = 0xB5;
    Put32(marker, 14, ++sequence);
    ASSERT_TRUE(host_->Send(marker));
    ASSERT_TRUE(tester_->WaitForFrame([&](const Bytes& f) { return f == marker; }, support::kPatience))
        << "the marker frame never reached the tester";
}

uint32_t ModelTest::ReadRegister(uint32_t address) {
    const Bytes reply = Exchange(Read(address));
    EXPECT_GE(reply.size(), 24u);
    return reply.size() < 24 ? 0 : Get32(reply, 20);
}

void ModelTest::WriteRegister(uint32_t address, uint32_t value) {
    EXPECT_FALSE(Exchange(Write(address, value)).empty());
}

std::vector<uint64_t> ModelTest::Read64(uint32_t start, unsigned count) {
    const Bytes reply = Exchange(SequentialRead64(start, count));
    std::vector<uint64_t> values;
    if (reply.size() < 20 + 8 * count) {
        ADD_FAILURE() << "short reply of " << reply.size() << " bytes";
        return values;
    }
    for (unsigned i = 0; i < count; ++i) {
        values.push_back(Get32(reply, 20 + 8 * i) | uint64_t(Get32(reply, 24 + 8 * i)) << 32);
    }
    return values;
}

}  // namespace wire
