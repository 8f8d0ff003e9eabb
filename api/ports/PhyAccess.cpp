// PHY register reads and writes through the MDIO command register.

#include "ports/PhyAccess.h"

#include "BrevixCAPI.h"
#include "ports/PortImages.h"
#include "ports/Ports.h"
#include "protocol/CommandProtocol.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "runtime/HostMessages.h"
#include "runtime/NamedObjects.h"
#include "runtime/PumpWait.h"

namespace capi {
namespace {

constexpr uint32_t kMdioRead = 1u << 24;
constexpr uint32_t kShadowEnable = 1u << 30;
// A read that gets no result is retried this often before the PHY counts as lost.
constexpr int kPhyReadRetries = 11;
constexpr DWORD kPhyResultWaitMs = 1000;
constexpr uint16_t kSfpShadowRegister = 28;

bool HasShadow(uint16_t reg) { return reg == 23 || reg == 24 || reg == 28 || reg == 29; }

// The bits of a shadowed register that choose its shadow.
uint16_t ShadowSelector(uint16_t reg, uint16_t shadow) {
    switch (reg) {
    case 23:
        return shadow & 0xF00;
    case 24:
        return uint16_t((shadow & 7) << 12 | 7);
    case 28:
        return uint16_t((shadow & 0x1F) << 10);
    case 29:
        return uint16_t((shadow & 1) << 15);
    default:
        return 0;
    }
}

// A register value with its shadow selector merged in.
uint16_t WithShadow(uint16_t reg, uint16_t value, uint16_t shadow) {
    switch (reg) {
    case 23:
        return uint16_t((value & ~0xF00) | ShadowSelector(reg, shadow));
    case 24:
        return uint16_t((value & ~0x7007) | ShadowSelector(reg, shadow));
    case 28:
        return uint16_t((value & ~0x7C00) | ShadowSelector(reg, shadow));
    case 29:
        return uint16_t((value & ~0x8000) | ShadowSelector(reg, shadow));
    default:
        return value;
    }
}

// The shadowed registers are read with the tester's shadow control (bit 30 of 0x400000D4) off.
bool SetShadowControl(bool on) {
    const uint32_t image = RegisterImages::Instance().Update([on](RegisterImageSet& images) {
        SetBit(images.shadowControl, 30, on);
        return images.shadowControl;
    });
    return BVT_Write(reg::kShadowControl, image) != 0;
}

enum class PhyAnswer { Arrived, Missed, NotSent };

// Sends the read of the PHY result register and waits up to a second for the register's result to
// reach the table. The event and the register's arrived bit are cleared before the read leaves, so
// a reply that is already in when the read returns counts without a wait, and an earlier result
// never does. "PhyRead" is a named event of the whole session: another process, or a late result of
// another register, may set it. Only the register's own result ends the wait. A read that could
// not be sent (no connection, the adapter gone) has nothing to wait for.
PhyAnswer AskPhyResult(uint16_t reg) {
    PhyResults& table = PhyResultTable();
    const uint32_t bit = 1u << (reg & 0x1F);
    ResetPhyRead();
    table.arrived &= ~bit;
    CommandFrame frame;
    const uint32_t result = reg::kPhyResult;
    BuildGeneralReadFrame(frame, 1, &result);
    if (CommandChannel::Instance().SendAndWait(frame) == Exchange::NotSent) return PhyAnswer::NotSent;
    const DWORD start = GetTickCount();
    for (;;) {
        if (table.arrived & bit) return PhyAnswer::Arrived;
        const DWORD elapsed = TicksSince(start);
        if (elapsed >= kPhyResultWaitMs) return PhyAnswer::Missed;
        // Reset before looking again: a result filed after the look sets the event anew.
        ResetPhyRead();
        if (table.arrived & bit) return PhyAnswer::Arrived;
        WaitPhyRead(kPhyResultWaitMs - elapsed);
    }
}

}  // namespace

uint32_t MdioWriteCommand(uint8_t port, uint16_t reg, uint16_t value) {
    return uint32_t(port & 1) << 21 | uint32_t(reg & 0x1F) << 16 | value;
}

bool PhyWrite(uint8_t port, uint16_t reg, uint16_t value, uint16_t shadow) {
    if (port > 1) return false;
    const uint16_t data = shadow == kNoShadow ? value : WithShadow(reg, value, shadow);
    const uint32_t command = PortImages::Instance().Update([&](PortImageSet& images) {
        images.mdioCommand = MdioWriteCommand(port, reg, data);
        return images.mdioCommand;
    });
    return BVT_Write(reg::kMdioCommand, command) != 0;
}

bool PortReset(uint8_t port) {
    if (!PhyWrite(port, 0, 0x8000)) return false;
    PumpWait(20);
    return true;
}

bool PhyRead(uint8_t port, uint16_t reg, uint16_t* value) { return PhyRead(port, reg, value, kNoShadow); }

bool PhyRead(uint8_t port, uint16_t reg, uint16_t* value, uint16_t shadow) {
    if (port > 1) return false;
    // The result comes through the receive thread: waiting on it there would hold up the only
    // thread that could deliver it, and every other call's reply with it.
    if (CommandChannel::Instance().OnReceiveThread()) return false;
    const bool shadowed = HasShadow(reg);
    if (shadowed) {
        if (!SetShadowControl(false)) return false;
        PumpWait(1);
        if (shadow != kNoShadow) PhyWrite(port, reg, ShadowSelector(reg, shadow));
    }
    const uint32_t command = PortImages::Instance().Update([&](PortImageSet& images) {
        images.mdioCommand = (images.mdioCommand & ~(1u << 21 | 0x1Fu << 16)) | kMdioRead |
                             uint32_t(port & 1) << 21 | uint32_t(reg & 0x1F) << 16;
        return images.mdioCommand;
    });
    if (!BVT_Write(reg::kMdioCommand, command)) return false;
    PumpWait(1);

    int misses = 0;
    for (;;) {
        const PhyAnswer answer = AskPhyResult(reg);
        if (answer == PhyAnswer::Arrived) break;
        // Not sent: the tester cannot be reached, which says nothing of its PHY.
        if (answer == PhyAnswer::NotSent) return false;
        if (++misses > kPhyReadRetries) {
            NotifyDeviceLost(port, BREVIXC_LOST_PHY_TIMEOUT, 0, 0);
            return false;
        }
        // The SFP status lives in register 28: its silence means media detection failed.
        if (reg == kSfpShadowRegister) NotifyPortEvent(port, BREVIXC_EVENT_MEDIA_DETECTION, 0);
        PumpWait(1);
    }
    *value = PhyResultTable().entry[reg & 0x1F];
    if (shadowed) SetShadowControl(true);
    return true;
}

PhyResults& PhyResultTable() {
    static PhyResults table;
    return table;
}

void ParsePhyResult(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    PhyResults& table = PhyResultTable();
    table.entry[(*value >> 16) & 0x1F] = static_cast<uint16_t>(*value);
    table.arrived |= 1u << ((*value >> 16) & 0x1F);
    SignalPhyRead();
}

}  // namespace capi
