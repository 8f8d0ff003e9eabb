#pragma once
// PHY registers through the tester's MDIO command register 0x400000D8. A read leaves its result in
// register 0x400000DC, whose read reply the dispatcher files in the PHY result table and announces
// on the "PhyRead" event. Registers 23, 24, 28 and 29 have shadow banks, chosen by selector bits
// written to the register itself.

#include "protocol/ReplyBody.h"

#include <atomic>
#include <cstdint>

namespace capi {

constexpr uint16_t kNoShadow = 0xFFFF;

// The PHY result table: 32 entries indexed by bits 16-20 of a PHY result word, and a bit for each
// entry filled since the reader last cleared it. Written by the receive thread, read by the reading
// thread.
struct PhyResults {
    std::atomic<uint16_t> entry[32] = {};
    std::atomic<uint32_t> arrived{0};
};
PhyResults& PhyResultTable();
// Receive thread: a read reply of the PHY result register; files the result and signals
// "PhyRead".
void ParsePhyResult(const ReplyBody& body);

// Reads a register (with a shadow selector for 23, 24, 28 and 29). A read that gets no result
// is retried 11 times, a second each; then the port's PHY counts as lost (0xFF00, value 254).
bool PhyRead(uint8_t port, uint16_t reg, uint16_t* value, uint16_t shadow);
bool PhyWrite(uint8_t port, uint16_t reg, uint16_t value, uint16_t shadow = kNoShadow);
// Resets the port's PHY (register 0 := 0x8000), then waits 20 ms.
bool PortReset(uint8_t port);
// The MDIO command word that writes a register of a port's PHY.
uint32_t MdioWriteCommand(uint8_t port, uint16_t reg, uint16_t value);

}  // namespace capi
