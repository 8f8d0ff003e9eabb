#pragma once
// What the core asks of the USB control channel of the Brevix-H family.

#include <cstdint>

namespace capi {

// BrevixC_SYS_Init: a USB-attached Brevix-H unit answers (device type 4, connect, terminate).
bool ProbeUsbUnit();
// Connect for machine ids 3 and 4: connect to the unit, read the identity fields and the firmware
// word over the channel, and close it; false when the unit does not answer.
bool ReadUsbIdentity();
// BrevixC_SYS_GetManualInfo on machine ids 3 and 4: index 0 the model name, 1 the serial number.
bool ReadUsbIdentityField(int32_t index);
int SetVcxoAdjustPpm(uint16_t ppm);
int GetVcxoAdjustPpm();

}  // namespace capi
