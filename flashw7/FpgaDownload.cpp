#include "FpgaDownload.h"

#include "Boxes.h"
#include "FpgaImage.h"
#include "WholeFile.h"

#include <cstring>
#include <deque>
#include <vector>

namespace win7 {
namespace {

using spiflash::kPageSize;

class Progress {
public:
    explicit Progress(const wchar_t* title) : window_(FindWindowW(nullptr, title)) {}

    void Send(DownloadPhase phase, LPARAM value) const {
        if (window_) SendMessageW(window_, kProgressMessage, phase, value);
    }

private:
    HWND window_;
};

// The download's one heartbeat clock: it moves to the current tick count when more than a second
// has passed since it last moved (a difference of tick counts, right across the wrap).
class Heartbeat {
public:
    explicit Heartbeat(Clock& clock) : clock_(clock), last_(clock.Ticks()) {}

    // True when the clock moved.
    bool Tick() {
        const DWORD now = clock_.Ticks();
        if (now - last_ <= kHeartbeatMs) return false;
        last_ = now;
        return true;
    }

private:
    Clock& clock_;
    DWORD last_;
};

LPARAM Share(uint32_t done, uint32_t total) { return LPARAM(uint64_t(done) * kProgressScale / total); }

}  // namespace

bool DownloadFpgaImage(std::FILE* file, FlashCommands& flash, const wchar_t* windowTitle) {
    // Without a connection every one of the download's transactions would fail with its own box:
    // one box says it, and nothing is attempted.
    if (!flash.Transport().Connected()) {
        ShowBox("Services return false");
        return false;
    }
    // The file is read and checked before anything is erased: a file that is no image must not
    // cost the tester the image it has.
    std::vector<uint8_t> image;
    if (!hostio::ReadWholeFile(file, &image)) return false;
    fpgaimage::Window window;
    if (fpgaimage::PrepareImage(image, &window) == fpgaimage::Preparation::NotAnImage || window.Length() == 0) {
        ShowBox("POF format error!");
        return false;
    }
    const std::vector<uint8_t> pages = fpgaimage::PagesFromStart(image, window, kDownloadPages);
    const auto pageData = [&pages](uint32_t page) { return pages.data() + size_t(page) * kPageSize; };

    Clock& clock = flash.Time();
    Heartbeat heartbeat(clock);
    const Progress progress(windowTitle);
    // A driver that went away mid-download fails every transaction after, each with its boxes: the
    // download ends at the first one that found it gone. A loss seen before this download (an
    // earlier one's) counts for nothing: its own transactions tell.
    WmiTransport& transport = flash.Transport();
    transport.ForgetDriverLoss();

    // The adapter must answer before the erase: an erase that no programming can follow leaves the
    // tester without an image. The flash's status read is the look.
    uint8_t status = 0;
    if (!flash.ReadStatus(&status)) return false;
    progress.Send(kPhaseErasing, 0);
    // The erase runs on in the flash after the command: the fixed wait covers it, whatever the
    // erase's own polling reported.
    flash.ChipErase();
    if (transport.DriverGone()) return false;
    for (int second = 1; second <= kEraseWaitSeconds; ++second) {
        clock.WaitMs(1000);
        progress.Send(kPhaseErasing, Share(second, kEraseWaitSeconds));
    }

    // A page that failed to program is found by the verification.
    for (uint32_t page = 0; page < kDownloadPages; ++page) {
        flash.PageProgram(uint16_t(page), pageData(page), kPageSize);
        if (transport.DriverGone()) return false;
        progress.Send(kPhaseProgramming, Share(page + 1, kDownloadPages));
        heartbeat.Tick();
    }

    std::vector<bool> verified(kDownloadPages, false);
    std::deque<uint16_t> differing;  // ascending: each pass appends in page order
    uint8_t readBack[kPageSize];
    for (int pass = 0; pass < kVerifyPasses; ++pass) {
        while (!differing.empty()) {
            const uint16_t page = differing.front();
            differing.pop_front();
            if (!verified[page]) flash.PageProgram(page, pageData(page), kPageSize);
            if (transport.DriverGone()) return false;
            if (heartbeat.Tick()) progress.Send(kPhaseReprogramming, 0);
        }
        progress.Send(kPhaseVerifying, 0);
        // A page whose read-back failed is not known to differ, so it is not programmed again;
        // but it is not verified either, and is read again in the next pass.
        bool allVerified = true;
        for (uint32_t page = 0; page < kDownloadPages; ++page) {
            heartbeat.Tick();
            progress.Send(kPhaseVerifying, Share(page + 1, kDownloadPages));
            if (verified[page]) continue;
            if (!flash.ReadPage(readBack, uint16_t(page), kPageSize)) {
                if (transport.DriverGone()) return false;
                allVerified = false;
                continue;
            }
            if (std::memcmp(readBack, pageData(page), kPageSize) == 0) {
                verified[page] = true;
            } else {
                differing.push_back(uint16_t(page));
                heartbeat.Tick();
                allVerified = false;
            }
        }
        if (allVerified) {
            progress.Send(kPhaseFinished, 0);
            return true;
        }
    }
    progress.Send(kPhaseFailed, 0);
    return false;
}

}  // namespace win7
