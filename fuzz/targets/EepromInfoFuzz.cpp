// The tester's EEPROM information block through its decoding into the information record.

#include "core/EepromDecoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sorvane::EepromImage image{};
    std::memcpy(image.data(), data, std::min(image.size(), size));
    EepromInfoRecord record;
    sorvane::DecodeEepromInfo(image, record);
    if (size > image.size() + 1) {
        const unsigned low = data[image.size()], high = data[image.size() + 1];
        sorvane::ExtractBits(uint16_t(image[0] << 8 | image[1]), low, high);
    }
    return 0;
}
