#include "identity/EepromAccess.h"

#include "BrevixCEeprom.h"
#include "identity/Identity.h"
#include "protocol/RegisterMap.h"
#include "protocol/Wire.h"

#include <cstring>

extern "C" {
uint8_t eeprom_93c56[256];
}

namespace capi {
namespace {

constexpr uint32_t kWriteEnable = 0x08000000;
constexpr uint32_t kWriteDisable = 0x04000000;

// The command's top nibble selects the model's EEPROM (the model table's selector).
uint32_t Selector() { return uint32_t(Identity::Instance().Row().eepromSelector) << 28; }

}  // namespace

EepromState& EepromState::Instance() {
    static EepromState state;
    return state;
}

void EepromState::Reset() {
    writeAllowed = false;
    awaitedWord = kNoAwaitedWord;
    initialised_ = true;
}

void EepromState::StoreWord(uint8_t word, uint16_t value) {
    if (word >= kEepromWords) return;
    std::lock_guard<std::mutex> guard(imageLock_);
    eeprom_93c56[2 * word] = static_cast<uint8_t>(value);
    eeprom_93c56[2 * word + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t EepromState::Word(uint8_t word) {
    std::lock_guard<std::mutex> guard(imageLock_);
    return static_cast<uint16_t>(eeprom_93c56[2 * word + 1] << 8 | eeprom_93c56[2 * word]);
}

void EepromState::StoreBytes(uint8_t word, const uint8_t* bytes, size_t count) {
    std::lock_guard<std::mutex> guard(imageLock_);
    std::memcpy(eeprom_93c56 + 2 * word, bytes, count);
}

void EepromState::CopyBytes(uint8_t word, uint8_t* bytes, size_t count) {
    std::lock_guard<std::mutex> guard(imageLock_);
    std::memcpy(bytes, eeprom_93c56 + 2 * word, count);
}

int ReadEepromWords(uint8_t word, uint8_t count) {
    if (count == 0 || count > 16) return 0;
    const uint32_t selector = Selector();
    uint32_t pairs[64];
    for (uint8_t i = 0; i < count; ++i) {
        pairs[4 * i] = reg::kEepromCommand;
        pairs[4 * i + 1] = kReadFlag | selector | uint32_t(uint8_t(word + i)) << 16;
        pairs[4 * i + 2] = reg::kEepromCommand | kReadFlag;
        pairs[4 * i + 3] = 0;
    }
    return BVT_GenW(2 * count, pairs);
}

int WriteEepromWords(uint8_t word, uint8_t count) {
    if (count == 0 || count > 16) return 0;
    const uint32_t selector = Selector();
    EepromState& eeprom = EepromState::Instance();
    uint32_t pairs[2 * 18];
    pairs[0] = reg::kEepromCommand, pairs[1] = selector | kWriteEnable;
    for (uint8_t i = 0; i < count; ++i) {
        const uint8_t address = uint8_t(word + i);
        pairs[2 + 2 * i] = reg::kEepromCommand;
        pairs[3 + 2 * i] = selector | uint32_t(address) << 16 | eeprom.Word(address);
    }
    pairs[2 + 2 * count] = reg::kEepromCommand, pairs[3 + 2 * count] = selector | kWriteDisable;
    return BVT_GenW(count + 2u, pairs);
}

}  // namespace capi
