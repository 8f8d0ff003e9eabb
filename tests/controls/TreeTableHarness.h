// A "TreeTable" window in a parent that records its notifications and can answer or act inside
// them, with small helpers to fill it.
#pragma once

#include "TreeTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace treetable_test {

constexpr UINT kTreeId = 77;
// The tree's own notification codes as the parent sees them in NMHDR::code.
constexpr UINT kCheckChanged = static_cast<UINT>(TLN_CHECKCHANGED);
constexpr UINT kCellCycled = static_cast<UINT>(TLN_CELLCYCLED);
constexpr UINT kGetToolTip = static_cast<UINT>(TLN_GETTOOLTIP);

struct Notice {
    UINT code = 0;
    UINT action = 0;
    HTREEITEM item = nullptr;     // itemNew (itemOld for deletions)
    HTREEITEM oldItem = nullptr;
    UINT state = 0;
    UINT mask = 0;
    int column = 0;
    std::wstring text;
    POINT point{};
    WORD key = 0;
};

class Harness {
public:
    // style: the tree's own style bits, added to WS_CHILD | WS_VISIBLE. The parent stays hidden
    // unless shown: a shown top-level window takes Wine two seconds to destroy.
    explicit Harness(DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, int width = 400, int height = 300,
                     bool shown = false);
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    HWND Tree() const { return tree_; }
    HWND Parent() const { return parent_; }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(tree_, message, wParam, lParam);
    }

    HTREEITEM Insert(const wchar_t* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM lParam = 0);
    // Each text a child of parent, in order.
    std::vector<HTREEITEM> InsertAll(const std::vector<std::wstring>& texts, HTREEITEM parent = TVI_ROOT);
    std::wstring Text(HTREEITEM item, int column = 0) const;
    void SetText(HTREEITEM item, int column, const wchar_t* text) const;
    HTREEITEM Next(HTREEITEM item, UINT code) const;
    std::vector<std::wstring> ChildTexts(HTREEITEM parent = TVI_ROOT) const;
    // Texts of the shown rows, top to bottom.
    std::vector<std::wstring> RowTexts() const;
    UINT State(HTREEITEM item) const { return static_cast<UINT>(Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item))); }
    // A column with a fixed width (or a weight when width < 0).
    int AddColumn(const wchar_t* title, int width, int format = HDF_LEFT);
    RECT ItemRect(HTREEITEM item, int column = -1, bool textOnly = false) const;
    // The pointer over a point of the tree: the real one moved there first (the tip's timer asks
    // where it is, and its own move is let in), then the move the tree handles.
    void Hover(POINT client) const;
    POINT Centre(const RECT& r) const { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    // The notifications recorded since the last Clear, optionally only those with the code.
    std::vector<Notice> Notices(UINT code = 0) const;
    std::vector<UINT> Codes() const;
    void Clear() { notices_.clear(); }
    // Called for every WM_NOTIFY from the tree after it is recorded; its answer goes back.
    std::function<LRESULT(NMHDR*)> answer;
    // Messages the parent received other than WM_NOTIFY that a test waits for.
    std::vector<UINT> otherMessages;

private:
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(NMHDR* header);

    HWND parent_ = nullptr;
    HWND tree_ = nullptr;
    std::vector<Notice> notices_;
};

}  // namespace treetable_test
