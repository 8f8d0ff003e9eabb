#pragma once
// What the EEPROM calls ask of the USB channel: machine ids 3 and 4 keep their 93C56 behind it.

#include <cstddef>
#include <cstdint>

namespace capi {

// Selects the Brevix-H device type and connects to the unit; false when it does not answer.
bool OpenUsbUnit();
void CloseUsbUnit();
// Reads `count` words from `word`; the words' bytes follow 4 bytes of header in `answer`, which
// holds at least 4 + 2 x count bytes.
bool ReadUsbEeprom(uint8_t word, uint8_t count, uint8_t* answer);
// Writes a 72-byte record: the word address at bytes 0-1, the word count at 4-5 and the words'
// bytes from byte 10.
bool WriteUsbEeprom(const uint8_t* record, size_t length);

}  // namespace capi
