#pragma once
// The FPGA download of BrevixCAPI: reads and prepares the image on the caller's thread, then hands
// it to the download worker (Ethernet testers) or to the USB channel (USB-attached units).
//
// Threads: Download runs on the host's thread and owns the worker (starts it; the worker ends by
// itself and the next Download collects it). A refused download (result 0) neither tells the
// tester nor stops the connection's pollers; one handed to the USB unit gives them back at its
// end, whichever end it comes to. The terminate flag is atomic: the host's threads, the
// worker and the host callback on the worker's thread touch it. Whether the flash is initialised
// is the flash layer's own flag: set by its Init, cleared by its Shutdown.

#include "runtime/WorkerThread.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>

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
    // Stops the connection's pollers for a download through the USB unit; the hold it returns
    // names that download.
    uint64_t HoldPollers();
    // The end of the download that took `hold`: the pollers start again once no download holds
    // them. Heard on the host's thread (a refusal) or the USB worker's (its end), maybe twice.
    void ReleasePollers(uint64_t hold);
    // A download through the registers: the pollers stay stopped after it.
    void StopPollersForGood();

    std::atomic<bool> terminate_{false};
    WorkerThread worker_;
    // holdLock_ guards holds_ and holders_, and is held through the pollers' stop and restart, so
    // that a download's stop and an earlier one's late end come in one order: the host's thread
    // that downloads, and the USB worker at its end. The pollers never take it.
    std::mutex holdLock_;
    uint64_t holds_ = 0;           // holds taken so far
    std::set<uint64_t> holders_;  // the holds not given back yet
};

}  // namespace capi
