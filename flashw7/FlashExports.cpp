// BrevixT_EEProm_*: the serial flash commands. Each returns a one-byte boolean, true on success.

#include "BrevixTWin7.h"
#include "FlashCommands.h"

using win7::FlashCommands;

extern "C" {

bool __stdcall BrevixT_EEProm_Init_Win7() { return FlashCommands::Instance().Init(false); }

bool __stdcall BrevixT_EEProm_Init_CSharp() { return FlashCommands::Instance().Init(true); }

bool __stdcall BrevixT_EEProm_Shutdown_Win7() { return FlashCommands::Instance().Shutdown(); }

bool __stdcall BrevixT_EEProm_ResetGpio_Win7() { return FlashCommands::Instance().ResetGpio(); }

bool __stdcall BrevixT_EEProm_Read_Status(uint8_t* status) {
    return status && FlashCommands::Instance().ReadStatus(status);
}

bool __stdcall BrevixT_EEProm_Write_Status(const uint8_t* status) {
    return status && FlashCommands::Instance().WriteStatus(status);
}

bool __stdcall BrevixT_EEProm_Read_Id(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity) {
    return manufacturer && memoryType && capacity &&
           FlashCommands::Instance().ReadId(manufacturer, memoryType, capacity);
}

bool __stdcall BrevixT_EEProm_Fastread(uint8_t* buffer, uint32_t address, uint16_t length) {
    return buffer && FlashCommands::Instance().FastRead(buffer, address, length);
}

bool __stdcall BrevixT_EEProm_Read_Win7(uint8_t* buffer, uint16_t page, uint16_t length) {
    return buffer && FlashCommands::Instance().ReadPage(buffer, page, length);
}

bool __stdcall BrevixT_EEProm_Page_Prog(uint16_t page, const uint8_t* data, uint16_t length) {
    return (data || length == 0) && FlashCommands::Instance().PageProgram(page, data, length);
}

bool __stdcall BrevixT_EEProm_Sector_Erase(uint8_t sector) { return FlashCommands::Instance().SectorErase(sector); }

bool __stdcall BrevixT_EEProm_Chip_Erase_Win7() { return FlashCommands::Instance().ChipErase(); }

}  // extern "C"

bool __stdcall BrevixT_EEProm_write_enable() { return FlashCommands::Instance().WriteEnable(); }

bool __stdcall BrevixT_EEProm_write_disable() { return FlashCommands::Instance().WriteDisable(); }
