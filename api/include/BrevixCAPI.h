#pragma once
// BrevixCAPI: the device API of the Brevix testers, for host programs.
//
// Exports use the standard calling convention and return 1 for success and 0 for failure unless
// stated. A host calls BrevixC_SYS_Init, BrevixC_SYS_DetectBrevixCDevice and
// BrevixC_SYS_ConnectToBrevixCDevice in that order, and BrevixC_SYS_TerminateProcess at the end.
// Everything the library learns later (link changes, system information, device loss ...) reaches
// the host callback as a host message.

#include <stdint.h>

#if defined(BREVIXCAPI_BUILDING)
#define BREVIXCAPI_DATA
#else
#define BREVIXCAPI_DATA __declspec(dllimport)
#endif

// The host callback: the message (owned by the library, valid during the call only), its length,
// and the capture time stamp of the tester frame that caused it (0, 0 when no frame did).
typedef void(__stdcall* BrevixC_HostCallback)(const uint8_t* message, int32_t length, uint32_t stampSeconds,
                                              uint32_t stampMicroseconds);

// Host message types (bytes 14-15 of a message, big-endian). Frames of other EtherTypes that arrive
// from the tester's adapter reach the callback unchanged, with their EtherType in bytes 12-13.
enum BrevixC_HostMessageType : uint16_t {
    BREVIXC_MSG_STACK_COUNTER_1MS = 0x0101,
    BREVIXC_MSG_PACKET_RATE_1MS = 0x0102,
    BREVIXC_MSG_BYTE_RATE_1MS = 0x0103,
    BREVIXC_MSG_CAPTURE = 0x0200,
    BREVIXC_MSG_CAPTURE_FRAME = 0x0201,
    BREVIXC_MSG_PHY_NOTICE = 0x0300,
    BREVIXC_MSG_LINK_STATUS = 0x0400,
    BREVIXC_MSG_SYSTEM_INFO = 0x0500,
    BREVIXC_MSG_PHY_READ = 0x0600,
    BREVIXC_MSG_FPGA_DOWNLOAD = 0x0F00,
    BREVIXC_MSG_FIRMWARE_DOWNLOAD = 0x0F01,
    BREVIXC_MSG_OSCILLATOR = 0x1D00,
    BREVIXC_MSG_PORT_EVENT = 0xFE00,
    BREVIXC_MSG_DEVICE_LOST = 0xFF00,
};

// Lengths passed with the messages.
enum : int32_t {
    BREVIXC_MSG_LENGTH = 60,
    BREVIXC_MSG_SYSTEM_INFO_LENGTH = 82,
    BREVIXC_MSG_STACK_COUNTER_LENGTH = 1200,
};

// 0xFE00 events and 0xFF00 values.
enum : int32_t {
    BREVIXC_EVENT_MEDIA_DETECTION = 2,
    BREVIXC_EVENT_EEPROM_DONE = 0x1E00,
    BREVIXC_LOST_DEVICE = 255,
    BREVIXC_LOST_PHY_TIMEOUT = 254,
};

#pragma pack(push, 1)
// A host message: an Ethernet-like header, the type, then the payload. Payload fields are
// little-endian and unaligned; their offsets count from the start of the message.
typedef struct BrevixC_HostMessage_T {
    uint8_t destination[6];  // 00 22 33 44 55 66
    uint8_t source[6];       // 66 55 44 33 22 00
    uint8_t marker[2];       // 04 FF
    uint8_t type[2];         // BrevixC_HostMessageType, big-endian
    uint8_t payload[2050];
} BrevixC_HostMessage_T;
#pragma pack(pop)
static_assert(sizeof(BrevixC_HostMessage_T) == 2066, "host message buffer");

// Payload offsets of the messages built by the core of the library.
enum : int {
    // 0x0400 link status (unsigned 16-bit words, then detail bytes)
    BREVIXC_LINK_PORT_A_SPEED = 18,
    BREVIXC_LINK_PORT_A_MEDIA = 20,
    BREVIXC_LINK_PORT_B_SPEED = 22,
    BREVIXC_LINK_PORT_B_MEDIA = 24,
    BREVIXC_LINK_DETAIL = 26,      // four bytes: port A bits 13, 14; port B bits 5, 6 of the report
    BREVIXC_LINK_PHY_DETAIL = 30,  // two bytes: port A, port B PHY is the multi-gigabit one
    // 0x0500 system information (32-bit words, then two flag bytes)
    BREVIXC_INFO_LIBRARY_MAJOR = 18,
    BREVIXC_INFO_LIBRARY_MINOR = 22,
    BREVIXC_INFO_LIBRARY_BUILD = 26,
    BREVIXC_INFO_LIBRARY_DATE = 30,
    BREVIXC_INFO_FPGA_MAJOR = 34,
    BREVIXC_INFO_FPGA_MINOR = 38,
    BREVIXC_INFO_FPGA_BUILD = 42,
    BREVIXC_INFO_FPGA_DATE = 46,
    BREVIXC_INFO_HARDWARE = 50,
    BREVIXC_INFO_FIRMWARE_MAJOR = 58,
    BREVIXC_INFO_FIRMWARE_MINOR = 62,
    BREVIXC_INFO_FIRMWARE_BUILD = 66,
    BREVIXC_INFO_FIRMWARE_EXTRA = 70,
    BREVIXC_INFO_FIRMWARE_FLAG_28 = 74,
    BREVIXC_INFO_FIRMWARE_FLAG_29 = 75,
    // 0xFE00 port event, 0xFF00 device lost, 0x0300 PHY notice, 0x1D00 oscillator
    BREVIXC_EVENT_PORT = 16,
    BREVIXC_EVENT_CODE = 18,
    BREVIXC_EVENT_VALUE = 22,
    BREVIXC_LOST_CODE = 16,
    BREVIXC_LOST_VALUE = 18,
    BREVIXC_OSCILLATOR_PORT = 16,
    BREVIXC_OSCILLATOR_VALUE = 18,
};

extern "C" {

// Identity of the connected tester (valid once connect has returned).
extern BREVIXCAPI_DATA char BVX_Module[21];
extern BREVIXCAPI_DATA char BVX_SN[21];
extern BREVIXCAPI_DATA uint8_t BVX_MAC[6];
extern BREVIXCAPI_DATA char BVX_PCB[5];
extern BREVIXCAPI_DATA char BVX_ProductDate[13];
extern BREVIXCAPI_DATA int32_t BVX_Machine_ID;  // 1 Brevix-CF, 2 Brevix-A, 3 Brevix-H, 4 Brevix-J
extern BREVIXCAPI_DATA uint8_t BVX_MyIPv4[4];
extern BREVIXCAPI_DATA uint8_t BVX_ServerIPv4[4];
extern BREVIXCAPI_DATA uint8_t BVX_GatewayIPv4[4];
extern BREVIXCAPI_DATA int32_t BVX_VCXO_PPM;
extern BREVIXCAPI_DATA uint8_t BVX_IsPOF;
extern BREVIXCAPI_DATA int32_t EEPROM_Version;

// Start, detection, connection and shutdown.
int __stdcall BrevixC_SYS_Init(BrevixC_HostCallback callback, int32_t value);
int __stdcall BrevixC_SYS_DetectBrevixCDevice(char* modelName);
int __stdcall BrevixC_SYS_GetAdapterName(char* name);
int __stdcall BrevixC_SYS_ConnectToBrevixCDevice();
int __stdcall BrevixC_SYS_TerminateProcess();

// Debug log: a console window of the host process shows the library's trace lines.
int __stdcall BrevixC_SYS_OpenDebugLog();
int __stdcall BrevixC_SYS_CloseDebugLog();

// Register calls. The copying reads return 0 and leave their outputs alone when no reply came.
int __stdcall BVT_GenRW(uint32_t count, uint32_t* pairs);
int __stdcall BVT_GenW(uint32_t count, const uint32_t* pairs);
int __stdcall BVT_GenR(uint32_t count, uint32_t* registers);
int __stdcall BrevixT_GenR(uint32_t count, const uint32_t* registers);
int __stdcall BVT_SeqR(uint32_t count, uint32_t start, uint32_t* values);
int __stdcall BrevixT_SeqR(uint32_t count, uint32_t start);
uint16_t __stdcall BrevixT_SeqR64(uint32_t count, uint32_t start);
int __stdcall BVT_SeqW(uint32_t count, uint32_t start, const uint32_t* values);
int __stdcall BVT_Read(uint32_t address, uint32_t* value);
int __stdcall BVT_Write(uint32_t address, uint32_t value);

// Identity, system information and modes.
char* __stdcall GetModule();
char* __stdcall GetSN();
uint8_t* __stdcall GetMAC();
char* __stdcall GetProductDate();
char* __stdcall GetPCB();
uint8_t* __stdcall GetIPv4();
uint8_t* __stdcall GetServerIPv4();
uint8_t* __stdcall GetGatewayIPv4();
int32_t __stdcall GetVCXOPPM();
int32_t __stdcall GetMachineID();
int __stdcall BrevixC_Has_PIC24();
int __stdcall BrevixC_SYS_GetSystemVer();
int __stdcall BrevixC_SYS_ChangeToTAPMode();
int __stdcall BrevixC_SYS_ChangeToPGMode();
int __stdcall BrevixC_SYS_SetNICMode(uint8_t port, uint8_t mode);
int __stdcall BrevixC_SYS_SetVCXOAdjustPPM(int32_t ppm);
int __stdcall BrevixC_SYS_GetVCXOAdjustPPM();
int __stdcall BrevixC_T1();
int __stdcall BrevixC_T2();
int __stdcall BrevixC_T3();
int __stdcall BrevixC_T4();

}  // extern "C"

// Exported under their type-decorated names.
uint16_t __stdcall BrevixC_GetMachineID();
uint16_t __stdcall BrevixC_SYS_GetManualInfo(int32_t index);
