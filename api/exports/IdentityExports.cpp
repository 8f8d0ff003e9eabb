// Identity getters, the system version request, the manual identity reads, the VCXO calls and the
// diagnostic exports.

#include "BoxOwner.h"
#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "exports/ExportGuard.h"
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
extern "C" int32_t __stdcall GetMachineID() {
    return capi::Guarded("GetMachineID", 0, [&]() -> int32_t {
        return capi::MachineId();
    });
}

uint16_t __stdcall BrevixC_GetMachineID() {
    return capi::Guarded("BrevixC_GetMachineID", uint16_t(0), [&]() -> uint16_t {
        return static_cast<uint16_t>(capi::MachineId());
    });
}

extern "C" int __stdcall BrevixC_Has_PIC24() {
    return capi::Guarded("BrevixC_Has_PIC24", 0, [&]() -> int {
        return capi::UsbUnitPresent() ? 1 : 0;
    });
}

// The answer reaches the host later, as the system information message (0x0500).
extern "C" int __stdcall BrevixC_SYS_GetSystemVer() {
    return capi::Guarded("BrevixC_SYS_GetSystemVer", 0, [&]() -> int {
        const uint32_t registers[3] = {capi::reg::kFpgaVersion, capi::reg::kHardwareWord, capi::reg::kFirmwareVersion};
        return BrevixT_GenR(3, registers);
    });
}

uint16_t __stdcall BrevixC_SYS_GetManualInfo(int32_t index) {
    return capi::Guarded("BrevixC_SYS_GetManualInfo", uint16_t(0), [&]() -> uint16_t {
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
    });
}

extern "C" int __stdcall BrevixC_SYS_SetVCXOAdjustPPM(int32_t ppm) {
    return capi::Guarded("BrevixC_SYS_SetVCXOAdjustPPM", 0, [&]() -> int {
        return capi::SetVcxoAdjustPpm(static_cast<uint16_t>(ppm));
    });
}

extern "C" int __stdcall BrevixC_SYS_GetVCXOAdjustPPM() {
    return capi::Guarded("BrevixC_SYS_GetVCXOAdjustPPM", 0, [&]() -> int {
        return capi::GetVcxoAdjustPpm();
    });
}

extern "C" int __stdcall BrevixC_T1() {
    return capi::Guarded("BrevixC_T1", 0, [&]() -> int {
        uint16_t value = 0;
        capi::PhyRead(0, 2, &value);
        char text[64];
        std::snprintf(text, sizeof text, "\tPReg2 %x", value);
        hostio::ShowOwnedBox(text, "TITLE");
        return 1;
    });
}

extern "C" int __stdcall BrevixC_T2() {
    return capi::Guarded("BrevixC_T2", 0, [&]() -> int {
        uint8_t manufacturer = 0, memoryType = 0, capacity = 0;
        const bool read = capi::ReadSerialFlashId(&manufacturer, &memoryType, &capacity);
        hostio::ShowOwnedBox("READ", "TITLE");
        char text[96];
        std::snprintf(text, sizeof text, "\tManuID %x, MemType %x, Size %x, Err %d", manufacturer, memoryType, capacity,
                      read ? 0 : 2);
        hostio::ShowOwnedBox(text, "TITLE");
        return 1;
    });
}

extern "C" int __stdcall BrevixC_T3() { return 1; }

extern "C" int __stdcall BrevixC_T4() { return 1; }
