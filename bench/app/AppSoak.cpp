// Vorels-NIC left running against a demonstration tester, as on a test bench for hours. The program
// is worked the whole time: its counter page (Port A and Port B by turns), the chart window updating
// in its line, pie and bar views by turns, the alarm report, a short capture every three minutes, a
// Port A link flap every two minutes and an error burst every 90 s, over the tester's own traffic
// (which swells and ebbs, and flaps Port B every minute). Every minute it prints what the program
// holds; at the end, the growth once the chart history (half an hour of samples) is full, when
// nothing should grow any more, and the growth before it.
//
//   app_soak [minutes]    30 by default: the history fills; an hour shows half an hour past it.
#include "capture/CaptureIds.h"
#include "charts/ChartIds.h"
#include "res/resource.h"
#include "sim/DemoTraffic.h"
#include "sim/FullTester.h"
#include "sim/TesterControl.h"
#include "bench/Programs.h"
#include "bench/Timing.h"
#include "support/ProcessResources.h"
#include "support/TesterLink.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using std::chrono::seconds;
constexpr int kHistoryMinutes = 30;

// The first capture page of the program: the page that holds a "Start Capture" button.
BOOL CALLBACK FindCapturePage(HWND window, LPARAM found) {
    HWND start = ::GetDlgItem(window, IDC_CAPTURE_START);
    wchar_t text[32] = {};
    if (start != nullptr && ::GetWindowTextW(start, text, 32) && std::wstring(text) == L"Start Capture") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void PressButton(HWND page, int id) {
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

// A view of the chart window chosen as its toolbar's press does: the button checked, its command sent.
void ChooseChartButton(HWND chart, UINT command, bool checked) {
    HWND toolBar = ::FindWindowExW(chart, nullptr, TOOLBARCLASSNAMEW, nullptr);
    ::SendMessageW(toolBar, TB_CHECKBUTTON, command, MAKELPARAM(checked ? TRUE : FALSE, 0));
    ::PostMessageW(chart, WM_COMMAND, command, 0);
}

struct Row {
    int minute;
    support::ProcessResources held;
    // The capture list's rows: what the operator captured is kept, numbered on across captures.
    int captureRows;
};

int CaptureRows(HWND capturePage) {
    return static_cast<int>(::SendMessageW(::GetDlgItem(capturePage, IDC_CAPTURE_LIST), LVM_GETITEMCOUNT, 0, 0));
}

void PrintRow(const Row& row) {
    const auto& h = row.held;
    std::printf("  %6d  %11.1f  %11.1f  %7d  %7d  %5d  %7d  %12d\n", row.minute, h.workingSetMiB, h.privateMiB,
                h.threads, h.handles, h.gdiObjects, h.windows, row.captureRows);
    std::fflush(stdout);
}

void PrintGrowth(const char* what, const Row& from, const Row& to) {
    const auto& a = from.held;
    const auto& b = to.held;
    std::printf("  %s (minute %d to %d): working set %+.1f MiB, private %+.1f MiB, threads %+d, handles %+d, "
                "GDI objects %+d, windows %+d; %+d capture rows\n",
                what, from.minute, to.minute, b.workingSetMiB - a.workingSetMiB, b.privateMiB - a.privateMiB,
                b.threads - a.threads, b.handles - a.handles, b.gdiObjects - a.gdiObjects, b.windows - a.windows,
                to.captureRows - from.captureRows);
}

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : kHistoryMinutes;
    std::printf("app_soak: Vorels-NIC worked against a demonstration tester for %d minutes\n", minutes);
    auto link = support::OpenOwnTesterLink();
    if (!link) return 1;
    sim::FullTester tester(std::move(link), 1, L"");
    tester.Start();
    tester.Host().Attach();
    sim::DemoTraffic traffic(tester);
    traffic.Start();
    sim::TesterControl control(tester, &traffic, "");

    PROCESS_INFORMATION program{};
    if (!bench::StartBesideThisProgram(L"Vorels-NIC.exe", &program)) {
        std::printf("cannot start Vorels-NIC\n");
        return 1;
    }
    const DWORD id = program.dwProcessId;
    HWND main = bench::WaitForShown(id, L"Vorels-NIC", seconds(60));
    ::Sleep(8000);  // start-up's own work (media detection, the page it ends on) settles first
    HWND chart = nullptr;
    if (main != nullptr) {
        ::PostMessageW(main, WM_COMMAND, ID_PORT_A_COUNTER, 0);
        ::PostMessageW(main, WM_COMMAND, ID_CHART, 0);
        chart = bench::WaitForShown(id, L"Chart", seconds(30));
    }
    HWND capturePage = nullptr;
    if (main != nullptr) ::EnumChildWindows(main, &FindCapturePage, reinterpret_cast<LPARAM>(&capturePage));
    if (main == nullptr || chart == nullptr || capturePage == nullptr) {
        std::printf("Vorels-NIC did not show its window, chart window and capture page\n");
        ::TerminateProcess(program.hProcess, 1);
        return 1;
    }
    ChooseChartButton(chart, ID_CHART_UPDATE, true);

    std::printf("  minute  working MiB  private MiB  threads  handles    GDI  windows  capture rows\n");
    std::vector<Row> rows{{0, support::MeasureProcess(program.hProcess), CaptureRows(capturePage)}};
    PrintRow(rows.back());
    const UINT views[] = {ID_CHART_LINE, ID_CHART_PIE, ID_CHART_BAR};
    const auto start = Clock::now();
    bool ended = false;
    for (int second = 1; second <= minutes * 60 && !ended; ++second) {
        ::Sleep(static_cast<DWORD>(std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(start + std::chrono::seconds(second) - Clock::now())
                   .count())));
        const int minute = second / 60, inMinute = second % 60;
        if (inMinute == 0) {
            ::PostMessageW(main, WM_COMMAND, minute % 2 ? ID_PORT_B_COUNTER : ID_PORT_A_COUNTER, 0);
            ChooseChartButton(chart, views[minute % 3], true);
            rows.push_back({minute, support::MeasureProcess(program.hProcess), CaptureRows(capturePage)});
            PrintRow(rows.back());
        }
        if (minute % 5 == 2 && inMinute == 20) ::PostMessageW(main, WM_COMMAND, ID_ALARM, 0);
        if (minute % 5 == 2 && inMinute == 40) ::PostMessageW(main, WM_COMMAND, ID_PORT_A_COUNTER, 0);
        if (minute % 3 == 1 && inMinute == 10) PressButton(capturePage, IDC_CAPTURE_START);
        if (minute % 3 == 1 && inMinute == 15) PressButton(capturePage, IDC_CAPTURE_STOP);
        if (minute % 2 == 0 && inMinute == 30) control.SetLink(0, false);
        if (minute % 2 == 0 && inMinute == 35) control.SetLink(0, true);
        if (second % 90 == 45) control.StartErrorBurst(2);
        ended = ::WaitForSingleObject(program.hProcess, 0) == WAIT_OBJECT_0;
    }
    if (ended) std::printf("Vorels-NIC ended during the soak\n");

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    if (HWND question = bench::WaitForShown(id, L"Message", seconds(10))) ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    if (::WaitForSingleObject(program.hProcess, 30000) == WAIT_TIMEOUT) ::TerminateProcess(program.hProcess, 1);
    ::CloseHandle(program.hThread);
    ::CloseHandle(program.hProcess);
    traffic.Stop();
    tester.Stop();

    // The first minute is start-up's own; growth is counted from minute 1.
    const Row& first = rows.size() > 1 ? rows[1] : rows[0];
    const Row& last = rows.back();
    if (last.minute <= kHistoryMinutes) {
        PrintGrowth("while the chart history fills", first, last);
        std::printf("  the history fills at minute %d: run longer to see the program past it\n", kHistoryMinutes);
    } else {
        PrintGrowth("while the chart history fills", first, rows[kHistoryMinutes]);
        PrintGrowth("after it is full (goal: nothing grows)", rows[kHistoryMinutes], last);
    }
    return ended ? 1 : 0;
}
