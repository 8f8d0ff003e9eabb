// The USB control channel until it is part of the library: no unit ever answers.

#include "usb/Usb.h"

namespace capi {

bool ProbeUsbUnit() { return false; }

bool ReadUsbIdentity() { return false; }

bool ReadUsbIdentityField(int32_t) { return false; }

int SetVcxoAdjustPpm(uint16_t) { return 0; }

int GetVcxoAdjustPpm() { return 0; }

}  // namespace capi
