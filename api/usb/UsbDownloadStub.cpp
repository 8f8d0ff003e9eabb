// Until the USB control channel is part of the library: no unit can be opened, so every download
// handed to it is refused.

#include "usb/Usb.h"

namespace {
constexpr int kNoUnit = 2;
}

extern "C" int __stdcall Korrin_DownloadFPGA(const uint8_t*, int, int) { return kNoUnit; }

extern "C" int __stdcall Korrin_DownloadFirmware(const wchar_t*) { return kNoUnit; }
