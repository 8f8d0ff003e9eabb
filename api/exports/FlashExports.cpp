// BrevixT_EEProm_*: the serial flash commands. Each returns a one-byte boolean, true on success.

#include "BrevixCFlash.h"
#include "serialflash/FlashLayer.h"

using capi::FlashLayer;

extern "C" {

bool __stdcall BrevixT_EEProm_Init() { return FlashLayer::Instance().Init(); }

bool __stdcall BrevixT_EEProm_ResetGpio() { return FlashLayer::Instance().ResetGpio(); }

bool __stdcall BrevixT_EEProm_Shutdown() { return FlashLayer::Instance().Shutdown(); }

bool __stdcall BrevixT_EEProm_Read_Status(uint8_t* status) {
    return status && FlashLayer::Instance().ReadStatus(status);
}

bool __stdcall BrevixT_EEProm_Write_Status(const uint8_t* status) {
    return status && FlashLayer::Instance().WriteStatus(status);
}

bool __stdcall BrevixT_EEProm_Read_Id(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity) {
    return manufacturer && memoryType && capacity && FlashLayer::Instance().ReadId(manufacturer, memoryType, capacity);
}

bool __stdcall BrevixT_EEProm_Sector_Erase(uint8_t sector) { return FlashLayer::Instance().SectorErase(sector); }

bool __stdcall BrevixT_EEProm_Chip_Erase() { return FlashLayer::Instance().ChipErase(); }

bool __stdcall BrevixT_EEProm_Read(uint8_t* buffer, uint32_t address, uint16_t length) {
    return buffer && FlashLayer::Instance().Read(buffer, address, length);
}

bool __stdcall BrevixT_EEProm_Fastread(uint8_t* buffer, uint32_t address, uint16_t length) {
    return buffer && FlashLayer::Instance().FastRead(buffer, address, length);
}

bool __stdcall BrevixT_EEProm_Page_Prog(uint16_t page, const uint8_t* data, uint16_t length) {
    return (data || length == 0) && FlashLayer::Instance().PageProgram(page, data, length);
}

}  // extern "C"

bool __stdcall BrevixT_EEProm_write_enable() { return FlashLayer::Instance().WriteEnable(); }

bool __stdcall BrevixT_EEProm_write_disable() { return FlashLayer::Instance().WriteDisable(); }
