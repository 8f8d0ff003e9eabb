// BrevixT_EEProm_*: the serial flash commands. Each returns a one-byte boolean, true on success.

#include "BrevixCFlash.h"
#include "exports/ExportGuard.h"
#include "serialflash/FlashLayer.h"

using capi::FlashLayer;

extern "C" {

bool __stdcall BrevixT_EEProm_Init() {
    return capi::Guarded("BrevixT_EEProm_Init", false, [&]() -> bool {
        return FlashLayer::Instance().Init();
    });
}

bool __stdcall BrevixT_EEProm_ResetGpio() {
    return capi::Guarded("BrevixT_EEProm_ResetGpio", false, [&]() -> bool {
        return FlashLayer::Instance().ResetGpio();
    });
}

bool __stdcall BrevixT_EEProm_Shutdown() {
    return capi::Guarded("BrevixT_EEProm_Shutdown", false, [&]() -> bool {
        return FlashLayer::Instance().Shutdown();
    });
}

bool __stdcall BrevixT_EEProm_Read_Status(uint8_t* status) {
    return capi::Guarded("BrevixT_EEProm_Read_Status", false, [&]() -> bool {
        return status && FlashLayer::Instance().ReadStatus(status);
    });
}

bool __stdcall BrevixT_EEProm_Write_Status(const uint8_t* status) {
    return capi::Guarded("BrevixT_EEProm_Write_Status", false, [&]() -> bool {
        return status && FlashLayer::Instance().WriteStatus(status);
    });
}

bool __stdcall BrevixT_EEProm_Read_Id(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity) {
    return capi::Guarded("BrevixT_EEProm_Read_Id", false, [&]() -> bool {
        return manufacturer && memoryType && capacity && FlashLayer::Instance().ReadId(manufacturer, memoryType, capacity);
    });
}

bool __stdcall BrevixT_EEProm_Sector_Erase(uint8_t sector) {
    return capi::Guarded("BrevixT_EEProm_Sector_Erase", false, [&]() -> bool {
        return FlashLayer::Instance().SectorErase(sector);
    });
}

bool __stdcall BrevixT_EEProm_Chip_Erase() {
    return capi::Guarded("BrevixT_EEProm_Chip_Erase", false, [&]() -> bool {
        return FlashLayer::Instance().ChipErase();
    });
}

bool __stdcall BrevixT_EEProm_Read(uint8_t* buffer, uint32_t address, uint16_t length) {
    return capi::Guarded("BrevixT_EEProm_Read", false, [&]() -> bool {
        return buffer && FlashLayer::Instance().Read(buffer, address, length);
    });
}

bool __stdcall BrevixT_EEProm_Fastread(uint8_t* buffer, uint32_t address, uint16_t length) {
    return capi::Guarded("BrevixT_EEProm_Fastread", false, [&]() -> bool {
        return buffer && FlashLayer::Instance().FastRead(buffer, address, length);
    });
}

bool __stdcall BrevixT_EEProm_Page_Prog(uint16_t page, const uint8_t* data, uint16_t length) {
    return capi::Guarded("BrevixT_EEProm_Page_Prog", false, [&]() -> bool {
        return (data || length == 0) && FlashLayer::Instance().PageProgram(page, data, length);
    });
}

}  // extern "C"

bool __stdcall BrevixT_EEProm_write_enable() {
    return capi::Guarded("BrevixT_EEProm_write_enable", false, [&]() -> bool {
        return FlashLayer::Instance().WriteEnable();
    });
}

bool __stdcall BrevixT_EEProm_write_disable() {
    return capi::Guarded("BrevixT_EEProm_write_disable", false, [&]() -> bool {
        return FlashLayer::Instance().WriteDisable();
    });
}
