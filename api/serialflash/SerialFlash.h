#pragma once
// What the core of the library asks of the serial flash layer.

#include <cstdint>

namespace capi {

// The flash layer was initialised (by an FPGA download) and is still open.
bool SerialFlashInitialised();
// Closes the flash layer; called by BrevixC_SYS_TerminateProcess while the tester is present.
void ShutdownSerialFlash();
// Reads the flash's identification; the outputs are written only on success.
bool ReadSerialFlashId(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity);

}  // namespace capi
