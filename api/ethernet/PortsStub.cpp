// The ports, PHY and media layer as far as the core needs it until that layer is complete: the
// link status request, the PHY identification frames, the PHY notice message, and loopback
// settings that only change the device mode.

#include "Ports.h"

#include "BrevixCAPI.h"
#include "Counters.h"
#include "DebugStream.h"
#include "DeviceMode.h"
#include "HostMessages.h"
#include "PumpWait.h"

#include <atomic>

namespace capi {
namespace {

std::atomic<uint8_t> phyReplyPort{0};

// The indirect PHY window: register 0x400000B0 takes the PHY register, 0x400000B4 the command.
void AskPhyRegister(uint8_t port, uint32_t phyRegister, uint32_t device) {
    const uint32_t pairs[4] = {0x400000B0, phyRegister, 0x400000B4, uint32_t(port & 1) << 24 | 0x10000000 | device};
    BVT_GenW(2, pairs);
}

}  // namespace

bool RequestLinkStatus() {
    if (PollSelector() != 255) return true;
    return BrevixT_SeqR(1, 0x400000D4) != 0;
}

void GetPHYName(uint8_t port) {
    AskPhyRegister(port, 3, 0x10000);
    PumpWait(50);
    Log("(API)(GetPHYName) Port:", port);
    phyReplyPort = port;
    BrevixT_SeqR(1, 0x400000BC);
    PumpWait(100);
    Log("(API)(GetPHYMedia)(88x33)(x.8008) Port = ", port);
    AskPhyRegister(port, 0x8008, 0x30000);
    PumpWait(50);
    phyReplyPort = port;
    BrevixT_SeqR(1, 0x400000BC);
}

uint8_t PhyReplyPort() { return phyReplyPort; }

void ForwardPhyNotice(uint8_t port, uint32_t stampSeconds, uint32_t stampMicroseconds) {
    HostMessage message(BREVIXC_MSG_PHY_NOTICE);
    message.Put16(16, port);
    message.Send(BREVIXC_MSG_LENGTH, stampSeconds, stampMicroseconds);
}

void SetPortSpeedClass(uint8_t, uint8_t) {}

int SetLoopback(uint8_t port, uint8_t mode) {
    if (port > 1 && port != 255) return 0;
    if (mode > 5) return 0;
    SetDeviceMode(mode == 3 ? kTapMode : kPacketGeneratorMode);
    return 1;
}

uint16_t MediaWord(uint8_t) { return 0; }

bool PhyRead(uint8_t, uint16_t, uint16_t*) { return false; }

}  // namespace capi
