#include "fpga/FpgaDownload.h"

#include "FlashRecords.h"

#include <algorithm>

namespace capi {
namespace {

FpgaDownloadEnd Fail(FpgaDownloadHost& host) {
    host.LogStatus(kFpgaFailed, 0);
    host.SendStatus(kFpgaFailed, 0);
    return FpgaDownloadEnd::Failed;
}

}  // namespace

FpgaDownloadEnd RunFpgaDownload(const FpgaJob& job, FpgaDownloadHost& host) {
    const uint32_t pageCount = fpgaimage::PageCount(job.window);
    if (!host.FlashInitialised()) return FpgaDownloadEnd::Stopped;
    uint32_t lastReport = host.Ticks();
    if (host.DeviceLost()) return FpgaDownloadEnd::Stopped;

    // The chip erase runs on in the flash after the command: the minute covers it, whatever the
    // erase's own polling reported.
    host.ChipErase();
    for (int second = 0; second < kFpgaEraseSeconds; ++second) {
        if (host.TerminateRequested()) return Fail(host);
        host.LogStatus(kFpgaErasing, 0);
        host.Wait(1000);
        host.SendStatus(kFpgaErasing, 0);
    }

    uint32_t page = 0;
    size_t position = job.window.start;
    int attempts = 0;
    while (page < pageCount) {
        if (host.TerminateRequested()) return Fail(host);
        const auto chunk = uint16_t(std::min<size_t>(spiflash::kPageSize, job.window.end - position));
        if (host.DeviceLost()) return FpgaDownloadEnd::Stopped;
        const bool programmed = host.ProgramPage(uint16_t(page), job.image.data() + position, chunk);
        if (programmed) {
            position += chunk;
            attempts = 0;
        } else if (++attempts == kFpgaPageAttempts) {
            return Fail(host);
        }
        const uint32_t now = host.Ticks();
        if (now - lastReport > kFpgaProgressPeriodMs) {
            lastReport = now;
            const auto percent = uint16_t(uint64_t(page) * 100 / pageCount);
            host.LogStatus(kFpgaDownloading, percent);
            host.SendStatus(kFpgaDownloading, percent);
        }
        if (programmed) ++page;
    }
    host.LogStatus(kFpgaFinished, 100);
    host.SendStatus(kFpgaFinished, 100);
    host.LogStatus(kFpgaPassed, 100);
    host.SendStatus(kFpgaPassed, 100);
    return FpgaDownloadEnd::Passed;
}

}  // namespace capi
