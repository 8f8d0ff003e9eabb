#pragma once
// What the rest of the library asks of the USB control channel of the Brevix-H family (machine ids
// 3 and 4). UsbIdentity.cpp and UsbEeprom.cpp each answer one group (identity, EEPROM) and hold
// nothing else, so a test program that plays a unit's channel in-process replaces both groups.
// Both open the unit for each call with OpenUsbUnit and close it after with CloseUsbUnit.

#include <cstddef>
#include <cstdint>

namespace capi {

// BrevixC_SYS_Init: a USB-attached Brevix-H unit answers (device type 4, connect, terminate).
bool ProbeUsbUnit();
// Connect for machine ids 3 and 4: connect to the unit, read the identity fields and the firmware
// word over the channel, and close it; false when the unit does not answer.
bool ReadUsbIdentity();
// BrevixC_SYS_GetManualInfo on machine ids 3 and 4: index 0 the model name, 1 the serial number.
bool ReadUsbIdentityField(int32_t index);
// The VCXO adjustment: on the open channel, or one opened for the call; the unit's value is kept
// in BVX_VCXO_PPM.
int SetVcxoAdjustPpm(uint16_t ppm);
int GetVcxoAdjustPpm();

// The EEPROM calls: machine ids 3 and 4 keep their 93C56 behind the channel.
// Selects the Brevix-H device type and connects to the unit; false when it does not answer, and
// while a worker download runs (the call must not reopen its channel).
bool OpenUsbUnit();
void CloseUsbUnit();
// Reads `count` words from `word`; the words' bytes follow 4 bytes of header in `answer`, which
// holds at least 4 + 2 x count bytes.
bool ReadUsbEeprom(uint8_t word, uint8_t count, uint8_t* answer);
// Writes a 72-byte record: the word address at bytes 0-1, the word count at 4-5 and the words'
// bytes from byte 10.
bool WriteUsbEeprom(const uint8_t* record, size_t length);

// The Ethernet side's terminate calls reach the channel's worker download too: it ends before its
// next chunk, and its last report is a failure. AbortUsbDownload (BrevixC_SYS_DownloadFPGA_Terminate)
// asks and returns; EndUsbDownload (BrevixC_SYS_TerminateProcess) also waits, up to about 5
// seconds, for the worker to end.
void AbortUsbDownload();
void EndUsbDownload();

}  // namespace capi

// The channel's downloads, to which the FPGA and firmware exports hand their jobs. Both start a
// worker of the USB layer that reports 0x0F00 / 0x0F01 messages. Results: 0 started, 1 a download
// runs already, 2 no unit could be opened, 3 the file or image window cannot be sent. The worker
// takes copies of the path's file and the image window before the call returns.
extern "C" {
int __stdcall Korrin_DownloadFPGA(const uint8_t* image, int start, int end);
int __stdcall Korrin_DownloadFirmware(const wchar_t* path);
}
