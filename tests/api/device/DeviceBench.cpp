#include "device/DeviceBench.h"

#include "BrevixCAPI.h"
#include "LibraryThreads.h"
#include "support/CallbackRecorder.h"
#include "support/Waiting.h"
#include "support/Environment.h"
#include "support/TesterLink.h"

#include <windows.h>

#include <cstring>
#include <thread>

namespace bench {
namespace {


Bench* theBench;

class BenchEnvironment : public testing::Environment {
public:
    BenchEnvironment(int machineId, std::function<void()> beforeInit)
        : machineId_(machineId), beforeInit_(std::move(beforeInit)) {}

    void SetUp() override {
        theBench = new Bench;
        const support::VethPair pair = support::TestNetwork();
        ASSERT_FALSE(pair.hostInterface.empty());
        std::string error;
        auto link = support::OpenTesterLink(pair, &error);
        ASSERT_TRUE(link) << error;
        Bench& b = *theBench;
        b.tester = std::make_unique<sim::Tester>(std::move(link));
        const sim::RegisterMap map = machineId_ >= 3 ? sim::RegisterMap::Second : sim::RegisterMap::First;
        b.model = std::make_unique<sim::TesterModel>(*b.tester, machineId_);
        b.counters = std::make_unique<sim::CounterBanks>(*b.tester, map);
        b.phys = std::make_unique<sim::PhyBank>(*b.tester, map);
        b.tables = std::make_unique<sim::TxTables>(*b.tester, map);
        b.eeprom = &b.model->Eeprom();
        sim::TesterIdentity identity;
        identity.model = "Brevix-CF 2x1G";
        identity.serialNumber = "SN0123456789ABCDEFGH";
        identity.productDate = "2019-05-17AB";
        b.model->SetIdentity(identity);
        b.phys->SetLink(0, {true, 1000, true});
        b.tester->Start();
        if (beforeInit_) beforeInit_();
        ASSERT_EQ(BrevixC_SYS_Init(support::CallbackRecorder::Callback, 0), 1);
        char model[32] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(model), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        ASSERT_EQ(BVX_Machine_ID, machineId_);
    }

    void TearDown() override {
        BrevixC_SYS_TerminateProcess();
        if (theBench && theBench->tester) theBench->tester->Stop();
        delete theBench;
        theBench = nullptr;
    }

private:
    const int machineId_;
    const std::function<void()> beforeInit_;
};

}  // namespace

Bench& The() { return *theBench; }

void Register(int machineId, std::function<void()> beforeInit) {
    testing::AddGlobalTestEnvironment(new BenchEnvironment(machineId, std::move(beforeInit)));
}

Interception::Interception(std::function<bool(const Bytes& frame)> handler) {
    The().tester->SetInterceptor(std::move(handler));
}

Interception::~Interception() { The().tester->SetInterceptor(nullptr); }

void HandledByTester() {
    // A reply that comes after the library's short reply time-out leaves the read unanswered: ask
    // again.
    uint32_t value = 0;
    ASSERT_TRUE(support::Eventually([&] { return BVT_Read(0x42000054, &value) == 1; }));
}

std::vector<Bytes> LibraryCommands() {
    std::vector<Bytes> commands;
    for (const sim::LoggedFrame& f : The().tester->Commands()) {
        if (frames::FromLibrary(f.bytes)) commands.push_back(f.bytes);
    }
    return commands;
}

std::vector<Bytes> CommandsBesidesPolls() {
    std::vector<Bytes> commands;
    for (Bytes& f : LibraryCommands()) {
        // 64-bit block reads, and general reads that start in the counter banks of either port.
        const uint32_t first = Get32(f, 16);
        const bool poll = f[14] == 3 || (f[14] == 0 && (first & 0x80000000u) && ((first >> 24) & 0x7F) >= 0x42 &&
                                         ((first >> 24) & 0x7F) <= 0x45);
        if (!poll) commands.push_back(std::move(f));
    }
    return commands;
}

std::vector<std::pair<uint32_t, uint32_t>> WrittenPairs() {
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (const Bytes& f : LibraryCommands()) {
        if (f[14] != 0) continue;
        for (size_t i = 0; i < f[15] && 24 + 8 * i <= f.size(); ++i) {
            const uint32_t address = Get32(f, 16 + 8 * i);
            if (!(address & 0x80000000u)) pairs.emplace_back(address, Get32(f, 20 + 8 * i));
        }
    }
    return pairs;
}

namespace {

int64_t LastLoggedWrite(uint32_t address) {
    int64_t value = -1;
    for (const auto& pair : WrittenPairs()) {
        if (pair.first == address) value = pair.second;
    }
    return value;
}

}  // namespace

int64_t LastWrite(uint32_t address) {
    HandledByTester();
    return LastLoggedWrite(address);
}

int64_t ArrivedWrite(uint32_t address, int64_t expected) {
    int64_t value = -1;
    support::Eventually([&] { return (value = LastLoggedWrite(address)) == expected; });
    return value;
}

std::vector<PortEvent> PortEvents() {
    std::vector<PortEvent> events;
    for (const auto& m : Messages(0xFE00)) events.push_back({Le16(m.bytes, 16), Le32(m.bytes, 18), Le32(m.bytes, 22)});
    return events;
}

BrevixC_PortConfig_T UnchangedPortConfig(uint32_t port) {
    BrevixC_PortConfig_T config;
    std::memset(&config, 0xFF, sizeof config);
    config.port = port;
    return config;
}

std::vector<support::HostMessage> Messages(uint16_t type) { return support::CallbackRecorder::Instance().OfType(type); }

BrevixC_PortCounters_T Statistics(uint8_t port) {
    BrevixC_PortCounters_T block;
    EXPECT_EQ(BrevixC_ReadCounterStatistics(port, &block), 1);
    return block;
}

BrevixC_PortCounters_T Rates(uint8_t port) {
    BrevixC_PortCounters_T block;
    EXPECT_EQ(BrevixC_ReadCounterRate(port, &block), 1);
    return block;
}

void DeviceTest::SetUp() {
    ASSERT_TRUE(support::Eventually([] { return CountLibraryThreads(L"BrevixCAPI SFP worker") == 0; }))
        << "a media detection of an earlier case is still running";
    HandledByTester();
    The().tester->ClearLog();
    support::CallbackRecorder::Instance().Clear();
}

}  // namespace bench
