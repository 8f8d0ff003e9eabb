// flash_download_bench: how much the library adds to the chip driver's own transaction cost in an
// FPGA download. One run against the simulated driver: the download of a 1 MiB image (preparation,
// then the download worker's work through the library's flash layer), and beside each flash
// operation of it, the same transactions (open, I/O control, close each) through the chip-driver
// layer alone. Interleaving the two lets both figures see the machine in the same state.
//
// Fixed waits are printed apart: the erase minute is counted, not waited; the two 1 ms pumped
// pauses of each page are measured on their own and taken out of the library's time.

#include "chipdriver/ChipDriver.h"
#include "FlashRecords.h"
#include "fpga/FpgaDownload.h"
#include "runtime/PumpWait.h"
#include "serialflash/FlashLayer.h"
#include "sim/ChipDriver.h"

#include "bench/Timing.h"

#include <chrono>
#include <cstdio>

namespace {

using bench::Clock;
using bench::MillisecondsSince;
using sim::Bytes;
using spiflash::Direction;

// One transaction through the chip-driver layer alone.
void LayerTransaction(Direction direction, const uint8_t* command, uint32_t commandLength, const uint8_t* data,
                      uint32_t dataLength) {
    spiflash::CommandBlock block;
    const size_t length = spiflash::BuildCommandBlock(direction, command, commandLength, data, dataLength, &block);
    uint8_t output[4];
    DWORD returned = 0;
    HANDLE device = chipdriver::CreateFileW(sim::ChipDriver::kControlDevice, GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    chipdriver::DeviceIoControl(device, capi::FlashLayer::kIoctlSpiTransaction, block.data(), DWORD(length),
                                direction == Direction::Read ? output : nullptr,
                                direction == Direction::Read ? dataLength : 0, &returned, nullptr);
    chipdriver::CloseHandle(device);
}

// The worker's surroundings: the library's flash layer, the erase minute counted instead of waited,
// and after each flash operation the same transactions through the layer alone, timed apart.
class BenchHost : public capi::FpgaDownloadHost {
public:
    uint32_t skippedMs = 0;
    int messages = 0;
    size_t transactions = 0;
    double layerMs = 0;

    uint32_t Ticks() override { return GetTickCount() + skippedMs; }
    void Wait(uint32_t milliseconds) override { skippedMs += milliseconds; }
    bool FlashInitialised() override { return capi::FlashLayer::Instance().IsOpen(); }
    bool DeviceLost() override { return false; }
    bool TerminateRequested() override { return false; }
    void LogStatus(uint16_t, uint16_t) override {}
    void SendStatus(uint16_t, uint16_t) override { ++messages; }

    bool ChipErase() override {
        const bool erased = capi::FlashLayer::Instance().ChipErase();
        const uint8_t enable = spiflash::kOpWriteEnable, erase = spiflash::kOpChipErase,
                      status = spiflash::kOpReadStatus;
        Reference([&] {
            LayerTransaction(Direction::Write, &enable, 1, nullptr, 0);
            LayerTransaction(Direction::Write, &erase, 1, nullptr, 0);
            LayerTransaction(Direction::Read, &status, 1, nullptr, 1);
        }, 3);
        return erased;
    }

    bool ProgramPage(uint16_t page, const uint8_t* data, uint16_t length) override {
        const bool programmed = capi::FlashLayer::Instance().PageProgram(page, data, length);
        const uint8_t enable = spiflash::kOpWriteEnable;
        const auto program = spiflash::PageProgramCommand(page);
        Reference([&] {
            LayerTransaction(Direction::Write, &enable, 1, nullptr, 0);
            LayerTransaction(Direction::Write, program.data(), 4, data, length);
        }, 2);
        return programmed;
    }

private:
    template <typename Run>
    void Reference(Run run, size_t count) {
        const Clock::time_point start = Clock::now();
        run();
        layerMs += MillisecondsSince(start);
        transactions += count;
    }
};

Bytes OneMebibyteImage() {
    Bytes image = {'P', 'O', 'F', 0, 1, 2, 3, 4};
    image.insert(image.end(), 16, 0xFF);
    while (image.size() < 8 + (1u << 20)) image.push_back(uint8_t(image.size() * 131 + 7));
    return image;
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

    BenchHost bench;
    const Clock::time_point downloadStart = Clock::now();
    capi::FpgaJob job;
    job.image = OneMebibyteImage();
    if (fpgaimage::PrepareImage(job.image, &job.window) != fpgaimage::Preparation::Ready) {
        std::fprintf(stderr, "flash_download_bench: the image was not prepared for the flash\n");
        return 1;
    }
    const capi::FpgaDownloadEnd end = capi::RunFpgaDownload(job, bench);
    const double downloadMs = MillisecondsSince(downloadStart) - bench.layerMs;

    const uint32_t pages = fpgaimage::PageCount(job.window);
    const Bytes stored = chip.Flash().Contents(0, job.window.Length());
    const bool verified = end == capi::FpgaDownloadEnd::Passed &&
                          std::equal(stored.begin(), stored.end(), job.image.begin() + job.window.start);
    flash.Shutdown();

    const double pausesMs = 2.0 * pages * pauseMs;
    const double libraryMs = downloadMs - pausesMs;
    std::printf("FPGA download of a 1 MiB image: %u pages, %zu flash transactions, %d status messages, flash %s\n",
                pages, bench.transactions, bench.messages, verified ? "verified" : "NOT VERIFIED");
    std::printf("  fixed waits (excluded): erase wait %u ms (not waited), pumped pauses 2 x %u x %.3f ms = %.0f ms\n",
                bench.skippedMs, pages, pauseMs, pausesMs);
    std::printf("  download through the library, fixed waits excluded: %10.1f ms\n", libraryMs);
    std::printf("  same transactions through the chip-driver layer:    %10.1f ms\n", bench.layerMs);
    std::printf("  ratio library / layer: %.2f\n", libraryMs / bench.layerMs);
    return verified ? 0 : 1;
}
