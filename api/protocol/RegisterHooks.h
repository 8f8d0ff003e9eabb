#pragma once
// Handlers of the replies that carry the tester's identity, link state and 1 ms reports, and the
// per-port link state they keep.

#include "protocol/ReplyBody.h"

#include <atomic>
#include <cstdint>

namespace capi {

constexpr uint16_t kLinkDown = 255;

// Per-port link state: written by the link report and the PHY poll reply on the receive thread,
// read by the PHY poller, the oscillator result and the ports layer.
struct LinkState {
    std::atomic<uint16_t> speedCode[2] = {};
    std::atomic<uint8_t> lastReportCode[2] = {};
    std::atomic<bool> linkFlag[2] = {};  // machine id 4: up, and its PHY has not answered the poll yet
    std::atomic<bool> linkDown[2] = {};
    std::atomic<uint16_t> phyType[2] = {};
    std::atomic<uint8_t> multiGigCode[2] = {};
};
LinkState& Links();

// The PHY result table: 32 entries indexed by bits 16-20 of a PHY result word.
struct PhyResults {
    std::atomic<uint16_t> entry[32] = {};
    std::atomic<bool> arrived{false};
};
PhyResults& PhyResultTable();

// Identity replies: the EEPROM command register's answers and the system ID pair. They count as
// the tester answering an identity read.
void ParseEepromReply(const ReplyBody& body);
void ParseSystemIdReply(const ReplyBody& body);
// Answers seen since the counter was last reset (by connect).
int IdentityAnswers();
void ResetIdentityAnswers();
// Set when the reply to the last identity read of connect (EEPROM word 48) has been parsed.
bool IdentityComplete();
void SetIdentityComplete(bool complete);

void ParseLinkReport(const ReplyBody& body);
void ParsePhyPollReply(const ReplyBody& body);
void ParsePhyResult(const ReplyBody& body);
void ParseVersionReply(const ReplyBody& body);
void SendOscillatorMessage(uint8_t port, const ReplyBody& body);
void SendPacketRate1ms(const ReplyBody& body);
void SendByteRate1ms(const ReplyBody& body);
void SendStackCounter1ms(uint8_t port, const ReplyBody& body);
void ParseCaptureStatusReply(const ReplyBody& body);

// A link report value decoded into the speed codes of Port A and Port B for a machine id.
struct LinkCodes {
    uint16_t portA;
    uint16_t portB;
};
LinkCodes DecodeLinkReport(uint32_t value, int32_t machineId);

}  // namespace capi
