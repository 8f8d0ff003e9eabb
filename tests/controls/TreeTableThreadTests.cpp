// A worker thread that floods the "TreeTable" window with text changes while the window's own
// thread paints it: every change lands, nothing is lost or torn.
#include "TreeTableHarness.h"

#include <support/Waiting.h>

#include <atomic>
#include <string>
#include <thread>

using namespace treetable_test;

namespace {

TEST(TreeTableThreads, TextChangesFromAnotherThreadLandWhileTheWindowPaints) {
    Harness h(TVS_HASBUTTONS, 300, 200, false);
    h.AddColumn(L"Name", 120);
    h.AddColumn(L"Value", 120);
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 20; ++i) items.push_back(h.Insert(L"counter"));
    constexpr int kRounds = 200;
    std::atomic<bool> done{false};
    HWND tree = h.Tree();
    std::thread worker([&] {
        for (int round = 0; round < kRounds; ++round) {
            for (size_t i = 0; i < items.size(); ++i) {
                const std::wstring text = std::to_wstring(round * 1000 + static_cast<int>(i));
                TVITEMW tv{};
                tv.mask = TVIF_TEXT | TVIF_TLCOLUMN;
                tv.hItem = items[i];
                tv.pszText = const_cast<wchar_t*>(text.c_str());
                tv.cChildren = 1;
                SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
            }
        }
        done = true;
    });
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 200);
    HGDIOBJ old = SelectObject(dc, bitmap);
    int paints = 0;
    // Paint, then let the worker's sent messages in, until it is through.
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(support::kPatience.count());
    while (!done && static_cast<LONG>(deadline - GetTickCount()) > 0) {
        h.Send(WM_PAINT, reinterpret_cast<WPARAM>(dc));
        ++paints;
        MsgWaitForMultipleObjectsEx(0, nullptr, 2, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    const bool finished = done.load();
    worker.join();
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(finished);
    EXPECT_GT(paints, 1);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(std::to_wstring((kRounds - 1) * 1000 + static_cast<int>(i)), h.Text(items[i], 1));
}

}  // namespace
