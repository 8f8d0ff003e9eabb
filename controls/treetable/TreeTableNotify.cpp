// The "TreeTable" window's requests to its parent: notifications, the items they carry, and the
// display information of callback fields. Each releases the window's lock around the parent's answer
// (the parent may call back into the tree, or delete the item asked about), so callers look their
// items up again by number afterwards.
#include "TreeTableData.h"

#include <cwchar>

LRESULT TreeTableNotify(TreeTableData* data, NMHDR* header, int code) {
    header->hwndFrom = data->window;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(data->window));
    header->code = static_cast<UINT>(code);
    HWND parent = GetParent(data->window);
    if (!parent) return 0;
    UnlockTree(data);
    LRESULT answer = SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    LockTree(data);
    return answer;
}

void FillNotifyItem(const TreeTableData* data, TVITEMW* out, unsigned item, unsigned column) {
    *out = TVITEMW{};
    const TreeTableItem* it = ItemOf(data, item);
    if (!it) return;
    out->mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_TLCOLUMN;
    out->hItem = HandleOfItem(item);
    out->stateMask = ~0u;
    out->lParam = it->lParam;
    out->cChildren = static_cast<int>(column);
    if (column == 0) {
        out->state = it->state;
    } else {
        const TreeTableSubItem* cell = CellOf(data, item, column);
        out->state = (cell ? cell->state : 0) | (it->state & 0xE2);
    }
}

LRESULT NotifyTree(TreeTableData* data, int code, UINT action, unsigned newItem, unsigned newColumn, unsigned oldItem,
                   unsigned oldColumn, POINT point) {
    NMTREEVIEWW nm{};
    nm.action = action;
    FillNotifyItem(data, &nm.itemNew, newItem, newColumn);
    FillNotifyItem(data, &nm.itemOld, oldItem, oldColumn);
    nm.ptDrag = point;
    return TreeTableNotify(data, &nm.hdr, code);
}

bool AskDisplayInfo(TreeTableData* data, unsigned item, unsigned column, uint8_t flags, wchar_t* buffer,
                    const wchar_t** text, int* length, int* image) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return false;
    NMTVDISPINFOW info{};
    info.item.hItem = HandleOfItem(item);
    info.item.lParam = it->lParam;
    info.item.pszText = buffer;
    info.item.cchTextMax = kTextBuffer - 1;
    buffer[0] = 0;
    if (column == 0) {
        info.item.mask = flags | 0x1C;
        info.item.state = it->state;
        info.item.iImage = image ? *image : it->image;
        info.item.iSelectedImage = it->selectedImage;
    } else {
        const TreeTableSubItem* cell = CellOf(data, item, column);
        info.item.mask = flags | 0x801C;
        info.item.cChildren = static_cast<int>(column);
        info.item.state = (it->state & 0xE2) | (cell ? cell->state : 0);
        info.item.iImage = cell ? cell->image : -2;
    }
    TreeTableNotify(data, &info.hdr, TVN_GETDISPINFOW);
    it = ItemOf(data, item);
    if (!it) return false;
    if (column == 0) {
        if (flags & kCallImage) {
            if (image && !(it->state & TVIS_SELECTED)) *image = info.item.iImage;
        } else if ((flags & kCallSelImage) && (it->state & TVIS_SELECTED) && image) {
            *image = info.item.iSelectedImage;
        }
        if (flags & kCallChildren) {
            it->flags &= static_cast<uint8_t>(~(kFlagButton | kFlagButtonAuto));
            if (info.item.cChildren == 1 || (info.item.cChildren != 0 && it->firstChild)) it->flags |= kFlagButton;
        }
    } else {
        TreeTableSubItem* cell = CellOf(data, item, column);
        if (!cell) return false;
        if ((flags & kCallImage) && image) *image = info.item.iImage;
    }
    if (flags & kCallText) {
        const wchar_t* answer = info.item.pszText ? info.item.pszText : L"";
        *text = answer;
        *length = static_cast<int>(wcsnlen(answer, 0xFFFF));
    }
    return true;
}

const wchar_t* ComparableText(TreeTableData* data, unsigned item, wchar_t* buffer) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return L"";
    if (!(it->callback & kCallText)) return it->text ? it->text : L"";
    const wchar_t* text = L"";
    int length = 0;
    if (!AskDisplayInfo(data, item, 0, kCallText, buffer, &text, &length, nullptr)) return L"";
    return text ? text : L"";
}
