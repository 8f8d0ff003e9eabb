// The link status request, the PHY identification reads of the multi-gigabit PHY, its speed
// class, PHY notices and the oscillator measurement.

#include "BrevixCAPI.h"
#include "counters/Counters.h"
#include "ports/LinkReports.h"
#include "ports/PortControls.h"
#include "ports/PortMaps.h"
#include "ports/Ports.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"
#include "runtime/PumpWait.h"

#include <atomic>

namespace capi {
namespace {

constexpr uint32_t kIndirectRead = 0x10000000;

// The port whose answer in 0x400000BC the dispatcher is to file: set by the identification reads
// (connect's thread, the PHY poller), read by the receive thread.
std::atomic<uint8_t> phyReplyPort{0};

// Asks the multi-gigabit PHY for a device register through the indirect window; the answer is
// read from 0x400000BC.
void AskPhyRegister(uint8_t port, uint32_t reg, uint32_t device) {
    const uint32_t pairs[4] = {reg::kIndirectRegister, reg, reg::kIndirectCommand,
                               uint32_t(port & 1) << 24 | kIndirectRead | device << 16};
    BVT_GenW(2, pairs);
}

void ReadPhyAnswer(uint8_t port) {
    phyReplyPort = port;
    BrevixT_SeqR(1, reg::kIndirectResult);
}

// One identification at a time, and no lock across its waits. Its steps share the PHY's indirect
// window and the expected reply port, so a caller that finds an identification running (on
// another thread, or in a message handler dispatched during its pumped waits) returns without
// reading. Waiting for it instead could mean waiting for a thread that is itself waiting for the
// caller, as terminate waits for the PHY poller; the poller asks again in its next round.
// Set and cleared by the identifying thread.
std::atomic<bool> identifying{false};

class IdentificationClaim {
public:
    IdentificationClaim() : held_(!identifying.exchange(true)) {}
    ~IdentificationClaim() {
        if (held_) identifying = false;
    }
    IdentificationClaim(const IdentificationClaim&) = delete;
    IdentificationClaim& operator=(const IdentificationClaim&) = delete;
    bool Held() const { return held_; }

private:
    const bool held_;
};

uint32_t SpeedClassValue(uint8_t speedCode) {
    switch (speedCode) {
    case 11:
        return 133;  // 1 Gbit/s
    case 15:
        return 135;  // 2.5 Gbit/s
    case 17:
        return 137;  // 5 Gbit/s
    default:
        return 139;  // 10 Gbit/s
    }
}

// The oscillator of a port is measured with its port switch bit (13 Port A, 5 Port B) off; the
// measurement reaches the host as 0x1D00, which turns the bit back on.
int ReadOscillator(uint8_t port) {
    const int bit = port == 0 ? 13 : 5;
    auto setBit = [bit](bool on) {
        return RegisterImages::Instance().Update([&](RegisterImageSet& images) {
            images.portSwitch = on ? images.portSwitch | 1u << bit : images.portSwitch & ~(1u << bit);
            return images.portSwitch;
        });
    };
    if (!BVT_Write(reg::kPortSwitch, setBit(false))) return BVT_Write(reg::kPortSwitch, setBit(true));
    const uint32_t reg = UsesSecondMap() ? reg::kOscillatorSecondMap + PortOffset(port) : reg::kOscillator + 4u * port;
    return BrevixT_SeqR(1, reg);
}

}  // namespace

bool RequestLinkStatus() {
    if (PollSelector() != 255) return true;
    return BrevixT_SeqR(1, reg::kLinkReport) != 0;
}

void GetPHYName(uint8_t port) {
    const IdentificationClaim claim;
    if (!claim.Held()) return;
    LinkState& links = Links();
    const uint8_t p = port & 1;
    links.phyType[p] = 0;
    // A port that is up stays asked for (its status answer clears its flag), so that one lost
    // answer costs a round, not the port's link report for the session; a PHY that stays silent
    // is given up after a few rounds, until the next link report.
    if (links.linkFlag[p] && links.statusAsksLeft[p].fetch_sub(1) <= 1) {
        links.statusAsksLeft[p] = 0;
        links.linkFlag[p] = false;
    }
    AskPhyRegister(port, 3, 1);
    PumpWait(50);
    Log("(API)(GetPHYName) Port:", port);
    ReadPhyAnswer(port);
    PumpWait(100);
    Log("(API)(GetPHYMedia)(88x33)(x.8008) Port = ", port);
    AskPhyRegister(port, 0x8008, 3);
    PumpWait(50);
    ReadPhyAnswer(port);
}

bool IdentificationUnderWay() { return identifying; }

uint8_t PhyReplyPort() { return phyReplyPort; }

void ForwardPhyNotice(uint8_t port, uint32_t stampSeconds, uint32_t stampMicroseconds) {
    HostMessage message(BREVIXC_MSG_PHY_NOTICE);
    message.Put16(BREVIXC_EVENT_PORT, port);
    message.Send(BREVIXC_MSG_LENGTH, stampSeconds, stampMicroseconds);
}

void SetPortSpeedClass(uint8_t port, uint8_t speedCode) {
    if (port == 254) return;
    if (!UsesSecondMap()) {
        if (port == 255) PumpWait(5);
        return;
    }
    const uint32_t value = SpeedClassValue(speedCode);
    if (port == 255) {
        BVT_Write(reg::kSpeedClass, value);
        PumpWait(5);
        BVT_Write(reg::kSpeedClass + PortOffset(1), value);
    } else if (port <= 1) {
        BVT_Write(reg::kSpeedClass + PortOffset(port), value);
    }
}

int ReadOscillatorValue(uint8_t port) {
    const PortList ports = PortsOf(port);
    if (ports.empty()) return 0;
    RequestLinkStatus();
    PumpWait(50);
    for (uint8_t p : ports) {
        if (!ReadOscillator(p)) return 0;
    }
    return 1;
}

}  // namespace capi
