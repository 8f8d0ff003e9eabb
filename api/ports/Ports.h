#pragma once
// What the core asks of the ports, PHY and media layer.

#include "protocol/ReplyBody.h"

#include <cstdint>

namespace capi {

// BrevixC_GetLinkStatus: while the poll selector is 255, one sequential read of the link report
// register 0x400000D4, whose reply the dispatcher turns into the 0x0400 message. It never waits
// for the reply, so the receive thread may call it for a device notice.
bool RequestLinkStatus();
// The PHY identification reads of a port (connection and the PHY poller).
void GetPHYName(uint8_t port);
// Whether an identification is under way on some thread: until it ends its reads keep coming.
bool IdentificationUnderWay();
// The port whose multi-gigabit PHY reply (register 0x400000BC) is expected.
uint8_t PhyReplyPort();
// 0x0300: the tester reported a PHY notice on a port.
void ForwardPhyNotice(uint8_t port, uint32_t stampSeconds, uint32_t stampMicroseconds);
// The speed class of the multi-gigabit PHY (machine ids 3 and 4).
void SetPortSpeedClass(uint8_t port, uint8_t speedCode);
// BrevixC_SetLoopback (port 0, 1 or 255; mode 0-5).
int SetLoopback(uint8_t port, uint8_t mode);
// The port's media selection as the link message reports it (1 = fiber).
uint16_t MediaWord(uint8_t port);
// One PHY register read (BrevixC_T1).
bool PhyRead(uint8_t port, uint16_t reg, uint16_t* value);

}  // namespace capi
