// Item operations of the "TreeTable" window: storage and numbering, insertion, navigation, reading
// and writing items, the shown rows, expanding, deletion, colours, the insert mark, search and the
// requests to the parent; selection and sorting have files of their own. Every function runs with
// the window's lock held and releases it only around what can call back into the tree
// (notifications, display-info requests, sort comparisons); afterwards it looks its items up again
// by number, since the parent may have deleted them.
#include "TreeTableData.h"

#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

constexpr unsigned kNoItem = ~0u;

// Grows the item, cell and row arrays by half plus 64 entries; false (nothing changed) when memory
// runs out.
bool GrowArrays(TreeTableData* data) {
    if (data->itemCount + 1 <= data->capacity) return true;
    const unsigned n = data->capacity + data->capacity / 2 + 64;
    std::vector<void*> made;
    auto fail = [&made] {
        for (void* p : made) std::free(p);
        return false;
    };
    auto items = static_cast<TreeTableItem**>(std::calloc(n + 1, sizeof(TreeTableItem*)));
    if (!items) return fail();
    made.push_back(items);
    TreeTableSubItem** cells[kMaxColumns] = {};
    for (unsigned c = 1; c < kMaxColumns; ++c) {
        if (!data->cells[c]) continue;
        cells[c] = static_cast<TreeTableSubItem**>(std::calloc(n + 1, sizeof(TreeTableSubItem*)));
        if (!cells[c]) return fail();
        made.push_back(cells[c]);
    }
    auto rows = static_cast<unsigned*>(std::calloc(n, sizeof(unsigned)));
    if (!rows) return fail();
    for (unsigned i = 0; i <= data->capacity; ++i) items[i] = data->items[i];
    std::free(data->items);
    data->items = items;
    for (unsigned c = 1; c < kMaxColumns; ++c) {
        if (!cells[c]) continue;
        for (unsigned i = 0; i <= data->capacity; ++i) cells[c][i] = data->cells[c][i];
        std::free(data->cells[c]);
        data->cells[c] = cells[c];
    }
    for (unsigned r = 0; r < data->rowCount; ++r) rows[r] = data->rows[r];
    std::free(data->rows);
    data->rows = rows;
    data->capacity = n;
    return true;
}

unsigned NewNumber(TreeTableData* data) {
    unsigned n = data->lastNumber;
    for (;;) {
        ++n;
        if (n > data->capacity) n = 1;
        if (!data->items[n]) return n;
    }
}

wchar_t FoldLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

int CompareNoCase(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        const wchar_t x = FoldLower(*a), y = FoldLower(*b);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

void LinkAfter(TreeTableData* data, unsigned parent, unsigned item, unsigned before) {
    // before = the predecessor (0 = first); links item between before and its successor.
    TreeTableItem* it = data->items[item];
    unsigned next = before ? data->items[before]->nextSibling : FirstChildOf(data, parent);
    it->prevSibling = before;
    it->nextSibling = next;
    if (before) data->items[before]->nextSibling = item;
    else FirstChildOf(data, parent) = item;
    if (next) data->items[next]->prevSibling = item;
    else LastChildOf(data, parent) = item;
}

unsigned NthChild(TreeTableData* data, unsigned parent, unsigned n) {
    unsigned c = FirstChildOf(data, parent);
    for (unsigned k = 1; c && k < n; ++k) {
        if (!data->items[c]->nextSibling) break;
        c = data->items[c]->nextSibling;
    }
    return c;
}

// Sorted placement: the predecessor of the new item among the parent's children.
unsigned SortedPredecessor(TreeTableData* data, unsigned parent, unsigned item, bool byCallback,
                           PFNTLINSERTCOMPARE compare) {
    const wchar_t* newText = ComparableText(data, item, data->textBuffer2);
    const LPARAM newParam = data->items[item]->lParam;
    data->busy = 1;
    unsigned n = 0;
    for (unsigned c = FirstChildOf(data, parent); c; c = data->items[c]->nextSibling) ++n;
    unsigned start = FirstChildOf(data, parent), before = 0;
    while (n > 0 && start) {
        unsigned s = start;
        for (unsigned k = 0; k < n / 2 && data->items[s]->nextSibling; ++k) s = data->items[s]->nextSibling;
        const wchar_t* text = ComparableText(data, s, data->textBuffer);
        int result = byCallback ? compare(data->window, HandleOfItem(s), text, newText, data->items[s]->lParam, newParam)
                                : CompareNoCase(newText, text);
        if (result < 0) {
            n = n - (n + 1) / 2;
        } else if (result == 0) {
            before = data->items[s]->prevSibling;
            break;
        } else {
            n = n - (n / 2 + 1);
            before = s;
            start = data->items[s]->nextSibling;
        }
    }
    data->busy = 0;
    return before;
}

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

unsigned& FirstChildOf(TreeTableData* data, unsigned parent) {
    return parent == 0 ? data->firstRoot : data->items[parent]->firstChild;
}
unsigned& LastChildOf(TreeTableData* data, unsigned parent) {
    return parent == 0 ? data->lastRoot : data->items[parent]->lastChild;
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

unsigned ItemFromHandle(ULONG_PTR value) {
    // Item numbers are small; TVI_ROOT and the insertion codes arrive sign-extended on x64.
    const bool signExtended = (value >> 32) == 0xFFFFFFFFu && (value & 0x80000000u);
    if (value <= 0xFFFFFFFFu || signExtended) return static_cast<unsigned>(value);
    return kNoItem;
}

bool StoreText(wchar_t** text, uint16_t* length, uint8_t* callback, const wchar_t* value) {
    if (value == LPSTR_TEXTCALLBACKW) {
        std::free(*text);
        *text = nullptr;
        *length = 0;
        *callback |= kCallText;
        return true;
    }
    if (!value) value = L"";
    size_t n = std::wcslen(value);
    if (n > 0xFFFF) n = 0xFFFF;
    if (!*text || n > *length) {
        auto copy = static_cast<wchar_t*>(std::malloc((n + 1) * sizeof(wchar_t)));
        if (!copy) return false;
        std::free(*text);
        *text = copy;
    }
    std::wmemcpy(*text, value, n);
    (*text)[n] = 0;
    *length = static_cast<uint16_t>(n);
    *callback &= static_cast<uint8_t>(~kCallText);
    return true;
}

TreeTableSubItem* MakeCell(TreeTableData* data, unsigned item, unsigned column) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it || column < 1 || column >= data->columnCount || !data->cells[column]) return nullptr;
    TreeTableSubItem*& cell = data->cells[column][item];
    if (!cell) {
        cell = static_cast<TreeTableSubItem*>(std::calloc(1, sizeof(TreeTableSubItem)));
        if (!cell) return nullptr;
        cell->image = -2;
        cell->state = it->state & 0x11;
    }
    return cell;
}

// --- notifications ---

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

// --- insertion ---

LRESULT InsertItem(TreeTableData* data, const TVINSERTSTRUCTW* insert) {
    if (data->busy || !insert) return 0;
    unsigned parent = ItemFromHandle(reinterpret_cast<ULONG_PTR>(insert->hParent));
    if (parent == kRootItem) parent = 0;
    if (parent != 0 && !ItemOf(data, parent)) return 0;
    if (!GrowArrays(data)) return 0;
    auto it = static_cast<TreeTableItem*>(std::calloc(1, sizeof(TreeTableItem) + data->userDataSize));
    if (!it) return 0;
    const TVITEMW& src = insert->item;
    if (src.mask & TVIF_STATE) it->state = src.state & src.stateMask;
    else it->state = (data->style & TVS_CHECKBOXES) ? 0x1000 : 0;
    if (src.mask & TVIF_PARAM) it->lParam = src.lParam;
    if (src.mask & TVIF_IMAGE) {
        it->image = src.iImage;
        if (src.iImage == I_IMAGECALLBACK) it->callback |= kCallImage;
    }
    if (src.mask & TVIF_SELECTEDIMAGE) {
        it->selectedImage = src.iSelectedImage;
        if (src.iSelectedImage == I_IMAGECALLBACK) it->callback |= kCallSelImage;
    }
    if (src.mask & TVIF_CHILDREN) {
        if (src.cChildren == I_CHILDRENCALLBACK) it->callback |= kCallChildren;
        else if (src.cChildren == 1) it->flags |= kFlagButton;
        else if (src.cChildren != 0) it->flags |= kFlagButtonAuto;
    } else {
        it->flags |= kFlagButtonAuto;
    }
    if (data->style & TVS_SINGLEEXPAND) it->state &= ~TVIS_EXPANDED;
    it->state |= TVIS_EXPANDEDONCE;
    const wchar_t* text = (src.mask & TVIF_TEXT) ? src.pszText : L"";
    if (!StoreText(&it->text, &it->textLength, &it->callback, text)) {
        std::free(it);
        return 0;
    }

    const unsigned number = NewNumber(data);
    data->items[number] = it;
    data->lastNumber = number;

    const unsigned after = ItemFromHandle(reinterpret_cast<ULONG_PTR>(insert->hInsertAfter));
    if (after == kRootItem) parent = 0;
    if ((after == 0xFFFF0005u || after == 0xFFFF0006u) && parent != 0) {
        const unsigned named = parent;
        parent = data->items[named]->parent;
        it->parent = parent;
    }
    if (parent) {
        TreeTableItem* p = data->items[parent];
        it->parent = parent;
        it->level = p->level + 1;
        if (p->flags & kFlagButtonAuto) p->flags |= kFlagButton;
    } else {
        it->parent = 0;
        it->level = 0;
    }
    const bool hadChildren = FirstChildOf(data, parent) != 0;
    const unsigned named = ItemFromHandle(reinterpret_cast<ULONG_PTR>(insert->hParent));
    unsigned before = LastChildOf(data, parent);  // default: last child
    if (after == kRootItem || after == 0xFFFF0002u) {
        before = LastChildOf(data, parent);
    } else if (after == 0xFFFF0001u) {
        before = 0;
    } else if (after == 0xFFFF0003u || after == 0xFFFF0007u) {
        before = hadChildren ? SortedPredecessor(data, parent, number, after == 0xFFFF0007u,
                                                 reinterpret_cast<PFNTLINSERTCOMPARE>(reinterpret_cast<ULONG_PTR>(src.hItem)))
                             : 0;
        it = data->items[number];
    } else if (after == 0xFFFF0005u) {
        before = (named == kRootItem || named == 0) ? LastChildOf(data, parent) : named;
    } else if (after == 0xFFFF0006u) {
        before = (named == kRootItem || named == 0) ? 0 : data->items[named]->prevSibling;
    } else if (after >= 0xFFE00000u && after < 0xFFF00000u) {
        const unsigned n = after - 0xFFE00000u;
        before = n == 0 ? 0 : NthChild(data, parent, n);
    } else if (ItemOf(data, after) && data->items[after]->parent == parent && after != number) {
        before = after;
    }
    LinkAfter(data, parent, number, before);
    ++data->itemCount;

    if (parent == 0 || !hadChildren || IsExpanded(data->items[parent])) {
        unsigned from = it->prevSibling ? it->prevSibling : parent;
        if (from == 0 || data->items[from]->row) RebuildRows(data, from);
        else if (parent && data->items[parent]->row) RepaintItem(data, parent);
    }
    if (it->state & TVIS_SELECTED) {
        it->state &= ~TVIS_SELECTED;
        SelectItem(data, number, 0, TVC_UNKNOWN);
    }
    return static_cast<LRESULT>(number);
}

// --- navigation ---

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

unsigned RowItem(const TreeTableData* data, long row) {
    return row >= 0 && static_cast<unsigned long>(row) < data->rowCount ? data->rows[row] : 0;
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
    case TVGN_FIRSTVISIBLE: return RowItem(data, data->firstRow);
    case TVGN_NEXTVISIBLE:
        if (item == kRootItem) {
            const TreeTableItem* root = ItemOf(data, data->firstRoot);
            return root && root->row && static_cast<int>(root->row - 1) >= data->firstRow ? data->firstRoot : 0;
        }
        if (!it || !it->row) return 0;
        {
            const long row = static_cast<long>(it->row) - 1;
            if (row < data->firstRow || row >= data->firstRow + static_cast<long>(data->pageRows)) return 0;
            return RowItem(data, row + 1);
        }
    case TVGN_PREVIOUSVISIBLE:
        if (!it || !it->row) return 0;
        {
            const long row = static_cast<long>(it->row) - 1;
            if (row <= data->firstRow || row > data->firstRow + static_cast<long>(data->pageRows)) return 0;
            return RowItem(data, row - 1);
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

// --- get and set ---

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

// --- rows ---

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

// --- expanding ---

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
    const int page = static_cast<int>(data->pageRows);
    int first = data->firstRow;
    if (row < first || column == -2) first = row;
    else if (row >= first + page) first = row - (page - 1);
    if (first > static_cast<int>(data->rowCount) - (page - 1)) first = static_cast<int>(data->rowCount) - (page - 1);
    if (first < 0) first = 0;
    if (column == -2) first = row < static_cast<int>(data->rowCount) ? row : first;
    if (first != data->firstRow) {
        data->firstRow = first;
        SetScrollPos(data->window, SB_VERT, first, TRUE);
        RepaintRows(data);
    }
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
        if (p != data->scrollX) {
            data->scrollX = p;
            SetScrollPos(data->window, SB_HORZ, p, TRUE);
            RepaintRows(data);
            MoveHeader(data);
        }
    }
    return result;
}

// --- deletion ---

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
    int limit = static_cast<int>(data->rowCount) - static_cast<int>(data->pageRows) + 1;
    if (limit < 0) limit = 0;
    if (data->firstRow > limit) {
        data->firstRow = limit;
        SetScrollPos(data->window, SB_VERT, limit, TRUE);
        RepaintRows(data);
    }
    return 1;
}

// --- colours, insert mark, find ---

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

LRESULT SetInsertMark(TreeTableData* data, unsigned item, bool after) {
    LRESULT result = 0;
    if (data->insertMark) {
        result = DeleteItem(data, data->insertMark, true);
        data->insertMark = 0;
    }
    if (item == 0) return result;
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    TVINSERTSTRUCTW insert{};
    insert.hParent = it->parent ? HandleOfItem(it->parent) : TVI_ROOT;
    if (after) insert.hInsertAfter = HandleOfItem(item);
    else insert.hInsertAfter = it->prevSibling ? HandleOfItem(it->prevSibling) : TVI_FIRST;
    insert.item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.iImage = insert.item.iSelectedImage = -2;
    const unsigned mark = static_cast<unsigned>(InsertItem(data, &insert));
    if (!mark) return 0;
    TreeTableItem* m = data->items[mark];
    m->flags |= kFlagBackColour;
    m->backColour = data->colours[kColourInsertMark];
    for (unsigned c = 1; c < data->columnCount; ++c) {
        if (TreeTableSubItem* cell = MakeCell(data, mark, c)) {
            cell->flags |= kFlagBackColour;
            cell->backColour = data->colours[kColourInsertMark];
        }
    }
    data->insertMark = mark;
    return static_cast<LRESULT>(mark);
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
