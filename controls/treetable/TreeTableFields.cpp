// Reading and writing the fields of the "TreeTable" window's items and cells (TVM_GETITEMW,
// TVM_SETITEMW) and their own text and background colours.
#include "TreeTableData.h"

#include <cwchar>

LRESULT GetItem(TreeTableData* data, TVITEMW* tv) {
    const unsigned item = ItemFromHandle(reinterpret_cast<ULONG_PTR>(tv->hItem));
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    const bool byColumn = (tv->mask & TVIF_TLCOLUMN) != 0;
    const unsigned column = byColumn ? static_cast<unsigned>(tv->cChildren) : 0;
    const wchar_t* text = nullptr;
    unsigned length = 0;
    bool callbackText = false;
    if (column > 0) {
        if (column >= data->columnCount) return 0;
        TreeTableSubItem* cell = MakeCell(data, item, column);
        if (!cell) return 0;
        if (tv->mask & TVIF_PARAM) tv->lParam = it->lParam;
        if (tv->mask & TVIF_IMAGE) tv->iImage = cell->image;
        if (tv->mask & TVIF_STATE) tv->state = (cell->state & ~0xE2u) & tv->stateMask;
        text = cell->text;
        length = cell->textLength;
        callbackText = (cell->callback & kCallText) != 0;
    } else {
        if (tv->mask & TVIF_PARAM) tv->lParam = it->lParam;
        if (tv->mask & TVIF_IMAGE) tv->iImage = it->image;
        if (tv->mask & TVIF_SELECTEDIMAGE) tv->iSelectedImage = it->selectedImage;
        if ((tv->mask & TVIF_CHILDREN) || byColumn)
            tv->cChildren = (it->callback & kCallChildren) ? I_CHILDRENCALLBACK : (it->firstChild ? 1 : 0);
        if (tv->mask & TVIF_STATE) tv->state = it->state & tv->stateMask;
        text = it->text;
        length = it->textLength;
        callbackText = (it->callback & kCallText) != 0;
    }
    if (tv->mask & TVIF_TEXT) {
        if (callbackText) {
            tv->pszText = LPSTR_TEXTCALLBACKW;
        } else if (tv->mask & TVIF_TLTEXTPTR) {
            tv->pszText = const_cast<wchar_t*>(text ? text : L"");
            tv->cchTextMax = static_cast<int>(length + 1);
        } else if (tv->pszText && tv->cchTextMax > 0) {
            const unsigned n = text ? (length + 1 <= static_cast<unsigned>(tv->cchTextMax) ? length
                                                                                             : tv->cchTextMax - 1)
                                    : 0;
            if (n) std::wmemcpy(tv->pszText, text, n);
            tv->pszText[n] = 0;
        }
    }
    return 1;
}

LRESULT SetItem(TreeTableData* data, const TVITEMW* tv) {
    const unsigned item = ItemFromHandle(reinterpret_cast<ULONG_PTR>(tv->hItem));
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return -1;
    const unsigned column = (tv->mask & TVIF_TLCOLUMN) ? static_cast<unsigned>(tv->cChildren) : 0;
    if (column > 0) {
        if (column >= data->columnCount) return -1;
        TreeTableSubItem* cell = MakeCell(data, item, column);
        if (!cell) return -1;
        bool changed = false;
        if (tv->mask & TVIF_PARAM) it->lParam = tv->lParam;
        if (tv->mask & TVIF_IMAGE) {
            if (tv->iImage == I_IMAGECALLBACK) cell->callback |= kCallImage;
            else cell->callback &= static_cast<uint8_t>(~kCallImage);
            changed |= cell->image != tv->iImage;
            cell->image = tv->iImage;
        }
        if (tv->mask & TVIF_TEXT) {
            if (!StoreText(&cell->text, &cell->textLength, &cell->callback, tv->pszText)) return -1;
            cell->textWidth = 0;
            changed = true;
        }
        if (tv->mask & TVIF_STATE) {
            const UINT own = tv->stateMask & ~0xE2u;
            const UINT old = cell->state;
            cell->state = (cell->state & ~own) | (tv->state & own);
            if ((old ^ cell->state) & 0x18) cell->textWidth = 0;
            changed |= old != cell->state;
            const UINT itemBits = tv->stateMask & 0xE2u;
            if ((itemBits & TVIS_EXPANDED) && ((it->state ^ tv->state) & TVIS_EXPANDED) && it->firstChild) {
                if (ExpandToggle(data, item, 0) < 0) return -1;
                it = ItemOf(data, item);
                if (!it) return -1;
            }
            if ((itemBits & TVIS_SELECTED) && ((it->state ^ tv->state) & TVIS_SELECTED)) {
                if (tv->state & TVIS_SELECTED)
                    SelectItem(data, item, (data->exStyle & TLS_EX_SUBSELECT) ? column : 0, TVC_UNKNOWN);
                else
                    SelectItem(data, 0, 0, TVC_UNKNOWN);
                if (!ItemOf(data, item) || !CellOf(data, item, column)) return -1;
            }
        }
        if (changed) RepaintCell(data, item, column);
        return 0;
    }
    bool changed = false;
    if (tv->mask & TVIF_PARAM) it->lParam = tv->lParam;
    if (tv->mask & TVIF_IMAGE) {
        if (tv->iImage == I_IMAGECALLBACK) it->callback |= kCallImage;
        else it->callback &= static_cast<uint8_t>(~kCallImage);
        changed |= it->image != tv->iImage;
        it->image = tv->iImage;
    }
    if (tv->mask & TVIF_SELECTEDIMAGE) {
        if (tv->iSelectedImage == I_IMAGECALLBACK) it->callback |= kCallSelImage;
        else it->callback &= static_cast<uint8_t>(~kCallSelImage);
        changed |= it->selectedImage != tv->iSelectedImage;
        it->selectedImage = tv->iSelectedImage;
    }
    if (tv->mask & TVIF_CHILDREN) {
        it->callback &= static_cast<uint8_t>(~kCallChildren);
        it->flags &= static_cast<uint8_t>(~(kFlagButton | kFlagButtonAuto));
        if (tv->cChildren == I_CHILDRENCALLBACK) it->callback |= kCallChildren;
        else if (tv->cChildren == 1) it->flags |= kFlagButton;
        else if (tv->cChildren != 0) it->flags |= kFlagButtonAuto | (it->firstChild ? kFlagButton : 0);
        changed = true;
    }
    if (tv->mask & TVIF_TEXT) {
        if (!StoreText(&it->text, &it->textLength, &it->callback, tv->pszText)) return -1;
        it->textWidth = 0;
        changed = true;
    }
    if (tv->mask & TVIF_STATE) {
        UINT mask = tv->stateMask;
        if (data->style & TVS_SINGLEEXPAND) mask &= ~TVIS_EXPANDED;
        const UINT wanted = tv->state;
        const UINT old = it->state;
        const UINT stored = mask & ~(TVIS_SELECTED | TVIS_EXPANDED);
        it->state = (it->state & ~stored) | (wanted & stored);
        const UINT diff = old ^ it->state;
        if ((diff & 0xF04) && data->normalList) changed = true;
        if ((diff & 0xF000) && data->stateList) changed = true;
        if (diff & 0x18) {
            it->textWidth = 0;
            changed = true;
        }
        if ((mask & TVIS_SELECTED) && ((old ^ wanted) & TVIS_SELECTED)) {
            if (wanted & TVIS_SELECTED) SelectItem(data, item, 0, TVC_UNKNOWN);
            else if (data->caretItem == item) SelectItem(data, 0, 0, TVC_UNKNOWN);
            else if (HasMultiSelect(data)) ToggleSelection(data, item, TVC_UNKNOWN);
            it = ItemOf(data, item);
            if (!it) return -1;
        }
        if ((mask & TVIS_EXPANDED) && ((it->state ^ wanted) & TVIS_EXPANDED)) {
            if (it->firstChild) {
                const int result = ExpandToggle(data, item, 0);
                if (result != 0) return result < 0 ? -1 : 0;
                it = ItemOf(data, item);
                if (!it) return -1;
            } else {
                it->state = (it->state & ~TVIS_EXPANDED) | (wanted & TVIS_EXPANDED);
            }
        }
    }
    if (changed) RepaintCell(data, item, 0);
    return 0;
}

LRESULT ItemColour(const TreeTableData* data, unsigned item, unsigned column, bool back) {
    const TreeTableItem* it = ItemOf(data, item);
    if (!it) return -1;
    const uint8_t flag = back ? kFlagBackColour : kFlagTextColour;
    if (column == 0) return (it->flags & flag) ? static_cast<LRESULT>(back ? it->backColour : it->textColour) : -1;
    if (column >= data->columnCount) return -1;
    const TreeTableSubItem* cell = CellOf(data, item, column);
    if (!cell) return -1;
    return (cell->flags & flag) ? static_cast<LRESULT>(back ? cell->backColour : cell->textColour) : -1;
}

LRESULT SetItemColour(TreeTableData* data, unsigned item, unsigned column, LPARAM colour, bool back) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it || (column != 0 && column >= data->columnCount)) return -1;
    uint8_t* flags;
    COLORREF* slot;
    if (column == 0) {
        flags = &it->flags;
        slot = back ? &it->backColour : &it->textColour;
    } else {
        TreeTableSubItem* cell = MakeCell(data, item, column);
        if (!cell) return -1;
        flags = &cell->flags;
        slot = back ? &cell->backColour : &cell->textColour;
    }
    const uint8_t flag = back ? kFlagBackColour : kFlagTextColour;
    const LRESULT previous = (*flags & flag) ? static_cast<LRESULT>(*slot) : -1;
    const LRESULT wanted = colour == -1 ? -1 : static_cast<LRESULT>(static_cast<COLORREF>(colour));
    if (wanted == -1) {
        *flags &= static_cast<uint8_t>(~flag);
    } else {
        *flags |= flag;
        *slot = static_cast<COLORREF>(colour);
    }
    if (wanted != previous) RepaintCell(data, item, column);
    return previous;
}
