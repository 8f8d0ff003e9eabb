// Identity getters, the system version request, the manual identity reads, the VCXO calls and the
// diagnostic exports.

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "identity/EepromAccess.h"
#include "ports/Ports.h"
#include "protocol/RegisterMap.h"
#include "serialflash/SerialFlash.h"
#include "usb/Usb.h"

#include <windows.h>

#include <cstdio>

extern "C" char* __stdcall GetModule() { return BVX_Module; }
extern "C" char* __stdcall GetSN() { return BVX_SN; }
extern "C" uint8_t* __stdcall GetMAC() { return BVX_MAC; }
extern "C" char* __stdcall GetProductDate() { return BVX_ProductDate; }
extern "C" char* __stdcall GetPCB() { return BVX_PCB; }
extern "C" uint8_t* __stdcall GetIPv4() { return BVX_MyIPv4; }
extern "C" uint8_t* __stdcall GetServerIPv4() { return BVX_ServerIPv4; }
extern "C" uint8_t* __stdcall GetGatewayIPv4() { return BVX_GatewayIPv4; }
extern "C" int32_t __stdcall GetVCXOPPM() { return BVX_VCXO_PPM; }
extern "C" int32_t __stdcall GetMachineID() { return capi::MachineId(); }

uint16_t __stdcall BrevixC_GetMachineID() { return static_cast<uint16_t>(capi::MachineId()); }

extern "C" int __stdcall BrevixC_Has_PIC24() { return capi::UsbUnitPresent() ? 1 : 0; }

// The answer reaches the host later, as the system information message (0x0500).
extern "C" int __stdcall BrevixC_SYS_GetSystemVer() {
    const uint32_t registers[3] = {capi::reg::kFpgaVersion, capi::reg::kHardwareWord, capi::reg::kFirmwareVersion};
    return BrevixT_GenR(3, registers);
}

uint16_t __stdcall BrevixC_SYS_GetManualInfo(int32_t index) {
    if (capi::IsBrevixHFamily(capi::MachineId())) {
        if (index != 0 && index != 1) return 1;
        return capi::ReadUsbIdentityField(index) ? 1 : 0;
    }
    // The values reach BVX_Module and BVX_SN through the EEPROM reply parse.
    switch (index) {
    case 0:
        return static_cast<uint16_t>(capi::ReadEepromWords(16, 8));
    case 1:
        return static_cast<uint16_t>(capi::ReadEepromWords(38, 10));
    default:
        return 0;
    }
}

extern "C" int __stdcall BrevixC_SYS_SetVCXOAdjustPPM(int32_t ppm) {
    return capi::SetVcxoAdjustPpm(static_cast<uint16_t>(ppm));
}

extern "C" int __stdcall BrevixC_SYS_GetVCXOAdjustPPM() { return capi::GetVcxoAdjustPpm(); }

extern "C" int __stdcall BrevixC_T1() {
    uint16_t value = 0;
    capi::PhyRead(0, 2, &value);
    char text[64];
    std::snprintf(text, sizeof text, "\tPReg2 %x", value);
    MessageBoxA(nullptr, text, "TITLE", MB_OK);
    return 1;
}

extern "C" int __stdcall BrevixC_T2() {
    uint8_t manufacturer = 0, memoryType = 0, capacity = 0;
    const bool read = capi::ReadSerialFlashId(&manufacturer, &memoryType, &capacity);
    MessageBoxA(nullptr, "READ", "TITLE", MB_OK);
    char text[96];
    std::snprintf(text, sizeof text, "\tManuID %x, MemType %x, Size %x, Err %d", manufacturer, memoryType, capacity,
                  read ? 0 : 2);
    MessageBoxA(nullptr, text, "TITLE", MB_OK);
    return 1;
}

extern "C" int __stdcall BrevixC_T3() { return 1; }

extern "C" int __stdcall BrevixC_T4() { return 1; }
