#pragma once
// The tester's per-port PHYs as the host reaches them:
// - the MDIO window: the host writes a command to 0x400000D8 (bit 24 read, bit 21 port, bits
//   16-20 register, bits 0-15 data); a read leaves port << 21 | register << 16 | value in
//   0x400000DC for the host's next read of it. Registers 23, 24, 28 and 29 have shadow banks,
//   chosen by selector bits written to the register itself. Register 0 bits 15 (reset) and 9
//   (restart auto-negotiation) clear themselves.
// - the indirect window of the multi-gigabit PHY: 0x400000B0 takes a register number, 0x400000B4
//   a command (bit 24 port, bit 28 read, bits 16-20 device, bits 0-15 data); a read leaves
//   register << 16 | value in 0x400000BC.
// - the link report 0x400000D4, built from each port's link state; a change of link state sends
//   a link notice. PHY notices (kinds 10 and 11) are sent on request.
// - the oscillator measurement registers.

#include "sim/RegisterMap.h"
#include "sim/Tester.h"

#include <array>
#include <map>
#include <mutex>
#include <vector>

namespace sim {

struct LinkState {
    bool up = false;
    int megabits = 1000;  // 10, 100, 1000; 2500, 5000, 10000 on the multi-gigabit PHY
    bool fullDuplex = true;
};

struct MdioAccess {
    int port = 0;
    int reg = 0;
    bool read = false;
    uint16_t value = 0;  // written, or read
};

class PhyBank {
public:
    PhyBank(Tester& tester, RegisterMap map);
    PhyBank(const PhyBank&) = delete;
    PhyBank& operator=(const PhyBank&) = delete;

    void SetRegister(int port, int reg, uint16_t value);
    uint16_t Register(int port, int reg) const;
    void SetShadow(int port, int reg, int shadow, uint16_t value);
    uint16_t Shadow(int port, int reg, int shadow) const;
    void SetIndirect(int port, int device, uint16_t reg, uint16_t value);
    uint16_t Indirect(int port, int device, uint16_t reg) const;
    // Every MDIO command the host gave, in order.
    std::vector<MdioAccess> Accesses() const;
    void ClearAccesses();

    // Changes a port's link; when it differs from before, the tester sends a link notice.
    void SetLink(int port, const LinkState& state);
    LinkState Link(int port) const;
    uint32_t LinkReport() const;
    bool SendPhyNotice(int port);
    void SetOscillator(int port, uint32_t value);

private:
    struct Phy {
        std::array<uint16_t, 32> regs{};
        std::map<int, std::array<uint16_t, 32>> shadows;  // register -> shadow bank
        std::array<int, 32> selected{};                   // shadow chosen for reading
        std::map<uint32_t, uint16_t> indirect;            // device << 16 | register
        LinkState link;
    };

    void OnMdioCommand(uint32_t command);
    void WriteRegister(Phy& phy, int reg, uint16_t value);
    uint16_t ReadRegister(Phy& phy, int reg);
    void OnIndirectCommand(uint32_t command);

    Tester& tester_;
    const RegisterMap map_;
    // Guarded by lock_: the simulator's receive thread runs the commands, tests set and read.
    mutable std::mutex lock_;
    std::array<Phy, 2> phys_;
    std::vector<MdioAccess> accesses_;
    uint32_t mdioResult_ = 0;      // 0x400000DC
    uint32_t indirectRegister_ = 0;  // 0x400000B0
    uint32_t indirectResult_ = 0;  // 0x400000BC
    std::array<uint32_t, 2> oscillator_{};
};

}  // namespace sim
