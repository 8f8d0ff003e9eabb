// Keyboard, typed characters (incremental search) and mouse of the "TreeTable" window. The key and
// button handlers are entered with the lock held and give it back themselves, since their last act
// is a notification to the parent sent without it.
#include "TreeTableData.h"

#include <algorithm>

namespace {

// Incremental search: one for the whole process, shared by every TreeTable window, unlocked.
wchar_t g_search[16];
int g_searchLength;
DWORD g_searchTick;

wchar_t FoldUpper(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE)) return static_cast<wchar_t>(c - 0x20);
    return c;
}

bool HasCheckBoxes(const TreeTableData* data) { return (data->style & TVS_CHECKBOXES) != 0; }

// Flips an item's check box through set-item: state image 1 <-> 2, or bit 0x1000 with three states.
void ToggleCheckBox(TreeTableData* data, unsigned item) {
    const TreeTableItem* it = ItemOf(data, item);
    if (!it) return;
    TVITEMW tv{};
    tv.mask = TVIF_STATE;
    tv.hItem = HandleOfItem(item);
    tv.state = FlippedCheckState(data, it->state, 0xF000);
    tv.stateMask = 0xF000;
    SetItem(data, &tv);
}

// Sets the selection of an item's hidden descendants to the item's own (a collapsed item in a range).
void MatchHiddenDescendants(TreeTableData* data, unsigned item) {
    const TreeTableItem* it = ItemOf(data, item);
    if (!it || IsExpanded(it)) return;
    const bool selected = (it->state & TVIS_SELECTED) != 0;
    for (unsigned d = PreorderNext(data, item, item); d; d = PreorderNext(data, d, item)) {
        TreeTableItem* child = data->items[d];
        if (((child->state & TVIS_SELECTED) != 0) == selected) continue;
        child->state ^= TVIS_SELECTED;
        data->selectedCount += selected ? 1 : -1;
    }
}

void UnselectWithDescendants(TreeTableData* data, unsigned item) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it || !(it->state & TVIS_SELECTED)) return;
    const int done =
        item == data->caretItem ? UnselectCaret(data, TVC_BYMOUSE) : ToggleSelection(data, item, TVC_BYMOUSE);
    if (!done) return;
    MatchHiddenDescendants(data, item);
}

void SetFocusFrame(TreeTableData* data, unsigned item, unsigned column) {
    ClearFocusFrame(data);
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return;
    if (column == 0) it->flags |= kFlagFocusFrame;
    else if (TreeTableSubItem* cell = MakeCell(data, item, column)) cell->flags |= kFlagFocusFrame;
    data->focusItem = item;
    data->focusColumn = column;
    RepaintItem(data, item);
}

void SelectRange(TreeTableData* data, int from, int to) {
    if (from > to) std::swap(from, to);
    for (int r = std::max(from, 0); r <= to && r < static_cast<int>(data->rowCount); ++r) {
        const unsigned item = data->rows[r];
        TreeTableItem* it = ItemOf(data, item);
        if (!it) continue;
        if (!(it->state & TVIS_SELECTED) && !ToggleSelection(data, item, TVC_BYMOUSE)) continue;
        MatchHiddenDescendants(data, item);
    }
}

void ToggleExpansion(TreeTableData* data, unsigned item) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return;
    if (IsExpanded(it) && (it->state & TVIS_EXPANDPARTIAL)) {
        it->state &= ~TVIS_EXPANDPARTIAL;
        RepaintItem(data, item);
    } else if (HasButton(it) || it->firstChild) {
        ExpandToggle(data, item, 0);
    }
}

void ScrollByKey(TreeTableData* data, UINT key) {
    long first = data->firstRow;
    long x = data->scrollX;
    const long page = std::max(static_cast<long>(data->pageRows) - 1, 1L);
    switch (key) {
    case VK_SPACE: {
        const TreeTableItem* it = ItemOf(data, data->caretItem);
        if (it && HasButton(it)) ExpandToggle(data, data->caretItem, 0);
        return;
    }
    case VK_PRIOR: first -= page; break;
    case VK_NEXT: first += page; break;
    case VK_END: first = static_cast<long>(data->itemCount) - static_cast<long>(data->pageRows); break;
    case VK_HOME: first = 0; break;
    case VK_LEFT: x -= 16; break;
    case VK_RIGHT: x += 16; break;
    case VK_UP: --first; break;
    case VK_DOWN: ++first; break;
    default: return;
    }
    if (data->style & TVS_NOSCROLL) return;
    ScrollToRow(data, ClampFirstRow(data, first));
    // The keys stop a little further right than the scroll bar does.
    const long maximum = data->columnCount
                             ? data->edges[data->columnCount] - static_cast<long>(data->clientWidth)
                             : data->widestRow - (static_cast<long>(data->clientWidth) - data->clientWidth / 2);
    ScrollToX(data, std::max(std::min(x, maximum), 0L));
}

void MoveCaretByKey(TreeTableData* data, UINT key, bool shift) {
    int row = -1;
    unsigned column = data->caretColumn;
    if (data->caretItem) {
        row = std::max(RowOfItem(data, data->caretItem), 0);
    } else if (data->focusItem) {
        unsigned up = data->focusItem;
        while (up && ItemOf(data, up) && !data->items[up]->row) up = data->items[up]->parent;
        row = std::max(RowOfItem(data, up), 0);
        column = data->focusColumn;
        if (data->selectedCount < 2) ClearFocusFrame(data);
    }
    const int oldRow = row;
    const unsigned oldColumn = column;
    const bool columns = (data->exStyle & TLS_EX_SUBSELECT) != 0;
    const int page = std::max(static_cast<int>(data->pageRows) - 1, 1);
    const unsigned current = row >= 0 && row < static_cast<int>(data->rowCount) ? data->rows[row] : 0;
    const TreeTableItem* it = ItemOf(data, current);
    switch (key) {
    case VK_BACK: row = it && it->parent ? RowOfItem(data, it->parent) : 0; break;
    case VK_SPACE:
        if (HasCheckBoxes(data) && column == 0 && data->caretItem) ToggleCheckBox(data, data->caretItem);
        break;
    case VK_PRIOR: row -= page; break;
    case VK_NEXT: row += page; break;
    case VK_END: row = static_cast<int>(data->rowCount) - 1; break;
    case VK_HOME: row = 0; break;
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT:
        if (columns && data->columnCount > 1) {
            if (column > 0) --column;
        } else if (it && (!IsExpanded(it) || !it->firstChild)) {
            if (it->parent) row = RowOfItem(data, it->parent);
        } else if (it && HasButton(it)) {
            ExpandToggle(data, current, 0);
        }
        break;
    case VK_RIGHT:
        if (columns) {
            ++column;
        } else if (it && !IsExpanded(it) && HasButton(it)) {
            ExpandToggle(data, current, 0);
        } else if (it && IsExpanded(it)) {
            ++row;
        }
        break;
    default: return;
    }
    if (!columns || data->columnCount == 0) column = 0;
    else column = std::min(column, data->columnCount - 1);
    if (data->rowCount == 0) return;
    row = std::clamp(row, 0, static_cast<int>(data->rowCount) - 1);
    if (row == oldRow && column == oldColumn) return;
    const unsigned previousCaret = data->caretItem;
    if (data->selectedCount < 2) data->anchor = previousCaret;
    else ClearFocusFrame(data);
    const unsigned item = data->rows[row];
    const UINT action = TVC_BYKEYBOARD | ((shift || data->anchorPending) ? 0 : 0x8000);
    SelectItem(data, item, column, action);
    if (!(data->style & TVS_NOSCROLL)) EnsureVisible(data, item, static_cast<int>(column));
    if (data->anchorPending) {
        SelectRange(data, RowOfItem(data, data->anchor), RowOfItem(data, item));
        data->anchorPending = 0;
    } else if (HasMultiSelect(data) && shift && oldRow >= 0) {
        const int anchorRow = RowOfItem(data, data->anchor);
        int lo, hi;
        if (row > oldRow) {
            lo = (anchorRow >= 0 && anchorRow < oldRow) ? oldRow + 1 : oldRow;
            hi = row;
        } else {
            lo = row;
            hi = anchorRow > oldRow ? oldRow - 1 : oldRow;
        }
        for (int r = hi; r >= lo; --r) {
            if (r == row || r == anchorRow || r < 0 || r >= static_cast<int>(data->rowCount)) continue;
            const unsigned rowItem = data->rows[r];
            if (ToggleSelection(data, rowItem, TVC_BYKEYBOARD)) MatchHiddenDescendants(data, rowItem);
        }
    }
}

LRESULT SendKeyDown(TreeTableData* data, UINT key, LPARAM lParam) {
    NMTVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(key);
    nm.flags = static_cast<UINT>(lParam);
    return TreeTableNotify(data, &nm.hdr, TVN_KEYDOWN);
}

bool TextStartsWith(const wchar_t* text, int length, const wchar_t* prefix, int prefixLength) {
    if (length < prefixLength) return false;
    for (int i = 0; i < prefixLength; ++i)
        if (FoldUpper(text[i]) != prefix[i]) return false;
    return true;
}

bool RowMatches(TreeTableData* data, unsigned row) {
    if (row >= data->rowCount) return false;  // the parent may have changed the rows meanwhile
    const unsigned item = data->rows[row];
    const TreeTableItem* it = ItemOf(data, item);
    if (!it) return false;
    const wchar_t* text = L"";
    int length = 0;
    if (data->caretColumn == 0) {
        if (it->callback & kCallText) {
            if (!AskDisplayInfo(data, item, 0, kCallText, data->textBuffer, &text, &length, nullptr)) return false;
        } else {
            text = it->text ? it->text : L"";
            length = it->textLength;
        }
    } else if (const TreeTableSubItem* cell = CellOf(data, item, data->caretColumn)) {
        text = cell->text ? cell->text : L"";
        length = cell->textLength;
    }
    return TextStartsWith(text, length, g_search, g_searchLength);
}

}  // namespace

LRESULT GetISearchString(wchar_t* buffer) {
    const bool recent = GetTickCount() - g_searchTick <= 750;
    if (!buffer) return recent ? g_searchLength : 0;
    if (!recent) {
        buffer[0] = 0;
        return 0;
    }
    for (int i = 0; i < g_searchLength; ++i) buffer[i] = g_search[i];
    buffer[g_searchLength] = 0;
    return 1;
}

void TreeTableKeyDown(TreeTableData* data, UINT key, LPARAM lParam) {
    if (!data->enabled) {
        UnlockTree(data);
        return;
    }
    HWND hwnd = data->window;
    if (!data->focused) {
        UnlockTree(data);
        SetFocus(hwnd);
        LockTree(data);
    }
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    if (key == VK_RETURN) {
        data->keyHandled = SendKeyDown(data, key, lParam) != 0;
        if (data->caretColumn < data->columnCount && data->columns[data->caretColumn].editMode) {
            const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            TreeTableStartEdit(data, data->caretColumn, ctrl ? TLEDIT_ICONCLICK : VK_RETURN, point);
        }
        UnlockTree(data);
        return;
    }
    if (ctrl && !shift) ScrollByKey(data, key);
    else MoveCaretByKey(data, key, shift);
    data->keyHandled = SendKeyDown(data, key, lParam) != 0;
    UnlockTree(data);
}

void TreeTableChar(TreeTableData* data, wchar_t character, LPARAM keyData) {
    if (character < 0x20 || data->keyHandled) return;
    const unsigned caretColumn = data->caretColumn;
    if (caretColumn < data->columnCount) {
        const TreeTableColumn& col = data->columns[caretColumn];
        const int mode = col.editMode;
        if ((mode == 1 || mode == 2 || mode == 5 || mode == 7) && !(col.editFlags & TVAE_ONLYRETURN)) {
            TreeTableStartEdit(data, caretColumn, character,
                               POINT{static_cast<short>(LOWORD(keyData)), static_cast<short>(HIWORD(keyData))});
            return;
        }
    }
    if (data->rowCount == 0 || (data->exStyle & TLS_EX_NOINCSEARCH)) return;
    const wchar_t folded = FoldUpper(character);
    const int last = static_cast<int>(data->rowCount) - 1;
    int start = std::max(RowOfItem(data, data->caretItem), 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD now = GetTickCount();
        const DWORD limit = g_searchLength == 0 ? 500 : g_searchLength <= 2 ? 750 : 1000;
        if (now - g_searchTick > limit || g_searchLength > 15 || (g_searchLength == 1 && g_search[0] == folded))
            g_searchLength = 0;
        g_search[g_searchLength++] = folded;
        if (g_searchLength > 1) start = start == 0 ? last : start - 1;
        g_searchTick = now;
        for (int r = start == last ? 0 : start + 1; r != start; r = r == last ? 0 : r + 1) {
            if (r > last) break;
            if (RowMatches(data, static_cast<unsigned>(r))) {
                const unsigned item = data->rows[r];
                SelectItem(data, item, caretColumn, TVC_BYKEYBOARD | 0x8000);
                if (ItemOf(data, item)) EnsureVisible(data, item, static_cast<int>(caretColumn));
                return;
            }
        }
        if (g_searchLength < 2) return;
        // Nothing starts with the whole buffer: search this character alone from the next row.
        g_searchLength = 0;
        start = std::min(start + 1, last);
    }
}

void TreeTableMouseProc(TreeTableData* data, UINT message, WPARAM wParam, POINT point, bool pendingClick) {
    HWND hwnd = data->window;
    if (!data->enabled) {
        UnlockTree(data);
        return;
    }
    if (!data->focused) {
        UnlockTree(data);
        SetFocus(hwnd);
        if (TreeOf(hwnd) != data) return;
        LockTree(data);
    }
    UINT flags = 0;
    const unsigned item = HitTest(data, point, &flags);
    const unsigned hitColumn = (flags & 0xF00000) ? (flags >> 24) & 0xFF : 0;
    const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
    const bool dbl = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK;
    const bool press = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN;
    const bool ctrl = (wParam & MK_CONTROL) != 0, shift = (wParam & MK_SHIFT) != 0;
    const bool fullRow = (data->style & TVS_FULLROWSELECT) != 0;
    const UINT itemPart = fullRow ? 0x66 : 0x46, cellPart = fullRow ? 0x700000 : 0x600000;
    const bool multi = HasMultiSelect(data);
    auto armDrag = [&](unsigned column) {
        if ((data->style & TVS_DISABLEDRAGDROP) || !press) return;
        data->dragButtons |= left ? 1 : 2;
        data->dragItem = item;
        data->dragColumn = column;
    };
    TreeTableItem* it = ItemOf(data, item);
    if (it && (flags & TVHT_ONITEMBUTTON)) {
        if (left) ToggleExpansion(data, item);
    } else if (it && (flags & TVHT_ONITEMSTATEICON) && HasCheckBoxes(data) && left) {
        ToggleCheckBox(data, item);
        if (ItemOf(data, item)) {
            NMTREEVIEWW nm{};
            FillNotifyItem(data, &nm.itemNew, item, 0);
            nm.itemNew.mask = TVIF_STATE | TVIF_TEXT | TVIF_HANDLE | TVIF_PARAM;
            nm.itemNew.pszText = data->items[item]->text;
            nm.itemNew.cchTextMax = data->items[item]->textLength;
            nm.ptDrag = point;
            TreeTableNotify(data, &nm.hdr, TLN_CHECKCHANGED);
        }
    } else if (it && (flags & itemPart)) {
        armDrag(0);
        const bool selected = (it->state & TVIS_SELECTED) != 0;
        bool done = false;
        if (multi) {
            if (!left && selected && data->selectedCount >= 2) {
                done = true;
            } else if (left && !ctrl && !shift && selected && data->selectedCount > 0 && !pendingClick && !dbl) {
                data->clickPending = 1;
                done = true;
            } else if (shift && left) {
                int from = RowOfItem(data, data->caretItem ? data->caretItem : data->focusItem);
                if (data->anchorPending) {
                    from = RowOfItem(data, data->anchor);
                    data->anchorPending = 0;
                }
                SelectRange(data, from, RowOfItem(data, item));
                SetFocusFrame(data, item, 0);
                SelectItem(data, item, 0, TVC_BYMOUSE);
                done = true;
            } else if (ctrl) {
                data->anchor = item;
                data->anchorPending = 1;
                if (left && selected) {
                    UnselectWithDescendants(data, item);
                    SetFocusFrame(data, item, 0);
                    done = true;
                }
            }
        }
        if (!done && ItemOf(data, item)) {
            ClearFocusFrame(data);
            SelectItem(data, item, 0, ctrl ? TVC_BYMOUSE : (TVC_BYMOUSE | 0x8000));
            EnsureVisible(data, item, 0);
            if (dbl && left && ItemOf(data, item)) {
                if (data->columnCount && (data->columns[0].editFlags & TVAE_DBLCLICK))
                    TreeTableStartEdit(data, 0, TLEDIT_DOUBLECLICK, point);
                else
                    ToggleExpansion(data, item);
            }
        }
    } else if (it && (flags & cellPart)) {
        const unsigned column = (data->exStyle & TLS_EX_SUBSELECT) ? hitColumn : 0;
        armDrag(column);
        if (multi && ctrl && left && (it->state & TVIS_SELECTED)) {
            UnselectWithDescendants(data, item);
            SetFocusFrame(data, item, column);
        } else {
            ClearFocusFrame(data);
            SelectItem(data, item, column, ctrl ? TVC_BYMOUSE : (TVC_BYMOUSE | 0x8000));
            EnsureVisible(data, item, static_cast<int>(column));
            const UINT editFlags = column < data->columnCount ? data->columns[column].editFlags : 0;
            const bool onIcon = (flags & TLHT_ONCOLUMNICON) != 0;
            if (dbl && left && ItemOf(data, item)) {
                if (editFlags & TVAE_DBLCLICK)
                    TreeTableStartEdit(data, column, onIcon ? TLEDIT_ICONCLICK : TLEDIT_DOUBLECLICK, point);
                else
                    ToggleExpansion(data, item);
            } else if (left && !dbl && onIcon && (editFlags & TVAE_ICONCLICK)) {
                TreeTableStartEdit(data, column, TLEDIT_ICONCLICK, point);
            }
        }
    }
    static const UINT kCodes[] = {NM_CLICK, NM_DBLCLK, NM_RCLICK, NM_RDBLCLK};
    const int code = static_cast<int>(kCodes[(left ? 0 : 2) + (dbl ? 1 : 0)]);
    NMTREEVIEWW nm{};
    FillNotifyItem(data, &nm.itemNew, ItemOf(data, item) ? item : 0, hitColumn);
    nm.itemNew.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | 0x4000;
    nm.itemNew.stateMask = ~0u;
    nm.itemNew.pszText = reinterpret_cast<LPWSTR>(static_cast<LONG_PTR>(-1));
    nm.itemNew.cchTextMax = -1;
    nm.itemNew.cChildren = static_cast<int>(hitColumn);
    nm.ptDrag = point;
    TreeTableNotify(data, &nm.hdr, code);
    UnlockTree(data);
}

void OnMouseMove(TreeTableData* data, WPARAM wParam, POINT point) {
    if (!data->enabled) return;
    UINT flags = 0;
    unsigned item = HitTest(data, point, &flags);
    if (!(data->style & TVS_NOTOOLTIPS)) {
        UpdateToolTip(data, item, flags);
        item = HitTest(data, point, &flags);
    }
    if (data->style & TVS_TRACKSELECT) {
        const bool fullRow = (data->style & TVS_FULLROWSELECT) != 0;
        const UINT parts = fullRow ? 0x700066 : 0x600046;
        if (item && (flags & parts)) SetDropHilite(data, item, (flags & 0x600000) ? (flags >> 24) & 0xFF : 0);
    }
    const bool leftHeld = (data->dragButtons & 1) && (wParam & MK_LBUTTON);
    const bool rightHeld = (data->dragButtons & 2) && (wParam & MK_RBUTTON);
    if ((leftHeld || rightHeld) && ItemOf(data, data->dragItem)) {
        const unsigned dragItem = data->dragItem, dragColumn = data->dragColumn;
        data->dragButtons = 0;
        data->clickPending = 0;
        NotifyTree(data, leftHeld ? TVN_BEGINDRAGW : TVN_BEGINRDRAGW,
                   IsExpanded(data->items[dragItem]) ? 1u : 2u, dragItem, dragColumn, 0, 0, point);
    }
}
