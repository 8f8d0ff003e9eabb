#pragma once
// BrevixCAPI: counters and rates of the tester's ports, and the per-stream counters.
//
// While connected, the library reads every port's counters once a second. The statistics block of
// a port holds the counters' values; its rate block holds each counter's increase over the last
// poll (0 when a counter went down, for instance because it was cleared), and the same tail rates.
// A copy never mixes two polls. The reads cost no frame: they copy what the last poll brought.

#include "BrevixCAPI.h"

#pragma pack(push, 1)
// A port's counter block. Slots 0-47 are 64-bit counters; the tail holds the traffic totals and
// rates that the tester keeps in registers of their own.
typedef struct BrevixC_PortCounters_T {
    uint64_t counter[48];       // bytes 0-383, see BrevixC_CounterSlot
    uint64_t rxBytes;           // 384
    uint32_t rxLineRate;        // 392, bits/s; the same in both blocks
    uint32_t rxPacketRate;      // 396, frames/s; the same in both blocks
    uint64_t txPackets;         // 400
    uint64_t traffic408;        // 408-432: further traffic counters
    uint64_t traffic416;
    uint64_t traffic424;
    uint64_t traffic432;
    uint64_t txBytes;           // 440
    uint64_t traffic448;        // 448
    uint32_t txLineRate;        // 456, bits/s; the same in both blocks
    uint32_t txPacketRate;      // 460, frames/s; the same in both blocks
    uint32_t captureBlocksFull; // 464, rate block only: 0xFFFF when the port's capture store is full
    uint64_t statusRegister;    // 468, rate block only: the port's status register
} BrevixC_PortCounters_T;

// One Tx stream's two counters.
typedef struct BrevixC_TxStreamCounter_T {
    uint64_t first;
    uint64_t second;
    uint8_t reserved[8];
} BrevixC_TxStreamCounter_T;

// One Rx stream's counters; which fields a port fills follows its stream counting mode (the
// classifier and the layout flag of BrevixC_RxStreamConfig_T). Fields are named by their offset.
typedef struct BrevixC_RxStreamCounter_T {
    uint64_t at0;
    uint64_t at8;
    uint32_t at16;
    uint32_t at20;
    uint32_t at24;
    uint16_t at28;
    uint16_t at30;
    uint64_t at32;
    uint64_t at40;
    uint64_t at48;
    uint64_t at56;
    uint64_t at64;
    uint32_t at72;
    uint32_t at76;
    uint32_t at80;
    uint32_t at84;
} BrevixC_RxStreamCounter_T;

typedef struct BrevixC_RXVID_Report_T {
    uint32_t word[4];
} BrevixC_RXVID_Report_T;

typedef struct BrevixC_Inner_Counter_T {
    uint32_t word[3];
} BrevixC_Inner_Counter_T;

// Rx stream counting of a port, by value to BrevixC_SetRxStreamCounterStatistics.
typedef struct BrevixC_RxStreamConfig_T {
    uint32_t port;          // 0, 1, or 255 for both
    uint8_t classifier;     // 0-12; any other value switches counting off
    uint32_t match;         // compared through the classifier's mask
    uint8_t blocks;         // 1: 64 streams, 2: 128 streams, else 32
    uint8_t variant;        // classifier 3 only
    uint32_t range[4];      // classifier 10 only
    uint8_t secondLayout;   // bit 0
} BrevixC_RxStreamConfig_T;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BrevixC_PortCounters_T) == 476, "counter block");
static_assert(sizeof(BrevixC_TxStreamCounter_T) == 24, "Tx stream record");
static_assert(sizeof(BrevixC_RxStreamCounter_T) == 88, "Rx stream record");
static_assert(sizeof(BrevixC_RXVID_Report_T) == 16, "VID record");
static_assert(sizeof(BrevixC_Inner_Counter_T) == 12, "inner counter record");
static_assert(sizeof(BrevixC_RxStreamConfig_T) == 28, "Rx stream configuration");
#endif

// The counter slots the host shows by name.
enum BrevixC_CounterSlot {
    BREVIXC_COUNTER_BROADCAST = 0,
    BREVIXC_COUNTER_MULTICAST = 1,
    BREVIXC_COUNTER_UNICAST = 2,
    BREVIXC_COUNTER_PAUSE = 3,
    BREVIXC_COUNTER_VLAN = 4,
    BREVIXC_COUNTER_IPV4 = 5,
    BREVIXC_COUNTER_DRIBBLE = 6,    // always 0 on machine ids 3 and 4
    BREVIXC_COUNTER_ALIGNMENT = 7,  // always 0 on machine ids 3 and 4
    BREVIXC_COUNTER_CRC = 8,
    BREVIXC_COUNTER_UNDERSIZE = 9,
    BREVIXC_COUNTER_OVERSIZE = 10,
    BREVIXC_COUNTER_RX_PACKETS = 11,
    BREVIXC_COUNTER_IP_CHECKSUM = 13,
    BREVIXC_COUNTER_SIZE_64 = 14,
    BREVIXC_COUNTER_SIZE_65_127 = 15,
    BREVIXC_COUNTER_SIZE_128_255 = 16,
    BREVIXC_COUNTER_SIZE_256_511 = 17,
    BREVIXC_COUNTER_SIZE_512_1023 = 18,
    BREVIXC_COUNTER_SIZE_1024_1522 = 19,
};

extern "C" {

// The port's blocks (port 0 or 1); 0 for another port or a null record.
int __stdcall BrevixC_ReadCounterStatistics(uint8_t port, void* statistics);
int __stdcall BrevixC_ReadCounterRate(uint8_t port, void* rates);
// The counter poller's finished rounds since the library loaded. A host that copies the blocks
// once a second tells by it an idle port (a new round, nothing moved) from a poll that has not
// come yet (the same round). A round whose reads went unanswered counts too.
uint32_t __stdcall BrevixC_ReadCounterPollRounds(void);
// Clears the tester's counters of port 0, 1 or 255 (both) and the statistics block; the rate
// block keeps the last poll's increases.
int __stdcall BrevixC_ClearCounterStatistics(uint8_t port);

// Ask for the 1 ms byte rate (0x0103), packet rate (0x0102) or counter stack (0x0101) of port 0, 1
// or 255; the values arrive as host messages.
int __stdcall BrevixC_ReadMsByteRate(uint8_t port);
int __stdcall BrevixC_ReadMsPktRate(uint8_t port);
int __stdcall BrevixC_ReadMsCounterStack(uint8_t port);

int __stdcall BrevixC_SetRxStreamCounterStatistics(BrevixC_RxStreamConfig_T config);
int __stdcall BrevixC_ReadTXStreamCounterStatistics(uint8_t port, uint16_t stream, void* record);
int __stdcall BrevixC_ReadRXStreamCounterStatistics(uint8_t port, uint16_t stream, void* record);
uint16_t __stdcall BrevixC_ReadVIDStreamCounterStatistics(uint8_t port, uint16_t index, BrevixC_RXVID_Report_T* record);
int __stdcall BrevixC_ClearStreamCounterStatistics(uint8_t port);
int __stdcall BrevixC_ClearTxStreamCounterStatistics(uint8_t port);
int __stdcall BrevixC_ClearRxStreamCounterStatistics(uint8_t port);
int __stdcall BrevixC_ClearVIDStreamCounterStatistics(uint8_t port);

}  // extern "C"

// The second signatures, exported under their type-decorated names.
uint16_t __stdcall BrevixC_ReadCounterStatistics(BrevixC_Inner_Counter_T* record);
uint16_t __stdcall BrevixC_ClearCounterStatistics();
