#include "ports/PortControls.h"

#include "link/Detection.h"
#include "ports/LinkReports.h"
#include "ports/PhyAccess.h"
#include "ports/PortImages.h"
#include "ports/Ports.h"
#include "protocol/RegisterMap.h"
#include "runtime/DebugStream.h"
#include "runtime/PumpWait.h"

#include <atomic>
#include <cstdio>

namespace capi {
namespace {

// Media programmings since the count last started: counted on the host's threads, started again
// by ResetMediaChanges.
std::atomic<uint32_t> mediaChanges{0};

// Clause 22 registers: control, advertisement, 1000BASE-T control.
constexpr uint16_t kControl = 0, kAdvertisement = 4, kGigabitControl = 9;

struct Control {
    uint16_t value;
    uint16_t forced;
};
// Register 0 by media code 0-11: speed, duplex and auto-negotiation.
constexpr Control kControls[12] = {
    {0x0000, 1}, {0x0100, 1}, {0x2000, 1}, {0x2100, 1}, {0x1200, 0}, {0x1300, 0},
    {0x3200, 0}, {0x3300, 0}, {0x0040, 1}, {0x0140, 1}, {0x1240, 0}, {0x1340, 0},
};

bool MultiGig(uint8_t port) { return Links().phyType[port] == kMultiGigPhy; }

// The PHY is programmed with the tester's shadow control (bit 30 of 0x400000D4) off, and the
// clause 22 programming turns it on again. The words are written as they are: the host's image of
// the register, which the port configuration sets and writes, is not changed.
constexpr uint32_t kShadowControlOn = 1u << 30;

bool WriteShadowControl(uint32_t word) {
    const uint32_t pair[2] = {reg::kShadowControl, word};
    return BVT_GenW(1, pair) != 0;
}

void SetForced(uint8_t port, uint16_t forced) {
    PortImages::Instance().Update([&](PortImageSet& images) { images.forcedMode[port] = forced; });
}

uint16_t Forced(uint8_t port) {
    return PortImages::Instance().Update([&](PortImageSet& images) { return images.forcedMode[port]; });
}

// One write through the multi-gigabit PHY's indirect window: a device register and its data.
bool WriteIndirect(uint8_t port, uint16_t reg, uint32_t device, uint16_t data) {
    const uint32_t pairs[4] = {reg::kIndirectRegister, reg, reg::kIndirectCommand, uint32_t(port & 1) << 24 | device << 16 | data};
    return BVT_GenW(2, pairs) != 0;
}

int ProgramMultiGig(const BrevixC_MediaType_T& media) {
    const uint8_t port = uint8_t(media.port);
    const uint32_t code = media.media;
    Log("(API)(DoBrevixC_SetMediaType) Port = ", port, ", Media = ", code);
    if (code == 8 || code == 9) {
        SetForced(port, 0);
        return WriteIndirect(port, 0, 1, 0x0040);
    }
    uint16_t advertisement = 1;
    bool writeAdvertisement = true, writeControl = false;
    if (code == 10 || code == 11) {
        SetForced(port, 0);
        writeControl = true, writeAdvertisement = false;
    } else if (code <= 19) {
        SetForced(port, code % 2 == 0 ? 1 : 0);
    }  // codes from 20 on keep the port's forced-mode flag as it was
    const bool autoNegotiation = Forced(port) == 0;
    if (autoNegotiation) {
        const uint32_t abilities = media.abilities;
        if (abilities & 0x01) advertisement |= 0x140;
        if (abilities & 0x80) advertisement |= 0xA0;
        if (abilities & 0x40) advertisement |= 0x1002;
        if (abilities & 0xC1) writeAdvertisement = true, writeControl = false;
        if (abilities == 16 || abilities == 32) writeAdvertisement = false, writeControl = true;
    }
    bool sent = true;
    if (writeAdvertisement) sent &= WriteIndirect(port, 0x20, 7, advertisement);
    if (writeControl) sent &= WriteIndirect(port, 0, 1, 0x0040);
    if (autoNegotiation) {
        Log("(API)(DoBrevixC_SetMediaType) Port = ", port, " (Auto-Nego.)");
        sent &= WriteIndirect(port, 0, 7, writeControl ? 0x1200 : 0x2200);
    }
    return sent ? 1 : 0;
}

int ProgramClause22(const BrevixC_MediaType_T& media) {
    const uint8_t port = uint8_t(media.port);
    const uint32_t code = media.media;
    const uint32_t abilities = media.abilities;
    const uint16_t advertisement = uint16_t(0x0001 | (abilities & 1 ? 0x20 : 0) | (abilities & 2 ? 0x40 : 0) |
                                            (abilities & 4 ? 0x80 : 0) | (abilities & 8 ? 0x100 : 0));
    uint16_t gigabit = uint16_t((abilities & 0x10 ? 0x100 : 0) | (abilities & 0x20 ? 0x200 : 0));
    // Manual master/slave (high byte 1): low byte 0 slave (0x1000), 1 master (0x1800); any other
    // low byte leaves the choice to the PHY.
    if (media.masterSlave >> 8 == 1 && (media.masterSlave & 0xFF) <= 1)
        gigabit |= (media.masterSlave & 0xFF) == 1 ? 0x1800 : 0x1000;
    const Control control = kControls[code];
    SetForced(port, control.forced);

    char line[64];
    std::snprintf(line, sizeof line, "port (%d) M:%04X, G:%04X, speed:%04X", port, advertisement, gigabit, control.value);
    Log(line);

    bool sent;
    if (code <= 3) {
        sent = PhyWrite(port, kControl, control.value);
        if (!sent) return 0;
    } else if (code == 8 || code == 9) {
        const uint32_t pairs[4] = {reg::kMdioCommand, MdioWriteCommand(port, kGigabitControl, gigabit),
                                   reg::kMdioCommand, MdioWriteCommand(port, kControl, control.value)};
        sent = BVT_GenW(2, pairs) != 0;
    } else {
        const uint32_t pairs[6] = {reg::kMdioCommand, MdioWriteCommand(port, kAdvertisement, advertisement),
                                   reg::kMdioCommand, MdioWriteCommand(port, kGigabitControl, gigabit),
                                   reg::kMdioCommand, MdioWriteCommand(port, kControl, control.value)};
        sent = BVT_GenW(3, pairs) != 0;
    }
    Sleep(200);
    return WriteShadowControl(kShadowControlOn) && sent ? 1 : 0;
}

}  // namespace

int ProgramMedia(const BrevixC_MediaType_T& media) {
    if (media.port > 1) return 0;
    const uint8_t port = uint8_t(media.port);
    const uint32_t code = media.media;
    const bool powerDown = code == BREVIXC_MEDIA_POWER_DOWN;
    // Codes from 12 on exist only on the multi-gigabit PHY, which takes every code from 8 on.
    const bool multiGig = !powerDown && code >= 8 && MultiGig(port);
    if (!powerDown && !multiGig && code > 11) return 0;

    // Counted once the call is taken: from here on the PHY may change, whether or not every write
    // goes out.
    ++mediaChanges;
    if (powerDown) return PhyWrite(port, kControl, 0x0800) ? 1 : 0;
    if (!WriteShadowControl(0)) return 0;
    Sleep(200);
    return multiGig ? ProgramMultiGig(media) : ProgramClause22(media);
}

uint32_t MediaChanges() { return mediaChanges; }

void ResetMediaChanges() { mediaChanges = 0; }

int SetAutoMdix(uint8_t port, uint16_t mode) {
    if (port > 1 || mode > 2) return 0;
    // Detection chose the tester's adapter: the PHY has the tester's extended registers.
    const bool extended = Detection::Instance().Chosen().has_value();
    uint16_t value = 0;
    if (!PhyRead(port, 16, &value)) return 0;
    if (extended) value = mode != 1 ? uint16_t(value | 0x4000) : uint16_t(value & 0x8000);
    else value = mode != 1 ? uint16_t(value | 0x40) : uint16_t(value & 0xFF80);
    PhyWrite(port, 16, value);

    if (Forced(port) && extended) {
        PhyWrite(port, 24, 0x7007);
        if (!PhyRead(port, 24, &value)) return 0;
        value |= 0x8000;
        value = mode != 1 ? uint16_t(value & 0xFC00) : uint16_t(value | 0x200);
        PhyWrite(port, 24, value);
    }

    const uint16_t reg = extended ? 30 : 16;
    if (!PhyRead(port, reg, &value)) return 0;
    if (extended) value = mode == 0 ? uint16_t(value & 0xFF00) : mode == 2 ? uint16_t(value | 0x80) : value;
    else value = mode == 0 ? uint16_t(value & 0xFFC0) : mode == 2 ? uint16_t(value | 0x20) : value;
    PhyWrite(port, reg, value);

    const bool changed = PortImages::Instance().Update([&](PortImageSet& images) {
        if (images.autoMdixMode[port] == mode) return false;
        images.autoMdixMode[port] = mode;
        return true;
    });
    if (changed) {
        if (!PhyRead(port, kControl, &value)) return 0;
        PhyWrite(port, kControl, uint16_t(value | 0x1200));  // restart auto-negotiation
        PumpWait(1000);
    }
    return 1;
}

}  // namespace capi
