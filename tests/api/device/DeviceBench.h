#pragma once
// A simulated tester with counter banks, PHYs, Tx tables and a 93C56 on the test's veth pair, and
// the library connected to it once for the whole test program. Frames are written here from the
// wire formats, independently of the library.

#include "BrevixCCounters.h"
#include "BrevixCPorts.h"
#include "sim/CounterBanks.h"
#include "sim/Eeprom93C56.h"
#include "sim/PhyBank.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "sim/TxTables.h"
#include "support/CallbackRecorder.h"
#include "support/Frames.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace bench {

using Bytes = std::vector<uint8_t>;

struct Bench {
    std::unique_ptr<sim::Tester> tester;
    std::unique_ptr<sim::TesterModel> model;
    std::unique_ptr<sim::CounterBanks> counters;
    std::unique_ptr<sim::PhyBank> phys;
    std::unique_ptr<sim::TxTables> tables;
    sim::Eeprom93C56* eeprom = nullptr;  // the tester model's chip
};

// The bench of this program; a test program registers it once with the machine id to play, and
// what must be in place before the library starts (run just before BrevixC_SYS_Init).
Bench& The();
void Register(int machineId, std::function<void()> beforeInit = {});

// For its lifetime, a handler sees each frame the tester receives before the tester answers it,
// and consumes it (no answer) by returning true. It runs on the tester's thread; one at a time.
class Interception {
public:
    explicit Interception(std::function<bool(const Bytes& frame)> handler);
    ~Interception();
    Interception(const Interception&) = delete;
    Interception& operator=(const Interception&) = delete;
};

// A test of the bench that starts with an empty frame log and no recorded host messages.
class DeviceTest : public testing::Test {
protected:
    // Starts from a quiet library with an empty log: a media detection that an earlier case started
    // has finished, and what that case sent has been handled.
    void SetUp() override;
};

// Returns once the tester has handled every frame this thread sent before: the tester handles
// frames in order, and a read of this thread is answered. The read is of a counter bank register
// that no handler looks at, so it counts among the polls.
void HandledByTester();

// Command frames the library sent since the tester's log was last cleared.
std::vector<Bytes> LibraryCommands();
// The same without the counter poller's reads, which come every second whatever a test does.
std::vector<Bytes> CommandsBesidesPolls();
// The register writes of the general commands the library sent, in order, as (address, value).
std::vector<std::pair<uint32_t, uint32_t>> WrittenPairs();
// The value of the last general write of a register, or -1 when none was sent. It looks once the
// tester has handled everything this thread sent before: writes that the library sends without
// waiting for their reply reach the tester a little after the call returns.
int64_t LastWrite(uint32_t address);
// The same for a write another thread of the library sends: the value once it has arrived.
int64_t ArrivedWrite(uint32_t address, int64_t expected);

using frames::Get32;
using frames::Le16;
// Signed, as the host messages' event values are.
inline int32_t Le32(const Bytes& b, size_t at) { return int32_t(frames::Le32(b, at)); }

// Host messages of a type recorded since the recorder was last cleared.
std::vector<support::HostMessage> Messages(uint16_t type);

// A port's events (host messages 0xFE00) since the recorder was last cleared.
struct PortEvent {
    uint16_t port;
    int32_t event, value;
    bool operator==(const PortEvent& o) const { return port == o.port && event == o.event && value == o.value; }
};
std::vector<PortEvent> PortEvents();

// A port configuration record that changes nothing (every field 0xFF...) but names the port.
BrevixC_PortConfig_T UnchangedPortConfig(uint32_t port);

// The port's statistics and rate blocks as the library holds them now (the copy must succeed).
BrevixC_PortCounters_T Statistics(uint8_t port);
BrevixC_PortCounters_T Rates(uint8_t port);

}  // namespace bench
