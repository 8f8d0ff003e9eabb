#pragma once
// The operations behind the network-test exports: automatic reply, the ARP ping, the DHCP client
// and the router test. Each returns the export's result.

#include "BrevixCNetwork.h"

namespace capi {

int StartAutoReply(const BrevixC_AutoReply_T& record);
int StopAutoReply(uint8_t port, uint32_t entry);
int StartPing(const BrevixC_Ping_T& record);
int AutoGetIPv4(uint8_t port, uint8_t entry, uint8_t waitSeconds);
int RouterTest(BrevixC_RouterTest_T& record);

}  // namespace capi
