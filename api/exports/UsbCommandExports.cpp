// The unit's commands: registers, EEPROM, tasks, logs, run name, system information and
// configuration, VCXO, and the composite system information.

#include "BrevixCUsb.h"
#include "exports/ExportGuard.h"
#include "usb/UsbCommands.h"

using capi::UsbModel;

extern "C" {

int __stdcall Korrin_ReadReg(uint16_t address, uint32_t* value) {
    return capi::Guarded("Korrin_ReadReg", 0, [&]() -> int { return capi::UsbReadRegister(address, value); });
}

int __stdcall Korrin_WriteToReg(uint16_t address, uint32_t value) {
    return capi::Guarded("Korrin_WriteToReg", 0, [&]() -> int { return capi::UsbWriteRegister(address, value); });
}

int __stdcall Korrin_GetTask(void* out, uint8_t a, uint8_t b) {
    return capi::Guarded("Korrin_GetTask", 0, [&]() -> int { return capi::UsbGetTask(UsbModel::Korrin, out, a, b); });
}

int __stdcall Sevane_GetTask(void* out, uint8_t a, uint8_t b) {
    return capi::Guarded("Sevane_GetTask", 0, [&]() -> int { return capi::UsbGetTask(UsbModel::Sevane, out, a, b); });
}

int __stdcall Dashel_GetTask(void* out, uint8_t a, uint8_t b) {
    return capi::Guarded("Dashel_GetTask", 0, [&]() -> int { return capi::UsbGetTask(UsbModel::Dashel, out, a, b); });
}

int __stdcall Korrin_SetTask(Korrin_Task_T task) {
    return capi::Guarded("Korrin_SetTask", 0, [&]() -> int { return capi::UsbSetTask(UsbModel::Korrin, task.bytes); });
}

int __stdcall Sevane_SetTask(Korrin_Task_T task) {
    return capi::Guarded("Sevane_SetTask", 0, [&]() -> int { return capi::UsbSetTask(UsbModel::Sevane, task.bytes); });
}

int __stdcall Dashel_SetTask(Dashel_Task_T task) {
    return capi::Guarded("Dashel_SetTask", 0, [&]() -> int { return capi::UsbSetTask(UsbModel::Dashel, task.bytes); });
}

int __stdcall Korrin_GetLog(void* out, uint16_t entry) {
    return capi::Guarded("Korrin_GetLog", 0, [&]() -> int { return capi::UsbGetLog(UsbModel::Korrin, out, entry); });
}

int __stdcall Sevane_GetLog(void* out, uint16_t entry) {
    return capi::Guarded("Sevane_GetLog", 0, [&]() -> int { return capi::UsbGetLog(UsbModel::Sevane, out, entry); });
}

int __stdcall Dashel_GetLog(void* out, uint16_t entry) {
    return capi::Guarded("Dashel_GetLog", 0, [&]() -> int { return capi::UsbGetLog(UsbModel::Dashel, out, entry); });
}

int __stdcall Korrin_GetLog_SN(uint8_t* out, uint16_t entry, uint8_t chunk) {
    return capi::Guarded("Korrin_GetLog_SN", 0, [&]() -> int { return capi::UsbGetLogChunk(out, entry, chunk); });
}

int __stdcall Korrin_GetLogNum(uint16_t* count) {
    return capi::Guarded("Korrin_GetLogNum", 0, [&]() -> int { return capi::UsbGetLogCount(count); });
}

int __stdcall Korrin_ClearLog() {
    return capi::Guarded("Korrin_ClearLog", 0, [&]() -> int { return capi::UsbClearLog(); });
}

int __stdcall Korrin_GetSysInfo(void* out) {
    return capi::Guarded("Korrin_GetSysInfo", 0, [&]() -> int { return capi::UsbGetSysInfo(out); });
}

int __stdcall BVE_GetSysVer() {
    return capi::Guarded("BVE_GetSysVer", 0, [&]() -> int { return capi::UsbGetSystemVersion(); });
}

int __stdcall Korrin_GetRunName(char* out) {
    return capi::Guarded("Korrin_GetRunName", 0, [&]() -> int { return capi::UsbGetRunName(out); });
}

int __stdcall Korrin_SetRunName(Korrin_RunName_T name) {
    return capi::Guarded("Korrin_SetRunName", 0, [&]() -> int { return capi::UsbSetRunName(name.bytes); });
}

int __stdcall Korrin_GetSysConfig(void* out) {
    return capi::Guarded("Korrin_GetSysConfig", 0, [&]() -> int { return capi::UsbGetSysConfig(out); });
}

int __stdcall Korrin_SetSysConfig(Korrin_SysConfig_T config) {
    return capi::Guarded("Korrin_SetSysConfig", 0, [&]() -> int { return capi::UsbSetSysConfig(config.bytes); });
}

int __stdcall Korrin_GetEeprom(uint16_t wordAddress, uint16_t wordCount, uint8_t* out) {
    return capi::Guarded("Korrin_GetEeprom", 0,
                         [&]() -> int { return capi::UsbGetEeprom(wordAddress, wordCount, out); });
}

int __stdcall Korrin_SetEeprom(Korrin_EepromWrite_T record) {
    return capi::Guarded("Korrin_SetEeprom", 0,
                         [&]() -> int { return capi::UsbSetEeprom(reinterpret_cast<const uint8_t*>(&record)); });
}

int __stdcall Korrin_VCXO_SetAdjustPPM(int ppm) {
    return capi::Guarded("Korrin_VCXO_SetAdjustPPM", 0, [&]() -> int { return capi::UsbSetVcxo(ppm, nullptr); });
}

int __stdcall Korrin_VCXO_GetAdjustPPM() {
    return capi::Guarded("Korrin_VCXO_GetAdjustPPM", 0, [&]() -> int { return capi::UsbGetVcxo(nullptr); });
}

int __stdcall Korrin_GetSystemInfo(Korrin_SystemInfo_T* out) {
    return capi::Guarded("Korrin_GetSystemInfo", 0,
                         [&]() -> int { return out ? capi::UsbGetSystemInfo(out->bytes) : 0; });
}

}  // extern "C"
