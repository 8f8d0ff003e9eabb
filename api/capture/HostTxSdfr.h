#pragma once
// Host Tx addresses and the SDFR settings of a port: register writes from records, nothing read
// back. The SDFR words' host copies live with the other register images.

#include "BrevixCCapture.h"

#include <cstdint>

namespace capi {

int HostTxConfigure(uint8_t port, const BrevixC_HostTxConfig_T& config);
int SdfrConfigure(uint8_t port, const BrevixC_SdfrConfig_T& config);
int SetSdfrEnable(uint8_t port, uint32_t value);
uint32_t SdfrEnable(uint8_t port);

}  // namespace capi
