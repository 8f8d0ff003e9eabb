// BrevixC_SYS_DownloadFPGA(W), BrevixC_SYS_DownloadFPGA_Terminate and the firmware forwarders.

#include "BrevixCFlash.h"
#include "connection/DeviceState.h"
#include "exports/ExportGuard.h"
#include "fpga/FpgaDownloader.h"
#include "serialflash/FlashOutput.h"
#include "usb/Usb.h"

#include <windows.h>

#include <cstdio>
#include <string>

using capi::FpgaDownloader;

namespace {

int DownloadFrom(std::FILE* file) {
    if (!file) {
        capi::ShowFlashBox("Can not open FPGA file!", "Note");
        return 0;
    }
    const int result = FpgaDownloader::Instance().Download(file);
    std::fclose(file);
    return result;
}

// The narrow path in the system's ANSI code page. The converted copy lives until the next
// conversion, so the USB layer may read it after the call.
const wchar_t* WidenPath(const char* path) {
    static std::wstring wide;
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0) return nullptr;
    wide.assign(size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
    return wide.c_str();
}

}  // namespace

extern "C" {

int __stdcall BrevixC_SYS_DownloadFPGAW(const wchar_t* path, int32_t) {
    return capi::Guarded("BrevixC_SYS_DownloadFPGAW", 0, [&]() -> int {
        return DownloadFrom(path ? _wfopen(path, L"rb") : nullptr);
    });
}

int __stdcall BrevixC_SYS_DownloadFPGA(const char* path, int32_t) {
    return capi::Guarded("BrevixC_SYS_DownloadFPGA", 0, [&]() -> int {
        return DownloadFrom(path ? std::fopen(path, "rb") : nullptr);
    });
}

int __stdcall BrevixC_SYS_DownloadFPGA_Terminate() {
    return capi::Guarded("BrevixC_SYS_DownloadFPGA_Terminate", 0, [&]() -> int {
        capi::AbortUsbDownload();
        return FpgaDownloader::Instance().Terminate();
    });
}

int __stdcall BrevixC_SYS_DownloadFirmwareW(const wchar_t* path) {
    return capi::Guarded("BrevixC_SYS_DownloadFirmwareW", 0, [&]() -> int {
        if (!path || !capi::UsbUnitPresent()) return 0;
        return Korrin_DownloadFirmware(path) == 0 ? 1 : 0;
    });
}

int __stdcall BrevixC_SYS_DownloadFirmware(const char* path) {
    return capi::Guarded("BrevixC_SYS_DownloadFirmware", 0, [&]() -> int {
        const wchar_t* wide = path ? WidenPath(path) : nullptr;
        return wide ? BrevixC_SYS_DownloadFirmwareW(wide) : 0;
    });
}

}  // extern "C"
