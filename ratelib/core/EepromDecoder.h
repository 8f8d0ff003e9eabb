// The tester's information block in its 93C56 EEPROM: numbers most significant byte first,
// texts 7-bit ASCII, a packed manufacture date.
#pragma once

#include <array>
#include <cstdint>

#include "SorvaneRecords.h"

namespace sorvane {

using EepromImage = std::array<std::uint8_t, kEepromImageSize>;

// Clears the record and fills it field by field; returns false at the first text or date that
// fails its check, keeping what was decoded up to that point.
bool DecodeEepromInfo(const EepromImage& image, EepromInfoRecord& record);

// Bits low..high of a word, shifted down; a bound above 15 or high below low gives 0.
std::uint16_t ExtractBits(std::uint16_t word, unsigned low, unsigned high);

bool IsCalendarDate(unsigned year, unsigned month, unsigned day);

}  // namespace sorvane
