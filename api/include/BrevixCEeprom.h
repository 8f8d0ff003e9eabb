#pragma once
// BrevixCAPI: the tester's 93C56 EEPROM (128 16-bit words) and the library's image of it.
//
// Word a lies at bytes 2a and 2a + 1 of `eeprom_93c56`: a word read from the tester with its low
// byte first, while BrevixC_Set_93C56_Data stores its value high byte first. A write sends word a
// as (byte 2a + 1) << 8 | byte 2a. Reads and writes finish in the background; their completion
// reaches the host callback as 0xFE00 event 0x1E00 (port 0, value 1).

#include "BrevixCAPI.h"

extern "C" {

extern BREVIXCAPI_DATA uint8_t eeprom_93c56[256];

// Initialises the library (BrevixC_SYS_Init) unless that has been done, takes the callback, and
// allows EEPROM writes.
int __stdcall BrevixC_93C56_Init(BrevixC_HostCallback callback);
uint8_t* __stdcall BrevixC_93C56_Get();
// Stores a value in the image only; false for an address of 128 or more.
bool __stdcall BrevixC_Set_93C56_Data(uint8_t address, uint16_t value);
// Asks for the whole EEPROM; 0 when no request could be sent.
int __stdcall BrevixC_93C56_Read();
// Writes words [address, address + count) from the image, in chunks of 16 words; false when a
// chunk could not be sent (no completion event then follows), before BrevixC_93C56_Init, or for
// an address of 128 or more.
bool __stdcall BrevixC_93C56_Write(uint8_t address, uint8_t count);

}  // extern "C"
