#pragma once
// BrevixCAPI: the tester's ports: configuration, media (SFP or copper) and its detection, PHY
// registers, auto-MDIX, loopback, the receive-side test switches, the oscillator and the link.
//
// Ports are 0 (Port A) and 1 (Port B); calls that say so also take 255 for both. Media detection
// reports through the host callback: 0xFE00 events 2 with value 0 while it runs, and event 2 with
// value 1 for the port argument when it has finished. A PHY that stops answering is reported as
// 0xFF00 with value 254.

#include "BrevixCAPI.h"

#pragma pack(push, 1)
// Port configuration, by value to BrevixC_PortConfig. In every 16-bit field 0xFFFF leaves the
// setting unchanged; only bit 0 of a switch field counts.
typedef struct BrevixC_PortConfig_T {
    uint32_t port;             // 0, 1, or 255 (the whole word) for both
    uint16_t reset;            // neither 0 nor 0xFFFF: reset the port's PHY first
    uint16_t shadowControl;    // the tester's shadow control
    uint16_t portSwitchHigh;   // port switch: Port A bit 14, Port B bit 6
    uint16_t portSwitchLow;    // port switch: Port A bit 13, Port B bit 5
    uint16_t phySwitch;        // PHY control: Port A bit 16, Port B bit 0
    uint16_t flowControl;
    uint16_t phySwitchHigh;    // PHY control: Port A bit 20, Port B bit 4
    uint16_t portWordSwitch;   // the port word's bit 31
    uint32_t portWord;         // bits 0-30; 0xFFFFFFFF leaves them unchanged
    uint16_t speedDuplex;      // 0, 4 .. 24 force mode 0-6, 0xFFFC mode 8; others auto-negotiate
    uint16_t speedClass;       // two bits
    uint8_t phyMode;           // two bits, machine ids 3 and 4; always applied
    uint8_t unused[3];
} BrevixC_PortConfig_T;

// Media programming of a port's PHY, by value to BrevixC_SetMediaType.
typedef struct BrevixC_MediaType_T {
    uint32_t port;             // 0 or 1
    uint32_t media;            // 0-3 forced 10/100, 4-7 auto 10/100, 8-9 forced 1000, 10-11 auto
                               // with 1000, 12-19 the multi-gigabit PHY; 255 powers the PHY down
    uint32_t abilities;        // advertised on auto-negotiation: bit 0 10 half .. bit 5 1000 full
    uint16_t masterSlave;      // high byte 1: manual; then low byte 1: master
    uint16_t unused;
} BrevixC_MediaType_T;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BrevixC_PortConfig_T) == 32, "port configuration record");
static_assert(sizeof(BrevixC_MediaType_T) == 16, "media type record");
#endif

// BrevixC_MediaType_T.media that powers the PHY down.
enum { BREVIXC_MEDIA_POWER_DOWN = 255 };

// BrevixC_SetSFP modes.
enum BrevixC_SfpMode {
    BREVIXC_SFP_AUTO = 0,
    BREVIXC_SFP_FIBER = 1,
    BREVIXC_SFP_COPPER = 2,
};

// Loopback modes of BrevixC_SetLoopback: 0 off, 1-2 and 4-5 the tester's loopbacks, 3 TAP.
enum BrevixC_LoopbackMode {
    BREVIXC_LOOPBACK_OFF = 0,
    BREVIXC_LOOPBACK_TAP = 3,
};

extern "C" {

uint16_t __stdcall BrevixC_PortConfig(BrevixC_PortConfig_T config);
// Asks for the link report; it arrives as the 0x0400 message.
int __stdcall BrevixC_GetLinkStatus();
// Starts media detection on port 0, 1 or 255 in the background; 1 when it started.
int __stdcall BrevixC_SetSFP(uint8_t port, uint8_t mode);
// 0 copper, 1 fiber, 2 no module, -1 unknown.
int __stdcall BrevixC_GetSFPStatus(uint8_t port);
int __stdcall BrevixC_EnableSFPShadow(uint8_t port, uint8_t enable);
// Reads register (shadow << 16 | register) of port 0, 1 or 255; each value arrives as 0x0600.
int __stdcall BrevixC_ReadPHY(uint8_t port, uint32_t reg);
int __stdcall BrevixC_WritePHY(uint8_t port, uint32_t reg, uint32_t value);
int __stdcall BrevixC_SetAutoMDIX(uint8_t port, uint16_t mode);
int __stdcall BrevixC_SetLoopback(uint8_t port, uint8_t mode);
int __stdcall BrevixC_SetRxBERT(uint8_t port, uint32_t settings, uint16_t value);
int __stdcall BrevixC_SetRxDI(uint8_t port, uint8_t value);
// Asks for the oscillator measurement of port 0, 1 or 255; it arrives as the 0x1D00 message.
int __stdcall BrevixC_ReadOSCValue(uint8_t port);
int __stdcall BrevixC_SetMediaType(BrevixC_MediaType_T media);

}  // extern "C"
