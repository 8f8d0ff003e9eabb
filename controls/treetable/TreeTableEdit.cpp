// In-place editing in the "TreeTable" window: the edit modes of the columns, the editor windows (an
// EDIT or a COMBOBOX over the cell, subclassed so that Return and Escape reach the tree), the start
// of an edit from a key, a character or a click, list cycling without an editor, and the end of an
// edit with its notification to the parent.
#include "TreeTableData.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kEditorReturn = 0x1578;
constexpr UINT kEditorEscape = 0x1579;
constexpr UINT kEditorTextSet = 0x1000;
constexpr size_t kEntryLimit = 255;

// The entries of a column's edit list. A null list is an empty list; parsing stops at the
// terminator, at the maximum number of entries, and each entry is cut at 255 characters.
std::vector<std::wstring> ListEntries(const TreeTableColumn& col) {
    std::vector<std::wstring> entries;
    if (!col.editList) return entries;
    const size_t maximum = col.maxEntries ? col.maxEntries : 1024;
    if (col.editFlags & TVAE_PTRLIST) {
        auto strings = static_cast<const wchar_t* const*>(col.editList);
        for (size_t i = 0; i < maximum && strings[i]; ++i) entries.emplace_back(strings[i], wcsnlen(strings[i], kEntryLimit));
        return entries;
    }
    const wchar_t* s = static_cast<const wchar_t*>(col.editList);
    const wchar_t separator = col.separator;
    if (separator == 0) {
        if (*s) entries.emplace_back(s, wcsnlen(s, kEntryLimit));
        return entries;
    }
    while (*s && entries.size() < maximum) {
        const wchar_t* end = s;
        while (*end && *end != separator) ++end;
        entries.emplace_back(s, std::min(static_cast<size_t>(end - s), kEntryLimit));
        if (!*end) break;
        s = end + 1;
    }
    return entries;
}

bool IsCombo(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    return _wcsicmp(name, L"ComboBox") == 0;
}

LRESULT CALLBACK TreeTableEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    HWND parent = GetParent(hwnd);
    auto command = [&](UINT code) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(kEditorId, code), reinterpret_cast<LPARAM>(hwnd));
    };
    switch (message) {
    case WM_SETTEXT: {
        const LRESULT result = CallWindowProcW(previous, hwnd, message, wParam, lParam);
        command(kEditorTextSet);
        return result;
    }
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            command(wParam == VK_RETURN ? kEditorReturn : kEditorEscape);
            return 0;
        }
        if (wParam == VK_DOWN) {
            HWND combo = GetDlgCtrlID(hwnd) == kEditorId ? hwnd : parent;
            if (IsCombo(combo) && !SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) {
                SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
                return 0;
            }
        }
        break;
    case WM_CHAR:
        // Return and Escape were handled as keys; an edit field would only beep at them.
        if (wParam == L'\r' || wParam == 0x1B) return 0;
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == kEditorReturn || HIWORD(wParam) == kEditorEscape) {
            command(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_MOUSEWHEEL: {
        HWND combo = GetDlgCtrlID(hwnd) == kEditorId ? hwnd : parent;
        if (IsCombo(combo) && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) {
            const LRESULT top = SendMessageW(combo, CB_GETTOPINDEX, 0, 0);
            SendMessageW(combo, CB_SETTOPINDEX, static_cast<WPARAM>(top - static_cast<short>(HIWORD(wParam)) / 120), 0);
            return 0;
        }
        break;
    }
    default: break;
    }
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

void Subclass(HWND hwnd) {
    const LONG_PTR previous = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TreeTableEditProc));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, previous);
}

BOOL CALLBACK SubclassChild(HWND child, LPARAM) {
    Subclass(child);
    return TRUE;
}

int MeasureWidth(HWND tree, HFONT font, const wchar_t* text, int length) {
    HDC dc = GetDC(tree);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text, length, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(tree, dc);
    return r.right - r.left;
}

struct CellText {
    std::wstring text;
    UINT state = 0;
    LPARAM lParam = 0;
    bool exists = false;
};

CellText ReadCell(TreeTableData* data, unsigned item, unsigned column) {
    CellText cell;
    const TreeTableItem* it = ItemOf(data, item);
    if (!it) return cell;
    cell.lParam = it->lParam;
    if (column == 0) {
        cell.exists = true;
        cell.state = it->state;
        if (it->text) cell.text.assign(it->text, it->textLength);
    } else if (const TreeTableSubItem* sub = CellOf(data, item, column)) {
        cell.exists = true;
        cell.state = sub->state | (it->state & 0xE2);
        if (sub->text) cell.text.assign(sub->text, sub->textLength);
    }
    return cell;
}

void SetCellValue(TreeTableData* data, unsigned item, unsigned column, const std::wstring* text, const UINT* state,
                  int image) {
    TVITEMW tv{};
    tv.mask = TVIF_TLCOLUMN;
    tv.hItem = HandleOfItem(item);
    tv.cChildren = static_cast<int>(column);
    if (text) {
        tv.mask |= TVIF_TEXT;
        tv.pszText = const_cast<wchar_t*>(text->c_str());
        tv.cchTextMax = static_cast<int>(text->size() + 1);
    }
    if (state) {
        tv.mask |= TVIF_STATE;
        tv.state = *state;
        tv.stateMask = 0xF000;
    }
    if (image != -3) {
        tv.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.iImage = tv.iSelectedImage = image;
    }
    SetItem(data, &tv);
}

// Modes 4 to 7 without an editor: the cell takes the next value of its list, check-box modes toggle.
void CycleCell(TreeTableData* data, unsigned column, int mode, POINT point) {
    const unsigned item = data->caretItem;
    const TreeTableColumn col = data->columns[column];
    const CellText cell = ReadCell(data, item, column);
    const bool check = mode == TVAE_CHECK || mode == TVAE_CHECKED;
    UINT state = cell.state;
    // With the state bit enabled, bit 0x8000 of a check box is the caller's and stays.
    if (check) state = FlippedCheckState(data, state, (col.editFlags & TVAE_STATEENABLE) ? 0x7000u : 0xF000u);
    const std::vector<std::wstring> entries = ListEntries(col);
    if (entries.empty() && !check) return;
    std::wstring text = cell.text;
    int chosen = -1;
    if (!entries.empty()) {
        chosen = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] == cell.text) {
                chosen = static_cast<int>((i + 1) % entries.size());
                break;
            }
        }
        text = entries[static_cast<size_t>(chosen)];
    }
    const int image = (col.editData >= 0 && chosen >= 0) ? col.editData + chosen : -3;
    SetCellValue(data, item, column, entries.empty() ? nullptr : &text, &state, image);
    if (!ItemOf(data, item)) return;
    NMTREEVIEWW nm{};
    FillNotifyItem(data, &nm.itemNew, item, column);
    nm.itemNew.mask = 0x801D;
    nm.itemNew.state = state;
    nm.itemNew.pszText = text.data();
    nm.itemNew.cchTextMax = 256;
    nm.ptDrag = point;
    TreeTableNotify(data, &nm.hdr, check ? TLN_CHECKCHANGED : TLN_CELLCYCLED);
}

void FillCombo(TreeTableData* data, unsigned column, int mode) {
    const TreeTableColumn& col = data->columns[column];
    const CellText cell = ReadCell(data, data->editItem, column);
    int selection = mode == TVAE_CBLIST ? 0 : -1;
    const std::vector<std::wstring> entries = ListEntries(col);
    for (size_t i = 0; i < entries.size(); ++i) {
        SendMessageW(data->editor, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[i].c_str()));
        if (entries[i] == cell.text) selection = static_cast<int>(i);
    }
    if (selection >= 0) SendMessageW(data->editor, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

}  // namespace

LRESULT SetColumnEditMode(TreeTableData* data, WPARAM wParam, LPARAM list) {
    const unsigned column = (wParam >> 10) & 0x3F;
    const int mode = static_cast<int>((wParam >> 7) & 7);
    if (column >= data->columnCount) return 0;
    TreeTableColumn& col = data->columns[column];
    const int oldMode = col.editMode;
    const int oldFlags = col.editFlags;
    if (mode == 0) {
        col.editMode = col.editFlags = col.maxEntries = col.separator = 0;
        col.editList = nullptr;
        col.editData = -1;
    } else {
        if ((mode == TVAE_CHECK || mode == TVAE_CHECKED) && column == 0) return 0;
        col.editMode = static_cast<uint8_t>(mode);
        col.editFlags = static_cast<uint8_t>(wParam & 0x7F);
        col.separator = static_cast<uint8_t>((wParam >> 16) & 0xFF);
        col.maxEntries = static_cast<uint8_t>((wParam >> 24) & 0xFF);
        col.editList = reinterpret_cast<const void*>(list);
        col.editData = -1;
        if (mode >= TVAE_CHECK && !data->cellList) {
            MakeCheckBoxImages(data, 1);
            ComputeRowHeight(data);
        }
    }
    if (((oldFlags ^ col.editFlags) & TVAE_STATEENABLE) || oldMode / 2 != mode / 2) {
        if (mode >= 6 || oldMode >= 6) RepaintColumn(data, column);
    }
    return 1;
}

HWND StartEditor(TreeTableData* data, unsigned item, UINT argument) {
    const unsigned column = argument & 0x1FFFFFFF;
    const int kind = static_cast<int>((argument >> 29) & 3);
    const bool wholeCell = (argument & 0x80000000u) != 0;
    if (column >= std::max(data->columnCount, 1u) || !ItemOf(data, item)) return nullptr;
    if (item != data->caretItem || column != data->caretColumn)
        SelectItem(data, item, (data->exStyle & TLS_EX_SUBSELECT) ? column : 0, TVC_UNKNOWN);
    EnsureVisible(data, item, static_cast<int>(column));
    if (!ItemOf(data, item)) return nullptr;
    if (data->editor) {
        HWND old = data->editor;
        data->editor = nullptr;
        DestroyWindow(old);
    }
    static const wchar_t* const kClasses[] = {WC_EDITW, WC_COMBOBOXW, WC_COMBOBOXW};
    static const DWORD kStyles[] = {WS_CHILD | WS_BORDER | ES_AUTOHSCROLL,
                                    WS_CHILD | WS_BORDER | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
                                    WS_CHILD | WS_BORDER | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | WS_VSCROLL};
    const int k = std::min(kind, 2);
    HWND editor = CreateWindowExW(0, kClasses[k], nullptr, kStyles[k], 0, 0, 0, 0, data->window, nullptr,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(data->window, GWLP_HINSTANCE)), nullptr);
    if (!editor) return nullptr;
    data->editor = editor;
    data->editorKind = k;
    if (SetWindowThemeFn setTheme = BoundSetWindowTheme()) setTheme(editor, L"", L"");
    Subclass(editor);
    EnumChildWindows(editor, SubclassChild, 0);
    SetWindowLongPtrW(editor, GWLP_ID, kEditorId);
    data->editFromCallback = 0;
    if (k > 0) SendMessageW(editor, CB_RESETCONTENT, 0, 0);

    TreeTableItem* it = data->items[item];
    HFONT normal = data->font ? data->font : data->measuredFont;
    HFONT font = normal;
    RECT rect{};
    std::wstring text;
    int width;
    const wchar_t* callbackText = nullptr;
    int callbackLength = 0;
    if (column > 0) {
        const TreeTableColumn& col = data->columns[column];
        const WPARAM flags = 0x80 | (static_cast<WPARAM>(column) << 24) | (wholeCell ? 0 : 1);
        ItemRect(data, item, flags, &rect);
        if (wholeCell && (col.editMode == TVAE_CHECK || col.editMode == TVAE_CHECKED))
            rect.left = std::min(rect.left + CheckBoxWidth(data), rect.right - 1);
        TreeTableSubItem* cell = CellOf(data, item, column);
        if (cell) {
            if (cell->text) text.assign(cell->text, cell->textLength);
            width = cell->textWidth + 10;
            if (cell->state & TVIS_BOLD) font = data->boldFont;
            if (cell->callback & kCallText) {
                if (!AskDisplayInfo(data, item, column, kCallText, data->textBuffer, &callbackText, &callbackLength, nullptr))
                    return nullptr;
                text.assign(callbackText, static_cast<size_t>(callbackLength));
                width = MeasureWidth(data->window, font, text.c_str(), static_cast<int>(text.size()));
                data->editFromCallback = 1;
            }
            if (wholeCell && cell->image != -2) rect.left += data->imageWidth + 1;
        } else {
            width = rect.right - rect.left + 10;
        }
        if (wholeCell) {
            width = rect.right - rect.left - 2;
        } else {
            width += static_cast<int>(text.size());
            if (col.align == 1) rect.left += (rect.right - rect.left - width) / 2;
            else if (col.align == 2) rect.left = rect.right - width;
        }
    } else {
        ItemRect(data, item, 1, &rect);
        if (it->text) text.assign(it->text, it->textLength);
        width = it->textWidth + 10;
        if (it->state & TVIS_BOLD) font = data->boldFont;
        if (it->callback & kCallText) {
            if (!AskDisplayInfo(data, item, 0, kCallText, data->textBuffer, &callbackText, &callbackLength, nullptr))
                return nullptr;
            text.assign(callbackText, static_cast<size_t>(callbackLength));
            width = MeasureWidth(data->window, font, text.c_str(), static_cast<int>(text.size())) + 10;
            data->editFromCallback = 1;
        }
        if (wholeCell) {
            if (it->image != -2) rect.right = data->edges[1] - data->scrollX;
            width = rect.right - rect.left - 2;
        } else {
            width += static_cast<int>(text.size());
        }
    }

    NMTVDISPINFOW begin{};
    begin.item.mask = 0x801D;
    begin.item.hItem = HandleOfItem(item);
    begin.item.state = data->items[item]->state;
    begin.item.lParam = data->items[item]->lParam;
    begin.item.pszText = text.data();
    begin.item.cchTextMax = static_cast<int>(text.size());
    begin.item.cChildren = static_cast<int>(column);
    data->editItem = item;
    data->editColumn = column;
    if (TreeTableNotify(data, &begin.hdr, TVN_BEGINLABELEDITW)) {
        TreeTableEndEdit(data, 0);
        return nullptr;
    }
    data->editItem = 0;
    if (!ItemOf(data, item) || data->editor != editor) return nullptr;
    HideToolTip(data);
    width = std::max(width, 32);
    UnlockTree(data);
    SetFocus(editor);
    LockTree(data);
    if (!IsWindow(editor) || data->editor != editor) return nullptr;
    const int height = k > 0 ? 260 : data->textHeight + 4;
    SetWindowPos(editor, HWND_TOP, rect.left + 2, rect.top + 1 - (k > 0 ? 1 : 0), width, height, SWP_SHOWWINDOW);
    SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const uint8_t changed = data->editChanged;
    SetWindowTextW(editor, text.c_str());
    data->editChanged = changed;
    if (k == 0) SendMessageW(editor, EM_SETSEL, 0, static_cast<LPARAM>(text.size()));
    else if (k == 1) SendMessageW(editor, CB_SETEDITSEL, 0xFF0000, static_cast<LPARAM>(text.size()));
    RedrawWindow(editor, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
    data->editItem = item;
    data->editColumn = column;
    return editor;
}

void TreeTableStartEdit(TreeTableData* data, unsigned column, UINT code, POINT point) {
    if (data->editItem || column >= data->columnCount || !(data->style & TVS_EDITLABELS)) return;
    const TreeTableColumn& col = data->columns[column];
    const int mode = col.editMode;
    if (mode == 0) return;
    if (col.editFlags & TVAE_STATEENABLE) {
        const TreeTableItem* it = ItemOf(data, data->caretItem);
        if (!it) return;
        const UINT state = column == 0 ? it->state : (CellOf(data, data->caretItem, column) ? CellOf(data, data->caretItem, column)->state : 0);
        if (state & 0x8000) return;
    }
    const bool typed = code != VK_RETURN && code != TLEDIT_DOUBLECLICK && code != TLEDIT_ICONCLICK;
    if (typed) {
        if ((mode != 1 && mode != 2 && mode != 5 && mode != 7) || (col.editFlags & TVAE_ONLYRETURN) || code < 0x30)
            return;
        data->editChanged = 1;
    } else {
        data->editChanged = 0;
    }
    if (!ItemOf(data, data->caretItem)) return;
    int editorMode = mode;
    if (mode >= TVAE_STEP) {
        if ((mode == TVAE_STEPED || mode == TVAE_CHECKED) && code != TLEDIT_ICONCLICK) {
            editorMode = TVAE_EDIT;
        } else {
            CycleCell(data, column, mode, point);
            return;
        }
    }
    UINT argument = column | (static_cast<UINT>(editorMode - 1) << 29);
    if (col.editFlags & TVAE_FULLWIDTH) argument |= 0x80000000u;
    HWND editor = StartEditor(data, data->caretItem, argument);
    if (!editor) return;
    if (editorMode == TVAE_COMBO || editorMode == TVAE_CBLIST) FillCombo(data, column, editorMode);
    if (typed) {
        UnlockTree(data);
        SendMessageW(editor, WM_CHAR, code, 0);
        LockTree(data);
    }
}

int TreeTableEndEdit(TreeTableData* data, int how) {
    const unsigned item = data->editItem, column = data->editColumn;
    const bool fromCallback = data->editFromCallback != 0;
    data->editItem = 0;
    data->editColumn = 0;
    data->editFromCallback = 0;
    TreeTableItem* it = ItemOf(data, item);
    if (!it || (column != 0 && column >= data->columnCount)) return 0;
    wchar_t text[kTextBuffer] = {};
    NMTVDISPINFOW nm{};
    FillNotifyItem(data, &nm.item, item, column);
    nm.item.mask = 0x801C;
    if (how != 0) {
        GetWindowTextW(data->editor, text, kTextBuffer);
        nm.item.mask = 0x801D;
        nm.item.pszText = text;
        nm.item.cchTextMax = kTextBuffer - 1;
    }
    if (data->editChanged) nm.item.mask |= 0x20000000;
    if (how == 2) nm.item.mask |= 0x10000000;
    HWND editor = data->editor;
    const int comboSelection = data->editorKind > 0 ? static_cast<int>(SendMessageW(editor, CB_GETCURSEL, 0, 0)) : -1;
    UnlockTree(data);
    ShowWindow(editor, SW_HIDE);
    LockTree(data);
    const LRESULT answer = TreeTableNotify(data, &nm.hdr, TVN_ENDLABELEDITW);
    if (how == 0 || answer != 0) return 0;
    if (!ItemOf(data, item) || (column != 0 && column >= data->columnCount)) return 0;
    if (fromCallback) {
        NMTVDISPINFOW set{};
        set.item.mask = 0x801D;
        set.item.stateMask = 0xFFFFFF1D;
        set.item.hItem = HandleOfItem(item);
        set.item.cChildren = static_cast<int>(column);
        set.item.pszText = text;
        set.item.cchTextMax = kTextBuffer - 1;
        TreeTableNotify(data, &set.hdr, TVN_SETDISPINFOW);
        return 1;
    }
    const TreeTableColumn col = data->columns[column];
    const std::wstring value = text;
    int image = -3;
    if (col.editData >= 0 && col.editMode) {
        int index = (col.editMode == TVAE_COMBO || col.editMode == TVAE_CBLIST) ? comboSelection : -1;
        if (index < 0) {
            const std::vector<std::wstring> entries = ListEntries(col);
            for (size_t i = 0; i < entries.size(); ++i) {
                const bool match = (col.editFlags & TVAE_PTRLIST) ? entries[i] == value
                                                                  : value.compare(0, entries[i].size(), entries[i]) == 0;
                if (!match) continue;
                index = static_cast<int>(i);
                if (!(col.editFlags & TVAE_PTRLIST)) break;
            }
        }
        image = col.editData + index;
    }
    if (!(col.editFlags & TVAE_NEXTLINE) || how != 2 || col.editMode == 0 || col.editMode == TVAE_STEP) {
        SetCellValue(data, item, column, &value, nullptr, image);
        return 1;
    }
    if (!data->editChanged && ReadCell(data, item, column).text == value) return 1;
    SetCellValue(data, item, column, &value, nullptr, image);
    const TreeTableItem* after = ItemOf(data, item);
    if (after && after->row && after->row < data->rowCount)
        SelectItem(data, data->rows[after->row], data->caretColumn, TVC_BYKEYBOARD | 0x8000);
    return 1;
}

void OnEditorCommand(TreeTableData* data, UINT code) {
    switch (code) {
    case EN_CHANGE:
    case CBN_EDITCHANGE:
    case CBN_SELCHANGE:
    case kEditorTextSet: data->editChanged = 1; return;
    case EN_KILLFOCUS:
    case CBN_KILLFOCUS:
    case kEditorReturn:
    case kEditorEscape: break;
    default: return;
    }
    if (!data->editItem) return;
    LockTree(data);
    if (data->editItem) TreeTableEndEdit(data, code == kEditorEscape ? 0 : code == kEditorReturn ? 2 : 1);
    const bool combo = data->editorKind > 0;
    HWND tree = data->window;
    UnlockTree(data);
    if (combo && code != EN_KILLFOCUS) SetFocus(tree);
}
