// Exports that decode the tester's EEPROM information block.
#include <cstring>

#include "Sorvane.h"
#include "core/EepromDecoder.h"

namespace {

// The decoder works on a private copy: the caller's image is never written.
std::uint16_t ParseImage(EepromInfoRecord* record, const std::uint8_t* image) {
    if (!record) {
        return 0;
    }
    if (!image) {
        *record = EepromInfoRecord{};
        return 0;
    }
    sorvane::EepromImage copy;
    std::memcpy(copy.data(), image, copy.size());
    return sorvane::DecodeEepromInfo(copy, *record) ? 1 : 0;
}

}  // namespace

extern "C" {

std::uint16_t WINAPI Ostrel_ParseEEPROMData(EepromInfoRecord* record, const std::uint8_t* image) {
    return ParseImage(record, image);
}

// The second card type keeps the same information block at the same offsets.
std::uint16_t WINAPI Ostrel_ParseEEPROMData_LiteCard(EepromInfoRecord* record, const std::uint8_t* image) {
    return ParseImage(record, image);
}

}
