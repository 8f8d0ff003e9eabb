#pragma once
// BrevixCAPI: the network tests and the host responder. Each port holds 64 host identities that
// answer ARP, ICMP echo and IPv6 neighbour solicitations once automatic reply is on; the same
// identities obtain addresses by DHCP, send an ARP "ping", and drive the router test.

#include "BrevixCAPI.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)
// BrevixC_StartAutoReply, by value.
typedef struct BrevixC_AutoReply_T {
    uint8_t port;           // 0, 1, or 255 for both
    uint8_t unused1[3];
    uint8_t entry;          // 0-63
    uint8_t unused2[3];
    uint8_t ipv4[4];
    uint8_t mask[4];
    uint8_t gateway[4];
    uint8_t mac[6];
    uint8_t unused3[2];
} BrevixC_AutoReply_T;

// BrevixC_StartPing (and BrevixC_TxPing, BrevixC_TxARP), by value.
typedef struct BrevixC_Ping_T {
    uint8_t port;           // 0, 1, or 255 for both
    uint8_t unused1[3];
    uint8_t entry;          // 0-63
    uint8_t unused2[3];
    uint8_t targetIPv4[4];
    uint8_t targetIPv6[16];
    uint8_t count;
    uint8_t timeout;
    uint8_t interval;
    uint8_t unused3;
} BrevixC_Ping_T;

// BrevixC_RouterTest, by address: the WAN port plays the ISP (DHCP server), the LAN port a client
// behind the router. Ports are in host order.
typedef struct BrevixC_RouterTest_T {
    uint8_t wanPort;
    uint8_t wanDhcp;          // nonzero: the router's WAN side asks for its address by DHCP
    uint16_t wanWaitMs;
    uint8_t routerWanIPv4[4]; // filled by the test
    uint8_t routerWanMac[6];  // learned from an ARP reply
    uint16_t result;          // UDP source port of the probe seen on the WAN side; 0 for none
    uint8_t wanIPv4[4];       // the WAN port's own address (the ISP side)
    uint16_t watchedPort;     // UDP port the probe is sent to
    uint8_t wanMac[6];
    uint8_t lanPort;
    uint8_t lanDhcp;          // nonzero: the LAN port asks the router for its address
    uint16_t lanWaitMs;
    uint8_t lanGateway[4];    // from DHCP
    uint8_t lanGatewayMac[6]; // learned from an ARP reply
    uint8_t lanIPv4[4];       // from DHCP
    uint16_t probeSourcePort;
    uint8_t lanMac[6];
} BrevixC_RouterTest_T;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BrevixC_AutoReply_T) == 28, "automatic reply record");
static_assert(sizeof(BrevixC_Ping_T) == 32, "ping record");
static_assert(sizeof(BrevixC_RouterTest_T) == 54, "router test record");
#endif

int __stdcall BrevixC_StartAutoReply(BrevixC_AutoReply_T record);
int __stdcall BrevixC_StopAutoReply(uint8_t port, uint32_t entry);
int __stdcall BrevixC_StartPing(BrevixC_Ping_T record);
int __stdcall BrevixC_TxPing(BrevixC_Ping_T record);
int __stdcall BrevixC_TxARP(BrevixC_Ping_T record);
int __stdcall BrevixC_AutoGetIPv4(uint8_t port, uint8_t entry, uint8_t waitSeconds);
int __stdcall BrevixC_RouterTest(BrevixC_RouterTest_T* record);

#ifdef __cplusplus
}
#endif
