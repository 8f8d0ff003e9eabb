// The USB channel's EEPROM commands until that channel is part of the library: no unit answers.

#include "usb/Usb.h"

namespace capi {

bool OpenUsbUnit() { return false; }

void CloseUsbUnit() {}

bool ReadUsbEeprom(uint8_t, uint8_t, uint8_t*) { return false; }

bool WriteUsbEeprom(const uint8_t*, size_t) { return false; }

}  // namespace capi
