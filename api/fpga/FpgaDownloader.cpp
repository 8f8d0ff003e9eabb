#include "fpga/FpgaDownloader.h"

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "fpga/FpgaDownload.h"
#include "fpga/FpgaHost.h"
#include "protocol/RegisterMap.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"
#include "runtime/PumpWait.h"
#include "serialflash/FlashLayer.h"
#include "serialflash/FlashOutput.h"
#include "serialflash/SerialFlash.h"
#include "usb/Usb.h"
#include "usb/UsbDownloads.h"

#include "WholeFile.h"

#include <future>

namespace capi {
namespace {

// The tester is told that its FPGA is about to be rewritten, once the image is on its way.
void AnnounceFpgaUpdate() {
    const uint32_t update[2] = {reg::kFpgaUpdate, 1};
    BVT_GenW(1, update);
}

void LogFpgaStatus(uint16_t status, uint16_t value) {
    // The progress line carries the percentage as its last word.
    if (status == kFpgaDownloading) Log("Download FPGA status = ", status, ", process = ", value);
    else Log("Download FPGA status = ", status, ", process = ", value, ".");
}

void SendFpgaStatus(uint16_t status, uint16_t value) {
    HostMessage message(BREVIXC_MSG_FPGA_DOWNLOAD);
    message.Put16(18, status);
    message.Put16(20, value);
    message.Send();
}

// The worker's surroundings in the library: the tick count, pumped waits, the flash layer and the
// host callback.
class LibraryDownloadHost : public FpgaDownloadHost {
public:
    explicit LibraryDownloadHost(const std::atomic<bool>& terminate) : terminate_(terminate) {}
    uint32_t Ticks() override { return GetTickCount(); }
    void Wait(uint32_t milliseconds) override { PumpWait(milliseconds); }
    bool FlashInitialised() override { return FlashLayer::Instance().IsOpen(); }
    bool DeviceLost() override { return capi::DeviceLost(); }
    bool TerminateRequested() override { return terminate_; }
    bool ChipErase() override { return FlashLayer::Instance().ChipErase(); }
    bool ProgramPage(uint16_t page, const uint8_t* data, uint16_t length) override {
        return FlashLayer::Instance().PageProgram(page, data, length);
    }
    void LogStatus(uint16_t status, uint16_t value) override { LogFpgaStatus(status, value); }
    void SendStatus(uint16_t status, uint16_t value) override { SendFpgaStatus(status, value); }

private:
    const std::atomic<bool>& terminate_;
};

}  // namespace

FpgaDownloader& FpgaDownloader::Instance() {
    static FpgaDownloader downloader;
    return downloader;
}

int FpgaDownloader::Download(std::FILE* file) {
    // Two downloads at once would program the flash from two images: the second is refused.
    if (worker_.Running()) {
        Log("(API)(BrevixC_SYS_DownloadFPGA)An FPGA download is running");
        return 0;
    }
    worker_.Join(0);
    terminate_ = false;

    std::vector<uint8_t> image;
    if (!hostio::ReadWholeFile(file, &image)) return 0;

    FlashLayer& flash = FlashLayer::Instance();
    if (!flash.IsOpen() && !UsbUnitPresent() && !flash.Init()) ShowFlashBox("eeprom init fail!", "Error");

    fpgaimage::Window window;
    const fpgaimage::Preparation prepared = fpgaimage::PrepareImage(image, &window);
    if (prepared == fpgaimage::Preparation::NotAnImage) {
        ShowFlashBox("Image format unkown!", "Error");
        return 0;
    }

    if (IsBrevixHFamily(MachineId()) || UsbUnitPresent()) {
        AnnounceFpgaUpdate();
        // The unit writes the image over USB: the tester's registers stay as they were, and the
        // connection polls them again once the transfer has ended, however it ends: refused here
        // (no unit, another download or the log clearing has the channel, no worker), failed or
        // passed on the worker (which owns a copy of the image).
        const uint64_t hold = HoldPollers();
        int started = kDownloadNoUnit;
        try {
            started = StartFpgaDownload(image.data(), int(window.start), int(window.end),
                                        [this, hold] { ReleasePollers(hold); });
        } catch (...) {
            ReleasePollers(hold);
            throw;
        }
        if (started != kDownloadStarted) {
            ReleasePollers(hold);
            SendFpgaStatus(kFpgaFailed, 0);
        }
        return 1;
    }

    // Every refusal comes before the tester is told and the pollers stop: a download that does
    // not start leaves the connection as it was.
    if (prepared == fpgaimage::Preparation::UnfitForFlash) {
        Log("(API)(BrevixC_SYS_DownloadFPGA)Image data does not fit the flash: ", window.Length(), " bytes");
        return 0;
    }
    // Without an open flash layer the worker could only end in silence, and the host would wait.
    if (!flash.IsOpen()) return 0;

    // The worker is started first and holds back until the pollers have stopped, so that a worker
    // that cannot start is a refusal too. The stop joins the pollers, which only the host's
    // thread may do.
    std::promise<void> pollersStopped;
    FpgaJob job{std::move(image), window};
    const bool started = worker_.Start(
        L"FpgaDownloadThread", [this, job = std::move(job), go = pollersStopped.get_future().share()] {
            go.wait();
            LibraryDownloadHost host(terminate_);
            RunFpgaDownload(job, host);
        });
    if (!started) return 0;
    AnnounceFpgaUpdate();
    StopPollersForGood();
    pollersStopped.set_value();
    return 1;
}

uint64_t FpgaDownloader::HoldPollers() {
    std::lock_guard<std::mutex> guard(holdLock_);
    const uint64_t hold = ++holds_;
    holders_.insert(hold);
    StopPollerThreads();
    return hold;
}

void FpgaDownloader::StopPollersForGood() {
    std::lock_guard<std::mutex> guard(holdLock_);
    StopPollerThreads();
}

void FpgaDownloader::ReleasePollers(uint64_t hold) {
    std::lock_guard<std::mutex> guard(holdLock_);
    // Given back already (an end heard twice), or another download still holds them: a later one
    // that this end came too late for, or one on the unit that this refused one found running.
    if (holders_.erase(hold) == 0 || !holders_.empty()) return;
    RestartPollerThreads();
}

int FpgaDownloader::Terminate() { return terminate_.exchange(true) ? 0 : 1; }

bool SerialFlashInitialised() { return FlashLayer::Instance().IsOpen(); }

void ShutdownSerialFlash() { FlashLayer::Instance().Shutdown(); }

bool ReadSerialFlashId(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity) {
    return FlashLayer::Instance().ReadId(manufacturer, memoryType, capacity);
}

}  // namespace capi
