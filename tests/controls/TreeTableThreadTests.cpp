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
    std::atomic<bool> stop{false};
    std::atomic<int> landed{0};
    HWND tree = h.Tree();
    std::thread worker([&] {
        for (int round = 0; round < kRounds && !stop; ++round) {
            for (size_t i = 0; i < items.size(); ++i) {
                const std::wstring text = std::to_wstring(round * 1000 + static_cast<int>(i));
                TVITEMW tv{};
                tv.mask = TVIF_TEXT | TVIF_TLCOLUMN;
                tv.hItem = items[i];
                tv.pszText = const_cast<wchar_t*>(text.c_str());
                tv.cChildren = 1;
                SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
                ++landed;
            }
        }
        done = true;
    });
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 200);
    HGDIOBJ old = SelectObject(dc, bitmap);
    int paints = 0;
    // Let the worker's sent messages in, one batch at a time.
    auto pump = [] {
        MsgWaitForMultipleObjectsEx(0, nullptr, 2, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    };
    // Paint between the batches until the worker is through. The whole flood can take longer than
    // the patience on a loaded machine; what must not happen is a stretch of the patience in which
    // no change lands.
    int seen = 0;
    DWORD lastLanding = GetTickCount();
    bool stalled = false;
    while (!done) {
        h.Send(WM_PAINT, reinterpret_cast<WPARAM>(dc));
        ++paints;
        pump();
        if (landed != seen) {
            seen = landed;
            lastLanding = GetTickCount();
        } else if (GetTickCount() - lastLanding > static_cast<DWORD>(support::kPatience.count())) {
            stalled = true;
            break;
        }
    }
    // The worker may be waiting in a SendMessage to this thread: let that land, so that it sees the
    // stop and ends, before joining it.
    stop = true;
    while (!done) pump();
    worker.join();
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ASSERT_FALSE(stalled) << seen << " changes landed";
    EXPECT_GT(paints, 1);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(std::to_wstring((kRounds - 1) * 1000 + static_cast<int>(i)), h.Text(items[i], 1));
}

}  // namespace
