#pragma once
// Firmware, FPGA and auxiliary (Ravlo) firmware downloads to a Brevix-H unit over the channel: a
// stream of 60-byte chunks, each acknowledged by a reply with the download's code.
//
// Worker downloads (firmware, FPGA, Ravlo) run on a thread of their own and report progress to the
// host callback (0x0F01 firmware, 0x0F00 FPGA) or to the Korrin-layer callback (Ravlo); the
// synchronous downloads run on the caller's thread and report to the Korrin-layer callback.
//
// The busy flag is taken by the starting export with an atomic exchange, so two starts never both
// win; a worker that cannot start gives it back. Each worker owns copies of its path and image.

#include "usb/UsbImageFiles.h"

#include <cstdint>
#include <functional>

namespace capi {

// Results of the worker starts.
enum UsbDownloadStart : int {
    kDownloadStarted = 0,
    kDownloadRunning = 1,
    kDownloadNoUnit = 2,
    kDownloadBadFile = 3,
};

// Status codes of the 0x0F00 / 0x0F01 messages.
enum UsbDownloadStatus : uint16_t {
    kDownloadFailed = 1,
    kDownloadProgress = 2,
    kDownloadChecking = 3,
    kDownloadErasing = 4,
    kDownloadPassed = 6,
};

int StartFirmwareDownload(const wchar_t* path);
// `ended`, when given, is heard on the worker's thread once the worker download that this call
// started has passed (right after its pass report) or failed (once the channel is free again, a
// throw included): the FPGA download of the Ethernet side gives the connection its pollers back
// there. It may be heard twice for one download; a call that starts no worker never hears it.
int StartFpgaDownload(const uint8_t* image, int start, int end, std::function<void()> ended = {});
int StartRavloDownload(const char* path);
void DownloadFirmwareNow(const char* path);
void DownloadFpgaNow(const char* path);

}  // namespace capi
