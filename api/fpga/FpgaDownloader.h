#pragma once
// The FPGA download of BrevixCAPI: reads and prepares the image on the caller's thread, then hands
// it to the download worker (Ethernet testers) or to the USB channel (USB-attached units).
//
// Threads: Download runs on the host's thread and owns the worker (starts it; the worker ends by
// itself and the next Download collects it). A refused download (result 0) neither tells the
// tester nor stops the connection's pollers. The terminate flag is atomic: the host's threads, the
// worker and the host callback on the worker's thread touch it. Whether the flash is initialised
// is the flash layer's own flag: set by its Init, cleared by its Shutdown.

#include "runtime/WorkerThread.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace capi {

class FpgaDownloader {
public:
    static FpgaDownloader& Instance();

    // BrevixC_SYS_DownloadFPGA(W) on an open file: 1 when the download started (or went to the
    // USB channel, whose refusal is reported as a failure message), 0 when it did not.
    int Download(std::FILE* file);
    // BrevixC_SYS_DownloadFPGA_Terminate: 0 when a terminate was asked already, else 1.
    int Terminate();

private:
    FpgaDownloader() = default;

    std::atomic<bool> terminate_{false};
    WorkerThread worker_;
    // An image the USB channel took must outlive its transfer: kept until it takes another.
    std::vector<uint8_t> usbImage_;
};

}  // namespace capi
