// An FPGA upgrade of a simulated Brevix-H through Vorels-NIC's upgrade page (Upgrade pressed to
// the download's pass, the completion box answered at once) beside the same download through the
// device API alone (the call to its pass message), in the same run.
#include "BrevixCAPI.h"
#include "BrevixCFlash.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3App.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"
#include "sim/FullTester.h"
#include "support/Environment.h"
#include "support/FpgaImageFile.h"
#include "support/TesterLink.h"

#include <framework/Seams.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>

CVorel_TAP_Test3App theApp;

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> g_passed{false};

void WINAPI OnHostMessage(const uint8_t* message, int32_t length, uint32_t, uint32_t) {
    if (length >= 20 && message[14] == 0x0F && message[15] == 0x00 && (message[18] | message[19] << 8) == 6)
        g_passed = true;
}

double ThroughTheApi(const std::wstring& path) {
    g_passed = false;
    BrevixC_SYS_Init(&OnHostMessage, 0);
    const Clock::time_point start = Clock::now();
    if (BrevixC_SYS_DownloadFPGAW(path.c_str(), 0) == 0) return -1;
    while (!g_passed) ::Sleep(1);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    BrevixC_SYS_TerminateProcess();
    return seconds;
}

CVorel_TAP_Test3Dlg* g_dialog = nullptr;
std::wstring g_path;
double g_programSeconds = -1;

// Once the dialog has shown itself: the FPGA page, the file, Upgrade, and a pumped wait for the
// download's end; then File, Exit.
void CALLBACK DriveOnceShown(HWND, UINT, UINT_PTR timer, DWORD) {
    CVorel_TAP_Test3Dlg& dialog = *g_dialog;
    if (!dialog.GetSafeHwnd() || !dialog.FirstShowDone() || dialog.aboutVersions[0].IsEmpty()) return;
    ::KillTimer(nullptr, timer);
    ::SendMessageW(dialog.deviceTree.GetSafeHwnd(), TVM_SELECTITEM, TVGN_CARET,
                   LPARAM(treeItems[CVorel_TAP_Test3Dlg::kItemFpgaUpgrade]));
    CUpgradeDialog& panel = dialog.upgradePanel;
    panel.SetDlgItemText(IDC_UPGRADE_PATH, g_path.c_str());
    const Clock::time_point start = Clock::now();
    ::SendMessageW(panel.GetDlgItem(IDC_UPGRADE_BUTTON)->GetSafeHwnd(), BM_CLICK, 0, 0);
    for (MSG message; panel.downloadRunning && ::GetMessageW(&message, nullptr, 0, 0);) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    g_programSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    dialog.SendMessage(WM_COMMAND, ID_FILE_EXIT, 0);
}

double ThroughTheProgram(const std::wstring& path) {
    AfxSetResourceHandle(AfxGetInstanceHandle());
    framework::SetMessageBoxStandIn([](HWND, LPCWSTR, LPCWSTR, UINT type) { return (type & MB_YESNO) ? IDYES : IDOK; });
    g_path = path;
    CVorel_TAP_Test3Dlg dialog;
    g_dialog = &dialog;
    ::SetTimer(nullptr, 0, 20, &DriveOnceShown);
    dialog.DoModal();
    framework::SetMessageBoxStandIn(nullptr);
    return g_programSeconds;
}

}  // namespace

int main() {
    std::printf("upgrade_bench: an FPGA upgrade of a Brevix-H through Vorels-NIC and through the API alone\n");
    std::string error;
    auto link = support::OpenTesterLink(support::TestNetwork(), &error);
    if (!link) {
        std::printf("no tester link: %s\n", error.c_str());
        return 1;
    }
    sim::FullTester tester(std::move(link), 3, L"");
    tester.Start();
    tester.Host().Attach();

    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"BREVIX-H_FPGA_bench.pof";
    const sim::Bytes image = support::PofImage(60000);
    std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());

    const double program = ThroughTheProgram(path);
    const double api = ThroughTheApi(path);
    ::DeleteFileW(path.c_str());
    tester.Stop();
    if (program < 0 || api < 0) {
        std::printf("  a download did not start\n");
        return 1;
    }
    std::printf("  device API alone (reference): %.3f s from the call to the pass\n", api);
    std::printf(
        "  Vorels-NIC's upgrade page:    %.3f s from Upgrade to the pass (%.2fx the reference; goal: at most "
        "1.1x)\n",
        program, program / api);
    return 0;
}
