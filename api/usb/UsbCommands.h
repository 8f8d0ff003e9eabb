#pragma once
// The unit's commands: registers, its EEPROM, test tasks and logs, the run name, system
// information and configuration, VCXO adjustment, and the composite system-information record.
// Each is one or more exchanges of UsbExchange.h; every result is 1 for success and 0 for failure,
// and outputs are written only on success.

#include "usb/UsbExchange.h"

#include <cstdint>

namespace capi {

// The per-model layouts of tasks and logs.
enum class UsbModel { Korrin, Sevane, Dashel };

constexpr size_t kSystemInfoRecord = 166;
constexpr size_t kEepromRecord = 72;

int UsbReadRegister(uint16_t address, uint32_t* value);
int UsbWriteRegister(uint16_t address, uint32_t value);
int UsbGetTask(UsbModel model, void* out, uint8_t a, uint8_t b);
int UsbSetTask(UsbModel model, const uint8_t* record);
// The first 1210 bytes of a log entry.
int UsbGetLog(UsbModel model, void* out, uint16_t entry);
int UsbGetLogChunk(uint8_t* out, uint16_t entry, uint8_t chunk);
int UsbGetLogCount(uint16_t* count);
int UsbClearLog();
int UsbGetSysInfo(void* out);
// Reads the system version and stores the firmware word of the system information message.
int UsbGetSystemVersion();
int UsbGetRunName(char* out);
int UsbSetRunName(const uint8_t* name60);
int UsbGetSysConfig(void* out);
int UsbSetSysConfig(const uint8_t* config22);
// `wordCount` words from `wordAddress` (15 bits each): out bytes 4-61 take the reply's 58 data
// bytes; out holds at least 62 bytes.
int UsbGetEeprom(uint16_t wordAddress, uint16_t wordCount, uint8_t* out);
// A 72-byte record: word address at bytes 0-1, word count at 4-5, 58 data bytes from byte 10.
int UsbSetEeprom(const uint8_t* record);
// The adjustment travels as a signed 16-bit value at packet bytes 2-3 of the set request and of
// the unit's reply (code 48) to both requests; `ppm` receives the unit's value.
int UsbSetVcxo(int ppm, int16_t* unitPpm);
int UsbGetVcxo(int16_t* unitPpm);
int UsbGetSystemInfo(uint8_t* record);

}  // namespace capi
