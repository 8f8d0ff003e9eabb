// The counter window's refresh beside a grid page of the same size, painted in the same run:
// - one refresh of both ports in demo mode (both ports' records move, the shown port's 33 rows
//   retexted and the tree painted), alternately Port A and Port B, and what the tree did to paint
//   it: the area it painted, the texts it measured and drew, the fills, the images it
//   drew through its image list, the memory DCs, bitmaps and regions it made;
// - the refresh's own part: the records read, the rows retexted and their repaint asked for, the
//   tree not yet painted;
// - the whole page repainted, with the same split: a repaint should cost what its pixels cost;
// - the program's processor time over 30 s while connected to a simulated tester at work, its
//   counter page shown and updating, alone and with the chart window updating in each of its views,
//   split by thread (goal: under 0.5 % of one core with the counters alone, under 1 % with charts),
//   beside a bare dialog program of ours retexting one control each second: Wine's own floor;
// - the same window's tree replaced by the program's grid with 33 rows of two columns, in the
//   tree's place and size, its texts changed and painted.
#include "MessagePump.h"
#include "bench/Programs.h"
#include "bench/ThreadTimes.h"
#include "bench/Timing.h"
#include "counters/CounterRows.h"
#include "counters/CounterWindow.h"
#include "grids/MyGrid.h"
#include "charts/ChartIds.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "sim/DemoTraffic.h"
#include "sim/FullTester.h"
#include "support/Environment.h"
#include "support/TesterLink.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <vector>

namespace {

using bench::Clock;
constexpr int kRounds = 200;

double MillisecondsPer(const Clock::time_point& from) { return bench::MillisecondsSince(from) / kRounds; }

// What the program's own code asks of GDI while the tree paints: the bench's imports of these
// functions are pointed at counters (the program's code is linked into this executable; what the
// system libraries call among themselves is not counted).
struct PaintWork {
    struct Kind {
        long calls = 0;
        double ms = 0;
    };
    Kind paints;       // BeginPaint to EndPaint (the whole paint, everything below included)
    Kind measured;     // DrawTextW with DT_CALCRECT, GetTextExtentExPointW, GetTextExtentPoint32W
    Kind textsDrawn;   // ExtTextOutW with text, DrawTextW without DT_CALCRECT
    Kind fills;        // ExtTextOutW without text
    Kind imagesDrawn;  // ImageList_Draw
    Kind buffersMade;  // CreateCompatibleDC, CreateCompatibleBitmap
    Kind regions;      // CreateRectRgnIndirect, CreateRectRgn, SelectClipRgn
    Kind requests;     // InvalidateRect, InvalidateRgn, PostMessageW, GetUpdateRgn: each a trip to the window server
    Kind selected;     // SelectObject (fonts, pens, brushes, bitmaps)
    long pixels = 0;   // the pixels the paints could paint (not counted in their time)
};
PaintWork g_work;


// The system's function behind each counter (keyed by the counter: two functions of one type must
// not share a slot).
template <auto Counted>
decltype(Counted) g_original;

// Counts one call of a kind and adds its time.
template <typename F, typename... A>
auto Timed(PaintWork::Kind& kind, F original, A... arguments) {
    const auto from = Clock::now();
    auto result = original(arguments...);
    kind.ms += bench::MillisecondsSince(from);
    ++kind.calls;
    return result;
}

int WINAPI CountedDrawText(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format) {
    return Timed((format & DT_CALCRECT) ? g_work.measured : g_work.textsDrawn,
                 g_original<&CountedDrawText>, dc, text, length, rect, format);
}
BOOL WINAPI CountedExtent(HDC dc, LPCWSTR text, int length, int maximum, LPINT fit, LPINT dx, LPSIZE size) {
    return Timed(g_work.measured, g_original<&CountedExtent>, dc, text, length, maximum, fit, dx, size);
}
BOOL WINAPI CountedExtent32(HDC dc, LPCWSTR text, int length, LPSIZE size) {
    return Timed(g_work.measured, g_original<&CountedExtent32>, dc, text, length, size);
}
BOOL WINAPI CountedExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                              const INT* dx) {
    return Timed(length ? g_work.textsDrawn : g_work.fills, g_original<&CountedExtTextOut>, dc, x, y,
                 options, rect, text, length, dx);
}
BOOL WINAPI CountedImageDraw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
    return Timed(g_work.imagesDrawn, g_original<&CountedImageDraw>, list, index, dc, x, y, style);
}
HDC WINAPI CountedCompatibleDc(HDC dc) {
    return Timed(g_work.buffersMade, g_original<&CountedCompatibleDc>, dc);
}
HBITMAP WINAPI CountedCompatibleBitmap(HDC dc, int width, int height) {
    return Timed(g_work.buffersMade, g_original<&CountedCompatibleBitmap>, dc, width, height);
}
HRGN WINAPI CountedRegionIndirect(const RECT* rect) {
    return Timed(g_work.regions, g_original<&CountedRegionIndirect>, rect);
}
HRGN WINAPI CountedRegion(int left, int top, int right, int bottom) {
    return Timed(g_work.regions, g_original<&CountedRegion>, left, top, right, bottom);
}
int WINAPI CountedSelectClip(HDC dc, HRGN region) {
    return Timed(g_work.regions, g_original<&CountedSelectClip>, dc, region);
}
BOOL WINAPI CountedInvalidate(HWND window, const RECT* rect, BOOL erase) {
    return Timed(g_work.requests, g_original<&CountedInvalidate>, window, rect, erase);
}
BOOL WINAPI CountedInvalidateRegion(HWND window, HRGN region, BOOL erase) {
    return Timed(g_work.requests, g_original<&CountedInvalidateRegion>, window, region, erase);
}
BOOL WINAPI CountedPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Timed(g_work.requests, g_original<&CountedPost>, window, message, wParam, lParam);
}
int WINAPI CountedUpdateRegion(HWND window, HRGN region, BOOL erase) {
    return Timed(g_work.requests, g_original<&CountedUpdateRegion>, window, region, erase);
}
HGDIOBJ WINAPI CountedSelect(HDC dc, HGDIOBJ object) {
    return Timed(g_work.selected, g_original<&CountedSelect>, dc, object);
}
// Pixels a paint may paint: its device context's region (the system region), whatever asked for it.
long RegionPixels(HDC dc) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    long pixels = 0;
    if (::GetRandomRgn(dc, region, SYSRGN) == 1) {
        const DWORD size = ::GetRegionData(region, 0, nullptr);
        std::vector<BYTE> bytes(size);
        auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
        if (::GetRegionData(region, size, data)) {
            const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
            for (DWORD i = 0; i < data->rdh.nCount; ++i)
                pixels += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
        }
    }
    ::DeleteObject(region);
    return pixels;
}

Clock::time_point g_paintStart;
HDC WINAPI CountedBeginPaint(HWND window, LPPAINTSTRUCT paint) {
    const auto from = Clock::now();
    ++g_work.paints.calls;
    HDC dc = g_original<&CountedBeginPaint>(window, paint);
    const auto to = Clock::now();
    g_work.pixels += RegionPixels(dc);
    g_paintStart = Clock::now() - (to - from);
    return dc;
}
BOOL WINAPI CountedEndPaint(HWND window, const PAINTSTRUCT* paint) {
    const BOOL result = g_original<&CountedEndPaint>(window, paint);
    g_work.paints.ms += bench::MillisecondsSince(g_paintStart);
    return result;
}

// Points this executable's import of `name` at `Counted`, keeping the original for the counter.
template <auto Counted>
void CountCalls(const char* name) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
            DWORD was = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &was);
            g_original<Counted> = reinterpret_cast<decltype(Counted)>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(Counted);
            ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, was, &was);
        }
    }
}

void CountPaintWork() {
    CountCalls<&CountedDrawText>("DrawTextW");
    CountCalls<&CountedExtent>("GetTextExtentExPointW");
    CountCalls<&CountedExtent32>("GetTextExtentPoint32W");
    CountCalls<&CountedExtTextOut>("ExtTextOutW");
    CountCalls<&CountedImageDraw>("ImageList_Draw");
    CountCalls<&CountedCompatibleDc>("CreateCompatibleDC");
    CountCalls<&CountedCompatibleBitmap>("CreateCompatibleBitmap");
    CountCalls<&CountedRegionIndirect>("CreateRectRgnIndirect");
    CountCalls<&CountedRegion>("CreateRectRgn");
    CountCalls<&CountedSelectClip>("SelectClipRgn");
    CountCalls<&CountedInvalidate>("InvalidateRect");
    CountCalls<&CountedInvalidateRegion>("InvalidateRgn");
    CountCalls<&CountedPost>("PostMessageW");
    CountCalls<&CountedUpdateRegion>("GetUpdateRgn");
    CountCalls<&CountedSelect>("SelectObject");
    CountCalls<&CountedBeginPaint>("BeginPaint");
    CountCalls<&CountedEndPaint>("EndPaint");
}

// The work of `kRounds` paints, per paint: calls and milliseconds of each kind.
void PrintWork(const char* what, const PaintWork& w, long clientPixels) {
    const double n = kRounds;
    std::printf("    %s: %.0f px painted (%.0f %% of the tree's client area)\n", what, w.pixels / n,
                clientPixels ? 100.0 * w.pixels / n / clientPixels : 0.0);
    const std::pair<const char*, const PaintWork::Kind*> kinds[] = {
        {"paints (BeginPaint to EndPaint)", &w.paints},
        {"texts measured", &w.measured},
        {"texts drawn", &w.textsDrawn},
        {"fills", &w.fills},
        {"images drawn through the image list", &w.imagesDrawn},
        {"memory DCs and bitmaps made", &w.buffersMade},
        {"clip regions made and selected", &w.regions},
        {"trips to the window server", &w.requests},
        {"objects selected", &w.selected}};
    for (const auto& [name, kind] : kinds)
        std::printf("      %-38s %7.1f calls %8.3f ms\n", name, kind->calls / n, kind->ms / n);
}

// What the program shows while it is measured: its counter page alone, or the chart window too in
// one of its views, updating with the counters.
enum class Charts { kNone, kLine, kPie, kBar };

// Opens the chart window over the counter page and starts its updating in the given view, as the
// user's presses on Chart, Update and Line, Pie or Bar do.
bool ShowCharts(DWORD process, HWND program, Charts view) {
    ::PostMessageW(program, WM_COMMAND, ID_CHART, 0);
    HWND chart = bench::WaitForShown(process, L"Chart", std::chrono::seconds(10));
    if (chart == nullptr) return false;
    // The Update button is a check button: a press checks it before its command arrives.
    HWND toolBar = ::FindWindowExW(chart, nullptr, TOOLBARCLASSNAMEW, nullptr);
    ::SendMessageW(toolBar, TB_CHECKBUTTON, ID_CHART_UPDATE, MAKELPARAM(TRUE, 0));
    ::PostMessageW(chart, WM_COMMAND, ID_CHART_UPDATE, 0);
    const UINT viewCommand = view == Charts::kPie ? ID_CHART_PIE : view == Charts::kBar ? ID_CHART_BAR : ID_CHART_LINE;
    ::SendMessageW(toolBar, TB_CHECKBUTTON, viewCommand, MAKELPARAM(TRUE, 0));
    ::PostMessageW(chart, WM_COMMAND, viewCommand, 0);
    // In front of the counter page, as the user's click on it would bring it.
    ::SetWindowPos(chart, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

// The threads' time of a started program over 30 s, once it has settled for three.
bench::ProgramTime Measure(const PROCESS_INFORMATION& program) {
    ::Sleep(3000);
    return bench::MeasureProgram(program.hProcess, program.dwThreadId, std::chrono::seconds(30));
}

void End(const PROCESS_INFORMATION& program) {
    ::TerminateProcess(program.hProcess, 0);
    ::WaitForSingleObject(program.hProcess, 5000);
    ::CloseHandle(program.hThread);
    ::CloseHandle(program.hProcess);
}

// The reference: what Wine takes to keep a program of ours shown whose window changes a text each
// second, with nothing else to do.
bench::ProgramTime BareShare() {
    PROCESS_INFORMATION program{};
    if (!bench::StartBesideThisProgram(L"bare_dialog_program.exe", &program, L"--tick")) return {};
    bench::ProgramTime taken;
    if (bench::WaitForShown(program.dwProcessId, L"Bare dialog", std::chrono::seconds(60)) != nullptr) {
        taken = Measure(program);
    }
    End(program);
    return taken;
}

// What the connected program takes with its counters (and charts) updating; nothing measured when
// it did not show.
bench::ProgramTime UpdatingShare(Charts view) {
    std::string error;
    auto link = support::OpenTesterLink(support::TestNetwork(), &error);
    if (!link) return {};
    sim::FullTester tester(std::move(link), 1, L"");
    tester.Start();
    tester.Host().Attach();
    sim::DemoTraffic traffic(tester);
    traffic.Start();

    PROCESS_INFORMATION program{};
    if (!bench::StartBesideThisProgram(L"Vorels-NIC.exe", &program)) return {};
    HWND shown = bench::WaitForShown(program.dwProcessId, L"Vorels-NIC", std::chrono::seconds(60));
    if (shown != nullptr) {
        // Start-up's own work (its media detection, the page it ends on) settles first.
        ::Sleep(8000);
        ::PostMessageW(shown, WM_COMMAND, ID_PORT_A_COUNTER, 0);
        if (view != Charts::kNone && !ShowCharts(program.dwProcessId, shown, view)) shown = nullptr;
    }
    bench::ProgramTime taken;
    if (shown != nullptr) taken = Measure(program);
    End(program);
    traffic.Stop();
    tester.Stop();
    return taken;
}

}  // namespace

// Arguments name the processor-share runs to make (counters, line, pie, bar); none makes all.
int main(int argc, char** argv) {
    std::printf("counter_bench: one counter refresh of both ports against a grid page of the same size\n");
    AfxSetResourceHandle(::GetModuleHandleW(nullptr));
    // The counter page on the left, the grid page beside it: both shown, so that their rounds take
    // turns and meet the same moments of the machine.
    CWnd host;
    if (!host.CreateEx(0, L"STATIC", L"counter bench", WS_POPUP | WS_VISIBLE, 0, 0, 1400, 640, nullptr, nullptr)) {
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
    gridPage.SetWindowPos(nullptr, 700, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    gridPage.counterTree.ShowWindow(SW_HIDE);
    gridPage.ShowWindow(SW_SHOW);
    MyGrid grid;
    grid.AttachToDialogItem(IDC_COUNTER_TREE_PLACEHOLDER, &gridPage);
    // The reference takes the place and size the tree has in its page, not the template's.
    CRect treeArea;
    gridPage.counterTree.GetWindowRect(&treeArea);
    gridPage.ScreenToClient(&treeArea);
    grid.MoveWindow(&treeArea);
    grid.SetColumnCount(2, FALSE);
    grid.SetRowCount(counters::kRowCount, FALSE);
    grid.ShowWindow(SW_SHOW);
    hostio::PumpMessages();
    CountPaintWork();
    HWND tree = counters.counterTree.GetSafeHwnd();
    CRect client;
    ::GetClientRect(tree, &client);
    const long clientPixels = client.Width() * client.Height();

    // Demo values move both ports' records at every refresh; the port shown alternates, so most
    // rows change their text each time, as they do once a second on a tester at work.
    runMode = L"DEMO";
    int refreshes = 0;
    auto refreshRound = [&] {
        counters.port = refreshes++ % 2;
        counters.Refresh();
        hostio::PumpMessages();
    };
    int gridRounds = 0;
    auto gridRound = [&] {
        const int round = gridRounds++;
        for (int row = 0; row < counters::kRowCount; ++row) {
            grid.SetCellText(0, row, counters::kRows[row].label);
            grid.SetCellText(1, row, counters::GroupThousands(static_cast<uint64_t>(round) * 1000003u + row).c_str());
        }
        grid.Invalidate();
        grid.UpdateWindow();
    };
    for (int round = 0; round < kRounds; ++round) {
        refreshRound();
        gridRound();
    }

    // Batches of both in turn, each side's best batch timed; the paint work counted is the refresh's
    // own, over all its batches.
    constexpr int kBatches = 10;
    double refresh = 1e300, gridPaint = 1e300;
    PaintWork refreshWork;
    for (int batch = 0; batch < kBatches; ++batch) {
        g_work = refreshWork;
        auto from = Clock::now();
        for (int round = 0; round < kRounds / kBatches; ++round) refreshRound();
        refresh = std::min(refresh, bench::MillisecondsSince(from) / (kRounds / kBatches));
        refreshWork = g_work;
        from = Clock::now();
        for (int round = 0; round < kRounds / kBatches; ++round) gridRound();
        gridPaint = std::min(gridPaint, bench::MillisecondsSince(from) / (kRounds / kBatches));
    }

    auto from = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        counters.port = round % 2;
        counters.Refresh();
    }
    const double rowsOnly = MillisecondsPer(from);
    runMode = L"";

    // The whole page, as when it is uncovered: the rows and the column header above them.
    hostio::PumpMessages();
    g_work = {};
    from = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        ::InvalidateRect(tree, nullptr, FALSE);
        counters.counterTree.UpdateWindow();
    }
    const double whole = MillisecondsPer(from);
    const PaintWork wholeWork = g_work;
    HWND header = ::FindWindowExW(tree, nullptr, WC_HEADERW, nullptr);
    from = Clock::now();
    for (int round = 0; round < kRounds; ++round)
        ::RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const double headerOnly = MillisecondsPer(from);

    std::printf("  grid page, 33 rows of two columns retexted and painted (reference): %.3f ms (best of %d batches)\n", gridPaint,
                kBatches);
    std::printf("  counter refresh of both ports, 33 rows shown and painted:           %.3f ms (%.2fx the reference)\n",
                refresh, gridPaint > 0 ? refresh / gridPaint : 0.0);
    std::printf("  of which the records and rows alone, before the tree paints:       %.3f ms\n", rowsOnly);
    PrintWork("the refresh", refreshWork, clientPixels);
    std::printf("  the whole page repainted:                                          %.3f ms\n", whole);
    std::printf("  of which the column header alone:                                  %.3f ms\n", headerOnly);
    PrintWork("the whole page", wholeWork, clientPixels);
    // The tree's own paints (BeginPaint to EndPaint), per pixel asked: a repaint should cost what
    // its pixels cost, whatever part of the page it is.
    const long refreshPixels = refreshWork.pixels, wholePixels = wholeWork.pixels;
    if (refreshPixels > 0 && wholePixels > 0 && wholeWork.paints.ms > 0) {
        std::printf("  the refresh's paint per pixel against the whole page's: %.2fx\n",
                    (refreshWork.paints.ms / refreshPixels) / (wholeWork.paints.ms / wholePixels));
    }
    const bench::ProgramTime bare = BareShare();
    std::printf("  a bare dialog of ours retexting its button each second (the floor of Wine), share of one core "
                "over 30 s: %.2f %%\n", bare.Share());
    bench::PrintThreadShares(bare, "      ");
    std::printf("  Vorels-NIC connected to a tester at work, share of one core over 30 s (goal: under 0.5 %% with its "
                "counters updating, under 1 %% with charts too):\n");
    bool measured = bare.seconds > 0;
    double countersAlone = -1;
    const struct {
        Charts view;
        const char* name;
        const char* what;
    } runs[] = {{Charts::kNone, "counters", "counters updating"},
                {Charts::kLine, "line", "counters and line charts updating"},
                {Charts::kPie, "pie", "counters and pie charts updating"},
                {Charts::kBar, "bar", "counters and bar charts updating"}};
    for (const auto& run : runs) {
        bool asked = argc == 1;
        for (int i = 1; i < argc; ++i) asked = asked || std::strcmp(argv[i], run.name) == 0;
        if (!asked) continue;
        const bench::ProgramTime taken = UpdatingShare(run.view);
        if (run.view == Charts::kNone) countersAlone = taken.Share();
        if (run.view == Charts::kNone || countersAlone < 0) {
            std::printf("    %-36s %5.2f %%\n", run.what, taken.Share());
        } else {
            // The chart window's part: what its view adds to the counters' own share.
            std::printf("    %-36s %5.2f %% (the chart window %+.2f %%)\n", run.what, taken.Share(),
                        taken.Share() - countersAlone);
        }
        bench::PrintThreadShares(taken, "      ");
        measured = measured && taken.seconds > 0;
    }
    return measured ? 0 : 1;
}
