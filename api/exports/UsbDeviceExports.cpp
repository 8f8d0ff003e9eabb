// The USB channel's device exports: model selection, search, connection, the Korrin-layer
// callback, the host program's version and raw packets.

#include "BrevixCUsb.h"
#include "exports/ExportGuard.h"
#include "runtime/PumpWait.h"
#include "usb/UsbExchange.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

using capi::UsbTesterDevice;

uint16_t __stdcall BrevixH_SYS_SetDeviceType(int type) {
    return capi::Guarded("BrevixH_SYS_SetDeviceType", uint16_t(0), [&]() -> uint16_t {
        if (type < 1 || type > 4) return 0;
        return uint16_t(UsbTesterDevice::Instance().FindByType(type));
    });
}

uint16_t __stdcall BrevixH_SYS_SelectDevice(int index) {
    return capi::Guarded("BrevixH_SYS_SelectDevice", uint16_t(0),
                         [&]() -> uint16_t { return uint16_t(UsbTesterDevice::Instance().ProbeModel(index)); });
}

uint16_t __stdcall BrevixH_SYS_ConnectToDevice() {
    return capi::Guarded("BrevixH_SYS_ConnectToDevice", uint16_t(0),
                         [&]() -> uint16_t { return uint16_t(UsbTesterDevice::Instance().Open()); });
}

uint16_t __stdcall BrevixH_SYS_FindDevice() {
    return capi::Guarded("BrevixH_SYS_FindDevice", uint16_t(0),
                         [&]() -> uint16_t { return uint16_t(UsbTesterDevice::Instance().IsPresent()); });
}

void __stdcall BrevixH_SYS_TerminateProcess() {
    capi::Guarded("BrevixH_SYS_TerminateProcess", [&] {
        UsbTesterDevice::Instance().Close();
        capi::WaitDownloadEnd();
    });
}

extern "C" {

int __stdcall Korrin_Init(Korrin_Callback callback) {
    return capi::Guarded("Korrin_Init", 0, [&]() -> int {
        capi::KorrinLayerCallback() = callback;
        return callback ? 1 : 0;
    });
}

int __stdcall Korrin_GetDllVersion(char* buffer) {
    return capi::Guarded("Korrin_GetDllVersion", 0, [&]() -> int {
        wchar_t program[MAX_PATH + 1] = {};
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        DWORD unused = 0;
        const DWORD size = GetFileVersionInfoSizeW(program, &unused);
        if (size == 0) return 0;
        std::vector<uint8_t> info(size);
        if (!GetFileVersionInfoW(program, 0, size, info.data())) return 0;
        struct Translation {
            WORD language, codePage;
        }* translation = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                            &length) ||
            length < sizeof(Translation))
            return 1;
        wchar_t key[64];
        swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation->language, translation->codePage);
        wchar_t* version = nullptr;
        if (VerQueryValueW(info.data(), key, reinterpret_cast<void**>(&version), &length) && version)
            capi::ToNarrow(buffer, version);
        return 1;
    });
}

// The frame goes as it stands; any reply ends the call, whatever it holds.
int __stdcall Korrin_SendFrame(Korrin_Frame_T frame) {
    return capi::Guarded("Korrin_SendFrame", 0, [&]() -> int {
        capi::UsbExchangeLock lock;
        if (!lock.Acquired()) return 0;
        UsbTesterDevice& device = UsbTesterDevice::Instance();
        capi::UsbPacket packet{};
        std::memcpy(packet.data(), frame.bytes, capi::kUsbPacket);
        device.Write(packet, capi::UsbWriteForm::Plain);
        capi::PumpWait(150);
        for (int i = 0; i < 50; ++i) {
            capi::UsbPacket reply{};
            if (device.Read(&reply)) {
                device.ReplyTaken();
                return 1;
            }
            capi::PumpWait(50);
        }
        return 0;
    });
}

int __stdcall Korrin_GetFrame(int command, uint8_t* buffer) {
    return capi::Guarded("Korrin_GetFrame", 0, [&]() -> int {
        capi::UsbPacket reply{};
        {
            capi::UsbExchangeLock lock;
            if (!lock.Acquired()) return 0;
            UsbTesterDevice::Instance().SendCommand(uint8_t(command));
            constexpr uint32_t kDeadlineMs = 2000;
            if (!capi::AwaitReply(uint8_t(command), kDeadlineMs, GetTickCount(), &reply, {}, 0)) return 0;
        }
        if (!buffer) return 0;
        buffer[0] = uint8_t(command);
        buffer[1] = reply[1];
        std::memcpy(buffer + 4, &reply[2], 62);
        return 1;
    });
}

}  // extern "C"
