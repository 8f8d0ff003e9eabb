// The counter window's refresh beside a grid page of the same size, painted in the same run:
// - one refresh of both ports (two counter records read, the shown port's 33 rows retexted and the
//   tree painted), alternately Port A and Port B;
// - the refresh's own part: the records read and the rows retexted, the tree not yet painted;
// - the same window's placeholder taken by the program's grid with 33 rows of two columns, its
//   texts changed and painted.
#include "counters/CounterRows.h"
#include "counters/CounterWindow.h"
#include "grids/MyGrid.h"
#include "res/resource.h"

#include <windows.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 200;

double MillisecondsPer(const Clock::time_point& from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count() / kRounds;
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

}  // namespace

int main() {
    std::printf("counter_bench: one counter refresh of both ports against a grid page of the same size\n");
    AfxSetResourceHandle(::GetModuleHandleW(nullptr));
    CWnd host;
    if (!host.CreateEx(0, L"STATIC", L"counter bench", WS_POPUP | WS_VISIBLE, 0, 0, 700, 640, nullptr, nullptr)) {
        std::printf("no host window\n");
        return 1;
    }
    CCounterWindow counters(&host);
    CCounterWindow gridPage(&host);
    if (!counters.Create(CCounterWindow::IDD, &host) || !gridPage.Create(CCounterWindow::IDD, &host)) {
        std::printf("no counter window\n");
        return 1;
    }
    counters.ShowWindow(SW_SHOW);
    Pump();

    auto from = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        counters.port = round % 2;
        counters.Refresh();
        counters.counterTree.Invalidate();
        counters.counterTree.UpdateWindow();
    }
    const double refresh = MillisecondsPer(from);
    from = Clock::now();
    for (int round = 0; round < kRounds; ++round) counters.Refresh();
    const double rowsOnly = MillisecondsPer(from);

    counters.ShowWindow(SW_HIDE);
    gridPage.counterTree.ShowWindow(SW_HIDE);
    gridPage.ShowWindow(SW_SHOW);
    MyGrid grid;
    grid.AttachToDialogItem(IDC_COUNTER_TREE_PLACEHOLDER, &gridPage);
    grid.SetColumnCount(2, FALSE);
    grid.SetRowCount(counters::kRowCount, FALSE);
    grid.ShowWindow(SW_SHOW);
    Pump();
    from = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        for (int row = 0; row < counters::kRowCount; ++row) {
            grid.SetCellText(0, row, counters::kRows[row].label);
            grid.SetCellText(1, row, counters::GroupThousands(static_cast<uint64_t>(round) * 1000003u + row).c_str());
        }
        grid.Invalidate();
        grid.UpdateWindow();
    }
    const double gridPaint = MillisecondsPer(from);

    std::printf("  grid page, 33 rows of two columns retexted and painted (reference): %.3f ms\n", gridPaint);
    std::printf("  counter refresh of both ports, 33 rows shown and painted:           %.3f ms (%.2fx the reference)\n",
                refresh, gridPaint > 0 ? refresh / gridPaint : 0.0);
    std::printf("  of which the records and rows alone, before the tree paints:       %.3f ms\n", rowsOnly);
    return 0;
}
