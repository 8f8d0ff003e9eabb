// Selection in the "TreeTable" window: the caret item and column, multiple selection by toggling,
// the drop highlight and the focus frame. Runs with the window's lock held and releases it only
// around the notifications; afterwards items are looked up again by number, since the parent may
// have deleted them.
#include "TreeTableData.h"

namespace {

void RepaintMark(const TreeTableData* data, unsigned item, unsigned column) {
    if (data->exStyle & TLS_EX_FULLROWMARK) RepaintItem(data, item);
    else RepaintCell(data, item, column);
}

void SingleExpand(TreeTableData* data, unsigned oldItem, unsigned newItem) {
    NMTREEVIEWW nm{};
    FillNotifyItem(data, &nm.itemNew, newItem, 0);
    FillNotifyItem(data, &nm.itemOld, oldItem, 0);
    const LRESULT answer = TreeTableNotify(data, &nm.hdr, TVN_SINGLEEXPAND);
    const bool skipOld = (answer & TVNRET_SKIPOLD) != 0, skipNew = (answer & TVNRET_SKIPNEW) != 0;
    auto expandIf = [data](unsigned item, bool wantExpanded) {
        TreeTableItem* it = ItemOf(data, item);
        if (it && IsExpanded(it) != wantExpanded && it->firstChild) ExpandToggle(data, item, 0);
    };
    if (!oldItem) {
        for (unsigned up = newItem; up && ItemOf(data, up); up = data->items[up]->parent)
            if (!skipNew) expandIf(up, true);
        return;
    }
    if (!newItem) {
        for (unsigned up = oldItem; up && ItemOf(data, up); up = data->items[up]->parent)
            if (!skipOld) expandIf(up, false);
        return;
    }
    unsigned a = oldItem, b = newItem;
    while (a != b && (a || b)) {
        TreeTableItem* ia = ItemOf(data, a);
        TreeTableItem* ib = ItemOf(data, b);
        const int la = ia ? ia->level : -1, lb = ib ? ib->level : -1;
        if (ia && la >= lb) {
            if (!skipOld) expandIf(a, false);
            a = ia->parent;
        } else if (ib) {
            if (!skipNew) expandIf(b, true);
            b = ib->parent;
        } else {
            break;
        }
    }
}

// Flips one item's selection once the parent allowed it; 0 when it refused or the item went.
int FlipSelection(TreeTableData* data, unsigned item, UINT action) {
    NMTREEVIEWW nm{};
    nm.action = action;
    FillNotifyItem(data, &nm.itemNew, item, 0);
    nm.itemNew.state ^= TVIS_SELECTED;
    NMTREEVIEWW copy = nm;
    if (TreeTableNotify(data, &nm.hdr, TVN_SELCHANGINGW)) return 0;
    TreeTableNotify(data, &copy.hdr, TVN_SELCHANGEDW);
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    it->state ^= TVIS_SELECTED;
    RepaintMark(data, item, 0);
    if (it->state & TVIS_SELECTED) ++data->selectedCount;
    else --data->selectedCount;
    return 1;
}

bool CaretSelected(const TreeTableData* data) {
    const TreeTableItem* caret = ItemOf(data, data->caretItem);
    return caret && (caret->state & TVIS_SELECTED);
}

}  // namespace

int ToggleSelection(TreeTableData* data, unsigned item, UINT action) {
    if (!ItemOf(data, item) || item == data->caretItem) return 0;
    return FlipSelection(data, item, action);
}

int UnselectCaret(TreeTableData* data, UINT action) {
    if (!CaretSelected(data)) return 0;
    return FlipSelection(data, data->caretItem, action);
}

int SelectItem(TreeTableData* data, unsigned item, unsigned column, UINT action) {
    if (column != 0 && column >= data->columnCount) return 0;
    if (item != 0 && !ItemOf(data, item)) return 0;
    const bool multi = HasMultiSelect(data);
    // A caret that a Ctrl-click unselected is selected again like any other item.
    const bool caretSelected = CaretSelected(data);
    if (item == data->caretItem && column == data->caretColumn && (item == 0 || caretSelected) &&
        (data->selectedCount <= 1 || !multi))
        return 1;
    const bool keepOld = multi && !(action & 0x8000);
    // Every selected item but the caret goes, the caret itself below when it is replaced.
    auto others = [data] { return data->selectedCount - (CaretSelected(data) ? 1u : 0u); };
    if (multi && (action & 0x8000) && others() > 0) {
        for (unsigned n = data->capacity; n >= 1 && others() > 0; --n) {
            TreeTableItem* it = ItemOf(data, n);
            if (it && (it->state & TVIS_SELECTED) && n != data->caretItem) ToggleSelection(data, n, action & 0x7FFF);
        }
    }
    const unsigned oldItem = data->caretItem, oldColumn = data->caretColumn;
    NMTREEVIEWW nm{};
    nm.action = action & 0x7FFF;
    FillNotifyItem(data, &nm.itemNew, item, column);
    nm.itemNew.state |= TVIS_SELECTED;
    FillNotifyItem(data, &nm.itemOld, oldItem, oldColumn);
    NMTREEVIEWW copy = nm;
    if (TreeTableNotify(data, &nm.hdr, TVN_SELCHANGINGW)) return 0;
    if (item && !ItemOf(data, item)) return 0;
    if (TreeTableItem* old = ItemOf(data, data->caretItem)) {
        RepaintMark(data, data->caretItem, data->caretColumn);
        if (!keepOld && (old->state & TVIS_SELECTED)) {
            old->state &= ~TVIS_SELECTED;
            --data->selectedCount;
        }
    }
    data->caretItem = 0;
    if (item) {
        if (column > 0) MakeCell(data, item, column);
        TreeTableItem* it = data->items[item];
        if (!(it->state & TVIS_SELECTED)) {
            it->state |= TVIS_SELECTED;
            ++data->selectedCount;
        }
        data->caretItem = item;
        data->caretColumn = column;
        RepaintMark(data, item, column);
    }
    TreeTableNotify(data, &copy.hdr, TVN_SELCHANGEDW);
    if (data->style & TVS_SINGLEEXPAND) {
        SingleExpand(data, oldItem, ItemOf(data, item) ? item : 0);
        return 2;
    }
    if ((data->style & TVS_SHOWSELALWAYS) && data->caretItem)
        EnsureVisible(data, data->caretItem, static_cast<int>(data->caretColumn));
    return 1;
}

int SetDropHilite(TreeTableData* data, unsigned item, unsigned column) {
    if (!(data->exStyle & TLS_EX_SUBSELECT)) column = 0;
    auto clear = [data] {
        if (TreeTableItem* old = ItemOf(data, data->dropItem)) {
            if (data->dropColumn == 0) old->flags &= static_cast<uint8_t>(~kFlagDropHilite);
            else if (TreeTableSubItem* cell = CellOf(data, data->dropItem, data->dropColumn))
                cell->flags &= static_cast<uint8_t>(~kFlagDropHilite);
            RepaintCell(data, data->dropItem, data->dropColumn);
        }
        data->dropItem = 0;
        data->dropColumn = 0;
    };
    if ((column != 0 && column >= data->columnCount) || (item != 0 && !ItemOf(data, item))) {
        clear();
        return 0;
    }
    if (item == data->dropItem && column == data->dropColumn) return 1;
    if (item && column > 0 && !MakeCell(data, item, column)) return 0;
    clear();
    if (item) {
        if (column == 0) data->items[item]->flags |= kFlagDropHilite;
        else data->cells[column][item]->flags |= kFlagDropHilite;
        RepaintCell(data, item, column);
    }
    data->dropItem = item;
    data->dropColumn = column;
    return 1;
}

void ClearFocusFrame(TreeTableData* data) {
    if (TreeTableItem* it = ItemOf(data, data->focusItem)) {
        it->flags &= static_cast<uint8_t>(~kFlagFocusFrame);
        if (TreeTableSubItem* cell = CellOf(data, data->focusItem, data->focusColumn))
            cell->flags &= static_cast<uint8_t>(~kFlagFocusFrame);
        RepaintItem(data, data->focusItem);
    }
    data->focusItem = 0;
    data->focusColumn = 0;
}
