#include "CounterWindowBench.h"

#include "res/resource.h"
#include "sim/CounterBanks.h"
#include "support/Environment.h"

#include <chrono>
#include <cmath>

namespace countertest {

namespace {

using sim::CounterBanks;

struct RowSource {
    int row;
    uint32_t offset;        // in the port's counter bank
    bool lineRate = false;  // bits per second, shown in Mbps
};
constexpr uint32_t A(uint32_t entry) { return CounterBanks::BlockA(entry); }
// Where each counter row's value lives in the tester: the registers of the tail and the entries of
// the 42-counter block.
const RowSource kSources[] = {
    {4, CounterBanks::kTxPackets},
    {5, CounterBanks::kTxBytes},
    {6, CounterBanks::kTxLineRate, true},
    {7, CounterBanks::kTxPacketRate},
    {8, A(11)},
    {9, CounterBanks::kRxBytes},
    {10, CounterBanks::kRxLineRate, true},
    {11, CounterBanks::kRxPacketRate},
    {12, A(8)},
    {13, A(7)},
    {14, A(6)},
    {16, A(9)},
    {17, A(14)},
    {18, A(15)},
    {19, A(16)},
    {20, A(17)},
    {21, A(18)},
    {22, A(19)},
    {23, A(10)},
    {25, A(0)},
    {26, A(1)},
    {27, A(2)},
    {28, A(4)},
    {29, A(3)},
    {31, A(5)},
    {32, A(13)},
};

// Thousands grouping by the system's own number formatting, not the program's.
std::wstring Grouped(uint64_t value) {
    const std::wstring digits = std::to_wstring(value);
    NUMBERFMTW format{0, 1, 3, const_cast<wchar_t*>(L"."), const_cast<wchar_t*>(L","), 1};
    wchar_t text[64];
    if (GetNumberFormatW(LOCALE_INVARIANT, 0, digits.c_str(), &format, text, 64) == 0) return L"?";
    return text;
}

}  // namespace

void CounterWindowBench::SetUp() {
    DialogBench::SetUp();
    // Only this program's own wire is searched, so that a demo-mode run finds no tester of another
    // test program that runs beside it.
    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", support::TestNetwork().hostInterface.c_str());
}

void CounterWindowBench::TearDown() {
    control_.reset();
    if (demo_) demo_->Stop();
    demo_.reset();
    DialogBench::TearDown();
}

void CounterWindowBench::StartBusyTester(int machineId) {
    StartTester(machineId);
    sim::DemoTraffic::Schedule schedule;
    schedule.firstFlap = std::chrono::hours(1);  // a test's flaps are its own
    demo_ = std::make_unique<sim::DemoTraffic>(*tester_, schedule);
    demo_->Start();
    control_ = std::make_unique<sim::TesterControl>(*tester_, demo_.get(), std::string());
}

void CounterWindowBench::FreezeTraffic() { demo_->Stop(); }

void CounterWindowBench::ShowPort(CVorel_TAP_Test3Dlg& dialog, int port) {
    appbench::ChooseMenuCommand(dialog, port == 0 ? ID_PORT_A_COUNTER : ID_PORT_B_COUNTER);
}

std::wstring CounterWindowBench::ExpectedRow(int port, int row) const {
    for (const RowSource& source : kSources) {
        if (source.row != row) continue;
        const uint64_t value = tester_->Counters().Get(port, source.offset);
        return Grouped(source.lineRate ? static_cast<uint64_t>(std::llround(value / 1e6)) : value);
    }
    return std::wstring();
}

std::string CounterWindowBench::Mismatches(CVorel_TAP_Test3Dlg& dialog, int port) const {
    std::string lines;
    for (const RowSource& source : kSources) {
        const std::wstring shown = dialog.portCounterWindow.RowValue(source.row).GetString();
        const std::wstring expected = ExpectedRow(port, source.row);
        if (shown != expected) {
            lines += std::to_string(source.row) + ": " + testing::PrintToString(shown) + " / " +
                     testing::PrintToString(expected) + "\n";
        }
    }
    return lines;
}

INT_PTR CounterWindowBench::RunAndExit(const std::function<void(CVorel_TAP_Test3Dlg&)>& driver) {
    return RunDialog([&driver](CVorel_TAP_Test3Dlg& dialog) {
        driver(dialog);
        Exit(dialog);
    });
}

}  // namespace countertest
