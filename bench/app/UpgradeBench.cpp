// upgrade_bench: an FPGA upgrade of a simulated Brevix-H (machine id 3, its USB unit) through
// Vorels-NIC's upgrade page beside the same file downloaded through the device API alone, against
// the same tester in the same run, alternating, each timed several times.
//
// The program's way: the real main dialog, run modally on this thread as the program runs it; once
// its start-up is through (identity shown, media detected), the FPGA page gets the file and Upgrade
// is pressed. The clock stops when the page asks for its completion box, which names the upgrade
// log: the program must show that box and the operator reads it at leisure, so its time on the
// screen is not counted. While the page works this thread keeps dispatching its messages, as the
// program's loop does: the download's events reach the page as posted messages.
//
// The API's way: connected as the program connects, `BrevixC_SYS_DownloadFPGAW` with the file, and
// a host callback that notes the download's final 0x0F00 (pass or failure), this thread pumping
// too. A download the library refuses or fails ends the bench with an error rather than a wait:
// the unit's worker outlives its pass by a second, and a download asked for within it is refused
// at once with a failure status.
//
// Each timed download must leave the unit holding the file's image, received afresh.

#include "BrevixCAPI.h"
#include "BrevixCFlash.h"
#include "BrevixCUsb.h"
#include "bench/Timing.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3App.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"
#include "sim/FullTester.h"
#include "sim/UsbUnit.h"
#include "support/FolderTree.h"
#include "support/FpgaImageFile.h"
#include "support/gui/Pump.h"
#include "support/TesterLink.h"

#include <framework/Seams.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

// The program's application object, as in Vorels-NIC.exe.
CVorel_TAP_Test3App theApp;

namespace {

using bench::Clock;
using bench::Median;
using bench::Seconds;

// 1 MiB of image data, as the flash download bench takes: 17,476 chunks of 60 bytes to the unit.
constexpr size_t kImageData = 1 << 20;
constexpr int kRounds = 3;
// Generous bounds for one download and for the dialog's start-up: a bench that cannot finish says so.
constexpr DWORD kDownloadLimitMs = 180000;
constexpr DWORD kStartupLimitMs = 60000;
constexpr uint16_t kStatusPass = 6;
constexpr uint16_t kStatusFail = 1;
constexpr uint16_t kStatusFinalFail = 7;

// A folder of this run's own for the image and the program's logs.
std::wstring RunFolder() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"upgrade-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
}

// The unit holds the image's data window, bit-reversed, complete.
bool UnitHoldsImage(sim::UsbUnit& unit, const sim::Bytes& file) {
    sim::Bytes window(file.begin() + 6, file.end());
    for (uint8_t& byte : window) byte = support::Reversed(byte);
    return unit.FpgaComplete() && unit.Fpga() == window;
}

// A download's wait ends when its final status arrives; the status is kept to tell pass from failure.
// The host callback runs on the unit's worker, which posts nothing to this thread: the event wakes
// the pumping wait.
struct FinalStatus {
    std::atomic<int> status{-1};
    std::atomic<long long> at{0};
    HANDLE arrived = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    void Reset() {
        status = -1;
        at = 0;
        ::ResetEvent(arrived);
    }
    void Note(uint16_t value) {
        if (status != -1) return;
        at = Clock::now().time_since_epoch().count();
        status = value;
        ::SetEvent(arrived);
    }
    Clock::time_point When() const { return Clock::time_point(Clock::duration(at.load())); }
    // Dispatches this thread's messages until the final status came; false when the time ran out.
    bool Await(DWORD limitMs) const {
        const DWORD start = ::GetTickCount();
        for (;;) {
            support::gui::PumpPending();
            if (status != -1) return true;
            const DWORD elapsed = ::GetTickCount() - start;
            if (elapsed >= limitMs) return false;
            ::MsgWaitForMultipleObjectsEx(1, &arrived, limitMs - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
};

FinalStatus g_apiEnd;

void __stdcall OnHostMessage(const uint8_t* message, int32_t length, uint32_t, uint32_t) {
    if (length < 22 || (message[14] << 8 | message[15]) != BREVIXC_MSG_FPGA_DOWNLOAD) return;
    const uint16_t status = uint16_t(message[18] | message[19] << 8);
    if (status == kStatusPass || status == kStatusFail || status == kStatusFinalFail) g_apiEnd.Note(status);
}

// The download through the device API alone; seconds from the call to the final status, or a
// negative number with the reason on the error output.
double ThroughTheApi(const std::wstring& path) {
    g_apiEnd.Reset();
    char name[32] = {};
    if (BrevixC_SYS_Init(&OnHostMessage, 0) != 1 || BrevixC_SYS_DetectBrevixCDevice(name) != 1 ||
        BrevixC_SYS_ConnectToBrevixCDevice() != 1) {
        std::fprintf(stderr, "the API alone: no connection to the simulated tester\n");
        BrevixC_SYS_TerminateProcess();
        return -1;
    }
    const Clock::time_point start = Clock::now();
    const int started = BrevixC_SYS_DownloadFPGAW(path.c_str(), 0);
    const bool ended = started != 0 && g_apiEnd.Await(kDownloadLimitMs);
    const Clock::time_point end = g_apiEnd.When();
    // The unit's worker lingers after its pass: waited for, so that the next download finds it gone.
    BrevixH_SYS_TerminateProcess();
    BrevixC_SYS_TerminateProcess();
    if (started == 0 || !ended || g_apiEnd.status != kStatusPass) {
        std::fprintf(stderr, "the API alone: the download %s\n",
                     started == 0 ? "was refused"
                     : ended      ? "failed"
                                  : "did not end in time");
        return -1;
    }
    return Seconds(end - start);
}

// The program's run: the dialog's start-up awaited from a thread timer, then the driver.
struct ProgramRun {
    CVorel_TAP_Test3Dlg* dialog = nullptr;
    std::wstring path;
    Clock::time_point started{};
    double seconds = -1;
    const char* failure = nullptr;
};

ProgramRun* g_run = nullptr;
// Written by the box stand-in on this thread when the page asks for its completion box.
Clock::time_point g_boxAt{};

void DriveUpgrade(ProgramRun& run) {
    CVorel_TAP_Test3Dlg& dialog = *run.dialog;
    CUpgradeDialog& panel = dialog.upgradePanel;
    // The start-up's work is through once the tester's identity is shown and media detection ended.
    if (!support::gui::PumpUntil(
            [&] { return !dialog.aboutVersions[0].IsEmpty() && !dialog.progressPanel.IsWindowVisible(); },
            kStartupLimitMs)) {
        run.failure = "its start-up did not end";
        return;
    }
    ::SendMessageW(dialog.deviceTree.GetSafeHwnd(), TVM_SELECTITEM, TVGN_CARET,
                   LPARAM(treeItems[CVorel_TAP_Test3Dlg::kItemFpgaUpgrade]));
    panel.SetDlgItemText(IDC_UPGRADE_PATH, run.path.c_str());
    g_boxAt = {};
    run.started = Clock::now();
    ::SendMessageW(panel.GetDlgItem(IDC_UPGRADE_BUTTON)->GetSafeHwnd(), BM_CLICK, 0, 0);
    if (!panel.downloadRunning) {
        run.failure = "its download did not start";
        return;
    }
    if (!support::gui::PumpUntil([&] { return !panel.downloadRunning; }, kDownloadLimitMs)) {
        run.failure = "its download did not end in time";
        return;
    }
    if (panel.lastStatus != kStatusPass || g_boxAt == Clock::time_point{}) {
        run.failure = "its download failed";
        return;
    }
    run.seconds = Seconds(g_boxAt - run.started);
}

void CALLBACK StartOnceShown(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_run == nullptr) {
        ::KillTimer(nullptr, timer);
        return;
    }
    CVorel_TAP_Test3Dlg& dialog = *g_run->dialog;
    // The library's calls in the start-up pump messages: acting before it returned would run the
    // page inside one of them.
    if (!dialog.GetSafeHwnd() || !dialog.FirstShowDone() || !dialog.StartupReturned()) return;
    ::KillTimer(nullptr, timer);
    ProgramRun& run = *g_run;
    g_run = nullptr;
    DriveUpgrade(run);
    dialog.SendMessage(WM_COMMAND, ID_FILE_EXIT, 0);
}

// The upgrade through the program's page; seconds from Upgrade to the completion box, or a
// negative number with the reason on the error output.
double ThroughTheProgram(const std::wstring& path, const std::wstring& logs) {
    AfxSetResourceHandle(AfxGetInstanceHandle());
    framework::SetMessageBoxStandIn([](HWND, LPCWSTR text, LPCWSTR, UINT type) {
        if (text && std::wstring(text).rfind(L"File Name: ", 0) == 0 && g_boxAt == Clock::time_point{})
            g_boxAt = Clock::now();
        return (type & MB_YESNO) ? IDYES : IDOK;
    });
    CVorel_TAP_Test3Dlg dialog;
    ProgramRun run;
    run.dialog = &dialog;
    run.path = path;
    g_run = &run;
    const UINT_PTR poll = ::SetTimer(nullptr, 0, 20, &StartOnceShown);
    logFolder = logs.c_str();
    dialog.DoModal();
    if (g_run == &run) {
        g_run = nullptr;
        ::KillTimer(nullptr, poll);
        run.failure = "it ended before its first show";
    }
    framework::SetMessageBoxStandIn(nullptr);
    BrevixH_SYS_TerminateProcess();
    if (run.failure) {
        std::fprintf(stderr, "Vorels-NIC: %s\n", run.failure);
        return -1;
    }
    return run.seconds;
}

}  // namespace

int main() {
    auto link = support::OpenOwnTesterLink();
    if (!link) return 1;
    sim::FullTester tester(std::move(link), 3, L"");
    tester.Start();
    tester.Host().Attach();
    sim::UsbUnit& unit = *tester.Usb();

    const std::wstring folder = RunFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"BREVIX-H_FPGA_V0102.pof";
    const sim::Bytes image = support::PofImage(kImageData);
    std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());

    std::printf("upgrade_bench: an FPGA upgrade of a simulated Brevix-H (USB), %zu bytes of image data\n", kImageData);
    std::fflush(stdout);
    std::vector<double> api, program;
    bool ok = true;
    for (int round = 0; ok && round < kRounds * 2; ++round) {
        // Alternating, each way first in turn: program, API, API, program, program, API ...
        const bool programTurn = (round % 4 == 0) || (round % 4 == 3);
        unit.ClearReceived();
        const double seconds = programTurn ? ThroughTheProgram(path, folder + L"logs\\") : ThroughTheApi(path);
        if (seconds < 0 || !UnitHoldsImage(unit, image) || unit.ReceivedCount() < kImageData / 60) {
            if (seconds >= 0) std::fprintf(stderr, "the unit does not hold the image after the download\n");
            ok = false;
            break;
        }
        (programTurn ? program : api).push_back(seconds);
        std::printf("  %-28s %7.3f s\n", programTurn ? "Vorels-NIC's upgrade page:" : "device API alone:", seconds);
        std::fflush(stdout);
    }
    tester.Stop();
    support::RemoveTree(folder);
    if (!ok) return 1;

    const double apiMedian = Median(api), programMedian = Median(program);
    std::printf("medians of %d runs each:\n", kRounds);
    std::printf("  device API alone (reference): %.3f s from the call to the final 0x0F00 (pass)\n", apiMedian);
    std::printf(
        "  Vorels-NIC's upgrade page:    %.3f s from Upgrade to the completion box's appearance (the box "
        "waits for the operator and is not counted)\n",
        programMedian);
    std::printf("  ratio %.3f (goal: at most 1.1)\n", programMedian / apiMedian);
    return 0;
}
