// Deletion of the "TreeTable" window's items: the parent hears of each item before it goes, the
// window forgets every mark it held on it, and the rows close up.
#include "TreeTableData.h"

#include <cstdlib>

namespace {

void FreeItemStorage(TreeTableData* data, unsigned item) {
    for (unsigned c = 1; c < kMaxColumns; ++c) {
        if (!data->cells[c] || !data->cells[c][item]) continue;
        std::free(data->cells[c][item]->text);
        std::free(data->cells[c][item]);
        data->cells[c][item] = nullptr;
    }
    std::free(data->items[item]->text);
    std::free(data->items[item]);
    data->items[item] = nullptr;
}

}  // namespace

int DeleteItem(TreeTableData* data, unsigned item, bool rebuild) {
    if (data->busy) return 0;
    if (item == 0 || item == kRootItem) {
        if (!data->firstRoot) return 0;
        while (data->lastRoot) {
            if (!DeleteItem(data, data->lastRoot, false)) break;
        }
        for (unsigned r = 0; r < data->rowCount; ++r) data->rows[r] = 0;
        data->rowCount = 0;
        data->firstRow = 0;
        UpdateVScroll(data);
        RepaintRows(data);
        return 1;
    }
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    while ((it = ItemOf(data, item)) && it->lastChild) {
        if (!DeleteItem(data, it->lastChild, false)) return 0;
    }
    if (!it) return 0;
    if (data->caretItem == item) {
        NMTREEVIEWW nm{};
        FillNotifyItem(data, &nm.itemOld, item, data->caretColumn);
        nm.itemOld.state &= ~TVIS_SELECTED;
        data->caretItem = 0;
        TreeTableNotify(data, &nm.hdr, TVN_SELCHANGEDW);
        if (!(it = ItemOf(data, item))) return 0;
    }
    {
        NMTREEVIEWW nm{};
        nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
        nm.itemOld.hItem = HandleOfItem(item);
        nm.itemOld.lParam = it->lParam;
        TreeTableNotify(data, &nm.hdr, TVN_DELETEITEMW);
        if (!(it = ItemOf(data, item))) return 0;
        if (data->busy) return 0;
    }
    if (data->tipItem == item) {
        // The tip shows this item's text: it goes with it.
        HideToolTip(data);
        if (!(it = ItemOf(data, item))) return 0;
    }
    if (data->dropItem == item) data->dropItem = 0;
    if (data->insertMark == item) data->insertMark = 0;
    if (data->focusItem == item) data->focusItem = 0;
    if (data->anchor == item) data->anchor = 0;
    if (data->dragItem == item) data->dragItem = 0;
    if (data->caretItem == item) data->caretItem = 0;

    const unsigned parent = it->parent, prev = it->prevSibling, next = it->nextSibling;
    if (prev) data->items[prev]->nextSibling = next;
    else FirstChildOf(data, parent) = next;
    if (next) data->items[next]->prevSibling = prev;
    else LastChildOf(data, parent) = prev;
    if (parent && !data->items[parent]->firstChild && (data->items[parent]->flags & kFlagButtonAuto))
        data->items[parent]->flags &= static_cast<uint8_t>(~kFlagButton);
    const bool wasShown = it->row != 0;
    if (it->state & TVIS_SELECTED) --data->selectedCount;
    FreeItemStorage(data, item);
    --data->itemCount;

    if (rebuild && wasShown) {
        if (prev) RebuildRows(data, prev);
        else if (next || !parent) RebuildRows(data, 0);
        else if (ItemOf(data, parent) && data->items[parent]->row) RebuildRows(data, parent);
    }
    if (rebuild && parent && ItemOf(data, parent)) RepaintItem(data, parent);
    ScrollToRow(data, ClampFirstRow(data, data->firstRow));
    return 1;
}
