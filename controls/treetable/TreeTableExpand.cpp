// Expanding and collapsing the "TreeTable" window's items, and scrolling an item into view.
#include "TreeTableData.h"

#include <algorithm>
#include <vector>

int ExpandToggle(TreeTableData* data, unsigned item, UINT extraState) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return -1;
    const bool collapsing = IsExpanded(it);
    NMTREEVIEWW nm{};
    nm.action = collapsing ? TVE_COLLAPSE : TVE_EXPAND;
    FillNotifyItem(data, &nm.itemNew, item, 0);
    nm.itemNew.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    nm.itemNew.state = it->state ^ TVIS_EXPANDED;
    if (collapsing) nm.itemNew.stateMask &= ~0x60u;
    NMTREEVIEWW copy = nm;
    if (TreeTableNotify(data, &nm.hdr, TVN_ITEMEXPANDINGW)) return 1;
    it = ItemOf(data, item);
    if (!it) return -1;
    it->state ^= TVIS_EXPANDED;
    it->state &= ~TVIS_EXPANDPARTIAL;
    it->state |= extraState;
    if (it->row) {
        RebuildRows(data, item);
        RepaintItem(data, item);
    }
    TreeTableNotify(data, &copy.hdr, TVN_ITEMEXPANDEDW);
    if (data->caretItem) {
        TreeTableItem* caret = ItemOf(data, data->caretItem);
        bool inside = false;  // a caret that was shown and is now hidden by this collapse
        for (unsigned up = caret ? caret->parent : 0; up && !inside; up = ItemOf(data, up) ? data->items[up]->parent : 0)
            inside = up == item;
        if (!caret) {
            data->caretItem = 0;
        } else if (collapsing && inside && !caret->row) {
            unsigned up = caret->parent;
            while (up && ItemOf(data, up) && !data->items[up]->row) up = data->items[up]->parent;
            if (up) SelectItem(data, up, data->caretColumn, 0);
        }
    }
    return 0;
}

LRESULT ExpandItem(TreeTableData* data, unsigned item, UINT action) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    const UINT code = action & 0xF;
    if (code == TVE_COLLAPSE) {
        LRESULT result = 1;
        if (IsExpanded(it)) {
            result = ExpandToggle(data, item, 0) == 0 ? 1 : 0;
        } else if (it->state & TVIS_EXPANDPARTIAL) {
            it->state &= ~TVIS_EXPANDPARTIAL;
            RepaintItem(data, item);
        }
        if (action & TVE_COLLAPSERESET) {
            if ((it = ItemOf(data, item))) {
                it->state &= ~TVIS_EXPANDEDONCE;
                while ((it = ItemOf(data, item)) && it->lastChild && DeleteItem(data, it->lastChild, true)) {
                }
            }
        }
        return result;
    }
    if (code == TVE_EXPAND) {
        const UINT partial = (action & TVE_EXPANDPARTIAL) ? TVIS_EXPANDPARTIAL : 0;
        if (!IsExpanded(it)) return ExpandToggle(data, item, partial) == 0 ? 1 : 0;
        if ((it->state & TVIS_EXPANDPARTIAL) != partial) {
            it->state = (it->state & ~TVIS_EXPANDPARTIAL) | partial;
            RepaintItem(data, item);
        }
        return 1;
    }
    if (code == TVE_TOGGLE) {
        if (IsExpanded(it) && (it->state & TVIS_EXPANDPARTIAL)) {
            it->state &= ~TVIS_EXPANDPARTIAL;
            RepaintItem(data, item);
            return 1;
        }
        return ExpandToggle(data, item, 0) == 0 ? 1 : 0;
    }
    return 0;
}

int EnsureVisible(TreeTableData* data, unsigned item, int column) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    int result = 1;
    if (!it->row) {
        result = 0;
        std::vector<unsigned> collapsed;
        for (unsigned up = it->parent; up; up = data->items[up]->parent)
            if (!IsExpanded(data->items[up])) collapsed.push_back(up);
        for (unsigned up : collapsed) {
            if (!ItemOf(data, up)) return 0;
            if (!IsExpanded(data->items[up]) && ExpandToggle(data, up, 0) != 0) return 0;
        }
        it = ItemOf(data, item);
        if (!it || !it->row) return 0;
    }
    const int row = static_cast<int>(it->row) - 1;
    // A window too short for one whole row still shows the item's row on top, not the row after it.
    const int page = std::max(static_cast<int>(data->pageRows), 1);
    int first = data->firstRow;
    if (row < first || column == -2) first = row;
    else if (row >= first + page) first = row - (page - 1);
    // TVGN_FIRSTVISIBLE (column -2) puts the row on top even where the last page is not full.
    ScrollToRow(data, column == -2 ? row : ClampFirstRow(data, first));
    if (column >= 0 && static_cast<unsigned>(column) < data->columnCount) {
        const int l = data->edges[column], r = data->edges[column + 1], w = static_cast<int>(data->clientWidth);
        int p = data->scrollX;
        if (p + w < l) p = l;
        if (p >= r) p = l;
        if (p + w < r) p = r - w;
        if (l < p) p = l;
        const int limit = data->edges[data->columnCount] - w / 2;
        if (p > limit) p = limit;
        if (p < 0) p = 0;
        ScrollToX(data, p);
    }
    return result;
}
