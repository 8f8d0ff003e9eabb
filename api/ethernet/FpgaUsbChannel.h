#pragma once
// The downloads of the USB-attached units' control channel, to which the FPGA and firmware exports
// hand their jobs. Both start a worker of the USB layer that reports 0x0F00 / 0x0F01 messages.
// Results: 0 started, 1 a download runs already, 2 no unit could be opened.
//
// The image stays the caller's and must stay valid until the transfer ends; the path only until
// the call returns.

#include <stdint.h>

extern "C" {
int __stdcall Korrin_DownloadFPGA(const uint8_t* image, int start, int end);
int __stdcall Korrin_DownloadFirmware(const wchar_t* path);
}
