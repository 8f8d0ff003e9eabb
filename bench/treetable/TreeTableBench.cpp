// Inserting 100,000 items under 1,000 parents, expanding every parent and painting one page, in a
// "TreeTable" window beside the common tree-view control doing the same in the same run; prints
// each time and its ratio (TreeTable / tree view).
#include "TreeTable.h"
#include "bench/Timing.h"

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <vector>

namespace {

constexpr int kParents = 1000;
constexpr int kChildren = 100;
constexpr int kWidth = 600;
constexpr int kHeight = 400;

using bench::Milliseconds;

struct Times {
    double insert = 0, expand = 0, paint = 0;
};

HTREEITEM Insert(HWND tree, HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

Times Run(HWND parentWindow, const wchar_t* className) {
    HWND tree = CreateWindowExW(0, className, nullptr, WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                                           TVS_LINESATROOT, 0, 0, kWidth, kHeight, parentWindow,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    Times t;
    std::vector<HTREEITEM> parents;
    parents.reserve(kParents);
    wchar_t text[32];
    t.insert = Milliseconds([&] {
        for (int p = 0; p < kParents; ++p) {
            std::swprintf(text, 32, L"Parent %d", p);
            HTREEITEM parent = Insert(tree, TVI_ROOT, text);
            parents.push_back(parent);
            for (int c = 0; c < kChildren; ++c) {
                std::swprintf(text, 32, L"Child %d.%d", p, c);
                Insert(tree, parent, text);
            }
        }
    });
    t.expand = Milliseconds([&] {
        for (HTREEITEM parent : parents) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    });
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(parents[kParents / 2]));
    t.paint = Milliseconds([&] { SendMessageW(tree, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0); });
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    const LRESULT count = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    DestroyWindow(tree);
    if (count != kParents * (kChildren + 1)) std::printf("  %ls holds %lld items\n", className, static_cast<long long>(count));
    return t;
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&init);
    RegisterTreeTableClass(GetModuleHandleW(nullptr));
    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, kWidth + 20, kHeight + 40, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    const Times reference = Run(parent, WC_TREEVIEWW);
    const Times ours = Run(parent, kTreeTableClassName);
    DestroyWindow(parent);
    std::printf("treetable_bench: %d items under %d parents\n", kParents * kChildren, kParents);
    auto line = [](const char* what, double mine, double theirs) {
        std::printf("  %-22s TreeTable %9.1f ms   tree view %9.1f ms   ratio %.3f\n", what, mine, theirs,
                    theirs > 0 ? mine / theirs : 0.0);
    };
    line("insert", ours.insert, reference.insert);
    line("expand all", ours.expand, reference.expand);
    line("paint one page", ours.paint, reference.paint);
    const double mine = ours.insert + ours.expand + ours.paint, theirs = reference.insert + reference.expand + reference.paint;
    line("total", mine, theirs);
    return 0;
}
