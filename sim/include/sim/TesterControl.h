#pragma once
// What a person or a test does to a running simulated tester, by call or by a line of text (the
// control channel's language; words in any case):
//   lose                      the tester falls silent and its cable is pulled: the host's side of
//                             the wire goes down, as when the tester is unplugged
//   return                    the cable is back and the tester answers again
//   link a|b|both up|down     a port's link
//   burst a|b|both            a few seconds of errored frames of every kind the model counts
//   status                    what the tester is doing
//   help                      the commands
// Each line gets one reply line, "ok: ..." or "error: ...".

#include "sim/DemoTraffic.h"
#include "sim/FullTester.h"

#include <mutex>
#include <string>

namespace sim {

class TesterControl {
public:
    // `demo` (or null) runs the traffic; `hostInterface` is the Linux interface on the host's side
    // of the tester's wire (bvh0 for bvd0), taken down while the tester is lost; when empty, a lost
    // tester only falls silent.
    TesterControl(FullTester& tester, DemoTraffic* demo, std::string hostInterface);

    // Each false when the host's side of the wire could not be taken down or up.
    bool Lose();
    bool Return();
    bool Lost() const;
    void SetLink(int port, bool up);
    // False without demonstration traffic: nothing sends the errored frames.
    bool StartErrorBurst(int port);

    // One command line; returns its reply line.
    std::string Execute(const std::string& line);

private:
    std::string Status() const;
    bool SetHostSide(bool up);

    FullTester& tester_;
    DemoTraffic* const demo_;
    const std::string hostInterface_;
    mutable std::mutex lock_;  // one command at a time: the channel's readers and in-process callers
    bool lost_ = false;
};

// The host's side of a veth pair of the test namespace: bvh<n> for bvd<n>; empty for any other name.
std::string HostSideOf(const std::string& deviceInterface);

}  // namespace sim
