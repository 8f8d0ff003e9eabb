// flash_download_bench: how much the library adds to the chip driver's own transaction cost in an
// FPGA download. One run, two measurements against the same simulated driver:
//   1. the download of a 1 MiB image: preparation, then the download worker's work through the
//      library's flash layer. The erase minute is a fixed wait and is not waited here; the two
//      1 ms pumped pauses of each page are fixed waits too, measured on their own and taken out;
//   2. the very same I/O controls (open, I/O control, close each), recorded by the simulated
//      driver during the download and replayed through the chip-driver layer alone.
// It prints both times and their ratio; the fixed waits are printed apart.

#include "FlashLayer.h"
#include "FpgaDownload.h"
#include "PumpWait.h"
#include "chipdriver/ChipDriver.h"
#include "sim/ChipDriver.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
using sim::Bytes;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The worker's surroundings, with the erase minute counted instead of waited.
class BenchHost : public capi::FpgaDownloadHost {
public:
    uint32_t skippedMs = 0;
    int messages = 0;
    capi::FpgaDownloadEnd end = capi::FpgaDownloadEnd::Stopped;

    uint32_t Ticks() override { return GetTickCount() + skippedMs; }
    void Wait(uint32_t milliseconds) override { skippedMs += milliseconds; }
    bool FlashInitialised() override { return capi::FlashLayer::Instance().IsOpen(); }
    bool DeviceLost() override { return false; }
    bool TerminateRequested() override { return false; }
    bool ChipErase() override { return capi::FlashLayer::Instance().ChipErase(); }
    bool ProgramPage(uint16_t page, const uint8_t* data, uint16_t length) override {
        return capi::FlashLayer::Instance().PageProgram(page, data, length);
    }
    void LogStatus(uint16_t, uint16_t) override {}
    void SendStatus(uint16_t, uint16_t) override { ++messages; }
};

Bytes OneMebibyteImage() {
    Bytes image = {'P', 'O', 'F', 0, 1, 2, 3, 4};
    image.insert(image.end(), 16, 0xFF);
    while (image.size() < 8 + (1u << 20)) image.push_back(uint8_t(image.size() * 131 + 7));
    return image;
}

// Prepares the image and runs the worker's work on it; the image is returned for checking.
capi::FpgaJob RunDownload(BenchHost& bench) {
    capi::FpgaJob job;
    job.image = OneMebibyteImage();
    fpgaimage::PrepareImage(job.image, &job.window);
    bench.skippedMs = 0;
    bench.messages = 0;
    bench.end = capi::RunFpgaDownload(job, bench);
    return job;
}

// The recorded I/O controls through the chip-driver layer alone, each on its own open device.
double Replay(const std::vector<sim::DriverCall>& transactions) {
    Bytes output(256);
    const Clock::time_point start = Clock::now();
    for (const sim::DriverCall& call : transactions) {
        HANDLE device = chipdriver::CreateFileW(sim::ChipDriver::kControlDevice, GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD returned = 0;
        chipdriver::DeviceIoControl(device, call.code, const_cast<uint8_t*>(call.input.data()),
                                    DWORD(call.input.size()), output.data(), DWORD(call.output.size()), &returned,
                                    nullptr);
        chipdriver::CloseHandle(device);
    }
    return MillisecondsSince(start);
}

}  // namespace

int main() {
    sim::DriverHost host;
    sim::ChipDriver chip(host);
    host.Start();
    host.Attach();
    capi::FlashLayer& flash = capi::FlashLayer::Instance();
    if (!flash.Init()) {
        std::fprintf(stderr, "flash_download_bench: the flash layer did not initialise\n");
        return 1;
    }

    // The pumped pause as this machine gives it.
    constexpr int kPauseSamples = 500;
    const Clock::time_point pauseStart = Clock::now();
    for (int i = 0; i < kPauseSamples; ++i) capi::PumpWait(1);
    const double pauseMs = MillisecondsSince(pauseStart) / kPauseSamples;

    host.ClearCalls();
    BenchHost bench;
    const Clock::time_point downloadStart = Clock::now();
    const capi::FpgaJob job = RunDownload(bench);
    const double downloadMs = MillisecondsSince(downloadStart);

    std::vector<sim::DriverCall> transactions;
    for (sim::DriverCall& call : host.Calls())
        if (call.kind == sim::DriverCall::Kind::IoControl) transactions.push_back(std::move(call));
    const double layerMs = Replay(transactions);

    const uint32_t pages = capi::FpgaPageCount(job.window);
    const Bytes stored = chip.Flash().Contents(0, job.window.Length());
    const bool verified = bench.end == capi::FpgaDownloadEnd::Passed &&
                          std::equal(stored.begin(), stored.end(), job.image.begin() + job.window.start);
    flash.Shutdown();

    const double pausesMs = 2.0 * pages * pauseMs;
    const double libraryMs = downloadMs - pausesMs;
    std::printf("FPGA download of a 1 MiB image: %u pages, %zu flash transactions, %d status messages, flash %s\n",
                pages, transactions.size(), bench.messages, verified ? "verified" : "NOT VERIFIED");
    std::printf("  fixed waits (excluded): erase wait %u ms (not waited), pumped pauses 2 x %u x %.3f ms = %.0f ms\n",
                bench.skippedMs, pages, pauseMs, pausesMs);
    std::printf("  download through the library, fixed waits excluded: %10.1f ms\n", libraryMs);
    std::printf("  same transactions through the chip-driver layer:    %10.1f ms\n", layerMs);
    std::printf("  ratio library / layer: %.2f\n", libraryMs / layerMs);
    return verified ? 0 : 1;
}
