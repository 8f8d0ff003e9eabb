// Columns, header and scroll bars of the "TreeTable" window. Columns are fixed or share the width
// the fixed ones leave by weight; the header child ("SysHeader32", identifier 1) shows them.
#include "TreeTableData.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kHeaderId = 1;

// The cell array of a column lives at this index: the tree column keeps its items in column 0.
unsigned ArrayIndex(unsigned column) { return std::max(column, 1u); }

void ShiftStoredColumns(TreeTableData* data, unsigned from, int by) {
    for (unsigned* c : {&data->caretColumn, &data->dropColumn, &data->focusColumn, &data->editColumn})
        if (*c >= from) *c = static_cast<unsigned>(static_cast<int>(*c) + by);
}

bool CreateHeader(TreeTableData* data) {
    const int height = (data->exStyle & TLS_EX_HIDEHEADERS) ? 0 : GetSystemMetrics(SM_CYHSCROLL);
    data->header = CreateWindowExW(0, WC_HEADERW, nullptr, WS_CHILD | WS_VISIBLE | HDS_BUTTONS, 0, 0,
                                   static_cast<int>(data->clientWidth), height, data->window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHeaderId)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(data->window, GWLP_HINSTANCE)), nullptr);
    if (!data->header) return false;
    data->headerHeight = height;
    ComputeRowHeight(data);
    ComputePageRows(data);
    InvalidateRect(data->window, nullptr, FALSE);
    SendMessageW(data->header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(data->normalList));
    SendMessageW(data->header, WM_SETFONT, reinterpret_cast<WPARAM>(data->font ? data->font : data->measuredFont), 0);
    return true;
}

void ApplyEdges(TreeTableData* data) {
    const int changed = ComputeEdges(data);
    if (changed != 0x10000) RepaintFrom(data, changed - data->scrollX);
    UpdateHScroll(data);
}

}  // namespace

LRESULT InsertColumn(TreeTableData* data, unsigned position, const LVCOLUMNW* rec) {
    if (!rec) return -1;
    if (data->columnCount == 0 && !data->header && !CreateHeader(data)) return -1;
    if (data->columnCount >= kMaxColumns) return -1;
    const unsigned before = data->columnCount;
    position = std::min(position, before);

    TreeTableColumn col{};
    HDITEMW hd{};
    if (rec->mask & TLCF_FMT) {
        hd.mask |= HDI_FORMAT;
        hd.fmt = rec->fmt;
        const int align = rec->fmt & HDF_JUSTIFYMASK;
        col.align = align == HDF_RIGHT ? 2 : align == HDF_CENTER ? 1 : 0;
    }
    if (rec->mask & TLCF_IMAGE) {
        hd.mask |= HDI_IMAGE;
        hd.iImage = rec->iImage;
        hd.fmt |= HDF_IMAGE;
        hd.mask |= HDI_FORMAT;
    }
    if (rec->mask & TLCF_TEXT) {
        hd.mask |= HDI_TEXT;
        hd.pszText = rec->pszText;
        hd.cchTextMax = rec->cchTextMax;
    }
    col.minWidth = 16;
    if (rec->mask & TLCF_MINWIDTH) {
        col.minWidth = static_cast<int16_t>(std::abs(rec->iOrder));
        col.minFirm = rec->iOrder > 0 ? 1 : 0;
    }
    int width;
    if (rec->mask & TLCF_WIDTH) {
        width = rec->cx;
    } else {
        col.weight = static_cast<uint8_t>(std::clamp((rec->mask & TLCF_WEIGHT) ? rec->cx : 1, 1, 255));
        width = data->weightedCount == 0
                    ? static_cast<int>(data->clientWidth) - data->weightedWidth - data->fixedWidth
                    : data->weightedWidth / (data->weightSum + col.weight) * col.weight;
    }
    col.requestedWidth = static_cast<int16_t>(width);
    col.width = static_cast<int16_t>(std::max(width, static_cast<int>(col.minWidth)));
    col.editData = -1;
    hd.mask |= HDI_WIDTH;
    hd.cxy = col.width;
    if (SendMessageW(data->header, HDM_INSERTITEMW, position, reinterpret_cast<LPARAM>(&hd)) < 0) return -1;

    if (before > 0) {
        // Sized by the capacity, like the other arrays, so that growth copies stay inside it.
        auto cells = static_cast<TreeTableSubItem**>(std::calloc(data->capacity + 1, sizeof(TreeTableSubItem*)));
        if (!cells) {
            SendMessageW(data->header, HDM_DELETEITEM, position, 0);
            return -1;
        }
        const unsigned index = ArrayIndex(position);
        for (unsigned i = before; i > index; --i) data->cells[i] = data->cells[i - 1];
        data->cells[index] = cells;
        ShiftStoredColumns(data, index, 1);
    }
    for (unsigned i = before; i > position; --i) data->columns[i] = data->columns[i - 1];
    data->columns[position] = col;
    ++data->columnCount;

    if (col.weight) {
        if (data->weightedCount == 0) {
            data->weightedWidth = width;
        } else {
            // The others give up the new column's width; it takes no part in that sharing.
            data->columns[position].weight = 0;
            ShareWidthChange(data, -width);
            data->columns[position].weight = col.weight;
            data->weightedWidth += width;
        }
        data->weightSum += col.weight;
        ++data->weightedCount;
    } else {
        data->fixedWidth += width;
    }
    ApplyEdges(data);
    if (data->insertMark && position > 0) {
        if (TreeTableSubItem* cell = MakeCell(data, data->insertMark, ArrayIndex(position))) {
            cell->flags |= kFlagBackColour;
            cell->backColour = data->colours[kColourInsertMark];
        }
    }
    return static_cast<LRESULT>(position);
}

LRESULT DeleteColumn(TreeTableData* data, unsigned column) {
    if (column >= data->columnCount) return 0;
    if (column > 0 && data->caretColumn == column && data->caretItem) SelectItem(data, data->caretItem, 0, TVC_UNKNOWN);
    if (data->editItem && data->editColumn == column) TreeTableEndEdit(data, 0);
    if (data->focusColumn == column) data->focusItem = data->focusColumn = 0;
    if (data->dropColumn == column) SetDropHilite(data, 0, 0);
    if (column >= data->columnCount) return 0;
    const TreeTableColumn gone = data->columns[column];
    SendMessageW(data->header, HDM_DELETEITEM, column, 0);
    --data->columnCount;
    const unsigned count = data->columnCount;
    if (count > 0) {
        const unsigned index = ArrayIndex(column);
        if (TreeTableSubItem** cells = data->cells[index]) {
            for (unsigned i = 0; i <= data->capacity; ++i) {
                if (!cells[i]) continue;
                std::free(cells[i]->text);
                std::free(cells[i]);
            }
            std::free(cells);
        }
        for (unsigned i = index; i < count; ++i) data->cells[i] = data->cells[i + 1];
        data->cells[count] = nullptr;
        ShiftStoredColumns(data, index + 1, -1);
    }
    for (unsigned i = column; i < count; ++i) data->columns[i] = data->columns[i + 1];
    data->columns[count] = TreeTableColumn{};
    int weights = 0, fixed = 0, weighted = 0;
    unsigned weightedCount = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (data->columns[i].weight) {
            weights += data->columns[i].weight;
            weighted += data->columns[i].requestedWidth;
            ++weightedCount;
        } else {
            fixed += data->columns[i].width;
        }
    }
    data->weightSum = weights;
    data->weightedCount = weightedCount;
    data->fixedWidth = fixed;
    data->weightedWidth = weighted;
    if (weightedCount > 0 && gone.requestedWidth) ShareWidthChange(data, gone.requestedWidth);
    if (weightedCount == 0) data->weightedWidth = 0;
    if (count == 0) {
        DestroyWindow(data->header);
        data->header = nullptr;
        data->headerHeight = 0;
        ComputeRowHeight(data);
        ComputePageRows(data);
        InvalidateRect(data->window, nullptr, FALSE);
    }
    ApplyEdges(data);
    return 1;
}

LRESULT GetColumn(TreeTableData* data, unsigned column, LVCOLUMNW* rec) {
    if (!data->header || !rec) return 0;
    const UINT asked = rec->mask;
    rec->mask = 0;
    HDITEMW hd{};
    if (asked & TLCF_FMT) hd.mask |= HDI_FORMAT;
    if (asked & TLCF_WIDTH) hd.mask |= HDI_WIDTH;
    if (asked & TLCF_TEXT) {
        hd.mask |= HDI_TEXT;
        hd.pszText = rec->pszText;
        hd.cchTextMax = rec->cchTextMax;
    }
    if (asked & TLCF_IMAGE) hd.mask |= HDI_IMAGE;
    const LRESULT result = SendMessageW(data->header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&hd));
    if (asked & TLCF_FMT) rec->fmt = hd.fmt, rec->mask |= TLCF_FMT;
    if (asked & TLCF_WIDTH) rec->cx = hd.cxy, rec->mask |= TLCF_WIDTH;
    if (asked & TLCF_TEXT) rec->mask |= TLCF_TEXT;
    if (asked & TLCF_IMAGE) rec->iImage = hd.iImage, rec->mask |= TLCF_IMAGE;
    return result;
}

LRESULT SetColumn(TreeTableData* data, unsigned column, const LVCOLUMNW* rec) {
    if (!data->header || !rec || column >= data->columnCount) return 0;
    HDITEMW hd{};
    if (rec->mask & TLCF_FMT) hd.mask |= HDI_FORMAT, hd.fmt = rec->fmt;
    if (rec->mask & TLCF_WIDTH) {
        hd.mask |= HDI_WIDTH;
        hd.cxy = rec->cx;
        data->columns[column].requestedWidth = static_cast<int16_t>(rec->cx);
    }
    if (rec->mask & TLCF_TEXT) hd.mask |= HDI_TEXT, hd.pszText = rec->pszText, hd.cchTextMax = rec->cchTextMax;
    if (rec->mask & TLCF_IMAGE) hd.mask |= HDI_IMAGE, hd.iImage = rec->iImage;
    return SendMessageW(data->header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&hd));
}

namespace {

LRESULT ResizeColumn(TreeTableData* data, NMHEADERW* nm) {
    const unsigned column = static_cast<unsigned>(nm->iItem);
    if (column >= data->columnCount || !nm->pitem || !(nm->pitem->mask & HDI_WIDTH)) return 0;
    TreeTableColumn& col = data->columns[column];
    int width = nm->pitem->cxy;
    if (col.minFirm && width < col.minWidth) {
        width = col.minWidth;
        nm->pitem->cxy = width;
    }
    if (width == col.requestedWidth) return 0;
    if (col.weight) data->weightedWidth += width - col.requestedWidth;
    else data->fixedWidth += width - col.requestedWidth;
    col.requestedWidth = static_cast<int16_t>(width);
    col.width = static_cast<int16_t>(std::max(width, static_cast<int>(col.minWidth)));
    SetHeaderItemWidth(data, column, col.width);
    ApplyEdges(data);
    return 0;
}

// After a drag the header applies the width the pointer gave, whatever the tree answered to the
// end of the drag: a width below a firm minimum is refused there, so that the header keeps the
// minimum the tree gave it and the two agree.
bool RefusesWidth(const TreeTableData* data, const NMHEADERW* nm) {
    const unsigned column = static_cast<unsigned>(nm->iItem);
    if (column >= data->columnCount || !nm->pitem || !(nm->pitem->mask & HDI_WIDTH)) return false;
    const TreeTableColumn& col = data->columns[column];
    return col.minFirm && nm->pitem->cxy < col.minWidth && GetCapture() == data->header;
}

}  // namespace

LRESULT OnHeaderNotify(TreeTableData* data, NMHEADERW* nm) {
    const UINT code = nm->hdr.code;
    // Only what the user does on the header takes the focus: the header also reports the widths the
    // tree gives it on a resize, and those must leave the focus where it is.
    const bool byUser = code == HDN_BEGINTRACKW || code == HDN_DIVIDERDBLCLICKW || code == HDN_ENDTRACKW ||
                        code == HDN_ITEMCLICKW || code == HDN_ITEMDBLCLICKW;
    if (byUser && !data->focused) {
        UnlockTree(data);
        SetFocus(data->window);
        LockTree(data);
    }
    switch (code) {
    case HDN_BEGINTRACKW: return (data->exStyle & TLS_EX_FIXEDCOLSIZE) ? 1 : 0;
    case HDN_DIVIDERDBLCLICKW: {
        if (data->exStyle & TLS_EX_FIXEDCOLSIZE) return 0;
        const unsigned column = static_cast<unsigned>(nm->iItem);
        int width = ContentWidth(data, column);
        if (width == 0) return 0;
        if (data->columns[column].minFirm) width = std::max(width, static_cast<int>(data->columns[column].minWidth));
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        item.cxy = width;
        NMHEADERW track = *nm;
        track.pitem = &item;
        return ResizeColumn(data, &track);
    }
    case HDN_TRACKW:
    case HDN_ENDTRACKW: return ResizeColumn(data, nm);
    case HDN_ITEMCHANGINGW: return RefusesWidth(data, nm) ? 1 : 0;
    case HDN_ITEMCLICKW:
    case HDN_ITEMDBLCLICKW: {
        NMHEADERW copy = *nm;
        return TreeTableNotify(data, &copy.hdr, static_cast<int>(code));
    }
    default: return 0;
    }
}

void SetHeaderItemWidth(const TreeTableData* data, unsigned column, int width) {
    if (!data->header) return;
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    SendMessageW(data->header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
}

// --- scroll bars ---

void UpdateVScroll(TreeTableData* data) {
    const int range = static_cast<int>(data->rowCount), page = static_cast<int>(data->pageRows);
    if (range == data->vRange && page == data->vPage) return;
    data->vRange = range;
    data->vPage = page;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    si.nMax = (data->style & TVS_NOSCROLL) ? 0 : range;
    si.nPage = static_cast<UINT>(page);
    if (page >= range && data->firstRow != 0) {
        data->firstRow = 0;
        RepaintRows(data);
    }
    si.nPos = data->firstRow;
    UnlockTree(data);
    SetScrollInfo(data->window, SB_VERT, &si, TRUE);
    LockTree(data);
}

void UpdateHScroll(TreeTableData* data) {
    const int range = data->columnCount ? data->edges[data->columnCount] - 1 : data->widestRow;
    const int page = static_cast<int>(data->clientWidth);
    if (range == data->hRange && page == data->hPage) return;
    data->hRange = range;
    data->hPage = page;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    si.nMax = ((data->style & TVS_NOSCROLL) || (data->exStyle & TLS_EX_NOHSCROLL)) ? 0 : range;
    si.nPage = static_cast<UINT>(page);
    if (page >= range && data->scrollX != 0) {
        data->scrollX = 0;
        RepaintRows(data);
        if (data->header)
            SetWindowPos(data->header, nullptr, 0, 0, page, data->headerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    si.nPos = data->scrollX;
    UnlockTree(data);
    SetScrollInfo(data->window, SB_HORZ, &si, TRUE);
    LockTree(data);
}

void ScrollToRow(TreeTableData* data, long first) {
    if (first == data->firstRow) return;
    data->firstRow = static_cast<int>(first);
    SetScrollPos(data->window, SB_VERT, data->firstRow, TRUE);
    RepaintRows(data);
}

void ScrollToX(TreeTableData* data, long x) {
    if (x == data->scrollX) return;
    data->scrollX = static_cast<int>(x);
    SetScrollPos(data->window, SB_HORZ, data->scrollX, TRUE);
    RepaintRows(data);
    MoveHeader(data);
}

void MoveHeader(TreeTableData* data) {
    if (!data->header) return;
    SetWindowPos(data->header, nullptr, -data->scrollX, 0, static_cast<int>(data->clientWidth) + data->scrollX,
                 data->headerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}
