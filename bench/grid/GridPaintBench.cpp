// Time to paint a full page of 40 rows x 12 columns and to scroll it by one row, for the grid window
// and, in the same run and the same window, for the platform's own list view showing the same texts;
// prints each ratio (grid / list view).
#include "VGCtrl.h"

#include <framework/Framework.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>

namespace {

constexpr int kRows = 1000;
constexpr int kColumns = 15;
constexpr int kVisibleRows = 40;
constexpr int kVisibleColumns = 12;
constexpr int kColumnWidth = 75;
constexpr int kRowHeight = 20;
constexpr int kPaints = 40;
constexpr int kScrolls = 200;
constexpr int kRuns = 3;

double Milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Everything the step left to paint (scroll bars included) is painted before the next one.
void Settle(CWnd& host)
{
    ::RedrawWindow(host.GetSafeHwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Text(wchar_t* buffer, int column, int row)
{
    std::swprintf(buffer, 32, L"R%d C%d", row, column);
}

struct Figures {
    double page = 1e300;
    double scroll = 1e300;
};

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const int v = ::GetSystemMetrics(SM_CXVSCROLL);
    const int h = ::GetSystemMetrics(SM_CYHSCROLL);

    CWnd host;
    host.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                  L"paint bench", WS_POPUP | WS_VISIBLE, 0, 0, 1100, 950, nullptr, nullptr);

    // The grid: a side heading of 40 and a top heading of 20 around exactly 12 x 40 cells.
    CVGCtrl grid;
    const CRect gridRect(0, 0, 40 + kVisibleColumns * kColumnWidth + v, 20 + kVisibleRows * kRowHeight + h);
    grid.Create(AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW)), nullptr, WS_CHILD | WS_VISIBLE,
                gridRect, &host, 100);
    grid.SetDefaultFont(grid.RegisterFont(L"Tahoma", -11, 400));
    grid.SetColumnCount(kColumns, 0);
    grid.SetRowCount(kRows, 0);
    wchar_t text[32];
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            Text(text, column, row);
            grid.SetCellText(column, row, text);
        }
    }
    grid.RecalcLayout();
    Pump();

    // The list view: the same texts, columns and row pitch (its own font's).
    HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_NOSORTHEADER, 0, 0,
                                  gridRect.Width(), gridRect.Height(), host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(grid.FontAt(0)->GetSafeHandle()), TRUE);
    for (int column = 0; column < kColumns; ++column) {
        LVCOLUMNW lvc = {};
        lvc.mask = LVCF_WIDTH | LVCF_TEXT;
        lvc.cx = kColumnWidth;
        lvc.pszText = const_cast<LPWSTR>(L"C");
        ::SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&lvc));
    }
    for (int row = 0; row < kRows; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        Text(text, 0, row);
        item.pszText = text;
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < kColumns; ++column) {
            Text(text, column, row);
            item.iSubItem = column;
            ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        }
    }

    Figures gridTime;
    Figures listTime;
    for (int run = 0; run < kRuns; ++run) {
        grid.ShowWindow(SW_SHOW);
        ::ShowWindow(list, SW_HIDE);
        grid.SetFirstVisibleRow(0);
        Pump();
        gridTime.page = std::min(gridTime.page, Milliseconds([&] {
            for (int i = 0; i < kPaints; ++i) {
                grid.CellArea().Invalidate(FALSE);
                grid.CellArea().UpdateWindow();
            }
        }) / kPaints);
        gridTime.scroll = std::min(gridTime.scroll, Milliseconds([&] {
            for (int i = 1; i <= kScrolls; ++i) {
                grid.SetFirstVisibleRow(i);
                Settle(host);
            }
        }) / kScrolls);

        grid.ShowWindow(SW_HIDE);
        ::ShowWindow(list, SW_SHOW);
        ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
        ::UpdateWindow(list);
        Pump();
        listTime.page = std::min(listTime.page, Milliseconds([&] {
            for (int i = 0; i < kPaints; ++i) {
                ::InvalidateRect(list, nullptr, FALSE);
                ::UpdateWindow(list);
            }
        }) / kPaints);
        RECT item = {};
        item.left = LVIR_BOUNDS;
        ::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        const int pitch = item.bottom - item.top;
        listTime.scroll = std::min(listTime.scroll, Milliseconds([&] {
            for (int i = 1; i <= kScrolls; ++i) {
                ::SendMessageW(list, LVM_SCROLL, 0, pitch);
                Settle(host);
            }
        }) / kScrolls);
    }

    std::printf("grid window against the list view, %d x %d visible cells, best of %d runs\n", kVisibleRows,
                kVisibleColumns, kRuns);
    std::printf("%-28s %12s %12s %8s\n", "work", "grid ms", "list ms", "ratio");
    auto line = [](const char* name, double mine, double theirs) {
        std::printf("%-28s %12.3f %12.3f %8.2f\n", name, mine, theirs, mine / theirs);
    };
    line("paint of a full page", gridTime.page, listTime.page);
    line("scroll by one row", gridTime.scroll, listTime.scroll);
    ::DestroyWindow(list);
    grid.DestroyWindow();
    host.DestroyWindow();
    return 0;
}
