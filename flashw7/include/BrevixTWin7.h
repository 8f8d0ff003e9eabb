#pragma once
// BrevixT_WIN7: the tester's serial flash and the FPGA download on Windows 7 and later, through
// the USB-Ethernet chip driver's WMI classes in root\wmi.
//
// BrevixT_EEProm_Init_Win7 connects to the driver's classes (initialising COM on the calling
// thread), raises the GPIO lines and switches the SPI master on; BrevixT_EEProm_Init_CSharp does
// the same for a host that initialised COM itself. Every call runs on the caller's thread and
// returns a one-byte boolean, true on success. Transport failures are reported in message boxes.
//
// BrevixT_SYS_DownloadFPGAW7 writes an image file ("POF" or 55 AA 55 AA) into the flash and
// verifies it, synchronously. Meanwhile the top-level window titled "Vorels-NIC" receives message
// 0x52C with the phase in wParam (0 erase, 1 program, 2 verify, 3 re-programming heartbeat,
// 5 finished, 9 failed) and the progress, 0..2400, in lParam.

#include <stdint.h>

extern "C" {

bool __stdcall BrevixT_EEProm_Init_Win7();
bool __stdcall BrevixT_EEProm_Init_CSharp();
bool __stdcall BrevixT_EEProm_Shutdown_Win7();
bool __stdcall BrevixT_EEProm_ResetGpio_Win7();
bool __stdcall BrevixT_EEProm_Read_Status(uint8_t* status);
bool __stdcall BrevixT_EEProm_Write_Status(const uint8_t* status);
// The three outputs are written only on success.
bool __stdcall BrevixT_EEProm_Read_Id(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity);
// Byte-addressed fast read (the low 24 bits of the address).
bool __stdcall BrevixT_EEProm_Fastread(uint8_t* buffer, uint32_t address, uint16_t length);
// Reads from the start of a page (flash address = page x 256).
bool __stdcall BrevixT_EEProm_Read_Win7(uint8_t* buffer, uint16_t page, uint16_t length);
// Programs one page (0..8191) with up to 256 bytes.
bool __stdcall BrevixT_EEProm_Page_Prog(uint16_t page, const uint8_t* data, uint16_t length);
bool __stdcall BrevixT_EEProm_Sector_Erase(uint8_t sector);
bool __stdcall BrevixT_EEProm_Chip_Erase_Win7();

bool __stdcall BrevixT_SYS_DownloadFPGAW7(const wchar_t* path);

}  // extern "C"

// Exported under their type-decorated names.
bool __stdcall BrevixT_EEProm_write_enable();
bool __stdcall BrevixT_EEProm_write_disable();
