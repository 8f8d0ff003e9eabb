// capture_list_bench: a simulated Brevix-CF captures 10,000 frames on Port A; Stop Capture on the
// program's Port A capture panel has them uploaded. One run gives two rates from Stop Capture on:
// the library's own upload (until its capture report counts every frame) and the program's (until
// the capture list holds a row for each), with the host messages taking the program's way: its
// host callback copies each and posts it to the GUI thread, where the panel adds the rows. The
// list keeps up when the ratio is near 1 (goal: at least 0.9).

#include "BrevixCAPI.h"
#include "BrevixCCapture.h"
#include "capture/CaptureIds.h"
#include "capture/CaptureReport.h"
#include "main/DeviceEventCallback.h"
#include "main/HostMessage.h"
#include "sim/CaptureEngine.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/Environment.h"
#include "support/TesterLink.h"

#include <framework/Framework.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint16_t kFrames = 10000;
constexpr uint32_t kFrameBytes = 64;
constexpr size_t kCaptureEntry = 16, kCaptureCount = 22;

std::atomic<long long> uploadDoneNs{0};
CCaptureReport* panel = nullptr;

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// The library's side of the measure, then the program's own callback.
void __stdcall OnMessage(const uint8_t* message, int32_t length, uint32_t seconds, uint32_t microseconds) {
    if (length > 23 && (message[14] << 8 | message[15]) == BREVIXC_MSG_CAPTURE && message[kCaptureEntry] == 0 &&
        (message[kCaptureCount] | message[kCaptureCount + 1] << 8) >= kFrames && uploadDoneNs == 0) {
        uploadDoneNs = NowNs();
    }
    DeviceEventCallback(message, length, seconds, microseconds);
}

// The main dialog's part in the program's way: a capture report of Port A reaches its panel.
LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DEVICE_EVENT) return ::DefWindowProcW(window, message, wParam, lParam);
    HostMessage* event = TakeDeviceEvent(lParam);
    if (event->Type() == BREVIXC_MSG_CAPTURE && event->Has(kCaptureCount, 2) && event->U16(kCaptureEntry) == 0) {
        panel->OnCaptureReport(event->U16(kCaptureCount));
    }
    delete event;
    return 0;
}

}  // namespace

int main() {
    auto link = support::OpenOwnTesterLink();
    if (!link) return 1;
    sim::Tester tester(std::move(link));
    sim::TesterModel model(tester, 1);
    sim::CaptureEngine engine(tester, 1);
    tester.Start();

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW receiverClass = {};
    receiverClass.lpfnWndProc = ReceiverProc;
    receiverClass.hInstance = ::GetModuleHandleW(nullptr);
    receiverClass.lpszClassName = L"CaptureListBenchReceiver";
    ::RegisterClassW(&receiverClass);
    HWND receiver = ::CreateWindowW(receiverClass.lpszClassName, L"Capture list bench", WS_OVERLAPPEDWINDOW, 0, 0, 640,
                                    600, nullptr, nullptr, receiverClass.hInstance, nullptr);
    CWnd host;
    host.Attach(receiver);
    CCaptureReportA capturePanel;
    panel = &capturePanel;
    if (!capturePanel.Create(CCaptureReportA::IDD, &host)) return 1;
    capturePanel.ShowWindow(SW_SHOW);
    ::ShowWindow(receiver, SW_SHOW);
    SetDeviceEventWindow(receiver);

    char name[32] = {};
    if (BrevixC_SYS_Init(OnMessage, 0) != 1 || BrevixC_SYS_DetectBrevixCDevice(name) != 1 ||
        BrevixC_SYS_ConnectToBrevixCDevice() != 1) {
        std::fprintf(stderr, "no connection to the simulated tester\n");
        return 1;
    }
    capturePanel.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CAPTURE_START, BN_CLICKED), 0);
    engine.ReceiveNumbered(0, 0, kFrames, kFrameBytes);

    const long long start = NowNs();
    capturePanel.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CAPTURE_STOP, BN_CLICKED), 0);
    long long listDone = 0;
    MSG msg;
    while (listDone == 0 && NowNs() - start < 120'000'000'000LL) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (capturePanel.captureList.GetItemCount() >= kFrames) listDone = NowNs();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    const int rows = capturePanel.captureList.GetItemCount();
    SetDeviceEventWindow(nullptr);
    BrevixC_SYS_TerminateProcess();
    tester.Stop();
    DropPendingDeviceEvents(receiver);
    capturePanel.DestroyWindow();
    host.Detach();
    ::DestroyWindow(receiver);
    if (listDone == 0 || uploadDoneNs == 0) {
        std::fprintf(stderr, "only %d rows of %u frames in the list (the library %s)\n", rows, unsigned(kFrames),
                     uploadDoneNs ? "uploaded them all" : "did not upload them all");
        return 1;
    }
    const double uploadSeconds = (uploadDoneNs - start) / 1e9, listSeconds = (listDone - start) / 1e9;
    std::printf("capture of %u frames of %u bytes, from Stop Capture on:\n", unsigned(kFrames), kFrameBytes);
    std::printf("  library's upload:        %.2f s, %.0f frames/s\n", uploadSeconds, kFrames / uploadSeconds);
    std::printf("  rows in the capture list: %.2f s, %.0f frames/s\n", listSeconds, kFrames / listSeconds);
    std::printf("  ratio %.3f (goal: at least 0.9)\n", uploadSeconds / listSeconds);
    return 0;
}
