#pragma once
// The live counter window of the real main dialog, against a simulated tester at work (its
// demonstration traffic and control channel), with the rows it must show worked out from the
// simulator's own counters.

#include "DialogBench.h"
#include "sim/DemoTraffic.h"
#include "sim/TesterControl.h"

#include <memory>
#include <string>

namespace countertest {

class CounterWindowBench : public appbench::DialogBench {
protected:
    void SetUp() override;
    void TearDown() override;

    // A Brevix-CF (or the model of the machine id) with its demonstration traffic running (no flap
    // unless the test asks).
    void StartBusyTester(int machineId = 1);
    // Stops the traffic: from then on every counter of the simulator holds still.
    void FreezeTraffic();
    sim::TesterControl& Control() { return *control_; }

    // Shows the port's live counter page by the menu's Port A / Port B Counter.
    static void ShowPort(CVorel_TAP_Test3Dlg& dialog, int port);
    // The row's text as it must read for the simulator's counters of the port now; empty for the
    // rows that show no counter.
    std::wstring ExpectedRow(int port, int row) const;
    // Whether every counter row of the live window shows the simulator's counters of the port.
    bool RowsMatch(CVorel_TAP_Test3Dlg& dialog, int port) const { return Mismatches(dialog, port).empty(); }
    // The rows that differ, as "row: shown / expected" lines.
    std::string Mismatches(CVorel_TAP_Test3Dlg& dialog, int port) const;
    // Runs the driver in the dialog and ends the dialog however the driver returns.
    INT_PTR RunAndExit(const std::function<void(CVorel_TAP_Test3Dlg&)>& driver);

    std::unique_ptr<sim::DemoTraffic> demo_;
    std::unique_ptr<sim::TesterControl> control_;
};

}  // namespace countertest
