#pragma once
// The tester's 93C56 serial EEPROM (128 16-bit words) behind its command register 0x40000030.
// The host writes a command word; a read command leaves the word in the register, where the
// host's next read of 0x40000030 finds it in the low 16 bits. Command words carry the chip's
// selector in bits 28-30; a command with another selector reaches no chip.
//   read word a:        0x80000000 | selector << 28 | a << 16
//   write enable:       selector << 28 | 0x08000000
//   write word a, d:    selector << 28 | a << 16 | d
//   write disable:      selector << 28 | 0x04000000
// Writes change the array only between write enable and write disable, as on the chip. An erased
// chip reads 0xFFFF in every word.

#include "sim/Tester.h"

#include <array>
#include <mutex>

namespace sim {

class Eeprom93C56 {
public:
    Eeprom93C56(Tester& tester, uint8_t selector);
    // The tester answers another selector when it plays another machine.
    void SetSelector(uint8_t selector);
    Eeprom93C56(const Eeprom93C56&) = delete;
    Eeprom93C56& operator=(const Eeprom93C56&) = delete;

    void SetWord(uint8_t address, uint16_t value);
    uint16_t Word(uint8_t address) const;
    bool WriteEnabled() const;
    // Word writes that arrived while writing was disabled (the chip ignores them).
    size_t RefusedWrites() const;

private:
    void OnCommand(uint32_t command);

    // Guarded by lock_: the simulator's receive thread runs the commands, tests read and set words.
    mutable std::mutex lock_;
    uint8_t selector_;
    std::array<uint16_t, 128> words_{};
    bool writeEnabled_ = false;
    uint32_t dataOut_ = 0xFFFF;  // an unselected chip leaves the data lines high
    size_t refusedWrites_ = 0;
};

}  // namespace sim
