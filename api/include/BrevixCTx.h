#pragma once
// BrevixCAPI: Tx stream tables and traffic generation.
//
// In packet-generator operation (device mode 2) each port sends from a table of up to 64 stream
// entries: a descriptor (loop count, frame options, inter-burst and inter-frame gaps), an
// extension, a field-modifier block and up to 1000 payload bytes. The calls here fill the tables,
// configure a port's Tx and start, pause, resume and stop it. Calls that need device mode 2 return
// 0 in TAP mode and send nothing.

#include "BrevixCAPI.h"

#pragma pack(push, 1)
// One stream entry, by value to BrevixC_FillTxPkt_Addentry.
typedef struct BrevixC_TxEntry_T {
    uint32_t port;           // 0, 1, or 255 (the whole word) for both
    uint32_t entry;          // 0-63
    uint32_t interBurstGap;  // in bytes; the tester counts units of 8
    uint32_t interFrameGap;  // in bytes; the tester counts units of 8
    uint32_t loopCount;      // all 32 bits with the port's 32-bit loop count on; else the high half
    uint16_t loopCountLow;   // the low half, without the 32-bit loop count
    uint8_t optionHigh;      // four bits
    uint8_t option27;        // bit 0; 2 also sets the gap option
    uint8_t option26;        // bit 0
    uint8_t option15;        // bit 0
    uint8_t burstMode;       // 0-3
    uint8_t option14;        // bit 0
    uint8_t option24;        // bit 0
    uint8_t option23;        // bit 0
    uint16_t frameLength;    // 14 bits
    uint16_t option16;       // six bits
    uint16_t extension0;
    uint16_t extension1;
    uint16_t modifierMode[3];  // fields A, B and C: 0-3
    uint16_t modifierHigh;   // eight bits
    uint16_t modifierLow;    // eight bits
    uint16_t modifierRange;  // twelve bits
    uint16_t payloadLength;  // bytes; at most the first 1000 are sent
    uint8_t payload[16384];
} BrevixC_TxEntry_T;

// Changes one field of many entries, by value to BrevixC_FillTxPkt_ModifyEntry.
typedef struct BrevixC_TxModify_T {
    uint32_t port;           // 0, 1, or 255 for both
    uint32_t field;          // BrevixC_TxField
    uint16_t value[64];      // for entry k; 0xFFFF leaves entry k unchanged
    uint8_t unused[896];
} BrevixC_TxModify_T;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BrevixC_TxEntry_T) == 16436, "Tx entry record");
static_assert(sizeof(BrevixC_TxModify_T) == 1032, "Tx modify record");
#endif

// Fields of BrevixC_TxModify_T, named after the entry record's fields they change.
enum BrevixC_TxField {
    BREVIXC_TX_LOOP_COUNT_HIGH = 0,
    BREVIXC_TX_LOOP_COUNT_LOW = 1,
    BREVIXC_TX_OPTION_HIGH = 2,
    BREVIXC_TX_OPTION_27 = 3,
    BREVIXC_TX_OPTION_26 = 4,
    BREVIXC_TX_OPTION_15 = 5,
    BREVIXC_TX_BURST_MODE = 6,
    BREVIXC_TX_OPTION_14 = 7,
    BREVIXC_TX_FRAME_LENGTH = 8,
    BREVIXC_TX_OPTION_16 = 9,
    BREVIXC_TX_EXTENSION_0 = 10,
    BREVIXC_TX_EXTENSION_1 = 11,
};

extern "C" {

uint16_t __stdcall BrevixC_FillTxPkt_Addentry(BrevixC_TxEntry_T entry);
bool __stdcall BrevixC_FillTxPkt_ModifyEntry(BrevixC_TxModify_T modify);
// The port's Tx configuration from the bytes of w1-w4 (a byte of 255 leaves its bits alone) and
// the gap word's halves (0xFFFFFFFF leaves a half alone).
int __stdcall BrevixC_FillTxPkt_TxConfig(uint8_t port, uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4,
                                         uint32_t gapHigh, uint32_t gapLow, uint32_t unused);
// The run parameters of port 0 or 1, without starting it.
int __stdcall BrevixC_StartTxConfig(uint32_t port, uint32_t mode, uint32_t count, uint32_t amount, uint32_t unused);
// Port 0 or 1: the run parameters, then start; 255: starts both with their parameters as they are.
int __stdcall BrevixC_StartTxPkt(uint32_t port, uint32_t mode, uint32_t count, uint32_t amount, uint32_t unused);
int __stdcall BrevixC_StopTxPkt(uint8_t port);
int __stdcall BrevixC_PauseTxPkt(uint8_t port);
int __stdcall BrevixC_ResumeTxPkt(uint8_t port);
// The inter-frame gap setting, 0-15 (larger values count as 15).
int __stdcall BrevixC_SetTxGap(uint32_t gap);
int __stdcall BrevixC_TinyGAP(uint8_t port, uint8_t enable);
// Lets the host send frames through port 0 or 1 (BrevixC_TxSend).
int __stdcall BrevixC_EnableTxSend(uint8_t port, uint8_t enable, uint32_t unused1, uint32_t unused2, uint32_t unused3);
// Sends a frame through port 0 or 1: the low two bits of byte 6 (the first source address byte)
// name the port to the tester.
int __stdcall BrevixC_TxSend(uint8_t port, const uint8_t* frame, uint32_t length);

}  // extern "C"
