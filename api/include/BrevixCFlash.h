#pragma once
// BrevixCAPI: the tester's serial flash, and the FPGA and firmware downloads.
//
// The flash (2 MiB, 256-byte pages, 64 KiB sectors) hangs off the SPI master of the USB-Ethernet
// adapter chip and is reached through that chip's driver. BrevixT_EEProm_Init opens the driver's
// WMI connection, raises the GPIO lines and switches the SPI master on; BrevixT_EEProm_Shutdown
// undoes it. Each command returns a one-byte boolean, true on success.
//
// An FPGA download runs on a worker thread of the library and reports through the host callback
// (type 0x0F00, status code at byte 18 and progress at byte 20, unsigned 16-bit): 4 erasing (once a
// second for the minute after the chip erase), 2 programming with the percentage done, then 0 and
// 6 with 100 when the image is in the flash, or 1 when the download failed.

#include <stdint.h>

extern "C" {

bool __stdcall BrevixT_EEProm_Init();
bool __stdcall BrevixT_EEProm_ResetGpio();
bool __stdcall BrevixT_EEProm_Shutdown();
bool __stdcall BrevixT_EEProm_Read_Status(uint8_t* status);
bool __stdcall BrevixT_EEProm_Write_Status(const uint8_t* status);
// The three outputs are written only on success.
bool __stdcall BrevixT_EEProm_Read_Id(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity);
bool __stdcall BrevixT_EEProm_Sector_Erase(uint8_t sector);
bool __stdcall BrevixT_EEProm_Chip_Erase();
// Byte-addressed reads (the low 24 bits of the address).
bool __stdcall BrevixT_EEProm_Read(uint8_t* buffer, uint32_t address, uint16_t length);
bool __stdcall BrevixT_EEProm_Fastread(uint8_t* buffer, uint32_t address, uint16_t length);
// Programs one page (0..8191) with up to 256 bytes.
bool __stdcall BrevixT_EEProm_Page_Prog(uint16_t page, const uint8_t* data, uint16_t length);

// FPGA image download from a file ("POF" or 55 AA 55 AA); the value is not used. Non-zero when the
// download started (its outcome arrives as 0x0F00 messages), 0 when it did not.
int __stdcall BrevixC_SYS_DownloadFPGAW(const wchar_t* path, int32_t value);
int __stdcall BrevixC_SYS_DownloadFPGA(const char* path, int32_t value);
// Ends a running FPGA download before its next page; 0 when that was asked already.
int __stdcall BrevixC_SYS_DownloadFPGA_Terminate();
// Firmware of the USB-attached models; 1 when the download started (reported as 0x0F01 messages).
int __stdcall BrevixC_SYS_DownloadFirmwareW(const wchar_t* path);
int __stdcall BrevixC_SYS_DownloadFirmware(const char* path);

}  // extern "C"

// Exported under their type-decorated names.
bool __stdcall BrevixT_EEProm_write_enable();
bool __stdcall BrevixT_EEProm_write_disable();
