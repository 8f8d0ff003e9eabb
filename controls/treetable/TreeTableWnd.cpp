// The "TreeTable" window class: registration, the lock, creation and destruction, and the window
// procedure, which hands each message to a small handler. The item operations, painting, columns,
// input and editing live in their own files (TreeTableData.h lists them).
#include "TreeTableData.h"

#include <algorithm>
#include <cstdlib>

namespace {

LONG g_registered;

template <class F>
LRESULT Locked(TreeTableData* data, F work) {
    LockTree(data);
    const LRESULT result = work();
    UnlockTree(data);
    return result;
}

unsigned ItemArg(LPARAM value) { return ItemFromHandle(static_cast<ULONG_PTR>(value)); }

void ImageSize(HIMAGELIST list, int* width, int* height) {
    *width = *height = 0;
    if (!list) return;
    IMAGEINFO info{};
    if (ImageList_GetImageInfo(list, 0, &info)) {
        *width = info.rcImage.right - info.rcImage.left;
        *height = info.rcImage.bottom - info.rcImage.top;
    } else {
        ImageList_GetIconSize(list, width, height);
    }
}

// --- life cycle ---

LRESULT OnCreate(HWND hwnd, const CREATESTRUCTW* cs) {
    auto data = static_cast<TreeTableData*>(std::calloc(1, sizeof(TreeTableData)));
    if (!data) return -1;
    data->items = static_cast<TreeTableItem**>(std::calloc(1, sizeof(TreeTableItem*)));
    data->rows = static_cast<unsigned*>(std::calloc(1, sizeof(unsigned)));
    if (!data->items || !data->rows) {
        std::free(data->items);
        std::free(data->rows);
        std::free(data);
        return -1;
    }
    InitializeCriticalSection(&data->lock);
    AcquireSharedResources();
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(data));
    data->indent = 19;
    data->buttonCentre = 7;
    data->style = static_cast<DWORD>(cs->style);
    data->window = hwnd;
    data->enabled = IsWindowEnabled(hwnd) ? 1 : 0;
    data->linesAtRoot = (data->style & (TVS_HASBUTTONS | TVS_HASLINES)) && (data->style & TVS_LINESATROOT);
    data->edges[1] = 1;
    LockTree(data);
    if (!(data->style & TVS_NOTOOLTIPS)) CreateToolTip(data);
    SetFonts(data);
    ResetColours(data);
    if (data->style & TVS_CHECKBOXES) MakeCheckBoxImages(data, 0);
    ComputeRowHeight(data);
    data->vRange = data->vPage = data->hRange = data->hPage = 0xFFFF;
    UpdateVScroll(data);
    UnlockTree(data);
    return 0;
}

void OnDestroy(TreeTableData* data) {
    LockTree(data);
    DeleteItem(data, kRootItem, false);
    if (data->editor) DestroyWindow(data->editor);
    data->editor = nullptr;
    if (data->header) DestroyWindow(data->header);
    if (data->tooltip) DestroyWindow(data->tooltip);
    ForgetImages(data);
    HIMAGELIST lists[] = {data->stateList, data->cellList, data->normalList,
                          data->headerListOwn ? data->headerList : nullptr};
    for (size_t i = 0; i < 4; ++i) {
        if (!lists[i]) continue;
        if (std::find(lists, lists + i, lists[i]) != lists + i) continue;
        ImageList_Destroy(lists[i]);
    }
    for (unsigned c = 1; c < kMaxColumns; ++c) {
        if (!data->cells[c]) continue;
        for (unsigned i = 0; i <= data->capacity; ++i)
            if (TreeTableSubItem* cell = data->cells[c][i]) std::free(cell->text), std::free(cell);
        std::free(data->cells[c]);
    }
    std::free(data->items);
    std::free(data->rows);
    SetWindowLongPtrW(data->window, 0, 0);
    // Emptied, not freed: the window procedure frees it once no message of this window is left on
    // the stack. The window handle stays so that late calls act on a dead window, never on another.
    const CRITICAL_SECTION lock = data->lock;
    const HWND window = data->window;
    const unsigned active = data->activeMessages;
    *data = TreeTableData{};
    data->lock = lock;
    data->window = window;
    data->activeMessages = active;
    data->destroyed = 1;
    UnlockTree(data);
}

void FreeRecord(TreeTableData* data) {
    DeleteCriticalSection(&data->lock);
    std::free(data);
    ReleaseSharedResources();
}

// --- window messages ---

void OnSize(TreeTableData* data, LPARAM lParam) {
    const unsigned width = LOWORD(lParam), height = HIWORD(lParam);
    if (width && width != data->clientWidth) {
        const unsigned old = data->clientWidth;
        data->clientWidth = width;
        if (data->weightedCount) ShareWidthChange(data, static_cast<int>(width) - static_cast<int>(old));
        const int changed = ComputeEdges(data);
        if (changed != 0x10000) RepaintFrom(data, changed - data->scrollX);
        if (width > old) {
            RECT strip{static_cast<LONG>(old), 0, static_cast<LONG>(width), static_cast<LONG>(data->clientHeight)};
            InvalidateRect(data->window, &strip, FALSE);
        }
        data->edges[data->columnCount + 1] = static_cast<int>(width) + 1;
        MoveHeader(data);
        UpdateHScroll(data);
    }
    if (height && height != data->clientHeight) {
        if (height > data->clientHeight) {
            RECT strip{0, static_cast<LONG>(data->clientHeight), static_cast<LONG>(data->clientWidth),
                       static_cast<LONG>(height)};
            InvalidateRect(data->window, &strip, FALSE);
        }
        data->clientHeight = height;
        ComputePageRows(data);
        // The first row was kept for the old height: a taller window scrolled to the end would show
        // blank rows under the last one while rows above it stay out of view.
        ScrollToRow(data, ClampFirstRow(data, data->firstRow));
        UpdateVScroll(data);
    }
}

void RepaintCaret(TreeTableData* data) {
    if (data->selectedCount >= 2) InvalidateRect(data->window, nullptr, FALSE);
    else if (data->exStyle & TLS_EX_FULLROWMARK) RepaintItem(data, data->caretItem);
    else RepaintCell(data, data->caretItem, data->caretColumn);
}

void OnFocus(TreeTableData* data, bool gained) {
    LockTree(data);
    if (data->focused == (gained ? 1 : 0)) {
        UnlockTree(data);
        return;
    }
    data->focused = gained ? 1 : 0;
    RepaintCaret(data);
    NMHDR header{};
    TreeTableNotify(data, &header, gained ? NM_SETFOCUS : NM_KILLFOCUS);
    UnlockTree(data);
}

long PageStep(const TreeTableData* data) { return std::max(static_cast<long>(data->pageRows) - 1, 1L); }

void OnVScroll(TreeTableData* data, WPARAM wParam) {
    long first = data->firstRow;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: --first; break;
    case SB_LINEDOWN: ++first; break;
    case SB_PAGEUP: first -= PageStep(data); break;
    case SB_PAGEDOWN: first += PageStep(data); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: first = HIWORD(wParam); break;
    case SB_TOP: first = 0; break;
    case SB_BOTTOM: first = static_cast<long>(data->rowCount); break;
    default: return;
    }
    ScrollToRow(data, ClampFirstRow(data, first));
}

long HorizontalMaximum(const TreeTableData* data) {
    const long half = static_cast<long>(data->clientWidth) / 2;
    return data->columnCount ? data->edges[data->columnCount] - 2 * half : data->widestRow - half;
}

void OnHScroll(TreeTableData* data, WPARAM wParam) {
    long x = data->scrollX;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: x -= 16; break;
    case SB_LINERIGHT: x += 16; break;
    case SB_PAGELEFT: x -= static_cast<long>(data->clientWidth); break;
    case SB_PAGERIGHT: x += static_cast<long>(data->clientWidth); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: x = HIWORD(wParam); break;
    default: return;
    }
    ScrollToX(data, std::max(std::min(x, HorizontalMaximum(data)), 0L));
}

LRESULT OnWheel(TreeTableData* data, WPARAM wParam) {
    if ((wParam & 0x1F) || data->editItem) return 0;
    if (data->style & TVS_NOSCROLL) return 0;
    const int before = data->firstRow;
    ScrollToRow(data, ClampFirstRow(data, data->firstRow - static_cast<short>(HIWORD(wParam)) / 60));
    return before != data->firstRow ? 1 : 0;
}

void OnStyleChanged(TreeTableData* data, const STYLESTRUCT* styles) {
    const DWORD changed = data->style ^ styles->styleNew;
    data->style = styles->styleNew;
    if (changed & 0x4100) {
        if (!(data->style & TVS_CHECKBOXES) && data->stateList && data->stateListOwn) {
            ForgetImages(data);
            ImageList_Destroy(data->stateList);
            data->stateList = nullptr;
            data->stateListOwn = 0;
            data->stateWidth = data->stateHeight = 0;
        } else if ((data->style & TVS_CHECKBOXES) && !data->stateList) {
            MakeCheckBoxImages(data, 0);
        }
        ComputeRowHeight(data);
        ComputePageRows(data);
        UpdateVScroll(data);
    }
    if (changed & 0x347) {
        data->linesAtRoot = (data->style & (TVS_HASBUTTONS | TVS_HASLINES)) && (data->style & TVS_LINESATROOT);
        InvalidateRect(data->window, nullptr, FALSE);
    }
    if (changed & TVS_NOSCROLL) {
        data->vRange = data->hRange = 0xFFFF;
        UpdateVScroll(data);
        UpdateHScroll(data);
    }
    if (changed & TVS_NOTOOLTIPS) {
        // Setting the style hides the tip; clearing it makes one.
        if (data->style & TVS_NOTOOLTIPS) HideToolTip(data);
        else CreateToolTip(data);
    }
}

void OnShowWindow(TreeTableData* data) {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    HWND hwnd = data->window;
    UnlockTree(data);
    SetScrollInfo(hwnd, SB_VERT, &si, FALSE);
    SetScrollInfo(hwnd, SB_HORZ, &si, FALSE);
    LockTree(data);
    data->vRange = data->hRange = 0xFFFF;
    UpdateVScroll(data);
    UpdateHScroll(data);
}

LRESULT OnNotify(TreeTableData* data, NMHDR* header) {
    if (!header) return 0;
    if (header->hwndFrom == data->header && data->header)
        return Locked(data, [&] { return OnHeaderNotify(data, reinterpret_cast<NMHEADERW*>(header)); });
    if (header->code == TTN_GETDISPINFOW) {
        auto info = reinterpret_cast<NMTTDISPINFOW*>(header);
        info->lpszText = data->tipText;
        SendMessageW(header->hwndFrom, WM_SETFONT, reinterpret_cast<WPARAM>(data->tipFont), 0);
    }
    return 0;
}

// --- tree-view messages ---

// Replaces a list the control may have made itself (the check boxes): one it made is destroyed
// and not handed back.
HIMAGELIST ReplaceOwnList(HIMAGELIST* slot, int* own, int* width, int* height, HIMAGELIST list) {
    HIMAGELIST previous = *slot;
    if (*own && *slot && *slot != list) {
        ImageList_Destroy(*slot);
        previous = nullptr;
    }
    *slot = list;
    *own = 0;
    ImageSize(list, width, height);
    return previous;
}

LRESULT SetImageList(TreeTableData* data, WPARAM kind, HIMAGELIST list) {
    ForgetImages(data);
    HIMAGELIST previous;
    switch (kind) {
    case TVSIL_NORMAL:
        previous = data->normalList;
        data->normalList = list;
        ImageSize(list, &data->imageWidth, &data->imageHeight);
        if (data->header) SendMessageW(data->header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
        if (!data->headerListOwn) {
            data->headerList = list;
            data->headerImageWidth = data->imageWidth;
            data->headerImageHeight = data->imageHeight;
        }
        break;
    case TVSIL_STATE:
        previous = ReplaceOwnList(&data->stateList, &data->stateListOwn, &data->stateWidth, &data->stateHeight, list);
        if (!list && (data->style & TVS_CHECKBOXES)) MakeCheckBoxImages(data, 0);
        break;
    case 3: {
        previous = ReplaceOwnList(&data->cellList, &data->cellListOwn, &data->cellWidth, &data->cellHeight, list);
        bool checkColumns = false;
        for (unsigned c = 0; c < data->columnCount; ++c) checkColumns |= data->columns[c].editMode > 2;
        if (!list && checkColumns) MakeCheckBoxImages(data, 1);
        break;
    }
    case 4:
        previous = data->headerListOwn ? data->headerList : nullptr;
        if (data->headerListOwn && data->headerList && data->headerList != list) {
            ImageList_Destroy(data->headerList);
            previous = nullptr;
        }
        if (!list || list == data->normalList) {
            data->headerListOwn = 0;
            data->headerList = data->normalList;
            data->headerImageWidth = data->imageWidth;
            data->headerImageHeight = data->imageHeight;
        } else {
            data->headerListOwn = 1;
            data->headerList = list;
            ImageSize(list, &data->headerImageWidth, &data->headerImageHeight);
        }
        if (data->header)
            SendMessageW(data->header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(data->headerList));
        break;
    default: return 0;
    }
    if (!data->heightSet) {
        ComputeRowHeight(data);
        ComputePageRows(data);
        UpdateVScroll(data);
    }
    InvalidateRect(data->window, nullptr, FALSE);
    return reinterpret_cast<LRESULT>(previous);
}

LRESULT GetImageList(const TreeTableData* data, WPARAM kind) {
    switch (kind) {
    case TVSIL_NORMAL: return reinterpret_cast<LRESULT>(data->normalList);
    case TVSIL_STATE: return reinterpret_cast<LRESULT>(data->stateList);
    case 3: return reinterpret_cast<LRESULT>(data->cellList);
    default: return 0;
    }
}

LRESULT SetItemHeight(TreeTableData* data, WPARAM wParam) {
    const int previous = data->rowHeight;
    int height = static_cast<int>(static_cast<INT_PTR>(wParam));
    if (height == -1) {
        data->heightSet = 0;
        data->rowHeight = 0;
        ComputeRowHeight(data);
        ComputePageRows(data);
        UpdateVScroll(data);
        return previous;
    }
    if ((height & 1) && !(data->exStyle & TLS_EX_ODDHEIGHT)) --height;
    height = std::clamp(height, 1, 256);
    if (height != previous) {
        data->heightSet = 1;
        data->rowHeight = height;
        ComputePageRows(data);
        UpdateVScroll(data);
        InvalidateRect(data->window, nullptr, FALSE);
    }
    return previous;
}

LRESULT SetColour(TreeTableData* data, WPARAM slot, LPARAM colour) {
    if (slot >= kColourSlots) return -1;
    const LRESULT previous = data->colours[slot];
    if (colour == -1 || static_cast<COLORREF>(colour) == CLR_DEFAULT) {
        if (data->colourSet[slot]) {
            data->colourSet[slot] = 0;
            ResetColours(data);
            InvalidateRect(data->window, nullptr, FALSE);
        }
        return previous;
    }
    data->colourSet[slot] = 1;
    if (data->colours[slot] != static_cast<COLORREF>(colour)) {
        data->colours[slot] = static_cast<COLORREF>(colour);
        InvalidateRect(data->window, nullptr, FALSE);
    }
    return previous;
}

LRESULT SetExtendedStyle(TreeTableData* data, WPARAM mask, LPARAM bits) {
    const DWORD m = mask ? static_cast<DWORD>(mask) : ~0u;
    const DWORD old = data->exStyle, next = (static_cast<DWORD>(bits) & m) | (old & ~m);
    if (next == old) return next;
    data->exStyle = next;
    const DWORD changed = old ^ next;
    if (changed & TLS_EX_NOHSCROLL) {
        data->hRange = 0xFFFF;
        UpdateHScroll(data);
    }
    if (changed & TLS_EX_GRIDLINES) {
        ComputeRowHeight(data);
        ComputePageRows(data);
        UpdateVScroll(data);
    }
    if (changed & 0xE0002) InvalidateRect(data->window, nullptr, FALSE);
    if ((changed & TLS_EX_SUBSELECT) && !(next & TLS_EX_SUBSELECT) && data->caretItem)
        SelectItem(data, data->caretItem, 0, TVC_UNKNOWN);
    if ((changed & TLS_EX_HIDEHEADERS) && data->header) {
        data->headerHeight = (next & TLS_EX_HIDEHEADERS) ? 0 : GetSystemMetrics(SM_CYHSCROLL);
        MoveHeader(data);
        ComputePageRows(data);
        UpdateVScroll(data);
        InvalidateRect(data->window, nullptr, FALSE);
    }
    return next;
}

LRESULT SelectByCode(TreeTableData* data, WPARAM code, unsigned item) {
    switch (code) {
    case TVGN_CARET: return SelectItem(data, item, 0, TVC_UNKNOWN) ? 1 : 0;
    case TVGN_DROPHILITE: return SetDropHilite(data, item, 0);
    case TVGN_FIRSTVISIBLE: EnsureVisible(data, item, -2); return 0;
    default: return 0;
    }
}

LRESULT GetItemRectMessage(TreeTableData* data, WPARAM flags, RECT* rect) {
    if (!rect) return 0;
    const unsigned item = ItemFromHandle(*reinterpret_cast<ULONG_PTR*>(rect));
    return ItemRect(data, item, flags, rect) ? 1 : 0;
}

LRESULT HitTestMessage(TreeTableData* data, TVHITTESTINFO* info) {
    if (!info) return 0;
    UINT flags = 0;
    const unsigned item = HitTest(data, info->pt, &flags);
    info->flags = flags;
    info->hItem = item ? HandleOfItem(item) : nullptr;
    return static_cast<LRESULT>(item);
}

LRESULT SetUserDataSize(TreeTableData* data, LPARAM bytes) {
    if (bytes < 0 || bytes > 0x1000000) return -1;
    if (data->itemCount) return 0;
    data->userDataSize = static_cast<unsigned>(bytes);
    return bytes;
}

LRESULT GetUserData(const TreeTableData* data, unsigned item) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it || !data->userDataSize) return 0;
    return reinterpret_cast<LRESULT>(it + 1);
}

LRESULT SetColumnEditData(TreeTableData* data, unsigned column, LPARAM value) {
    if (column >= data->columnCount || !data->columns[column].editMode) return 0;
    data->columns[column].editData = static_cast<int>(value);
    return 1;
}

LRESULT ColumnWidthFromHeader(const TreeTableData* data, unsigned column) {
    if (!data->header) return 0;
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    SendMessageW(data->header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.cxy;
}

LRESULT ColumnWidthToHeader(const TreeTableData* data, unsigned column, LPARAM width) {
    if (!data->header) return 0;
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = static_cast<int>(width);
    return SendMessageW(data->header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
}

LRESULT EditLabel(TreeTableData* data, WPARAM argument, unsigned item) {
    if (!(data->style & TVS_EDITLABELS)) return 0;
    // An open edit ends with its own text first: otherwise destroying its editor for the new one
    // would store the new editor's empty text in the cell being edited.
    if (data->editItem) TreeTableEndEdit(data, 1);
    data->editChanged = 0;
    return reinterpret_cast<LRESULT>(StartEditor(data, item, static_cast<UINT>(argument)));
}

LRESULT SetToolTips(TreeTableData* data, HWND tip) {
    HWND previous = data->tooltip;
    data->tooltip = tip;
    return reinterpret_cast<LRESULT>(previous);
}

LRESULT DeleteItemMessage(TreeTableData* data, unsigned item) { return DeleteItem(data, item, true); }

LRESULT SortMessage(TreeTableData* data, UINT message, WPARAM recurse, LPARAM lParam) {
    if (message == TVM_SORTCHILDREN) return SortChildren(data, ItemArg(lParam), recurse != 0, 0, nullptr);
    if (!lParam) return 0;
    if (message == TVM_SORTCHILDRENCB) {
        auto record = reinterpret_cast<const TVSORTCB*>(lParam);
        return SortChildren(data, ItemArg(reinterpret_cast<LPARAM>(record->hParent)), recurse != 0, 1, record);
    }
    auto record = reinterpret_cast<const TLSORTCB*>(lParam);
    return SortChildren(data, ItemArg(reinterpret_cast<LPARAM>(record->hParent)), recurse != 0, 2, record);
}

void OnEnable(TreeTableData* data, bool enabled) {
    if (data->enabled == (enabled ? 1 : 0)) return;
    data->enabled = enabled ? 1 : 0;
    InvalidateRect(data->window, nullptr, FALSE);
    if (!enabled) HideToolTip(data);
}

void OnSysColorChange(TreeTableData* data, WPARAM wParam, LPARAM lParam) {
    if (data->header) SendMessageW(data->header, WM_SYSCOLORCHANGE, wParam, lParam);
    ResetColours(data);
    ForgetImages(data);
    InvalidateRect(data->window, nullptr, FALSE);
}

void OnSetFont(TreeTableData* data, HFONT font) {
    data->font = font;
    if (!SetFonts(data)) return;
    ComputeRowHeight(data);
    InvalidateRect(data->window, nullptr, FALSE);
}

LRESULT DialogCode(const MSG* msg) {
    return msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN ? DLGC_WANTALLKEYS
                                                                          : DLGC_WANTARROWS | DLGC_WANTCHARS;
}

// Once per repeat; stops when a handler destroyed the window meanwhile.
void OnChar(TreeTableData* data, wchar_t character, LPARAM lParam) {
    HWND hwnd = data->window;
    for (unsigned n = std::max(1u, static_cast<unsigned>(LOWORD(lParam))); n > 0 && TreeOf(hwnd) == data; --n)
        TreeTableChar(data, character, lParam);
}

LRESULT SetIndent(TreeTableData* data, WPARAM wParam) {
    const int previous = data->indent;
    const int indent = std::clamp(static_cast<int>(static_cast<INT_PTR>(wParam)), 5, 64);
    if (indent == previous) return previous;
    LockTree(data);
    data->indent = indent;
    InvalidateRect(data->window, nullptr, FALSE);
    UnlockTree(data);
    return previous;
}

LRESULT ItemResult(unsigned item) { return reinterpret_cast<LRESULT>(item ? HandleOfItem(item) : nullptr); }

LRESULT GetNextItem(TreeTableData* data, WPARAM wParam, unsigned item) {
    const unsigned code = static_cast<unsigned>(wParam & 0xFF);
    const unsigned found = NextItem(data, item, code);
    // The column codes answer a column number, not an item.
    if (code == TLGN_DROPHILITECOLUMN || code == TLGN_CARETCOLUMN || code == TLGN_FOCUSCOLUMN)
        return static_cast<LRESULT>(found);
    return ItemResult(found);
}

LRESULT ItemState(const TreeTableData* data, unsigned item) {
    const TreeTableItem* it = ItemOf(data, item);
    return it ? static_cast<LRESULT>(it->state) : 0;
}

LRESULT SelectColumn(TreeTableData* data, WPARAM column, unsigned item) {
    const unsigned chosen = (data->exStyle & TLS_EX_SUBSELECT) ? static_cast<unsigned>(column) : 0;
    return SelectItem(data, item, chosen, TVC_UNKNOWN) ? 1 : 0;
}

LRESULT OnButtonUp(TreeTableData* data, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RBUTTONUP) {
        data->dragButtons &= ~2;
        return DefWindowProcW(data->window, message, wParam, lParam);
    }
    data->dragButtons &= ~1;
    if (data->clickPending) {
        LockTree(data);
        data->clickPending = 0;
        TreeTableMouseProc(data, WM_LBUTTONDOWN, wParam & ~(MK_CONTROL | MK_SHIFT),
                           POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, true);
    }
    return 0;
}

}  // namespace

// --- lock ---

void LockTree(TreeTableData* data) { EnterCriticalSection(&data->lock); }

void UnlockTree(TreeTableData* data) { LeaveCriticalSection(&data->lock); }

TreeTableData* TreeOf(HWND hwnd) { return reinterpret_cast<TreeTableData*>(GetWindowLongPtrW(hwnd, 0)); }

int RegisterTreeTableClass(HINSTANCE instance) {
    if (g_registered) return 1;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TreeTableWndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kTreeTableClassName;
    if (!RegisterClassExW(&wc)) {
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;
    }
    InterlockedExchange(&g_registered, 1);
    return 1;
}

namespace {

// The region, not just its bounds, that a paint begun on `dc` may paint (a refresh asks for a few
// cells down one column), in client coordinates; null when it cannot be told. The paint's own
// device context holds it (the system region, in screen coordinates): asking the window server for
// the update region before the paint would be one more trip to it.
HRGN PaintRegion(HDC dc, const RECT& paint) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    POINT origin{};
    RECT bounds{};
    if (region && GetRandomRgn(dc, region, SYSRGN) == 1 && GetDCOrgEx(dc, &origin) &&
        OffsetRgn(region, -origin.x, -origin.y) != ERROR && GetRgnBox(region, &bounds) != ERROR) {
        // A region that does not lie within the paint's rectangle is not the paint's.
        RECT inside{};
        if (IntersectRect(&inside, &bounds, &paint) && EqualRect(&inside, &bounds)) return region;
    }
    if (region) DeleteObject(region);
    return nullptr;
}

LRESULT HandleMessage(TreeTableData* data, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (message == ChangedCellsMessage()) {
        InvalidateChangedCells(data);
        return 0;
    }
    switch (message) {
    case WM_DESTROY: OnDestroy(data); return 0;
    case WM_SIZE: return Locked(data, [&] { OnSize(data, lParam); return 0; });
    case WM_SETFOCUS: OnFocus(data, true); return 0;
    case WM_KILLFOCUS: OnFocus(data, false); return 0;
    case WM_ENABLE: return Locked(data, [&] { OnEnable(data, wParam != 0); return 0; });
    case WM_SETREDRAW:
        // Off: the cells that change wait without a message of their own; on: their repaint is
        // asked for now. (The system's handling would hide and show the window, each a trip to
        // the window server, and drop what was waiting to be painted.)
        Locked(data, [&] { data->redrawOff = wParam == 0; return 0; });
        if (wParam) InvalidateChangedCells(data);
        return 0;
    case WM_PAINT:
        if (wParam) {
            PaintTree(data, reinterpret_cast<HDC>(wParam), nullptr);
        } else {
            // Changed cells whose message has not come yet join this paint.
            InvalidateChangedCells(data);
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            HRGN update = PaintRegion(dc, ps.rcPaint);
            PaintTree(data, dc, &ps.rcPaint, update);
            EndPaint(hwnd, &ps);
            if (update) DeleteObject(update);
        }
        return 0;
    case WM_PRINTCLIENT: PaintTree(data, reinterpret_cast<HDC>(wParam), nullptr); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SYSCOLORCHANGE: return Locked(data, [&] { OnSysColorChange(data, wParam, lParam); return 0; });
    case WM_SHOWWINDOW:
        if (wParam) Locked(data, [&] { OnShowWindow(data); return 0; });
        return 0;
    case WM_SETFONT: return Locked(data, [&] { OnSetFont(data, reinterpret_cast<HFONT>(wParam)); return 0; });
    case WM_GETFONT: return reinterpret_cast<LRESULT>(data->font);
    case WM_NOTIFY: return OnNotify(data, reinterpret_cast<NMHDR*>(lParam));
    case WM_STYLECHANGED:
        if (wParam == static_cast<WPARAM>(GWL_STYLE))
            Locked(data, [&] { OnStyleChanged(data, reinterpret_cast<const STYLESTRUCT*>(lParam)); return 0; });
        return 0;
    case WM_GETDLGCODE: return DialogCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
        LockTree(data);
        TreeTableKeyDown(data, static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_KEYUP: DefWindowProcW(hwnd, message, wParam, lParam); return 1;
    case WM_CHAR: return Locked(data, [&] { OnChar(data, static_cast<wchar_t>(wParam), lParam); return 0; });
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditorId) OnEditorCommand(data, HIWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTipTimer) Locked(data, [&] { OnTipTimer(data); return 0; });
        return 0;
    case WM_VSCROLL:
        if (!data->editItem) Locked(data, [&] { OnVScroll(data, wParam); return 0; });
        return 0;
    case WM_HSCROLL:
        if (!data->editItem) Locked(data, [&] { OnHScroll(data, wParam); return 0; });
        return 0;
    case WM_MOUSEWHEEL: return Locked(data, [&] { return OnWheel(data, wParam); });
    case WM_MOUSEMOVE: return Locked(data, [&] { OnMouseMove(data, wParam, point); return 0; });
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        LockTree(data);
        TreeTableMouseProc(data, message, wParam, point);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: return OnButtonUp(data, message, wParam, lParam);
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
        if (data->editItem && data->editor) return PostMessageW(data->editor, message, wParam, lParam);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case 0x2006: return 1;

    case TVM_INSERTITEMW:
        return Locked(data, [&] { return InsertItem(data, reinterpret_cast<const TVINSERTSTRUCTW*>(lParam)); });
    case TVM_DELETEITEM: return Locked(data, [&] { return DeleteItemMessage(data, ItemArg(lParam)); });
    case TVM_EXPAND: return Locked(data, [&] { return ExpandItem(data, ItemArg(lParam), static_cast<UINT>(wParam)); });
    case TVM_GETITEMRECT:
        return Locked(data, [&] { return GetItemRectMessage(data, wParam, reinterpret_cast<RECT*>(lParam)); });
    case TVM_GETCOUNT: return data->itemCount;
    case TVM_GETINDENT: return data->indent;
    case TVM_SETINDENT: return SetIndent(data, wParam);
    case TVM_GETIMAGELIST: return GetImageList(data, wParam);
    case TVM_SETIMAGELIST:
        return Locked(data, [&] { return SetImageList(data, wParam, reinterpret_cast<HIMAGELIST>(lParam)); });
    case TVM_GETNEXTITEM: return Locked(data, [&] { return GetNextItem(data, wParam, ItemArg(lParam)); });
    case TVM_SELECTITEM: return Locked(data, [&] { return SelectByCode(data, wParam, ItemArg(lParam)); });
    case TVM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(data->editor);
    case TVM_GETVISIBLECOUNT: return data->pageRows;
    case TVM_HITTEST:
        return Locked(data, [&] { return HitTestMessage(data, reinterpret_cast<TVHITTESTINFO*>(lParam)); });
    case TVM_CREATEDRAGIMAGE:
        return Locked(data, [&] {
            return reinterpret_cast<LRESULT>(CreateDragImage(data, ItemArg(lParam), static_cast<unsigned>(wParam)));
        });
    case TVM_SORTCHILDREN:
    case TVM_SORTCHILDRENCB:
    case TLM_SORTCHILDRENBYITEM: return Locked(data, [&] { return SortMessage(data, message, wParam, lParam); });
    case TVM_ENSUREVISIBLE:
        return Locked(data, [&] { return EnsureVisible(data, ItemArg(lParam), static_cast<int>(wParam)); });
    case TVM_ENDEDITLABELNOW:
        return Locked(data, [&] { return data->editItem ? TreeTableEndEdit(data, wParam ? 0 : 1) : 0; });
    case TVM_SETTOOLTIPS: return SetToolTips(data, reinterpret_cast<HWND>(wParam));
    case TVM_GETTOOLTIPS: return reinterpret_cast<LRESULT>(data->tooltip);
    case TVM_SETINSERTMARK: return Locked(data, [&] { return SetInsertMark(data, ItemArg(lParam), wParam != 0); });
    case TVM_SETITEMHEIGHT: return Locked(data, [&] { return SetItemHeight(data, wParam); });
    case TVM_GETITEMHEIGHT: return data->rowHeight;
    case TVM_SETBKCOLOR: return Locked(data, [&] { return SetColour(data, wParam, lParam); });
    case TVM_SETTEXTCOLOR: return Locked(data, [&] { return SetColour(data, kColourText, lParam); });
    case TVM_SETLINECOLOR: return Locked(data, [&] { return SetColour(data, kColourSign, lParam); });
    case TVM_SETINSERTMARKCOLOR: return Locked(data, [&] { return SetColour(data, kColourInsertMark, lParam); });
    case TVM_GETBKCOLOR: return wParam < kColourSlots ? static_cast<LRESULT>(data->colours[wParam]) : -1;
    case TVM_GETTEXTCOLOR: return data->colours[kColourText];
    case TVM_GETLINECOLOR: return data->colours[kColourSign];
    case TVM_GETINSERTMARKCOLOR: return data->colours[kColourInsertMark];
    case TVM_GETITEMSTATE: return Locked(data, [&] { return ItemState(data, ItemArg(static_cast<LPARAM>(wParam))); });
    case TVM_SETEXTENDEDSTYLE: return Locked(data, [&] { return SetExtendedStyle(data, wParam, lParam); });
    case TVM_GETEXTENDEDSTYLE: return data->exStyle;
    case TVM_GETITEMW: return Locked(data, [&] { return GetItem(data, reinterpret_cast<TVITEMW*>(lParam)); });
    case TVM_SETITEMW: return Locked(data, [&] { return SetItem(data, reinterpret_cast<const TVITEMW*>(lParam)); });
    case TVM_GETISEARCHSTRINGW: return GetISearchString(reinterpret_cast<wchar_t*>(lParam));
    case TVM_EDITLABELW: return Locked(data, [&] { return EditLabel(data, wParam, ItemArg(lParam)); });

    case TLM_FINDITEM:
        return Locked(data, [&] {
            return ItemResult(FindItem(data, ItemArg(static_cast<LPARAM>(wParam)), reinterpret_cast<const TLFINDITEM*>(lParam)));
        });
    case TLM_GETLAYOUTVALUE: return data->rowsThatFit;
    case TLM_SETCOLUMNEDITDATA:
        return Locked(data, [&] { return SetColumnEditData(data, static_cast<unsigned>(wParam), lParam); });
    case TLM_SETCOLUMNEDITMODE: return Locked(data, [&] { return SetColumnEditMode(data, wParam, lParam); });
    case TLM_GETUSERDATA: return GetUserData(data, ItemArg(lParam));
    case TLM_GETUSERDATASIZE: return data->userDataSize;
    case TLM_SETUSERDATASIZE: return Locked(data, [&] { return SetUserDataSize(data, lParam); });
    case TLM_GETCOLUMNWIDTH: return ColumnWidthFromHeader(data, static_cast<unsigned>(wParam));
    case TLM_SETCOLUMNWIDTH: return ColumnWidthToHeader(data, static_cast<unsigned>(wParam), lParam);
    case TLM_GETCOLUMN: return GetColumn(data, static_cast<unsigned>(wParam), reinterpret_cast<LVCOLUMNW*>(lParam));
    case TLM_SETCOLUMN:
        return SetColumn(data, static_cast<unsigned>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
    case TLM_GETITEMROW: return Locked(data, [&] { return static_cast<LRESULT>(RowOfItem(data, ItemArg(lParam))); });
    case TLM_GETROWCOUNT: return data->rowCount;
    case TLM_GETROWITEM: return Locked(data, [&] { return static_cast<LRESULT>(ItemAtRow(data, lParam)); });
    case TLM_GETITEMTEXTCOLOR:
    case TLM_GETITEMBKCOLOR:
        return Locked(data, [&] {
            return ItemColour(data, ItemArg(static_cast<LPARAM>(wParam)), static_cast<unsigned>(lParam),
                              message == TLM_GETITEMBKCOLOR);
        });
    case TLM_SETITEMTEXTCOLOR:
    case TLM_SETITEMBKCOLOR:
        return Locked(data, [&] {
            return SetItemColour(data, static_cast<unsigned>(wParam & 0xFFFFFF), static_cast<unsigned>((wParam >> 24) & 0xFF),
                                 lParam, message == TLM_SETITEMBKCOLOR);
        });
    case TLM_SELECTDROPCOLUMN:
        return Locked(data, [&] { return SetDropHilite(data, ItemArg(lParam), static_cast<unsigned>(wParam)); });
    case TLM_SELECTCOLUMN: return Locked(data, [&] { return SelectColumn(data, wParam, ItemArg(lParam)); });
    case TLM_INSERTCOLUMN:
        return Locked(data,
                      [&] { return InsertColumn(data, static_cast<unsigned>(wParam), reinterpret_cast<LVCOLUMNW*>(lParam)); });
    case TLM_DELETECOLUMN: return Locked(data, [&] { return DeleteColumn(data, static_cast<unsigned>(wParam)); });
    case TLM_GETCOLUMNCOUNT: return data->columnCount;
    case TLM_GETHEADER: return reinterpret_cast<LRESULT>(data->header);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK TreeTableWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TreeTableData* data = TreeOf(hwnd);
    if (!data) {
        if (message == WM_CREATE) return OnCreate(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // Only the window's thread handles its messages (other threads' calls arrive as sent messages),
    // so the count needs no lock.
    ++data->activeMessages;
    const LRESULT result = HandleMessage(data, hwnd, message, wParam, lParam);
    if (--data->activeMessages == 0 && data->destroyed) FreeRecord(data);
    return result;
}
