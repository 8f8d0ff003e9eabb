#pragma once
// The operations behind the Tx exports. Each returns the export's result; the callers have checked
// the device mode where an export needs packet-generator operation.

#include "BrevixCTx.h"
#include "tx/TxImages.h"

namespace capi {

// Writes one stream entry of port 0 or 1: descriptor, extension, modifier block and payload.
int WriteTxEntry(uint8_t port, const BrevixC_TxEntry_T& entry);
int ModifyTxEntries(uint8_t port, const BrevixC_TxModify_T& modify);
int ConfigureTx(uint8_t port, uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4, uint32_t gapHigh, uint32_t gapLow);
int WriteRunParameters(uint8_t port, uint32_t mode, uint32_t count, uint32_t amount);
// A Tx command to port 0 or 1 (its own command register) or 255 (the shared one).
int SendTxCommand(uint8_t port, TxCommand command);
int SetTxGap(uint32_t gap);
int SetTinyGap(uint8_t port, uint8_t enable);
// Lets the host send frames through the port, or stops it. Also the host responder's switch.
int SetHostSend(uint8_t port, uint8_t enable);
int SendHostFrame(uint8_t port, const uint8_t* frame, uint32_t length);

}  // namespace capi
