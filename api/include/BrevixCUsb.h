#pragma once
// BrevixCAPI: the USB control channel of the Brevix-H family and its sibling models (Korrin,
// Sevane, Dashel, the Quillet mini-testers): selecting, finding and opening a unit, raw packets,
// the unit's commands, and firmware, FPGA and Ravlo downloads.
//
// Export names: the BrevixH_SYS_* functions are exported under their C++ names as declared here;
// the Korrin_* functions under their standard-call decorated names ("_Korrin_Init@4": a leading
// underscore, and the bytes of the arguments as a 32-bit caller pushes them after the at sign),
// which a host looks up with GetProcAddress; BVE_GetSysVer, Sevane_*, Dashel_* and Quillet_* under
// their plain names. Results are 1 for success and 0 for failure unless a comment says otherwise.

#include "BrevixCAPI.h"

// The Korrin-layer callback: status 0 synchronous firmware download, 1 synchronous FPGA download,
// 2 Ravlo download, 3 log clearing, 255 a failed download; percent points to one byte 0..100.
typedef void(__stdcall* Korrin_Callback)(int status, const uint8_t* percent, int count);

// A raw packet: command, byte 1, 62 data bytes.
typedef struct Korrin_Frame_T {
    uint8_t bytes[64];
} Korrin_Frame_T;

// A task: its number, then the body (74 bytes on Korrin and Sevane, 110 on Dashel).
typedef struct Korrin_Task_T {
    uint8_t bytes[75];
} Korrin_Task_T;
typedef struct Dashel_Task_T {
    uint8_t bytes[111];
} Dashel_Task_T;

typedef struct Korrin_RunName_T {
    uint8_t bytes[60];
} Korrin_RunName_T;

typedef struct Korrin_SysConfig_T {
    uint8_t bytes[22];
} Korrin_SysConfig_T;

// An EEPROM write: the word address and word count (15 bits each) and 58 data bytes.
typedef struct Korrin_EepromWrite_T {
    uint16_t wordAddress;
    uint16_t reserved1;
    uint16_t wordCount;
    uint8_t reserved2[4];
    uint8_t data[58];
    uint8_t reserved3[4];
} Korrin_EepromWrite_T;
static_assert(sizeof(Korrin_EepromWrite_T) == 72, "EEPROM write record");

// The composite system information (166 bytes): model name, system information, serial number and
// the unit's version texts.
typedef struct Korrin_SystemInfo_T {
    uint8_t bytes[166];
} Korrin_SystemInfo_T;

// The mini-testers' records, by their sizes.
typedef struct Quillet_SWTxConfig_T {
    uint8_t bytes[32];
} Quillet_SWTxConfig_T;
typedef struct Quillet_LWTxConfig_T {
    uint8_t bytes[48];
} Quillet_LWTxConfig_T;
typedef struct Quillet_PortProperty_T {
    uint8_t bytes[14];
} Quillet_PortProperty_T;
typedef struct Quillet_EntryConfig_T {
    uint8_t bytes[18];
} Quillet_EntryConfig_T;
typedef struct Quillet_WlanCommand_T {
    uint8_t bytes[62];
} Quillet_WlanCommand_T;
typedef struct Quillet_IPConfig_T {
    uint8_t bytes[28];
} Quillet_IPConfig_T;
typedef struct Quillet_Counter_T {
    uint8_t bytes[221];
} Quillet_Counter_T;
typedef struct Quillet_SessionStatus_T {
    uint8_t bytes[4];
} Quillet_SessionStatus_T;

// Model types: 1 Korrin, 2 Sevane, 3 Dashel, 4 Brevix-H. 1 when a unit of the type was found and
// selected.
uint16_t __stdcall BrevixH_SYS_SetDeviceType(int type);
// Whether a unit of model 1, 2 or 3 is present, without selecting it.
uint16_t __stdcall BrevixH_SYS_SelectDevice(int index);
uint16_t __stdcall BrevixH_SYS_ConnectToDevice();
uint16_t __stdcall BrevixH_SYS_FindDevice();
// Closes the channel and waits up to about 5 seconds for a running worker download to end.
void __stdcall BrevixH_SYS_TerminateProcess();
// Synchronous downloads (the Korrin-layer callback reports); always 0.
int __stdcall BrevixH_SYS_DownloadFirmware(char* path);
int __stdcall BrevixH_SYS_DownloadFPGA(char* path);

extern "C" {

int __stdcall Korrin_Init(Korrin_Callback callback);
// The host program's product version.
int __stdcall Korrin_GetDllVersion(char* buffer);
int __stdcall Korrin_SendFrame(Korrin_Frame_T frame);
// Buffer of 68 bytes: byte 0 the command, byte 1 the reply's byte 1, bytes 4-65 its bytes 2-63.
int __stdcall Korrin_GetFrame(int command, uint8_t* buffer);

int __stdcall Korrin_ReadReg(uint16_t address, uint32_t* value);
int __stdcall Korrin_WriteToReg(uint16_t address, uint32_t value);
int __stdcall Korrin_GetTask(void* out, uint8_t a, uint8_t b);
int __stdcall Sevane_GetTask(void* out, uint8_t a, uint8_t b);
int __stdcall Dashel_GetTask(void* out, uint8_t a, uint8_t b);
int __stdcall Korrin_SetTask(Korrin_Task_T task);
int __stdcall Sevane_SetTask(Korrin_Task_T task);
int __stdcall Dashel_SetTask(Dashel_Task_T task);
// The first 1210 bytes of a log entry.
int __stdcall Korrin_GetLog(void* out, uint16_t entry);
int __stdcall Sevane_GetLog(void* out, uint16_t entry);
int __stdcall Dashel_GetLog(void* out, uint16_t entry);
int __stdcall Korrin_GetLog_SN(uint8_t* out, uint16_t entry, uint8_t chunk);
int __stdcall Korrin_GetLogNum(uint16_t* count);
int __stdcall Korrin_ClearLog();
int __stdcall Korrin_GetSysInfo(void* out);
int __stdcall BVE_GetSysVer();
int __stdcall Korrin_GetRunName(char* out);
int __stdcall Korrin_SetRunName(Korrin_RunName_T name);
int __stdcall Korrin_GetSysConfig(void* out);
int __stdcall Korrin_SetSysConfig(Korrin_SysConfig_T config);
// Out: 62 bytes, the data from byte 4.
int __stdcall Korrin_GetEeprom(uint16_t wordAddress, uint16_t wordCount, uint8_t* out);
int __stdcall Korrin_SetEeprom(Korrin_EepromWrite_T record);
// The adjustment travels as a signed 16-bit value in the request and in the unit's reply.
int __stdcall Korrin_VCXO_SetAdjustPPM(int ppm);
int __stdcall Korrin_VCXO_GetAdjustPPM();
int __stdcall Korrin_GetSystemInfo(Korrin_SystemInfo_T* out);

// Worker downloads: 0 started, 1 a download runs, 2 no unit (not connected, for Ravlo), 3 the file
// cannot be sent.
int __stdcall Korrin_DownloadFirmware(const wchar_t* path);
int __stdcall Korrin_DownloadFPGA(const uint8_t* image, int start, int end);
int __stdcall Korrin_DownloadRavlo(const char* path);

int __stdcall Quillet_GetMediaConfig(void* out);
int __stdcall Quillet_SetMediaConfig(uint32_t value);
int __stdcall Quillet_GetLinkStatus(int* out);
int __stdcall Quillet_GetCounter(Quillet_Counter_T* out, uint8_t port);
int __stdcall Quillet_ClearCounter(uint16_t port);
int __stdcall Quillet_SetSWTxConfig(Quillet_SWTxConfig_T config);
int __stdcall Quillet_SetLWTxConfig(Quillet_LWTxConfig_T config);
int __stdcall Quillet_StartTx(uint16_t port);
int __stdcall Quillet_StopTx(uint16_t port);
int __stdcall Quillet_SetPortProprety(Quillet_PortProperty_T property);
int __stdcall Quillet_SetEntryConfig(Quillet_EntryConfig_T entry);
int __stdcall Quillet_SendWlanCommand(Quillet_WlanCommand_T command);
int __stdcall Quillet_GetWlanMessageLength(uint16_t* out);
int __stdcall Quillet_GetWlanMessageData(uint8_t* out, uint16_t length);
int __stdcall Quillet_SetWlanAttenuation(int value);
int __stdcall Quillet_GetWlanAttenuation(uint16_t* out);
int __stdcall Quillet_RTTestInit(int value);
int __stdcall Quillet_StartDHCPTest();
int __stdcall Quillet_GetDHCPTestStatus(uint8_t* out);
int __stdcall Quillet_StopDHCPTest();
// 1020 bytes: 17 slices of 60.
int __stdcall Quillet_GetDHCPIPList(uint8_t* out);
int __stdcall Quillet_ReleaseAllIP();
int __stdcall Quillet_SetIP(Quillet_IPConfig_T config);
int __stdcall Quillet_StopGetIP();
// 26 bytes: the status fields of the unit's reply.
int __stdcall Quillet_GetIPStatus(uint8_t* out);
int __stdcall Quillet_StartSessionTest();
int __stdcall Quillet_GetSessionTestStatus(Quillet_SessionStatus_T* out);
int __stdcall Quillet_StopSessionTest();

}  // extern "C"
