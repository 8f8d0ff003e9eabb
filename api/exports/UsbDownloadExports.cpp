// Firmware, FPGA and Ravlo downloads to a Brevix-H unit.

#include "BrevixCUsb.h"
#include "exports/ExportGuard.h"
#include "usb/UsbDownloads.h"

int __stdcall BrevixH_SYS_DownloadFirmware(char* path) {
    return capi::Guarded("BrevixH_SYS_DownloadFirmware", 0, [&]() -> int {
        capi::DownloadFirmwareNow(path);
        return 0;
    });
}

int __stdcall BrevixH_SYS_DownloadFPGA(char* path) {
    return capi::Guarded("BrevixH_SYS_DownloadFPGA", 0, [&]() -> int {
        capi::DownloadFpgaNow(path);
        return 0;
    });
}

extern "C" {

int __stdcall Korrin_DownloadFirmware(const wchar_t* path) {
    return capi::Guarded("Korrin_DownloadFirmware", 0, [&]() -> int { return capi::StartFirmwareDownload(path); });
}

int __stdcall Korrin_DownloadFPGA(const uint8_t* image, int start, int end) {
    return capi::Guarded("Korrin_DownloadFPGA", 0, [&]() -> int { return capi::StartFpgaDownload(image, start, end); });
}

int __stdcall Korrin_DownloadRavlo(const char* path) {
    return capi::Guarded("Korrin_DownloadRavlo", 0, [&]() -> int { return capi::StartRavloDownload(path); });
}

}  // extern "C"
