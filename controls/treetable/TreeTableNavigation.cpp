// Navigation of the "TreeTable" window: the item after another in the tree's order, the tree-view
// navigation codes, the shown rows (the row list rebuilt after insertion, expansion and deletion) and
// the search among siblings.
#include "TreeTableData.h"

#include <cwchar>

unsigned PreorderNext(const TreeTableData* data, unsigned item, unsigned stop) {
    const TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    if (it->firstChild) return it->firstChild;
    if (item == stop) return 0;
    for (;;) {
        if (it->nextSibling) return it->nextSibling;
        if (!it->parent || it->parent == stop) return 0;
        it = ItemOf(data, it->parent);
        if (!it) return 0;
    }
}

namespace {

unsigned NextBySelection(const TreeTableData* data, unsigned start, unsigned stop, bool wantSelected) {
    unsigned item;
    if (start == kRootItem) {
        item = data->firstRoot;
        if (!item) return 0;
        if (((data->items[item]->state & TVIS_SELECTED) != 0) == wantSelected) return item;
    } else {
        item = start;
    }
    for (;;) {
        item = PreorderNext(data, item, stop);
        if (!item) return 0;
        if (((data->items[item]->state & TVIS_SELECTED) != 0) == wantSelected) return item;
    }
}

}  // namespace

unsigned NextItem(TreeTableData* data, unsigned item, unsigned code) {
    const TreeTableItem* it = item == kRootItem ? nullptr : ItemOf(data, item);
    switch (code) {
    case TVGN_ROOT: return data->firstRoot;
    case TVGN_NEXT: return it ? it->nextSibling : 0;
    case TVGN_PREVIOUS: return it ? it->prevSibling : 0;
    case TVGN_PARENT: return it ? it->parent : 0;
    case TVGN_CHILD: return item == kRootItem ? data->firstRoot : (it ? it->firstChild : 0);
    case TVGN_FIRSTVISIBLE: return ItemAtRow(data, data->firstRow);
    case TVGN_NEXTVISIBLE:
        if (item == kRootItem) {
            const TreeTableItem* root = ItemOf(data, data->firstRoot);
            return root && root->row && static_cast<int>(root->row - 1) >= data->firstRow ? data->firstRoot : 0;
        }
        if (!it || !it->row) return 0;
        {
            const long row = static_cast<long>(it->row) - 1;
            if (row < data->firstRow || row >= data->firstRow + static_cast<long>(data->pageRows)) return 0;
            return ItemAtRow(data, row + 1);
        }
    case TVGN_PREVIOUSVISIBLE:
        if (!it || !it->row) return 0;
        {
            const long row = static_cast<long>(it->row) - 1;
            if (row <= data->firstRow || row > data->firstRow + static_cast<long>(data->pageRows)) return 0;
            return ItemAtRow(data, row - 1);
        }
    case TVGN_DROPHILITE: return data->dropItem;
    case TVGN_CARET: return data->caretItem;
    case TVGN_LASTVISIBLE: return data->rowCount ? data->rows[data->rowCount - 1] : 0;
    case TVGN_NEXTSELECTED:
        if (item != kRootItem && !it) return 0;
        return NextBySelection(data, item, 0, true);
    case TLGN_DROPHILITECOLUMN: return data->dropColumn;
    case TLGN_CARETCOLUMN: return data->caretColumn;
    case TLGN_FOCUS: return data->focusItem ? data->focusItem : data->caretItem;
    case TLGN_FOCUSCOLUMN: return data->focusItem ? data->focusColumn : data->caretColumn;
    case TLGN_NEXTSELECTEDCHILD:
        if (!it) return 0;
        return NextBySelection(data, item, item, true);
    case TLGN_LASTCHILD: return item == kRootItem ? data->lastRoot : (it ? it->lastChild : 0);
    default: return 0;
    }
}

namespace {

unsigned NextShown(const TreeTableData* data, unsigned item) {
    const TreeTableItem* it = data->items[item];
    if (IsExpanded(it) && it->firstChild) return it->firstChild;
    for (;;) {
        if (it->nextSibling) return it->nextSibling;
        if (!it->parent) return 0;
        it = ItemOf(data, it->parent);
        if (!it) return 0;
    }
}

}  // namespace

void RebuildRows(TreeTableData* data, unsigned from) {
    const unsigned oldCount = data->rowCount;
    unsigned row = 0, item = 0;
    if (from == 0 || from == kRootItem) {
        for (unsigned r = 0; r < data->rowCount; ++r)
            if (TreeTableItem* it = ItemOf(data, data->rows[r])) it->row = 0;
        item = data->firstRoot;
    } else {
        const TreeTableItem* start = ItemOf(data, from);
        if (!start || !start->row) return;
        row = start->row;
        for (unsigned r = row; r < data->rowCount; ++r)
            if (TreeTableItem* it = ItemOf(data, data->rows[r])) it->row = 0;
        item = NextShown(data, from);
    }
    unsigned firstChanged = ~0u;
    for (; item; item = NextShown(data, item)) {
        if (row >= oldCount || data->rows[row] != item) firstChanged = firstChanged == ~0u ? row : firstChanged;
        data->rows[row] = item;
        data->items[item]->row = ++row;
    }
    if (row != oldCount && firstChanged == ~0u) firstChanged = row;
    for (unsigned r = row; r < oldCount; ++r) data->rows[r] = 0;
    data->rowCount = row;
    if (firstChanged != ~0u) {
        const long shown = static_cast<long>(firstChanged) - data->firstRow;
        if ((shown < 0 ? 0 : shown) * data->rowHeight <= static_cast<long>(data->clientHeight)) RepaintRows(data);
    }
    if (row != oldCount) UpdateVScroll(data);
}

unsigned FindItem(TreeTableData* data, unsigned start, const TLFINDITEM* find) {
    if (!find) return 0;
    unsigned item;
    if (find->uFlags & TLFI_CHILDREN) item = NextItem(data, start, TVGN_CHILD);
    else if (find->uFlags & TLFI_NEXT) item = NextItem(data, start, TVGN_NEXT);
    else item = ItemOf(data, start) ? start : 0;
    const wchar_t* wanted = find->pText ? find->pText : L"";
    const size_t wantedLength = std::wcslen(wanted);
    for (; item; item = ItemOf(data, item) ? data->items[item]->nextSibling : 0) {
        TreeTableItem* it = data->items[item];
        if ((find->uFlags & TLFI_PARAM) && it->lParam != find->lParam) continue;
        if ((find->uFlags & TLFI_STATE) && ((it->state ^ find->uState) & find->uStateMask)) continue;
        if (!(find->uFlags & TLFI_TEXT)) return item;
        if (find->uColumn != 0 && find->uColumn >= data->columnCount) continue;
        const wchar_t* text = L"";
        int length = 0;
        if (find->uColumn == 0) {
            if (it->callback & kCallText) {
                if (!AskDisplayInfo(data, item, 0, kCallText, data->textBuffer, &text, &length, nullptr)) return 0;
            } else {
                text = it->text ? it->text : L"";
                length = it->textLength;
            }
        } else if (const TreeTableSubItem* cell = CellOf(data, item, find->uColumn)) {
            text = cell->text ? cell->text : L"";
            length = cell->text ? cell->textLength : 0;
        }
        if (static_cast<size_t>(length) != wantedLength) continue;
        const bool equal = (find->uFlags & TLFI_NOCASE) ? _wcsnicmp(text, wanted, wantedLength) == 0
                                                        : std::wmemcmp(text, wanted, wantedLength) == 0;
        if (equal) return item;
    }
    return 0;
}
