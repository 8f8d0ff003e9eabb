#include "EepromAccess.h"

#include "BrevixCAPI.h"
#include "Identity.h"
#include "Wire.h"

namespace capi {

EepromState& EepromState::Instance() {
    static EepromState state;
    return state;
}

void EepromState::Reset() {
    writeAllowed = false;
    awaitedWord = kNoAwaitedWord;
}

void EepromState::StoreWord(uint8_t word, uint16_t value) {
    if (word >= 128) return;
    std::lock_guard<std::mutex> guard(imageLock_);
    image_[2 * word] = static_cast<uint8_t>(value);
    image_[2 * word + 1] = static_cast<uint8_t>(value >> 8);
}

int ReadEepromWords(uint8_t word, uint8_t count) {
    if (count == 0 || count > 16) return 0;
    // The command's top nibble selects the model's EEPROM (the model table's selector).
    const uint32_t selector = uint32_t(Identity::Instance().Row().eepromSelector) << 28;
    uint32_t pairs[64];
    for (uint8_t i = 0; i < count; ++i) {
        pairs[4 * i] = kEepromCommandRegister;
        pairs[4 * i + 1] = kReadFlag | selector | uint32_t(uint8_t(word + i)) << 16;
        pairs[4 * i + 2] = kEepromCommandRegister | kReadFlag;
        pairs[4 * i + 3] = 0;
    }
    return BVT_GenW(2 * count, pairs);
}

}  // namespace capi
