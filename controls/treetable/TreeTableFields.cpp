// Reading and writing the fields of the "TreeTable" window's items and cells (TVM_GETITEMW,
// TVM_SETITEMW) and their own text and background colours. A change repaints only what it changed.
#include "TreeTableData.h"

#include <algorithm>
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

namespace {

// Sets an image field; I_IMAGECALLBACK makes it a callback. True when the image changed.
bool SetImage(int* image, uint8_t* callback, uint8_t callbackFlag, int value) {
    if (value == I_IMAGECALLBACK) *callback |= callbackFlag;
    else *callback &= static_cast<uint8_t>(~callbackFlag);
    const bool changed = *image != value;
    *image = value;
    return changed;
}

// Sets a text field; false when memory runs out. A text set again as it is keeps its measured width
// and asks for no repaint: the counter page sets every row's text once a second, most of them
// unchanged. A callback text set again may read otherwise now, so it counts as a change.
bool SetText(wchar_t** text, uint16_t* length, uint8_t* callback, int* width, const wchar_t* value, bool* changed) {
    if (value != LPSTR_TEXTCALLBACKW && !(*callback & kCallText) && *text) {
        const wchar_t* wanted = value ? value : L"";
        const size_t n = std::min<size_t>(std::wcslen(wanted), 0xFFFF);
        if (n == *length && std::wmemcmp(*text, wanted, n) == 0) return true;
    }
    if (!StoreText(text, length, callback, value)) return false;
    *width = 0;
    *changed = true;
    return true;
}

}  // namespace

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
        if (tv->mask & TVIF_IMAGE) changed |= SetImage(&cell->image, &cell->callback, kCallImage, tv->iImage);
        if ((tv->mask & TVIF_TEXT) &&
            !SetText(&cell->text, &cell->textLength, &cell->callback, &cell->textWidth, tv->pszText, &changed))
            return -1;
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
        if (changed) RepaintChangedCell(data, item, column);
        return 0;
    }
    bool changed = false;
    if (tv->mask & TVIF_PARAM) it->lParam = tv->lParam;
    if (tv->mask & TVIF_IMAGE) changed |= SetImage(&it->image, &it->callback, kCallImage, tv->iImage);
    if (tv->mask & TVIF_SELECTEDIMAGE)
        changed |= SetImage(&it->selectedImage, &it->callback, kCallSelImage, tv->iSelectedImage);
    if (tv->mask & TVIF_CHILDREN) {
        it->callback &= static_cast<uint8_t>(~kCallChildren);
        it->flags &= static_cast<uint8_t>(~(kFlagButton | kFlagButtonAuto));
        if (tv->cChildren == I_CHILDRENCALLBACK) it->callback |= kCallChildren;
        else if (tv->cChildren == 1) it->flags |= kFlagButton;
        else if (tv->cChildren != 0) it->flags |= kFlagButtonAuto | (it->firstChild ? kFlagButton : 0);
        changed = true;
    }
    if ((tv->mask & TVIF_TEXT) &&
        !SetText(&it->text, &it->textLength, &it->callback, &it->textWidth, tv->pszText, &changed))
        return -1;
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
    if (changed) RepaintChangedCell(data, item, 0);
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
    if (wanted != previous) RepaintChangedCell(data, item, column);
    return previous;
}
