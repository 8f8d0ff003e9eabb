#include "TreeTableHarness.h"

#include <support/gui/Pump.h>

#include <cstring>

namespace treetable_test {

namespace {

constexpr const wchar_t* kParentClass = L"TreeTableTestParent";

void RegisterParent() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kParentClass;
    RegisterClassExW(&wc);
    registered = true;
}

}  // namespace

Harness::Harness(DWORD style, int width, int height, bool shown) {
    RegisterParent();
    EXPECT_EQ(1, RegisterTreeTableClass(GetModuleHandleW(nullptr)));
    parent_ = CreateWindowExW(0, kParentClass, L"TreeTable test", WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0), 10, 10, width + 40,
                              height + 60, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(parent_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentProc));
    tree_ = CreateWindowExW(0, kTreeTableClassName, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, parent_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)), GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(nullptr, tree_);
    // The window learns its size from WM_SIZE; make sure one arrived.
    SetWindowPos(tree_, nullptr, 0, 0, width, height + 1, SWP_NOZORDER | SWP_NOMOVE);
    SetWindowPos(tree_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
}

Harness::~Harness() {
    answer = nullptr;
    if (IsWindow(parent_)) DestroyWindow(parent_);
}

LRESULT CALLBACK Harness::ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto self = reinterpret_cast<Harness*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_NOTIFY) return self->OnNotify(reinterpret_cast<NMHDR*>(lParam));
    if (self && (message == WM_CONTEXTMENU || message == WM_COMMAND)) self->otherMessages.push_back(message);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Harness::OnNotify(NMHDR* header) {
    if (header->hwndFrom != tree_) return 0;
    Notice n;
    n.code = header->code;
    switch (n.code) {
    case TVN_KEYDOWN: n.key = reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey; break;
    case TVN_GETDISPINFOW:
    case TVN_SETDISPINFOW:
    case TVN_BEGINLABELEDITW:
    case TVN_ENDLABELEDITW: {
        auto info = reinterpret_cast<NMTVDISPINFOW*>(header);
        n.item = info->item.hItem;
        n.mask = info->item.mask;
        n.state = info->item.state;
        n.column = info->item.cChildren;
        if ((info->item.mask & TVIF_TEXT) && info->item.pszText && info->item.pszText != LPSTR_TEXTCALLBACKW)
            n.text = info->item.pszText;
        break;
    }
    case NM_SETFOCUS:
    case NM_KILLFOCUS: break;
    default: {
        if (n.code == TVN_GETINFOTIPW) break;
        auto nm = reinterpret_cast<NMTREEVIEWW*>(header);
        n.action = nm->action;
        n.item = nm->itemNew.hItem;
        n.oldItem = nm->itemOld.hItem;
        n.state = nm->itemNew.state;
        n.mask = nm->itemNew.mask;
        n.column = nm->itemNew.cChildren;
        n.point = nm->ptDrag;
        if ((nm->itemNew.mask & TVIF_TEXT) && nm->itemNew.pszText &&
            nm->itemNew.pszText != reinterpret_cast<LPWSTR>(static_cast<LONG_PTR>(-1)))
            n.text = nm->itemNew.pszText;
        break;
    }
    }
    notices_.push_back(n);
    return answer ? answer(header) : 0;
}

HTREEITEM Harness::Insert(const wchar_t* text, HTREEITEM parent, HTREEITEM after, LPARAM lParam) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.lParam = lParam;
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::vector<HTREEITEM> Harness::InsertAll(const std::vector<std::wstring>& texts, HTREEITEM parent) {
    std::vector<HTREEITEM> items;
    for (const std::wstring& t : texts) items.push_back(Insert(t.c_str(), parent));
    return items;
}

std::wstring Harness::Text(HTREEITEM item, int column) const {
    wchar_t buffer[300] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_TLCOLUMN;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = 300;
    tv.cChildren = column;
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return L"<none>";
    return buffer;
}

void Harness::SetText(HTREEITEM item, int column, const wchar_t* text) const {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_TLCOLUMN;
    tv.hItem = item;
    tv.pszText = const_cast<wchar_t*>(text);
    tv.cChildren = column;
    Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

HTREEITEM Harness::Next(HTREEITEM item, UINT code) const {
    return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

std::vector<std::wstring> Harness::ChildTexts(HTREEITEM parent) const {
    std::vector<std::wstring> texts;
    for (HTREEITEM c = Next(parent, TVGN_CHILD); c; c = Next(c, TVGN_NEXT)) texts.push_back(Text(c));
    return texts;
}

std::vector<std::wstring> Harness::RowTexts() const {
    std::vector<std::wstring> texts;
    const LRESULT rows = Send(TLM_GETROWCOUNT);
    for (LRESULT r = 0; r < rows; ++r) texts.push_back(Text(reinterpret_cast<HTREEITEM>(Send(TLM_GETROWITEM, 0, r))));
    return texts;
}

int Harness::AddColumn(const wchar_t* title, int width, int format) {
    LVCOLUMNW col{};
    col.mask = TLCF_TEXT | TLCF_FMT | (width >= 0 ? TLCF_WIDTH : TLCF_WEIGHT);
    col.pszText = const_cast<wchar_t*>(title);
    col.fmt = format;
    col.cx = width >= 0 ? width : -width;
    const int count = static_cast<int>(Send(TLM_GETCOLUMNCOUNT));
    return static_cast<int>(Send(TLM_INSERTCOLUMN, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&col)));
}

RECT Harness::ItemRect(HTREEITEM item, int column, bool textOnly) const {
    RECT r{};
    std::memcpy(&r, &item, sizeof item);
    WPARAM flags = textOnly ? 1 : 0;
    if (column >= 0) flags |= 0x80 | (static_cast<WPARAM>(column) << 24);
    Send(TVM_GETITEMRECT, flags, reinterpret_cast<LPARAM>(&r));
    return r;
}

void Harness::Hover(POINT client) const {
    POINT screen = client;
    ClientToScreen(tree_, &screen);
    SetCursorPos(screen.x, screen.y);
    support::gui::PumpPending();
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
}

std::vector<Notice> Harness::Notices(UINT code) const {
    std::vector<Notice> out;
    for (const Notice& n : notices_)
        if (code == 0 || n.code == code) out.push_back(n);
    return out;
}

std::vector<UINT> Harness::Codes() const {
    std::vector<UINT> out;
    for (const Notice& n : notices_)
        if (n.code != TVN_GETDISPINFOW && n.code != NM_SETFOCUS && n.code != NM_KILLFOCUS) out.push_back(n.code);
    return out;
}

}  // namespace treetable_test
