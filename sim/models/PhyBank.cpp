#include "sim/PhyBank.h"

namespace sim {
namespace {

constexpr uint32_t kMdioCommand = 0x400000D8;
constexpr uint32_t kMdioResult = 0x400000DC;
constexpr uint32_t kLinkReport = 0x400000D4;
constexpr uint32_t kIndirectRegister = 0x400000B0;
constexpr uint32_t kIndirectCommand = 0x400000B4;
constexpr uint32_t kIndirectResult = 0x400000BC;

constexpr uint8_t kLinkNotice = 0;
constexpr uint8_t kPhyNoticePortA = 10;

// Clause 22 power-on values: auto-negotiation on, 1000 Mbit/s full duplex; an identifier.
constexpr uint16_t kControlDefault = 0x1140;
constexpr uint16_t kReset = 0x8000, kRestartAutoNegotiation = 0x0200;
// The multi-gigabit PHY's device-1 register 3 (its type is bits 4-11: 0x9A0).
constexpr uint32_t kMultiGigType = 1u << 16 | 3;
// Its device-3 status register 0x8008: bits 15 and 14 resolved, speed in bits 2-3.
constexpr uint32_t kMultiGigStatus = 3u << 16 | 0x8008;

uint32_t PortLinkBits(const LinkState& link) {
    if (!link.up) return 0;
    uint32_t bits = 1;  // link
    if (link.megabits == 10) bits |= 1 << 1;
    else if (link.megabits == 100) bits |= 1 << 2;
    else bits |= 1 << 3;
    if (link.fullDuplex) bits |= 1 << 4;
    return bits;
}

uint16_t MultiGigStatus(const LinkState& link) {
    if (!link.up) return 0;
    switch (link.megabits) {
    case 1000: return 0x8000;
    case 2500: return 0xC000 | 0x4;
    case 5000: return 0xC000 | 0x8;
    default: return 0xC000;
    }
}

}  // namespace

PhyBank::PhyBank(Tester& tester, RegisterMap map) : tester_(tester), map_(map) {
    for (Phy& phy : phys_) {
        phy.regs[0] = kControlDefault;
        phy.regs[1] = 0x796D;
        phy.regs[2] = 0x0143;
        phy.regs[3] = 0xBCB0;
        phy.indirect[kMultiGigType] = 0x09A5;
    }
    RegisterFile& registers = tester_.Registers();
    registers.OnWrite(kMdioCommand, [this](uint32_t, uint32_t value) { OnMdioCommand(value); });
    registers.OnRead(kMdioResult, [this](uint32_t) {
        std::lock_guard<std::mutex> guard(lock_);
        return mdioResult_;
    });
    registers.OnRead(kLinkReport, [this](uint32_t) { return LinkReport(); });
    registers.OnWrite(kIndirectRegister, [this](uint32_t, uint32_t value) {
        std::lock_guard<std::mutex> guard(lock_);
        indirectRegister_ = value;
    });
    registers.OnWrite(kIndirectCommand, [this](uint32_t, uint32_t value) { OnIndirectCommand(value); });
    registers.OnRead(kIndirectResult, [this](uint32_t) {
        std::lock_guard<std::mutex> guard(lock_);
        return indirectResult_;
    });
    for (int port = 0; port < 2; ++port) {
        const uint32_t address =
            map_ == RegisterMap::First ? 0x400000A0 + 4 * uint32_t(port) : 0x41000190 + PortOffset(port);
        registers.OnRead(address, [this, port](uint32_t) {
            std::lock_guard<std::mutex> guard(lock_);
            return oscillator_[port];
        });
    }
}

void PhyBank::OnMdioCommand(uint32_t command) {
    std::lock_guard<std::mutex> guard(lock_);
    const int port = (command >> 21) & 1;
    const int reg = (command >> 16) & 0x1F;
    Phy& phy = phys_[port];
    if (command & (1u << 24)) {
        const uint16_t value = ReadRegister(phy, reg);
        mdioResult_ = uint32_t(port) << 21 | uint32_t(reg) << 16 | value;
        accesses_.push_back({port, reg, true, value});
    } else {
        WriteRegister(phy, reg, uint16_t(command));
        accesses_.push_back({port, reg, false, uint16_t(command)});
    }
}

// Shadow selection follows the Broadcom convention the tester's PHYs use: 23 picks an expansion
// register with bits 8-11; 24 reads shadow (bits 12-14) when bits 0-2 are 111 and bit 15 is
// clear, else writes shadow (bits 0-2); 28 picks shadow (bits 10-14) and writes it when bit 15 is
// set; 29 picks shadow bit 15.
void PhyBank::WriteRegister(Phy& phy, int reg, uint16_t value) {
    switch (reg) {
    case 0:
        phy.regs[0] = (value & kReset) ? kControlDefault : uint16_t(value & ~kRestartAutoNegotiation);
        return;
    case 23:
        phy.selected[23] = (value >> 8) & 0xF;
        return;
    case 24:
        if ((value & 7) == 7 && !(value & 0x8000)) {
            phy.selected[24] = (value >> 12) & 7;
        } else {
            phy.shadows[24][value & 7] = value;
        }
        return;
    case 28:
        phy.selected[28] = (value >> 10) & 0x1F;
        if (value & 0x8000) phy.shadows[28][phy.selected[28]] = value & 0x3FF;
        return;
    case 29:
        phy.selected[29] = (value >> 15) & 1;
        return;
    default:
        phy.regs[reg] = value;
    }
}

uint16_t PhyBank::ReadRegister(Phy& phy, int reg) {
    switch (reg) {
    case 28:
        return uint16_t(phy.selected[28] << 10 | phy.shadows[28][phy.selected[28]]);
    case 23:
    case 24:
    case 29:
        return phy.shadows[reg][phy.selected[reg]];
    default:
        return phy.regs[reg];
    }
}

void PhyBank::OnIndirectCommand(uint32_t command) {
    std::lock_guard<std::mutex> guard(lock_);
    Phy& phy = phys_[(command >> 24) & 1];
    const uint32_t key = ((command >> 16) & 0x1F) << 16 | (indirectRegister_ & 0xFFFF);
    if (command & (1u << 28)) {
        indirectResult_ = (indirectRegister_ & 0xFFFF) << 16 | phy.indirect[key];
    } else {
        phy.indirect[key] = uint16_t(command);
    }
}

void PhyBank::SetRegister(int port, int reg, uint16_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    phys_[port].regs[reg & 0x1F] = value;
}

uint16_t PhyBank::Register(int port, int reg) const {
    std::lock_guard<std::mutex> guard(lock_);
    return phys_[port].regs[reg & 0x1F];
}

void PhyBank::SetShadow(int port, int reg, int shadow, uint16_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    phys_[port].shadows[reg][shadow & 0x1F] = value;
}

uint16_t PhyBank::Shadow(int port, int reg, int shadow) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = phys_[port].shadows.find(reg);
    return it == phys_[port].shadows.end() ? 0 : it->second[shadow & 0x1F];
}

void PhyBank::SetIndirect(int port, int device, uint16_t reg, uint16_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    phys_[port].indirect[uint32_t(device) << 16 | reg] = value;
}

uint16_t PhyBank::Indirect(int port, int device, uint16_t reg) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = phys_[port].indirect.find(uint32_t(device) << 16 | reg);
    return it == phys_[port].indirect.end() ? 0 : it->second;
}

std::vector<MdioAccess> PhyBank::Accesses() const {
    std::lock_guard<std::mutex> guard(lock_);
    return accesses_;
}

void PhyBank::ClearAccesses() {
    std::lock_guard<std::mutex> guard(lock_);
    accesses_.clear();
}

void PhyBank::SetLink(int port, const LinkState& state) {
    bool changed;
    {
        std::lock_guard<std::mutex> guard(lock_);
        LinkState& link = phys_[port].link;
        changed = link.up != state.up || link.megabits != state.megabits || link.fullDuplex != state.fullDuplex;
        link = state;
        phys_[port].indirect[kMultiGigStatus] = MultiGigStatus(state);
    }
    if (changed) tester_.SendNotice(kLinkNotice, 0);
}

LinkState PhyBank::Link(int port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return phys_[port].link;
}

// First map: Port A in bits 8-15, Port B in bits 0-7, each {link, 10, 100, 1000, full duplex}.
// Second map: one link bit per port, bit 0 for Port A and bit 8 for Port B.
uint32_t PhyBank::LinkReport() const {
    std::lock_guard<std::mutex> guard(lock_);
    if (map_ == RegisterMap::Second) {
        return (phys_[0].link.up ? 1u : 0u) | (phys_[1].link.up ? 0x100u : 0u);
    }
    return PortLinkBits(phys_[0].link) << 8 | PortLinkBits(phys_[1].link);
}

bool PhyBank::SendPhyNotice(int port) { return tester_.SendNotice(uint8_t(kPhyNoticePortA + port), 1); }

void PhyBank::SetOscillator(int port, uint32_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    oscillator_[port] = value;
}

}  // namespace sim
