#pragma once
// The operations behind the port exports (ports, PHY and media). Each returns the export's result.

#include "BrevixCPorts.h"

namespace capi {

// The port configuration record applied to port 0 or 1: its fields change the port's images, then
// one write sends the five registers they touch.
int ApplyPortConfig(uint8_t port, const BrevixC_PortConfig_T& config);

// Media programming of a port's PHY; 0 for a port or media code it does not take, else 1 when
// every write was sent.
int ProgramMedia(const BrevixC_MediaType_T& media);
// The media-change counter: each media programming that was not refused counts once.
uint32_t MediaChanges();
// For the tester's link notices, which start the count again.
void ResetMediaChanges();
int SetAutoMdix(uint8_t port, uint16_t mode);

// SetLoopback (port, mode) is declared in Ports.h.
int SetRxBert(uint8_t port, uint32_t settings);
int SetRxDi(uint8_t port, uint8_t value);

// Asks for the oscillator measurement of port 0, 1 or 255 (Port B only when Port A's was sent).
int ReadOscillatorValue(uint8_t port);

}  // namespace capi
