// The unit's commands: registers, EEPROM, tasks, logs, run name, system information and
// configuration, VCXO, and the composite system information.

#include "BrevixCUsb.h"
#include "usb/UsbCommands.h"

using capi::UsbModel;

extern "C" {

int __stdcall Korrin_ReadReg(uint16_t address, uint32_t* value) { return capi::UsbReadRegister(address, value); }
int __stdcall Korrin_WriteToReg(uint16_t address, uint32_t value) { return capi::UsbWriteRegister(address, value); }

int __stdcall Korrin_GetTask(void* out, uint8_t a, uint8_t b) { return capi::UsbGetTask(UsbModel::Korrin, out, a, b); }
int __stdcall Sevane_GetTask(void* out, uint8_t a, uint8_t b) { return capi::UsbGetTask(UsbModel::Sevane, out, a, b); }
int __stdcall Dashel_GetTask(void* out, uint8_t a, uint8_t b) { return capi::UsbGetTask(UsbModel::Dashel, out, a, b); }
int __stdcall Korrin_SetTask(Korrin_Task_T task) { return capi::UsbSetTask(UsbModel::Korrin, task.bytes); }
int __stdcall Sevane_SetTask(Korrin_Task_T task) { return capi::UsbSetTask(UsbModel::Sevane, task.bytes); }
int __stdcall Dashel_SetTask(Dashel_Task_T task) { return capi::UsbSetTask(UsbModel::Dashel, task.bytes); }

int __stdcall Korrin_GetLog(void* out, uint16_t entry) { return capi::UsbGetLog(UsbModel::Korrin, out, entry); }
int __stdcall Sevane_GetLog(void* out, uint16_t entry) { return capi::UsbGetLog(UsbModel::Sevane, out, entry); }
int __stdcall Dashel_GetLog(void* out, uint16_t entry) { return capi::UsbGetLog(UsbModel::Dashel, out, entry); }
int __stdcall Korrin_GetLog_SN(uint8_t* out, uint16_t entry, uint8_t chunk) {
    return capi::UsbGetLogChunk(out, entry, chunk);
}
int __stdcall Korrin_GetLogNum(uint16_t* count) { return capi::UsbGetLogCount(count); }
int __stdcall Korrin_ClearLog() { return capi::UsbClearLog(); }

int __stdcall Korrin_GetSysInfo(void* out) { return capi::UsbGetSysInfo(out); }
int __stdcall BVE_GetSysVer() { return capi::UsbGetSystemVersion(); }
int __stdcall Korrin_GetRunName(char* out) { return capi::UsbGetRunName(out); }
int __stdcall Korrin_SetRunName(Korrin_RunName_T name) { return capi::UsbSetRunName(name.bytes); }
int __stdcall Korrin_GetSysConfig(void* out) { return capi::UsbGetSysConfig(out); }
int __stdcall Korrin_SetSysConfig(Korrin_SysConfig_T config) { return capi::UsbSetSysConfig(config.bytes); }

int __stdcall Korrin_GetEeprom(uint16_t wordAddress, uint16_t wordCount, uint8_t* out) {
    return capi::UsbGetEeprom(wordAddress, wordCount, out);
}
int __stdcall Korrin_SetEeprom(Korrin_EepromWrite_T record) {
    return capi::UsbSetEeprom(reinterpret_cast<const uint8_t*>(&record));
}

int __stdcall Korrin_VCXO_SetAdjustPPM(int ppm) { return capi::UsbSetVcxo(ppm, nullptr); }
int __stdcall Korrin_VCXO_GetAdjustPPM() { return capi::UsbGetVcxo(nullptr); }

int __stdcall Korrin_GetSystemInfo(Korrin_SystemInfo_T* out) {
    return out ? capi::UsbGetSystemInfo(out->bytes) : 0;
}

}  // extern "C"
