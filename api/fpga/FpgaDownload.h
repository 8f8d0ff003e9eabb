#pragma once
// The FPGA download worker's work: chip erase, a fixed minute for the erase to complete, then the
// image's data window page by page, with 0x0F00 status messages to the host. Written against
// FpgaDownloadHost so that its pacing can be tested with a clock of the test's own.

#include "FpgaImage.h"

#include <cstdint>
#include <vector>

namespace capi {

// Status codes of the 0x0F00 message.
enum FpgaStatus : uint16_t {
    kFpgaFinished = 0,     // programming finished (100)
    kFpgaFailed = 1,       // the download failed
    kFpgaDownloading = 2,  // the percentage done
    kFpgaErasing = 4,      // erasing (0)
    kFpgaPassed = 6,       // the image is in the flash (100)
};

constexpr int kFpgaEraseSeconds = 60;
constexpr uint32_t kFpgaProgressPeriodMs = 1000;
// A page is tried this many times before the download gives up on it.
constexpr int kFpgaPageAttempts = 10;

class FpgaDownloadHost {
public:
    virtual ~FpgaDownloadHost() = default;
    virtual uint32_t Ticks() = 0;                // milliseconds, wrapping like GetTickCount
    virtual void Wait(uint32_t milliseconds) = 0;  // dispatches the thread's messages meanwhile
    virtual bool FlashInitialised() = 0;
    virtual bool DeviceLost() = 0;
    virtual bool TerminateRequested() = 0;
    virtual bool ChipErase() = 0;
    virtual bool ProgramPage(uint16_t page, const uint8_t* data, uint16_t length) = 0;
    // The debug-log line that precedes a status message, and the message itself.
    virtual void LogStatus(uint16_t status, uint16_t value) = 0;
    virtual void SendStatus(uint16_t status, uint16_t value) = 0;
};

// A prepared image: the whole file with its data window bit-reversed. The worker owns it.
struct FpgaJob {
    std::vector<uint8_t> image;
    fpgaimage::Window window;
};

enum class FpgaDownloadEnd {
    Passed,   // every page programmed; (0, 100) and (6, 100) sent
    Failed,   // terminated or a page kept failing; (1, 0) sent
    Stopped,  // the flash was never initialised, or the tester was lost: nothing more is sent
};

FpgaDownloadEnd RunFpgaDownload(const FpgaJob& job, FpgaDownloadHost& host);

}  // namespace capi
