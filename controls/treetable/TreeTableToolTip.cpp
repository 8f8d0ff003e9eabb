// The tooltip of the "TreeTable" window ("tooltips_class32", identifier 2): it shows the whole text
// of a clipped item or cell in place, or what the parent gives for it, and passes the mouse through
// to the tree beneath.
#include "TreeTableData.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr int kTipId = 2;

TOOLINFOW ToolOf(const TreeTableData* data) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = data->window;
    ti.uId = reinterpret_cast<UINT_PTR>(data->window);
    return ti;
}

LRESULT CALLBACK TreeTableToolTipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
    auto data = reinterpret_cast<TreeTableData*>(GetWindowLongPtrW(tip, GWLP_USERDATA));
    if (!data) return DefWindowProcW(tip, message, wParam, lParam);
    if (message == WM_SETFOCUS) {
        // The tip never keeps the focus: it goes back where it came from, or to the tree.
        HWND from = reinterpret_cast<HWND>(wParam);
        SetFocus(from && IsWindow(from) ? from : data->window);
        return 0;
    }
    if (message >= WM_MOUSEFIRST && message <= 0x20E) {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(tip, &p);
        ScreenToClient(data->window, &p);
        return TreeTableWndProc(data->window, message, wParam, MAKELPARAM(p.x, p.y));
    }
    return CallWindowProcW(data->tipProc, tip, message, wParam, lParam);
}

void ShowTip(TreeTableData* data, unsigned item, unsigned column, POINT client, bool bold) {
    data->tipFont = bold ? data->boldFont : (data->font ? data->font : data->measuredFont);
    POINT screen = client;
    ClientToScreen(data->window, &screen);
    TOOLINFOW ti = ToolOf(data);
    HWND tip = data->tooltip;
    const bool wasShown = data->tipItem != 0;
    data->tipItem = item;
    data->tipColumn = column;
    data->tipCountdown = 0;
    data->tipX = screen.x;
    data->tipY = screen.y;
    UnlockTree(data);
    if (wasShown) SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    LockTree(data);
    SetTimer(data->window, kTipTimer, 1500, nullptr);
}

void CopyTipText(TreeTableData* data, const wchar_t* text, int length) {
    const int n = std::min(length, kTextBuffer - 1);
    if (n > 0) std::wmemcpy(data->tipText, text, static_cast<size_t>(n));
    data->tipText[n > 0 ? n : 0] = 0;
}

}  // namespace

void CreateToolTip(TreeTableData* data) {
    if (data->tooltip) return;
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, data->window, nullptr,
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(data->window, GWLP_HINSTANCE)), nullptr);
    if (!tip) return;
    data->tooltip = tip;
    TOOLINFOW ti = ToolOf(data);
    ti.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    GetClientRect(data->window, &ti.rect);
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 10000);
    SetWindowLongPtrW(tip, GWLP_ID, kTipId);
    SetWindowLongPtrW(tip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    data->tipProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TreeTableToolTipProc)));
}

void HideToolTip(TreeTableData* data) {
    if (data->tipItem && data->tooltip) {
        TOOLINFOW ti = ToolOf(data);
        HWND tip = data->tooltip;
        UnlockTree(data);
        SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
        LockTree(data);
    }
    data->tipItem = 0;
    data->tipColumn = 0;
    data->tipCountdown = 0;
    KillTimer(data->window, kTipTimer);
}

void UpdateToolTip(TreeTableData* data, unsigned item, UINT flags) {
    if (!data->tooltip) return;
    TreeTableItem* it = ItemOf(data, item);
    if (!it) {
        HideToolTip(data);
        return;
    }
    unsigned column;
    if (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) column = 0;
    else if (flags & (TLHT_ONCOLUMNICON | TLHT_ONCOLUMNLABEL)) column = flags >> 24;
    else {
        HideToolTip(data);
        return;
    }
    if (data->tipItem == item && data->tipColumn == column) return;
    RECT rect{};
    // The text rectangle of the column the text is in: column 0's ends where column 1 starts.
    if (!ItemRect(data, item, 0x81 | (static_cast<WPARAM>(column) << 24), &rect)) {
        HideToolTip(data);
        return;
    }
    rect.right = std::min(rect.right, static_cast<LONG>(data->clientWidth));
    const TreeTableSubItem* cell = column ? CellOf(data, item, column) : nullptr;
    const bool bold = ((column ? (cell ? cell->state : 0) : it->state) & TVIS_BOLD) != 0;

    if (data->exStyle & TLS_EX_TOOLTIPNOTIFY) {
        NMTREEVIEWW nm{};
        FillNotifyItem(data, &nm.itemNew, item, column);
        const wchar_t* text = column ? (cell && cell->text ? cell->text : L"") : (it->text ? it->text : L"");
        nm.itemNew.pszText = const_cast<wchar_t*>(text);
        nm.itemNew.cchTextMax = static_cast<int>(std::wcslen(text));
        nm.ptDrag = POINT{rect.left, rect.top};
        if (!TreeTableNotify(data, &nm.hdr, TLN_GETTOOLTIP)) return;
        if (!ItemOf(data, item)) return;
        const wchar_t* answer = nm.itemNew.pszText ? nm.itemNew.pszText : L"";
        if (!*answer) {
            HideToolTip(data);
            return;
        }
        CopyTipText(data, answer, static_cast<int>(wcsnlen(answer, kTextBuffer)));
        const unsigned answerColumn = static_cast<unsigned>(nm.itemNew.cChildren);
        if ((nm.itemNew.mask & 0x40000000) && nm.itemNew.lParam > 0) {
            POINT screen = nm.ptDrag;
            ClientToScreen(data->window, &screen);
            data->tipItem = item;
            data->tipColumn = answerColumn;
            data->tipX = screen.x;
            data->tipY = screen.y;
            data->tipCountdown = static_cast<int>((nm.itemNew.lParam + 499) / 500);
            SetTimer(data->window, kTipTimer, 500, nullptr);
            return;
        }
        ShowTip(data, item, answerColumn, nm.ptDrag, bold);
        return;
    }
    if (column == 0 && (data->style & TVS_INFOTIP)) {
        wchar_t buffer[1024];
        CopyTipText(data, it->text ? it->text : L"", it->textLength);
        std::wcscpy(buffer, data->tipText);
        NMTVGETINFOTIPW info{};
        info.pszText = buffer;
        info.cchTextMax = 1024;
        info.hItem = HandleOfItem(item);
        info.lParam = it->lParam;
        TreeTableNotify(data, &info.hdr, TVN_GETINFOTIPW);
        if (!ItemOf(data, item)) return;
        buffer[1023] = 0;
        CopyTipText(data, buffer, static_cast<int>(std::wcslen(buffer)));
        ShowTip(data, item, 0, POINT{rect.left, rect.top}, bold);
        return;
    }
    const int width = column ? (cell ? cell->textWidth : 0) : it->textWidth;
    if (width + 4 >= rect.right - rect.left) {
        const wchar_t* text = L"";
        int length = 0;
        const uint8_t callback = column ? (cell ? cell->callback : 0) : it->callback;
        if (callback & kCallText) {
            if (!AskDisplayInfo(data, item, column, kCallText, data->textBuffer2, &text, &length, nullptr)) return;
        } else if (column) {
            text = cell && cell->text ? cell->text : L"";
            length = cell ? cell->textLength : 0;
        } else {
            text = it->text ? it->text : L"";
            length = it->textLength;
        }
        if (length == 0) {
            HideToolTip(data);
            return;
        }
        CopyTipText(data, text, length);
        ShowTip(data, item, column, POINT{rect.left, rect.top}, bold);
    } else if (data->tipItem) {
        HideToolTip(data);
    }
}

void OnTipTimer(TreeTableData* data) {
    if (!data->tipItem) {
        KillTimer(data->window, kTipTimer);
        return;
    }
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(data->window, &p);
    UINT flags = 0;
    const unsigned item = HitTest(data, p, &flags);
    unsigned column = ~0u;
    if (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) column = 0;
    else if (flags & (TLHT_ONCOLUMNICON | TLHT_ONCOLUMNLABEL)) column = flags >> 24;
    if (data->tipCountdown > 0) {
        if (--data->tipCountdown > 0) return;
        if (item == data->tipItem && column == data->tipColumn) {
            POINT client{data->tipX, data->tipY};
            ScreenToClient(data->window, &client);
            const TreeTableItem* it = ItemOf(data, item);
            ShowTip(data, item, column, client, it && (it->state & TVIS_BOLD));
            return;
        }
        data->tipItem = 0;
        UpdateToolTip(data, item, flags);
        return;
    }
    if (item != data->tipItem || column != data->tipColumn) UpdateToolTip(data, item, flags);
}
