// Paging through a 16 MiB buffer a page at a time: the hex editor, and beside it in the same run
// Wine's multi-line edit control holding the same bytes as hex text lines (address, digit pairs,
// characters), in windows of the same size and font. Every page is scrolled with WM_VSCROLL
// SB_PAGEDOWN and painted at once with UpdateWindow.
//
// The edit control is far too slow to page through all of 16 MiB, so both controls are timed over
// the same samples (a run of pages at evenly spaced places of the buffer) and the ratio is taken
// per page; the hex editor then also pages through the whole buffer.
#include "hexedit/HexEditLayout.h"
#include "hexedit/HexEditWnd.h"
#include "bench/Timing.h"
#include "MessagePump.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kBufferBytes = 16 * 1024 * 1024;
constexpr int kRowBytes = 16;
constexpr int kSamples = 8;
constexpr int kPagesPerSample = 20;
constexpr int kWidth = 720;
constexpr int kHeight = 600;

using bench::Clock;
using bench::Seconds;

// Progress on stderr: the edit control takes minutes over the same work.
void Note(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::fflush(stderr);
}

// The bytes as the hex editor shows them, one "\r\n"-ended line a row.
std::wstring HexLines(const std::vector<BYTE>& bytes) {
    std::wstring text;
    text.reserve(static_cast<size_t>(bytes.size() / kRowBytes) * (8 + 2 + 3 * kRowBytes + 1 + kRowBytes + 2));
    for (size_t at = 0; at < bytes.size(); at += kRowBytes) {
        text += HexEditLayout::AddressText(static_cast<int>(at), 8);
        text += L"  ";
        text += HexEditLayout::HexText(bytes.data() + at, kRowBytes);
        text += L"  ";
        text += HexEditLayout::AsciiText(bytes.data() + at, kRowBytes);
        text += L"\r\n";
    }
    return text;
}

HWND MakeFrame(const wchar_t* title, int x) {
    return ::CreateWindowExW(0, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)), title,
                             WS_POPUP | WS_VISIBLE | WS_BORDER, x, 0, kWidth, kHeight, nullptr, nullptr,
                             AfxGetInstanceHandle(), nullptr);
}

double PageDowns(HWND control, int pages) {
    const auto start = Clock::now();
    for (int page = 0; page < pages; ++page) {
        ::SendMessageW(control, WM_VSCROLL, SB_PAGEDOWN, 0);
        ::UpdateWindow(control);
    }
    return Seconds(Clock::now() - start);
}

}  // namespace

int main() {
    std::vector<BYTE> bytes(kBufferBytes);
    std::mt19937 random(20261209);
    for (BYTE& b : bytes) b = static_cast<BYTE>(random() >> 24);
    const int rows = kBufferBytes / kRowBytes;

    HWND hexFrame = MakeFrame(L"hex editor", 0);
    CHexEditWnd hexEdit;
    hexEdit.Create(nullptr, WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, kWidth - 2, kHeight - 2),
                   CWnd::FromHandle(hexFrame), 1);
    hexEdit.SetShowAddress(true, false);
    hexEdit.SetShowAscii(true, false);
    auto start = Clock::now();
    hexEdit.SetData(bytes.data(), kBufferBytes, false);
    hexEdit.UpdateWindow();
    const double hexLoad = Seconds(Clock::now() - start);
    hostio::PumpMessages();

    HWND editFrame = MakeFrame(L"edit control", kWidth + 10);
    const DWORD editStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
    HWND edit = ::CreateWindowExW(0, L"EDIT", nullptr, editStyle, 0, 0, kWidth - 2, kHeight - 2, editFrame, nullptr, AfxGetInstanceHandle(), nullptr);
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), FALSE);
    ::SendMessageW(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    const std::wstring text = HexLines(bytes);
    Note("loading the edit control");
    start = Clock::now();
    ::SetWindowTextW(edit, text.c_str());
    ::UpdateWindow(edit);
    const double editLoad = Seconds(Clock::now() - start);
    hostio::PumpMessages();
    const int editLines = static_cast<int>(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    if (editLines < rows) {
        std::printf("the edit control took only %d of %d lines\n", editLines, rows);
        return 1;
    }

    Note("paging both at the sample places");
    // The same samples in both: a run of pages from evenly spaced rows.
    double hexSampled = 0;
    double editSampled = 0;
    for (int sample = 0; sample < kSamples; ++sample) {
        const int row = static_cast<int>(static_cast<long long>(rows) * sample / kSamples);
        hexEdit.SetSelection(row * kRowBytes, row * kRowBytes, true, false);
        hexEdit.SetSelection(-1, -1, false, true);
        hexEdit.UpdateWindow();
        const int first = static_cast<int>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
        ::SendMessageW(edit, EM_LINESCROLL, 0, row - first);
        ::UpdateWindow(edit);
        hostio::PumpMessages();
        hexSampled += PageDowns(hexEdit, kPagesPerSample);
        editSampled += PageDowns(edit, kPagesPerSample);
        hostio::PumpMessages();
        std::fprintf(stderr, "  sample at row %d: hex %.3f s, edit %.3f s so far\n", row, hexSampled, editSampled);
    }
    const int sampledPages = kSamples * kPagesPerSample;

    Note("paging the hex editor through the whole buffer");
    // The hex editor through the whole buffer, from the top to the last page.
    hexEdit.SetSelection(0, 0, true, false);
    hexEdit.SetSelection(-1, -1, false, true);
    hexEdit.UpdateWindow();
    hostio::PumpMessages();
    const int pageRows = hexEdit.State().pageRows;
    int fullPages = 0;
    start = Clock::now();
    while (hexEdit.State().topRow < hexEdit.State().maxTopRow) {
        ::SendMessageW(hexEdit, WM_VSCROLL, SB_PAGEDOWN, 0);
        hexEdit.UpdateWindow();
        ++fullPages;
    }
    const double hexFull = Seconds(Clock::now() - start);

    std::printf("paging through %d MiB (%d rows of %d bytes), windows %d x %d\n", kBufferBytes >> 20, rows, kRowBytes,
                kWidth, kHeight);
    std::printf("%-44s %12s %12s %8s\n", "work", "hex editor", "edit", "ratio");
    std::printf("%-44s %12.3f %12.3f %8.4f\n", "load the buffer (s)", hexLoad, editLoad, hexLoad / editLoad);
    std::printf("%-44s %12.3f %12.3f %8.4f\n", "ms a page, 8 places x 20 pages", 1000 * hexSampled / sampledPages,
                1000 * editSampled / sampledPages, hexSampled / editSampled);
    std::printf("hex editor, whole buffer: %d pages of %d rows in %.2f s, %.3f ms a page\n", fullPages, pageRows,
                hexFull, 1000 * hexFull / std::max(fullPages, 1));

    ::DestroyWindow(edit);
    hexEdit.DestroyWindow();
    ::DestroyWindow(editFrame);
    ::DestroyWindow(hexFrame);
    return 0;
}
