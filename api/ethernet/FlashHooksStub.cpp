// Until the serial flash layer is part of the library: no flash is ever initialised.

#include "FlashHooks.h"

namespace capi {

bool SerialFlashInitialised() { return false; }

void ShutdownSerialFlash() {}

bool ReadSerialFlashId(uint8_t*, uint8_t*, uint8_t*) { return false; }

}  // namespace capi
