#pragma once
// The link state of the ports and the replies that change it: the link report, the multi-gigabit
// PHY's poll answer (machine id 4) and the oscillator measurement. Each sends the host its message.

#include "protocol/ReplyBody.h"

#include <atomic>
#include <cstdint>

namespace capi {

constexpr uint16_t kLinkDown = 255;
// The PHY type word of the multi-gigabit PHY (machine id 4).
constexpr uint16_t kMultiGigPhy = 0x9A0;
// Machine id 4: the PHY poll rounds that ask a port the link report found up for its status
// before the poller gives up on its PHY until the next report.
constexpr uint8_t kPhyStatusAsks = 5;

// Per-port link state: written by the link report and the PHY poll reply on the receive thread,
// read by the PHY poller, the oscillator result and the ports layer.
struct LinkState {
    std::atomic<uint16_t> speedCode[2] = {};
    std::atomic<uint8_t> lastReportCode[2] = {};
    std::atomic<bool> linkFlag[2] = {};  // machine id 4: up, and its PHY has not answered the poll yet
    std::atomic<uint8_t> statusAsksLeft[2] = {};  // machine id 4: the poll rounds left to ask it
    std::atomic<bool> linkDown[2] = {};
    std::atomic<uint16_t> phyType[2] = {};
    std::atomic<uint8_t> multiGigCode[2] = {};
};
LinkState& Links();

void ParseLinkReport(const ReplyBody& body);
void ParsePhyPollReply(const ReplyBody& body);
void SendOscillatorMessage(uint8_t port, const ReplyBody& body);

// A link report value decoded into the speed codes of Port A and Port B for a machine id.
struct LinkCodes {
    uint16_t portA;
    uint16_t portB;
};
LinkCodes DecodeLinkReport(uint32_t value, int32_t machineId);

}  // namespace capi
