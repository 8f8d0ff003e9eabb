#include "sim/Eeprom93C56.h"

namespace sim {
namespace {

constexpr uint32_t kCommandRegister = 0x40000030;
constexpr uint32_t kRead = 0x80000000;
constexpr uint32_t kWriteEnable = 0x08000000;
constexpr uint32_t kWriteDisable = 0x04000000;

}  // namespace

Eeprom93C56::Eeprom93C56(Tester& tester, uint8_t selector) : selector_(selector & 7) {
    words_.fill(0xFFFF);
    RegisterFile& registers = tester.Registers();
    registers.OnWrite(kCommandRegister, [this](uint32_t, uint32_t value) { OnCommand(value); });
    registers.OnRead(kCommandRegister, [this](uint32_t) {
        std::lock_guard<std::mutex> guard(lock_);
        return dataOut_;
    });
}

void Eeprom93C56::SetSelector(uint8_t selector) {
    std::lock_guard<std::mutex> guard(lock_);
    selector_ = selector & 7;
}

void Eeprom93C56::OnCommand(uint32_t command) {
    std::lock_guard<std::mutex> guard(lock_);
    if (((command >> 28) & 7) != selector_) {
        dataOut_ = 0xFFFF;
        return;
    }
    const uint8_t address = uint8_t(command >> 16) & 0x7F;
    if (command & kRead) {
        dataOut_ = words_[address];
    } else if (command & kWriteEnable) {
        writeEnabled_ = true;
    } else if (command & kWriteDisable) {
        writeEnabled_ = false;
    } else if (writeEnabled_) {
        words_[address] = uint16_t(command);
    } else {
        ++refusedWrites_;
    }
}

void Eeprom93C56::SetWord(uint8_t address, uint16_t value) {
    std::lock_guard<std::mutex> guard(lock_);
    words_[address & 0x7F] = value;
}

uint16_t Eeprom93C56::Word(uint8_t address) const {
    std::lock_guard<std::mutex> guard(lock_);
    return words_[address & 0x7F];
}

bool Eeprom93C56::WriteEnabled() const {
    std::lock_guard<std::mutex> guard(lock_);
    return writeEnabled_;
}

size_t Eeprom93C56::RefusedWrites() const {
    std::lock_guard<std::mutex> guard(lock_);
    return refusedWrites_;
}

}  // namespace sim
