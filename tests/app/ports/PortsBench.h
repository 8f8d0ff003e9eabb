#pragma once
// What the port tests read from the simulated tester: the register writes the library sent, in order.

#include "DialogBench.h"
#include "main/Globals.h"
#include "support/gui/Input.h"
#include "support/Environment.h"
#include "support/Frames.h"
#include "support/gui/Pump.h"
#include "support/Waiting.h"

#include <framework/Seams.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <commctrl.h>

namespace portsbench {

// Every (register, value) the host wrote, from the tester's journal of command frames.
inline std::vector<std::pair<uint32_t, uint32_t>> Writes(sim::FullTester& tester) {
    std::vector<std::pair<uint32_t, uint32_t>> writes;
    for (const sim::LoggedFrame& logged : tester.Device().Commands()) {
        const sim::Bytes& f = logged.bytes;
        if (f.size() < 16 || f[14] != 0) continue;
        for (size_t i = 0; i < f[15] && 24 + 8 * i <= f.size(); ++i) {
            const uint32_t address = frames::Get32(f, 16 + 8 * i);
            if (!(address & 0x80000000u)) writes.emplace_back(address, frames::Get32(f, 20 + 8 * i));
        }
    }
    return writes;
}

// The values written to one register, in order.
inline std::vector<uint32_t> WritesTo(sim::FullTester& tester, uint32_t address) {
    std::vector<uint32_t> values;
    for (const auto& write : Writes(tester)) {
        if (write.first == address) values.push_back(write.second);
    }
    return values;
}

// The main dialog against a whole tester; every test leaves the clock, the tester and the host's
// link as it found them.
class PortsTest : public appbench::DialogBench {
protected:
    void TearDown() override {
        framework::SetClockStandIn(nullptr);
        if (tester_) tester_->Device().SetInterceptor(nullptr);
        if (linkDown_) SetHostLink(true);
        appbench::DialogBench::TearDown();
    }
    // Runs the checks on the shown dialog, then ends it through File, Exit whatever they found,
    // once the start-up media detection is over: a connection ended while the library's media
    // worker still runs spoils the next connection's first writes.
    void Run(const std::function<void(CVorel_TAP_Test3Dlg&)>& checks) {
        RunDialog([&checks](CVorel_TAP_Test3Dlg& dialog) {
            checks(dialog);
            support::gui::PumpUntil([&dialog] { return !dialog.progressPanel.IsWindowVisible(); },
                                    static_cast<DWORD>(support::kPatience.count()));
            Exit(dialog);
        });
    }
    bool SetHostLink(bool up) {
        const bool done = support::RunUnixCommand("/usr/sbin/ip link set " + support::TestNetwork().hostInterface +
                                                  (up ? " up" : " down"));
        if (done) linkDown_ = !up;
        return done;
    }

private:
    bool linkDown_ = false;
};

}  // namespace portsbench
